#pragma once
// The 32 password bytes at 0xFFE0..0xFFFF: the BSL password from a password
// file, the same bytes as the code image gives them, and the setup's bytes
// appended where the code leaves them undefined. Text form: 64 characters,
// entry i at characters 2i and 2i+1, "%2.2X" of the byte or ".." when
// undefined.

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

inline constexpr int32_t kPasswordStart = 0xFFE0;
inline constexpr int32_t kPasswordSize = 32;

struct PasswordState {
    int32_t BslPassword[kPasswordSize]{};     // -1 = undefined
    int32_t PasswordComplete = 0;             // the text form holds more than 30 defined bytes
    int32_t CodePassword[kPasswordSize]{};    // as the code image gives them
    int32_t AppendPasswData[kPasswordSize]{}; // setup bytes, -1 = undefined

    void Reset(); // every entry -1, PasswordComplete 0
};

extern PasswordState Passwords;

// Every BslPassword entry -1; PasswordComplete 0.
void PasswordClear();

// Entry i = -1 when character 2i is '.', else the hex byte of the pair (-1
// when not hex). Pairs the text does not reach are undefined.
void PasswordFromHexText(std::string_view text);
// Writes the text form of BslPassword; PasswordComplete = more than 30
// entries defined.
void PasswordToHexText(std::string& text);

// Entry i = the hex byte of pair i (-1 when not hex, so ".." gives -1, as do
// pairs the text does not reach).
void AppendPasswDataFromHexText(std::string_view text);
void AppendPasswDataToHexText(std::string& text);

// CodePassword[i] = the code byte at 0xFFE0 + i; with BSLAppendPasswordEn 1,
// an address the code leaves undefined takes AppendPasswData[i] when that is
// a byte.
void PasswordFromCodeImage();

} // namespace core
