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

// What may stand after a record.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
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

// What is wrong with a bad line, in the words the operator reads after its
// line number.
constexpr const char* kWhyDigit = "bad hex digit";
constexpr const char* kWhyShort = "record shorter than its length field";
constexpr const char* kWhyChecksum = "checksum error";
constexpr const char* kWhyAfterRecord = "text after the record's checksum";
constexpr const char* kWhyType = "unknown record type";
constexpr const char* kWhyCountSmall = "length field too small for the record type";
constexpr const char* kWhyType02Length = "type 02 record length must be 2";
constexpr const char* kWhyType04Length = "type 04 record length must be 2";
constexpr const char* kWhyAddress = "bad address (1 to 8 hex digits after '@')";
constexpr const char* kWhyAfterAddress = "text after the address";
constexpr const char* kWhyByte = "a data byte is not two hex digits";
constexpr const char* kWhyComment = "a comment on a line of data bytes";
constexpr const char* kWhyFormat = "not a code-file line format";

inline int32_t Bad(const char** why, const char* text) {
    if (why != nullptr) {
        *why = text;
    }
    return kLineBad;
}

// The hex byte at line[at], or -1 when the line ends before the pair.
int32_t ByteAt(const char* line, size_t length, size_t at) {
    return at + 2 <= length ? HexByte(line + at) : -1;
}

// Why there is no hex byte at line[at]: a character that is not a digit, or
// the end of the line.
const char* NoByteAt(const char* line, size_t length, size_t at) {
    for (size_t i = at; i < at + 2 && i < length; ++i) {
        if (HexValue(line[i]) < 0) {
            return kWhyDigit;
        }
    }
    return kWhyShort;
}

// The longest record: a count byte of 255 plus the bytes around the data.
constexpr size_t kMaxRecordBytes = 255 + 5;

// Decodes the hex pairs from line[from] into bytes and sums them modulo 256.
// nullptr when done, else why not: a pair that is not hex, or a line that
// ends before the last pair.
const char* DecodePairs(const char* line, size_t length, size_t from, size_t pairs, uint8_t* bytes,
                        uint32_t& sum) {
    // Blanks after the record do not belong to it.
    size_t end = length;
    while (end > from && IsBlank(line[end - 1])) {
        --end;
    }
    if (pairs > kMaxRecordBytes || from + 2 * pairs > end) {
        // The digits that are there may already be wrong.
        for (size_t i = from; i < end; ++i) {
            if (HexValue(line[i]) < 0) {
                return kWhyDigit;
            }
        }
        return kWhyShort;
    }
    sum = 0;
    for (size_t i = 0; i < pairs; ++i) {
        const int32_t b = HexByte(line + from + 2 * i);
        if (b < 0) {
            return kWhyDigit;
        }
        bytes[i] = static_cast<uint8_t>(b);
        sum += static_cast<uint32_t>(b);
    }
    sum &= 0xFF;
    return nullptr;
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
        if (!IsBlank(line[i])) {
            return false;
        }
    }
    return true;
}

// The most hex digits of a 32-bit address.
constexpr size_t kMaxAddressDigits = 8;

int32_t ParseTiTxt(int32_t mode, uint32_t& address, const char** why) {
    char* line = LineReader.line;
    if (line[0] == '@') {
        // "@xyz" or "@0x1100" is no address: reading it as 0 would send the
        // bytes after it outside the flash with no more than a warning.
        const size_t digits = TokenLength(line + 1);
        if (digits == 0 || digits > kMaxAddressDigits) {
            return Bad(why, kWhyAddress);
        }
        for (size_t i = 1; i <= digits; ++i) {
            if (HexValue(line[i]) < 0) {
                return Bad(why, kWhyAddress);
            }
        }
        address = TextParseHex(line + 1);
        // An address line only sets the address: bytes after it would be
        // lost without a word.
        return LineNextToken(1) > 0 ? Bad(why, kWhyAfterAddress) : kLineDone;
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
            return Bad(why, n == 2 ? kWhyDigit : kWhyByte);
        }
        CodeImagePutByte(mode, static_cast<uint8_t>(b), address);
        ++address;
        p += n;
        while (IsSeparator(*p)) {
            ++p;
        }
        if (*p == ';' || *p == '#') {
            // A data line holds bytes only: what follows a comment sign
            // may be bytes, and dropping them would shift every later one.
            return Bad(why, kWhyComment);
        }
    }
    return kLineDone;
}

