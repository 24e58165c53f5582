#pragma once
// Number parsers of the text readers. None of them depends on the locale.

#include <cstdint>
#include <string_view>

namespace core {

// The value of one hexadecimal digit (either case), or -1 for any other
// character.
int32_t TextHexDigit(char c);

// Decimal, or hexadecimal after "0x"/"0X"; up to 20 leading blanks or TABs
// are skipped. Decimal: leading white space, optional sign, digits; values
// beyond the int32 range saturate. Hexadecimal values above 0x7FFFFFFF come
// back as their two's-complement int32.
int32_t TextParseNumber(const char* text);

// Hexadecimal digits (either case) until the first other character; more
// than 8 digits keep the low 32 bits.
uint32_t TextParseHex(const char* text);

// A number written with "0x" (either case): the hex digits after it until the
// first other character. False, with value untouched, when the text does not
// begin with "0x". A number beyond 32 bits saturates at 0x100000000 instead of
// keeping its low bits, so that it cannot wrap round to a small address.
bool TextParseHexPrefixed(std::string_view text, int64_t& value);

// Two hex characters -> 0..255, or -1 when either is not a hex digit.
int32_t TextParseHexByte(const char* text);

// Big-endian value of 2, 3 or 4 hex byte pairs (4, 6 or 8 characters), or
// -1 when any pair is not hex. TextParseHex32 returns int64_t so that
// 0xFFFFFFFF stays apart from the failure value.
int32_t TextParseHex16(const char* text);
int32_t TextParseHex24(const char* text);
int64_t TextParseHex32(const char* text);

// A decimal fraction such as "1.8" in hundredths (V * 100 + 0.5, truncated):
// 180. The decimal mark is always '.'. Returns 0 for a text that is not a
// number; results saturate at the int32 range.
int32_t TextParseHundredths(const char* text);

} // namespace core
