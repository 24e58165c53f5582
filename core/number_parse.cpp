#include "core/number_parse.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace core {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int64_t HexPairs(const char* text, int pairs) {
    int64_t value = 0;
    for (int i = 0; i < pairs; ++i) {
        const int32_t b = TextParseHexByte(text + 2 * i);
        if (b < 0) {
            return -1;
        }
        value = value * 256 + b;
    }
    return value;
}

} // namespace

int32_t TextParseNumber(const char* text) {
    const char* p = text;
    for (int i = 0; i < 20 && (*p == ' ' || *p == '\t'); ++i) {
        ++p;
    }
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        return static_cast<int32_t>(TextParseHex(p + 2));
    }
    while (IsSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Accumulate as a negative number: its range includes INT32_MIN.
    int64_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 - (*p - '0');
        if (value < INT32_MIN) {
            return negative ? INT32_MIN : INT32_MAX;
        }
        ++p;
    }
    if (!negative) {
        value = -value;
        if (value > INT32_MAX) {
            return INT32_MAX;
        }
    }
    return static_cast<int32_t>(value);
}

int32_t TextHexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool TextParseHexPrefixed(std::string_view text, int64_t& value) {
    if (text.size() < 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
        return false;
    }
    uint64_t n = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        const int32_t d = TextHexDigit(text[i]);
        if (d < 0) {
            break;
        }
        n = n * 16 + static_cast<uint64_t>(d);
        if (n > 0xFFFFFFFFu) {
            n = 0x100000000ull;
        }
    }
    value = static_cast<int64_t>(n);
    return true;
}

uint32_t TextParseHex(const char* text) {
    uint32_t value = 0;
    for (const char* p = text; *p; ++p) {
        const int32_t d = TextHexDigit(*p);
        if (d < 0) {
            break;
        }
        value = value * 16u + static_cast<uint32_t>(d);
    }
    return value;
}

int32_t TextParseHexByte(const char* text) {
    const int32_t hi = TextHexDigit(text[0]);
    if (hi < 0) {
        return -1; // also stops before reading past a NUL
    }
    const int32_t lo = TextHexDigit(text[1]);
    if (lo < 0) {
        return -1;
    }
    return hi * 16 + lo;
}

int32_t TextParseHex16(const char* text) {
    return static_cast<int32_t>(HexPairs(text, 2));
}
int32_t TextParseHex24(const char* text) {
    return static_cast<int32_t>(HexPairs(text, 3));
}
int64_t TextParseHex32(const char* text) {
    return HexPairs(text, 4);
}

int32_t TextParseHundredths(const char* text) {
    const char* begin = text;
    const char* end = text + std::strlen(text);
    if (begin != end && *begin == '+') {
        ++begin; // from_chars takes no plus sign
    }
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(begin, end, v, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        return (begin != end && *begin == '-') ? INT32_MIN : INT32_MAX;
    }
    if (ec != std::errc() || !std::isfinite(v)) {
        return 0;
    }
    const double scaled = v * 100.0 + 0.5;
    if (scaled >= 2147483647.0) {
        return INT32_MAX;
    }
    if (scaled <= -2147483648.0) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(scaled); // truncated toward zero
}

} // namespace core
