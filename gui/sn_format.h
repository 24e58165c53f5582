#pragma once
// Serial numbers as text and as bytes: the coming SN's text and caption, the
// bytes for the target, the parsing of a typed or scanned SN, and the
// decoding of bytes read back from a target. Nothing here wraps, caps or
// masks a number: an SN that does not fit its type and byte mode is refused.

#include <cstdint>
#include <string>
#include <string_view>

namespace gui {

// The largest counter the current type and byte mode store: 9999 in the
// decimal modes (BCD, ASCII) and for type 5, 65535 in the hex modes.
uint32_t SnCounterMax(int32_t type, int32_t mode);
// The largest whole number of type 2: 99999999 in the decimal modes,
// 0xFFFFFFFF in the hex modes.
uint32_t SnNumberMax(int32_t mode);
// The largest NextSerialNumber the current setup can write (types 6 and 7
// have none: 0xFFFFFFFF).
uint32_t SnNextMax();
bool SnIsHexMode(int32_t mode); // 0, 3, 4 and any value outside 1..4

// The coming SN as text, in full also when it is over the limit.
std::string SerialNumberFormat();
std::string SerialNumberFormatCaption();

// Why the last SerialNumberPack or SerialNumberFromText refused its SN
// (SerialNumber.SnRefusal; kSnRefusedNone after one that packed).
inline constexpr int32_t kSnRefusedNone = 0;
inline constexpr int32_t kSnRefusedBlank = 1; // its bytes read as a blank SN location
inline constexpr int32_t kSnRefusedRange = 2; // beyond what the type and byte mode store
inline constexpr int32_t kSnRefusedText = 3;  // not an SN of the type and byte mode

// The end of the report line that says why SN text was refused:
// " would read as blank flash: it is not written.", ...
std::string SnRefusalText(int32_t refusal);

// True when bytes (count of them, the SN location) read as blank, as the
// SN reader takes them: every byte 0xFF, or, for the number types, the
// first word 0xFFFF (and for type 2 the second as well). Such an SN could
// not be told from none, so it is never written.
bool SnBytesBlank(const uint8_t* bytes, int32_t count);

// Fills core::SerialData's SN bytes and count from the date part D and the
// counter C of the current type and mode. 0 (count 0) when they do not fit
// or would read as blank.
int32_t SerialNumberPack(uint32_t d, uint32_t c);

// SerialNumberPack of the number n of a number SN (types 0-5) with the
// date parts of SerialNumber.SnDateParts, split as the type splits it.
int32_t SnPackNumber(uint32_t n);

// Parses an SN typed, scanned or displayed into the SN bytes and
// SerialNumberText (a number SN as its bytes read back, without leading
// blanks). 0, with nothing packed and SerialNumberText empty, for an SN over
// capacity, a number SN (types 0-5) with no digit or extra digits, a
// custom SN holding ',', '=', ';', '#', a blank or a control character,
// shorter than Custom_SN_size, or not hexadecimal in a hex mode, and an SN
// whose bytes would read as blank.
int32_t SerialNumberFromText(std::string_view text);

// A number SN (types 0-5) in the one spelling SerialNumberFromText records
// (the text itself when it does not parse); custom SNs unchanged.
std::string SnCanonicalText(std::string_view text);

// The SN text that bytes hold for the current type and mode, as
// SerialNumberFormat would show it. 0 when they are blank or not valid.
int32_t SnDecodeBytes(const uint8_t* bytes, std::string& text);

// Decodes the SN at SNStartAddress in ReadImage into SnReadBackText.
int32_t SerialNumberFromMemory();

// Filters a text the operator typed: at most 264 characters (hex custom
// SNs lower-cased), only digits (types 0-5) or '!'..'~' (types 6, 7), padded with blanks to
// 256 and cut at SnTextLength.
std::string SerialNumberTextClean(std::string_view text);

// True when c may stand in a custom SN: '!'..'~' except ',', '=', ';', '#'
// (the history's and the list file's separators and comment marks).
bool SnCustomCharAllowed(char c);

} // namespace gui

namespace gui {

// Bytes an SN of the type and mode takes in flash: 4 (type 3: 2; BCD type 5:
// 5); ASCII 8 (type 3: 4, type 4: 9, type 5: 10); custom types
// Custom_SN_size / 2 in the hex modes, else Custom_SN_size.
int32_t SnUsedSize(int32_t type, int32_t mode, int32_t customSize);

} // namespace gui
