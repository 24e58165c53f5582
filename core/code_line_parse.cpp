#include "core/code_line_parse.h"

#include "core/code_store.h"
#include "core/line_reader.h"
#include "core/number_parse.h"
#include "platform/ascii.h"

#include <array>
#include <cstring>

namespace core {

namespace {

// The value of each character as a hex digit, -1 for the others: the
// parsers look up every character of a file.
constexpr std::array<int8_t, 256> kHexValue = [] {
    std::array<int8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[static_cast<size_t>(c)] = static_cast<int8_t>(c >= '0' && c <= '9'   ? c - '0'
                                                            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                                   : -1);
    }
    return table;
}();

inline int32_t HexValue(char c) {
    return kHexValue[static_cast<unsigned char>(c)];
}

// The hex byte of the two characters at text, or -1.
inline int32_t HexByte(const char* text) {
    const int32_t hi = HexValue(text[0]);
    if (hi < 0) {
        return -1; // also stops before reading past a NUL
    }
    const int32_t lo = HexValue(text[1]);
    return lo < 0 ? -1 : hi * 16 + lo;
}

// What the line reader takes for a separator.
inline bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == ',' || c == '=';
}

// The characters that end a TI-TXT token: the end of the line, a comment,
// a separator.
constexpr std::array<bool, 256> kEndsToken = [] {
    std::array<bool, 256> table{};
    for (const char c : {'\0', ';', ' ', '\t', '\v', '\f', '\r', ',', '='}) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}();

// The hex byte at line[at], or -1 when the line ends before the pair.
int32_t ByteAt(const char* line, size_t length, size_t at) {
    return at + 2 <= length ? HexByte(line + at) : -1;
}

// The longest record: a count byte of 255 plus the bytes around the data.
constexpr size_t kMaxRecordBytes = 255 + 5;

// Decodes the hex pairs from line[from] into bytes and sums them modulo 256.
// False when a pair is not hex or the line ends before the last one.
bool DecodePairs(const char* line, size_t length, size_t from, size_t pairs, uint8_t* bytes,
                 uint32_t& sum) {
    if (pairs > kMaxRecordBytes || from + 2 * pairs > length) {
        return false;
    }
    sum = 0;
    for (size_t i = 0; i < pairs; ++i) {
        const int32_t b = HexByte(line + from + 2 * i);
        if (b < 0) {
            return false;
        }
        bytes[i] = static_cast<uint8_t>(b);
        sum += static_cast<uint32_t>(b);
    }
    sum &= 0xFF;
    return true;
}

// Big-endian value of n bytes.
uint32_t BigEndian(const uint8_t* bytes, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        v = v << 8 | bytes[i];
    }
    return v;
}

// Characters of the token at the front of text, up to a separator or a
// comment.
size_t TokenLength(const char* text) {
    size_t n = 0;
    while (!kEndsToken[static_cast<unsigned char>(text[n])]) {
        ++n;
    }
    return n;
}

// Only blanks may follow a record: a second record glued to the first, or
// the rest of a longer one, would otherwise be dropped without a word.
bool OnlyBlanksFrom(const char* line, size_t length, size_t from) {
    for (size_t i = from; i < length; ++i) {
        const char c = line[i];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\v' && c != '\f') {
            return false;
        }
    }
    return true;
}

// The most hex digits of a 32-bit address.
constexpr size_t kMaxAddressDigits = 8;

int32_t ParseTiTxt(int32_t mode, uint32_t& address) {
    char* line = LineReader.line;
    if (line[0] == '@') {
        // "@xyz" or "@0x1100" is no address: reading it as 0 would send the
        // bytes after it outside the flash with no more than a warning.
        const size_t digits = TokenLength(line + 1);
        if (digits == 0 || digits > kMaxAddressDigits) {
            return kLineBad;
        }
        for (size_t i = 1; i <= digits; ++i) {
            if (HexValue(line[i]) < 0) {
                return kLineBad;
            }
        }
        address = TextParseHex(line + 1);
        // An address line only sets the address: bytes after it would be
        // lost without a word.
        return LineNextToken(1) > 0 ? kLineBad : kLineDone;
    }
    if (line[0] == 'q' || line[0] == 'Q') {
        return kLineEndRecord;
    }
    // Token by token in place: the line starts at its first token, and a
    // token ends at a separator, a comment or the end of the line.
    const char* p = line;
    while (*p != '\0') {
        // "0102" is not two bytes, and storing its first one would drop
        // the second.
        const size_t n = TokenLength(p);
        const int32_t b = n == 2 ? HexByte(p) : -1;
        if (b < 0) {
            return kLineBad;
        }
        CodeImagePutByte(mode, static_cast<uint8_t>(b), address);
        ++address;
        p += n;
        while (IsSeparator(*p)) {
            ++p;
        }
        if (*p == ';' || *p == '#') {
            break; // the rest of the line is a comment
        }
    }
    return kLineDone;
}

