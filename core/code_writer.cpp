#include "core/code_writer.h"

#include "core/code_image.h"
#include "core/code_line_parse.h"
#include "core/project_line_write.h"

#include <string>

namespace core {

CodeWriterState CodeWriter{};

namespace {

constexpr uint32_t kAddressLimit = 0x1000000; // 24-bit addresses

int32_t FormatOf(int32_t formatFlags) {
    const int32_t f = formatFlags & 0xF;
    return (f == kFormatMotorola || f == kFormatIntelHex) ? f : kFormatTiTxt;
}

void AppendHex(std::string& line, uint32_t value, int digits) {
    static const char kHex[] = "0123456789ABCDEF";
    for (int d = digits - 1; d >= 0; --d) {
        line += kHex[(value >> (4 * d)) & 0xF];
    }
}

} // namespace

int32_t CodeFileWriteRecord(int32_t formatFlags, std::FILE* file, int32_t count, uint32_t address,
                            int32_t continuation, const uint8_t* bytes) {
    if (count < 1 || count > 251 || address >= kAddressLimit ||
        address + static_cast<uint32_t>(count) > kAddressLimit || bytes == nullptr) {
        return 0;
    }
    std::string line;
    switch (FormatOf(formatFlags)) {
    case kFormatTiTxt:
        if (!continuation || address % 0x80 == 0) {
            line = "@";
            AppendHex(line, address, address > 0xFFFF ? (address > 0xFFFFF ? 6 : 5) : 4);
            line += "\r\n";
        }
        for (int32_t i = 0; i < count; ++i) {
            AppendHex(line, bytes[i], 2);
            line += i + 1 < count ? " " : "  ";
        }
        break;
    case kFormatMotorola: {
        const bool wide = (formatFlags & kWriteWideAddress) != 0;
        if (!wide && address + static_cast<uint32_t>(count) > 0x10000) {
            return 0; // an S1 record cannot hold the address
        }
        const uint32_t length = static_cast<uint32_t>(count) + (wide ? 4 : 3);
        line = wide ? "S2" : "S1";
        AppendHex(line, length, 2);
        AppendHex(line, address, wide ? 6 : 4);
        uint32_t sum = length + (address & 0xFF) + ((address >> 8) & 0xFF) +
                       (wide ? (address >> 16) & 0xFF : 0);
        for (int32_t i = 0; i < count; ++i) {
            AppendHex(line, bytes[i], 2);
            sum += bytes[i];
        }
        AppendHex(line, ~sum & 0xFF, 2);
        break;
    }
    default: { // Intel HEX
        const int32_t upper = static_cast<int32_t>((address >> 16) & 0xFF);
        if (upper != CodeWriter.IntelUpperByte) {
            std::string ext = ":02000004";
            AppendHex(ext, static_cast<uint32_t>(upper), 4);
            AppendHex(ext, static_cast<uint32_t>(250 - upper) & 0xFF, 2);
            ext += "\r\n";
            if (ProjectLineWrite(ext, file) != 1) {
                return 0;
            }
            CodeWriter.IntelUpperByte = upper;
        }
        line = ":";
        AppendHex(line, static_cast<uint32_t>(count), 2);
        AppendHex(line, address & 0xFFFF, 4);
        line += "00";
        uint32_t sum = static_cast<uint32_t>(count) + (address & 0xFF) + ((address >> 8) & 0xFF);
        for (int32_t i = 0; i < count; ++i) {
            AppendHex(line, bytes[i], 2);
            sum += bytes[i];
        }
        AppendHex(line, (0x100 - (sum & 0xFF)) & 0xFF, 2);
        break;
    }
    }
    line += "\r\n";
    return ProjectLineWrite(line, file);
}

int32_t CodeFileWriteEnd(int32_t formatFlags, std::FILE* file) {
    switch (FormatOf(formatFlags)) {
    case kFormatMotorola:
        return ProjectLineWrite(
            (formatFlags & kWriteWideAddress) ? "S804000000FB\r\n" : "S9030000FC\r\n", file);
    case kFormatIntelHex:
        return ProjectLineWrite(":00000001FF\r\n", file);
    default:
        return ProjectLineWrite("q\r\n", file);
    }
}

int32_t CodeFileWriteBlock(int32_t format, std::FILE* file, const ImageBlock& block) {
    if (block.start < 0 || block.size < 0 || block.data == nullptr ||
        static_cast<int64_t>(block.start) + block.size > kAddressLimit) {
        return 0;
    }
    CodeWriter.IntelUpperByte = 0;
    int32_t flags = format & ~kWriteWideAddress;
    for (int32_t i = block.size - 1; i >= 0 && block.start + i >= 0x10000; --i) {
        if (block.Used(i)) {
            flags |= kWriteWideAddress;
            break;
        }
    }
    int32_t ok = 1;
    uint8_t record[kRecordMaxBytes];
    int32_t count = 0;
    uint32_t recordStart = 0;
    int32_t continuation = 0; // the next record directly follows the last one
    const auto flush = [&] {
        if (count > 0) {
            ok &= CodeFileWriteRecord(flags, file, count, recordStart, continuation, record);
            count = 0;
        }
    };
    for (int32_t i = 0; i < block.size; ++i) {
        const uint32_t address = static_cast<uint32_t>(block.start + i);
        if (!block.Used(i)) {
            flush();
            continuation = 0;
            continue;
        }
        if (count == 0) {
            recordStart = address;
        }
        record[count++] = block.data[i];
        if ((address & 0xF) == 0xF) {
            flush();
            continuation = 1;
        }
    }
    flush();
    ok &= CodeFileWriteEnd(flags, file);
    return ok;
}

int32_t CodeFileWriteImage(int32_t format, std::FILE* file) {
    ImageBlock image;
    image.start = kImageStart;
    image.size = kImageSize;
    image.data = Images.CodeImage.data;
    image.used = Images.CodeImage.used;
    return CodeFileWriteBlock(format, file, image);
}

} // namespace core