int32_t ParseMotorola(int32_t mode, uint32_t& address, const char** why) {
    const char* line = LineReader.line;
    const size_t length = std::strlen(line);
    if (length < 2 || platform::AsciiLower(line[0]) != 's') {
        return Bad(why, kWhyType);
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
        return Bad(why, kWhyType);
    }
    // The end record is checked like any record: one glued to the front of
    // a data record must not end the file there.
    end = line[1] >= '7';
    const int32_t count = ByteAt(line, length, 2);
    if (count < 0) {
        return Bad(why, NoByteAt(line, length, 2));
    }
    if (static_cast<size_t>(count) < addressBytes + 1) {
        return Bad(why, kWhyCountSmall);
    }
    // Address, data and checksum after the count byte.
    uint8_t bytes[kMaxRecordBytes];
    uint32_t sum;
    if (const char* fault = DecodePairs(line, length, 4, static_cast<size_t>(count), bytes, sum)) {
        return Bad(why, fault);
    }
    if (((sum + static_cast<uint32_t>(count)) & 0xFF) != 0xFF) {
        return Bad(why, kWhyChecksum);
    }
    if (!OnlyBlanksFrom(line, length, 4 + 2 * static_cast<size_t>(count))) {
        return Bad(why, kWhyAfterRecord);
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

int32_t ParseIntel(int32_t mode, uint32_t& address, uint32_t& base, const char** why) {
    const char* line = LineReader.line;
    if (line[0] != ':') {
        return kLineDone;
    }
    const size_t length = std::strlen(line);
    const int32_t count = ByteAt(line, length, 1);
    if (count < 0) {
        return Bad(why, NoByteAt(line, length, 1));
    }
    // Count, address high and low, type, data, checksum; the end record
    // ":00000001FF" is one of them, and like them a whole line.
    uint8_t bytes[kMaxRecordBytes];
    uint32_t sum;
    if (const char* fault =
            DecodePairs(line, length, 1, static_cast<size_t>(count) + 5, bytes, sum)) {
        return Bad(why, fault);
    }
    if (sum != 0) {
        return Bad(why, kWhyChecksum);
    }
    if (!OnlyBlanksFrom(line, length, 1 + 2 * (static_cast<size_t>(count) + 5))) {
        return Bad(why, kWhyAfterRecord);
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
        // The base is the two data bytes; a record of any other length is
        // not one a tool wrote, and its other bytes would be dropped.
        if (count != 2) {
            return Bad(why, bytes[3] == 0x02 ? kWhyType02Length : kWhyType04Length);
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
    if (ByteAt(line, length, 2) != 3 || DecodePairs(line, length, 4, 3, bytes, sum) != nullptr ||
        ((sum + 3) & 0xFF) != 0xFF || !OnlyBlanksFrom(line, length, 10)) {
        return -1;
    }
    return static_cast<int32_t>(BigEndian(bytes, 2));
}

int32_t CodeFileParseLine(int32_t format, int32_t mode, uint32_t& address, uint32_t& base,
                          const char** why) {
    switch (format) {
    case kFormatTiTxt:
        return ParseTiTxt(mode, address, why);
    case kFormatMotorola:
        return ParseMotorola(mode, address, why);
    case kFormatIntelHex:
        return ParseIntel(mode, address, base, why);
    default:
        return Bad(why, kWhyFormat);
    }
}

} // namespace core
