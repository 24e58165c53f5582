#include "core/passwords.h"

#include "core/code_image.h"
#include "core/number_parse.h"
#include "core/settings.h"

namespace core {

PasswordState Passwords = [] {
    PasswordState p{};
    p.Reset();
    return p;
}();

namespace {

// The hex byte of pair i, -1 when it is not hex or the text ends before it.
int32_t PairByte(std::string_view text, int32_t i) {
    const size_t at = 2 * static_cast<size_t>(i);
    if (at + 1 >= text.size()) {
        return -1;
    }
    const char pair[3] = {text[at], text[at + 1], '\0'};
    return TextParseHexByte(pair);
}

bool IsByte(int32_t v) {
    return v >= 0 && v <= 0xFF;
}

// Text form of 32 entries; returns the number of defined ones.
int32_t ToHexText(const int32_t* entries, std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    text.assign(2 * kPasswordSize, '.');
    int32_t defined = 0;
    for (int32_t i = 0; i < kPasswordSize; ++i) {
        if (IsByte(entries[i])) {
            text[2 * i] = kHex[entries[i] >> 4];
            text[2 * i + 1] = kHex[entries[i] & 0xF];
            ++defined;
        }
    }
    return defined;
}

} // namespace

void PasswordState::Reset() {
    *this = PasswordState{};
    // Undefined is -1, which no initialiser of an array writes.
    for (int32_t i = 0; i < kPasswordSize; ++i) {
        BslPassword[i] = -1;
        CodePassword[i] = -1;
        AppendPasswData[i] = -1;
    }
}

void PasswordClear() {
    for (int32_t& e : Passwords.BslPassword) {
        e = -1;
    }
    Passwords.PasswordComplete = 0;
}

void PasswordFromHexText(std::string_view text) {
    for (int32_t i = 0; i < kPasswordSize; ++i) {
        const size_t at = 2 * static_cast<size_t>(i);
        Passwords.BslPassword[i] = (at < text.size() && text[at] == '.') ? -1 : PairByte(text, i);
    }
}

void PasswordToHexText(std::string& text) {
    Passwords.PasswordComplete = ToHexText(Passwords.BslPassword, text) > 30 ? 1 : 0;
}

void AppendPasswDataFromHexText(std::string_view text) {
    for (int32_t i = 0; i < kPasswordSize; ++i) {
        Passwords.AppendPasswData[i] = PairByte(text, i);
    }
}

void AppendPasswDataToHexText(std::string& text) {
    (void)ToHexText(Passwords.AppendPasswData, text);
}

void PasswordFromCodeImage() {
    const ImageBytes& code = Images.CodeImage;
    for (int32_t i = 0; i < kPasswordSize; ++i) {
        const int32_t at = ImageIndex(kPasswordStart + i);
        int32_t value = code.data[at];
        if (Settings.BSLAppendPasswordEn == 1 && code.used[at] == 0 &&
            IsByte(Passwords.AppendPasswData[i])) {
            value = Passwords.AppendPasswData[i];
        }
        Passwords.CodePassword[i] = value;
    }
}

} // namespace core