int32_t ParseMotorola(int32_t mode, uint32_t& address) {
    const char* line = LineReader.line;
    const size_t length = std::strlen(line);
    if (length < 2 || platform::AsciiLower(line[0]) != 's') {
        return kLineBad;
    }
    size_t addressBytes;
    bool end = false;
    switch (line[1]) {
    case '0':
    case '5':
        return kLineDone;
    case '1':
    case '9':
        addressBytes = 2;
        break;
    case '2':
    case '8':
        addressBytes = 3;
        break;
    case '3':
    case '7':
        addressBytes = 4;
        break;
    default:
        return kLineBad;
    }
    // The end record is checked like any record: one glued to the front of
    // a data record must not end the file there.
    end = line[1] >= '7';
    const int32_t count = ByteAt(line, length, 2);
    if (count < 0 || static_cast<size_t>(count) < addressBytes + 1) {
        return kLineBad;
    }
    // Address, data and checksum after the count byte.
    uint8_t bytes[kMaxRecordBytes];
    uint32_t sum;
    if (!DecodePairs(line, length, 4, static_cast<size_t>(count), bytes, sum) ||
        ((sum + static_cast<uint32_t>(count)) & 0xFF) != 0xFF ||
        !OnlyBlanksFrom(line, length, 4 + 2 * static_cast<size_t>(count))) {
        return kLineBad;
    }
    if (end) {
        return kLineEndRecord;
    }
    uint32_t at = BigEndian(bytes, addressBytes);
    const size_t dataBytes = static_cast<size_t>(count) - addressBytes - 1;
    for (size_t i = 0; i < dataBytes; ++i) {
        CodeImagePutByte(mode, bytes[addressBytes + i], at);
        ++at;
    }
    address = at;
    return kLineDone;
}

int32_t ParseIntel(int32_t mode, uint32_t& address, uint32_t& base) {
    const char* line = LineReader.line;
    if (line[0] != ':') {
        return kLineDone;
    }
    const size_t length = std::strlen(line);
    const int32_t count = ByteAt(line, length, 1);
    // Count, address high and low, type, data, checksum; the end record
    // ":00000001FF" is one of them, and like them a whole line.
    uint8_t bytes[kMaxRecordBytes];
    uint32_t sum;
    if (count < 0 || !DecodePairs(line, length, 1, static_cast<size_t>(count) + 5, bytes, sum) ||
        sum != 0 || !OnlyBlanksFrom(line, length, 1 + 2 * (static_cast<size_t>(count) + 5))) {
        return kLineBad;
    }
    const uint32_t field = BigEndian(bytes + 1, 2);
    const uint8_t* data = bytes + 4;
    switch (bytes[3]) {
    case 0x00: {
        uint32_t at = base + field;
        for (int32_t i = 0; i < count; ++i) {
            CodeImagePutByte(mode, data[i], at);
            ++at;
        }
        address = at;
        return kLineDone;
    }
    case 0x01:
        // An end record with another address field still ends the file.
        return kLineEndRecord;
    case 0x02:
    case 0x04: {
        if (count < 2) {
            return kLineBad; // the base value is not there
        }
        const uint32_t value = BigEndian(data, 2);
        base = bytes[3] == 0x02 ? value << 4 : value << 16;
        return kLineDone;
    }
    default:
        return kLineDone; // start addresses and other types carry no code
    }
}

} // namespace

int32_t MotorolaCountRecord(const char* line) {
    const size_t length = std::strlen(line);
    if (length < 2 || platform::AsciiLower(line[0]) != 's' || line[1] != '5') {
        return -1;
    }
    uint8_t bytes[kMaxRecordBytes];
    uint32_t sum;
    if (ByteAt(line, length, 2) != 3 || !DecodePairs(line, length, 4, 3, bytes, sum) ||
        ((sum + 3) & 0xFF) != 0xFF || !OnlyBlanksFrom(line, length, 10)) {
        return -1;
    }
    return static_cast<int32_t>(BigEndian(bytes, 2));
}

int32_t CodeFileParseLine(int32_t format, int32_t mode, uint32_t& address, uint32_t& base) {
    switch (format) {
    case kFormatTiTxt:
        return ParseTiTxt(mode, address);
    case kFormatMotorola:
        return ParseMotorola(mode, address);
    case kFormatIntelHex:
        return ParseIntel(mode, address, base);
    default:
        return kLineBad;
    }
}

} // namespace core
