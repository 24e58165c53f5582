#pragma once
// The model text's two text forms: its bytes as characters, or as
// hexadecimal pairs ("%2.2X " per byte). Both handle at most 32 bytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

inline constexpr int32_t kModelTextHexMode = 1; // any other mode is the character form
inline constexpr int32_t kModelTextBytesMax = 32;

// text = the first count bytes (clamped to 0..32). Mode 1: "%2.2X " per
// byte. Other modes: the bytes as characters, ended early by a 0xFF byte (the
// erased-flash value) or a NUL. Returns the number of bytes converted.
int32_t BytesToText(int32_t mode, int32_t count, const uint8_t* bytes, std::string& text);

// Fills count bytes (clamped to 0..32) from text. Mode 1: one byte per
// hexadecimal token (the line reader's separators; ';' ends the text; a
// token's low 8 bits). Other modes: the characters up to a NUL or the end of
// text. Bytes the text does not reach become 0. Returns the number of bytes
// taken from the text.
int32_t BytesFromText(int32_t mode, int32_t count, std::string_view text, uint8_t* bytes);

} // namespace core
