// Feeds arbitrary bytes to the code-file loader in every format and to the
// line parser, and checks what a load promises: a failed load leaves its
// store empty, and the report is always a whole one.

#include "core/code_file_load.h"
#include "core/code_image.h"
#include "core/code_line_parse.h"
#include "core/code_store.h"
#include "core/core_state.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/line_reader.h"
#include "core/passwords.h"
#include "core/segment_table.h"
#include "core/settings.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string UbrofPath() {
    return "/tmp/fuzz_code_file_" + std::to_string(::getpid()) + ".d43";
}

// No used flag set. One memcmp over the 281,600 flags: a loop of this
// fuzzer's own, compiled with coverage callbacks at every step, took most
// of each input's time.
bool NoneUsed(const core::ImageBytes& image) {
    static const uint8_t zeros[core::kImageSize] = {};
    return std::memcmp(image.used, zeros, sizeof zeros) == 0;
}

bool StoreEmpty(int32_t target) {
    using namespace core;
    switch (target) {
    case kStoreCodeImage:
        return NoneUsed(Images.CodeImage) && Images.CodeImageHasData == 0;
    case kStorePassword:
        for (int32_t e : Passwords.BslPassword) {
            if (e != -1) {
                return false;
            }
        }
        return true;
    case kStoreProgramImage:
        return NoneUsed(Images.ProgramImage);
    default:
        return true;
    }
}

// Loads the file; neither the loader nor the UBROF reader writes to
// standard error any more, so nothing needs to be kept out of the log.
int32_t LoadQuietly(int32_t target, int32_t format, std::FILE* file, const std::string& path) {
    return core::CodeFileLoad(target, format, file, path);
}

// What a TI-TXT line that parsed must have been, read independently of the
// parser: an address line holds nothing after its address but a comment, a
// data line only tokens of exactly two hex digits, one byte each, and no
// comment sign at all.
bool TiTxtLineKept(const std::string& line, uint32_t address_before, uint32_t address_after) {
    auto separator = [](char c) { return core::IsLineSeparator(c); };
    const bool addressLine = !line.empty() && line[0] == '@';
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && separator(line[i])) {
            ++i;
        }
        if (i >= line.size()) {
            break;
        }
        if (line[i] == ';' || (line[i] == '#' && !tokens.empty())) {
            if (!addressLine) {
                return false;
            }
            break;
        }
        const size_t start = i;
        while (i < line.size() && !separator(line[i]) && line[i] != ';') {
            ++i;
        }
        tokens.push_back(line.substr(start, i - start));
    }
    if (addressLine) {
        return tokens.size() == 1;
    }
    for (const std::string& t : tokens) {
        if (t.size() != 2 || !std::isxdigit(static_cast<unsigned char>(t[0])) ||
            !std::isxdigit(static_cast<unsigned char>(t[1]))) {
            return false;
        }
    }
    return address_after - address_before == tokens.size();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    core::CoreStateReset();
    core::DeviceTableParse(core::kDeviceFilterAll);
    core::Settings.SelectedProcessorIndex = 85; // a series-2 device with a cut segment
    core::DeviceSelectByIndex();
    core::SegmentTableBuild();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace core;
    if (size == 0) {
        return 0;
    }
    const uint8_t control = data[0];
    ++data;
    --size;
    const int32_t format = 1 + control % 6;
    const int32_t target = (control >> 3) & 3;

    // The whole input as a code file.
    static char nothing[1];
    std::FILE* file = size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb")
                               : fmemopen(nothing, sizeof nothing, "rb");
    if (file == nullptr) {
        return 0;
    }
    if (size == 0) {
        (void)std::fgetc(file); // an empty file
    }
    int32_t r;
    if (format == kFormatUbrof) {
        const std::string path = UbrofPath();
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) {
            std::fclose(file);
            return 0;
        }
        std::fwrite(data, 1, size, out);
        std::fclose(out);
        r = LoadQuietly(target, format, nullptr, path);
        std::remove(path.c_str());
    } else {
        r = CodeFileLoad(target, format, file, "fuzz");
    }
    std::fclose(file);
    if ((r != 0 && r != 1) || (r == 0 && !StoreEmpty(target))) {
        __builtin_trap();
    }
    // Every refusal says why; a load that went through leaves no reason.
    if ((r == 0) == CodeLoad.CodeLoadFailure.empty()) {
        __builtin_trap();
    }
    const std::string& report = CodeLoad.CodeLoadReport;
    if (report.rfind(kCodeLoadReportHead, 0) != 0 || report.size() < 2 ||
        report.compare(report.size() - 2, 2, "\r\n") != 0) {
        __builtin_trap();
    }
    std::string warning;
    (void)CodeFileWarningText("fuzz", warning);

    // The first line straight into the parser, with a running address and
    // base taken from the input.
    size_t n = 0;
    while (n < size && n < static_cast<size_t>(kLineSize) && data[n] != '\n') {
        ++n;
    }
    std::memcpy(LineReader.line, data, n);
    LineReader.line[n] = '\0';
    uint32_t address = size >= 4 ? (data[0] | data[1] << 8 | data[2] << 16) : 0x1000;
    uint32_t base = (control & 0x80) ? 0x40000 : 0;
    const std::string first(LineReader.line);
    const uint32_t address_before = address;
    const int32_t line_format = 1 + (control >> 5) % 3;
    const char* why = nullptr;
    const int32_t p = CodeFileParseLine(line_format, target, address, base, &why);
    if (p != kLineBad && p != kLineDone && p != kLineEndRecord) {
        __builtin_trap();
    }
    if ((p == kLineBad) != (why != nullptr)) {
        __builtin_trap();
    }
    if (line_format == kFormatTiTxt && p == kLineDone &&
        !TiTxtLineKept(first, address_before, address)) {
        __builtin_trap();
    }
    return 0;
}
