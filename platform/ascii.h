#pragma once
// ASCII-only character classes, case folding and comparison. Names, keys,
// serial numbers and file keywords are read and compared this way whatever
// the process locale says (Quillbay runs in the environment's), so a
// Turkish or decimal-comma locale never changes how a file reads or which
// serial numbers count as the same.

#include <cstddef>
#include <string_view>

namespace platform {

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool AsciiIsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool AsciiIsHexDigit(char c) {
    return AsciiIsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

constexpr bool AsciiIsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Blank, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool AsciiIsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr bool BeginsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

} // namespace platform
