#include "core/code_store.h"

#include "core/code_image.h"
#include "core/passwords.h"
#include "core/segment_table.h"

#include <cstdio>

namespace core {

CodeLoadState CodeLoad = [] {
    CodeLoadState s{};
    s.Reset();
    return s;
}();

void CodeLoadState::Reset() {
    *this = CodeLoadState{};
}

std::string CodeFileCutShortText(int32_t lastLine) {
    if (lastLine <= 0) {
        return "The Code File is empty: it has no end record";
    }
    char text[96];
    std::snprintf(text, sizeof text,
                  "The Code File ends after line %d without its end record (cut short)",
                  static_cast<int>(lastLine));
    return text;
}

std::string CodeFileReadErrorText(int32_t lastLine) {
    char text[64];
    std::snprintf(text, sizeof text, "The Code File could not be read after line %d",
                  static_cast<int>(lastLine));
    return text;
}

namespace {

void AppendFormatted(std::string& text, const char* format, uint32_t a, uint32_t b = 0,
                     uint32_t c = 0) {
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, format, a, b, c);
    if (n > 0) {
        text.append(buf,
                    static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
    }
}

// The segment whose start..end holds address, found by halving: the table is
// in ascending address order and its segments do not overlap.
MemorySegment* SegmentHolding(int64_t address) {
    SegmentTableState& t = SegmentTable;
    int32_t lo = 0;
    int32_t hi = t.count < kMaxSegments ? t.count : kMaxSegments; // first segment starting above
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (t.segments[mid].start <= address) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    if (lo == 0) {
        return nullptr;
    }
    MemorySegment& s = t.segments[lo - 1];
    return address <= s.end ? &s : nullptr;
}

void FlagOutOfRange(uint8_t byte, uint32_t address) {
    CodeLoadWarningFlags& w = CodeLoad.CodeLoadWarnings;
    if (address >= 0x0C00 && address <= 0x0FFF) {
        w.dataInRom = 1;
    } else if (address < 0x0200) {
        w.dataOutsideFlash = 1;
    } else {
        w.dataInRam = 1;
    }
    if (w.lineLogCount == 0) {
        AppendFormatted(CodeLoad.CodeLoadReport, "\r\nAddr %4.4X: ", address);
    }
    AppendFormatted(CodeLoad.CodeLoadReport, "%2.2X ", byte);
    w.lineLogCount = (w.lineLogCount + 1) % 8;
}

} // namespace

void CodeImagePutByte(int32_t mode, uint8_t byte, uint32_t address) {
    const int32_t target = mode & 7;
    if (target == kStorePassword) {
        if (address >= static_cast<uint32_t>(kPasswordStart) &&
            address < static_cast<uint32_t>(kPasswordStart + kPasswordSize)) {
            Passwords.BslPassword[address - kPasswordStart] = byte;
        }
        return;
    }
    if (target != kStoreCodeImage && target != kStoreProgramImage) {
        return;
    }
    if (!InImage(address)) {
        FlagOutOfRange(byte, address);
        return;
    }
    ImageBytes& image = target == kStoreCodeImage ? Images.CodeImage : Images.ProgramImage;
    const int32_t at = ImageIndex(address);
    if (image.used[at]) {
        CodeLoad.CodeLoadWarnings.dataOverwritten = 1;
        AppendFormatted(CodeLoad.CodeLoadReport, "\r\nAddr %4.4X overwritten %2.2X %2.2X", address,
                        image.data[at], byte);
        CodeLoad.CodeLoadWarnings.lineLogCount = 0;
    }
    image.data[at] = byte;
    image.used[at] = 1;
    Images.CodeImageHasData = 1;
    if (target == kStoreCodeImage) {
        if (MemorySegment* s = SegmentHolding(address)) {
            s->hasFileData = 1;
        }
    }
}

bool CodeFileWarningText(const std::string& fileName, std::string& text) {
    const CodeLoadWarningFlags& w = CodeLoad.CodeLoadWarnings;
    if (!w.dataInRom && !w.dataInRam && !w.dataOutsideFlash && !w.dataOverwritten) {
        return false;
    }
    text = "The Code File \r\n";
    text += fileName;
    text += "\r\n";
    text += "contains data outside of the MSP430Fxx\r\n";
    text += "Microcontroller Flash Memory space\r\n";
    text += "or data that should be verified!!\r\n\r\n";
    text += "Detected: \r\n";
    if (w.dataInRom) {
        text += "  - data in the ROM space\r\n";
    }
    if (w.dataInRam) {
        text += "  - data in the RAM space (warning only - can be ignored)\r\n";
    }
    if (w.dataOutsideFlash) {
        text += "  - data outside of the FLASH space\r\n";
    }
    if (w.dataOverwritten) {
        text += "  - data has been overwritten (specified more then one time on the same "
                "location)\r\n";
    }
    text += "See the report window for details.\r\n";
    text += "\r\nPlease Check the Code file, source code or compiler setup.\r\n\r\nExcess data "
            "will be ignored.\r\n\r\n";
    return true;
}

} // namespace core
