#include "core/model_text.h"

#include "core/line_reader.h"
#include "core/number_parse.h"

#include <cstdio>
#include <string>

namespace core {
namespace {

int32_t ClampCount(int32_t count) {
    return count < 0 ? 0 : (count > kModelTextBytesMax ? kModelTextBytesMax : count);
}

} // namespace

int32_t BytesToText(int32_t mode, int32_t count, const uint8_t* bytes, std::string& text) {
    text.clear();
    const int32_t n = ClampCount(count);
    if (mode == kModelTextHexMode) {
        char pair[4];
        for (int32_t i = 0; i < n; ++i) {
            std::snprintf(pair, sizeof pair, "%2.2X ", bytes[i]);
            text += pair;
        }
        return n;
    }
    int32_t i = 0;
    for (; i < n && bytes[i] != 0xFF && bytes[i] != 0; ++i) {
        text += static_cast<char>(bytes[i]);
    }
    return i;
}

int32_t BytesFromText(int32_t mode, int32_t count, std::string_view text, uint8_t* bytes) {
    const int32_t n = ClampCount(count);
    int32_t taken = 0;
    if (mode == kModelTextHexMode) {
        // The token steps work in place on a NUL-terminated copy.
        std::string work(text.substr(0, text.find('\0')));
        work.push_back('\0');
        char* p = work.data();
        if (TextNextToken(0, p) > 0) {
            while (taken < n && *p != '\0') {
                bytes[taken++] = static_cast<uint8_t>(TextParseHex(p) & 0xFF);
                if (TextNextToken(1, p) <= 0) {
                    break;
                }
            }
        }
    } else {
        while (taken < n && taken < static_cast<int32_t>(text.size()) && text[taken] != '\0') {
            bytes[taken] = static_cast<uint8_t>(text[taken]);
            ++taken;
        }
    }
    for (int32_t i = taken; i < n; ++i) {
        bytes[i] = 0;
    }
    return taken;
}

} // namespace core
