// Feeds arbitrary bytes to the line reader (as a file and as a text), the
// token steps and the number parsers. Every buffer is sized exactly, so that
// AddressSanitizer sees any write or read past it.

#include "core/core_state.h"
#include "core/line_reader.h"
#include "core/number_parse.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

void ParseAll(const char* text) {
    (void)core::TextParseNumber(text);
    (void)core::TextParseHex(text);
    (void)core::TextParseHexByte(text);
    (void)core::TextParseHex16(text);
    (void)core::TextParseHex24(text);
    (void)core::TextParseHex32(text);
    (void)core::TextParseHundredths(text);
}

// Walks the current line token by token the way the file readers do.
void WalkTokens(uint8_t control) {
    using core::LineReader;
    const int32_t modes[] = {-2, -1, 0, 1, 2};
    int32_t mode = modes[control % 5];
    const int32_t max = control % 67;
    for (int step = 0; step < 64; ++step) {
        const size_t before = std::strlen(LineReader.line);
        const int32_t left = core::LineNextToken(mode);
        if (left < 0 || static_cast<size_t>(left) > before) {
            __builtin_trap();
        }
        auto out = std::make_unique<char[]>(static_cast<size_t>(max) + 1);
        const int32_t n = core::LineCopyToken(max, out.get());
        if (n < 0 || std::strlen(out.get()) > static_cast<size_t>(max)) {
            __builtin_trap();
        }
        ParseAll(LineReader.line);
        ParseAll(out.get());
        if (left == 0) {
            break;
        }
        mode = 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    core::CoreStateReset();
    const uint8_t control = size > 0 ? data[0] : 0;
    const int32_t foldModes[] = {' ', 'l', 'U', 'L' | 0x100};
    const int32_t fold = foldModes[control & 3];

    // As a file, in 1024-byte blocks.
    if (size > 0) {
        std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
        if (f) {
            core::LineReaderReset();
            int lines = 0;
            while (core::LineReadFromFile(fold, f) != 0) {
                if (std::strlen(core::LineReader.line) > static_cast<size_t>(core::kLineSize) ||
                    ++lines > 100000) {
                    __builtin_trap();
                }
                WalkTokens(static_cast<uint8_t>(control + lines));
            }
            std::rewind(f);
            while (core::LineReadRaw(f) != 0) {
            }
            std::fclose(f);
        }
    }

    // As an in-memory text.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    core::LineReader.textPos = 0;
    int32_t lastPos = -1;
    int32_t n;
    while ((n = core::LineReadFromText(fold, text)) != 0) {
        if (n > core::kLineSize || core::LineReader.textPos <= lastPos) {
            __builtin_trap(); // too long, or no progress
        }
        lastPos = core::LineReader.textPos;
        WalkTokens(static_cast<uint8_t>(control + n));
    }

    // The code-file line of a setup file.
    core::LineReader.textPos = 0;
    if (core::LineReadFromText(' ', text) != 0) {
        (void)core::LineSkipPastNamedFile();
    }

    // The parsers on the raw bytes as one NUL-terminated string.
    auto copy = std::make_unique<char[]>(size + 1);
    std::memcpy(copy.get(), data, size);
    copy[size] = '\0';
    ParseAll(copy.get());
    auto tokenText = std::make_unique<char[]>(size + 1);
    std::memcpy(tokenText.get(), copy.get(), size + 1);
    (void)core::TextNextToken(control % 5 - 2, tokenText.get());
    return 0;
}
