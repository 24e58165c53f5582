#include "ubrof/read_helpers.h"

#include <algorithm>

#include "ubrof/fatal.h"
#include "ubrof/leb128.h"

namespace ubrof {

namespace UbrofReadHelpers {

uint8_t Byte(std::istream& in) {
    // Straight from the buffer: a sentry per byte would cost more than the
    // byte's checksum.
    const std::istream::int_type c = in.rdbuf()->sbumpc();
    if (c == std::istream::traits_type::eof()) {
        UbrofFatal(kUbrofUnexpectedEnd);
    }
    return static_cast<uint8_t>(c);
}

uint16_t U16(std::istream& in) {
    const unsigned high = Byte(in);
    return static_cast<uint16_t>((high << 8) | Byte(in));
}

uint32_t U32(std::istream& in) {
    const uint32_t high = U16(in);
    return (high << 16) | U16(in);
}

uint32_t Uleb(std::istream& in) {
    return UbrofDecodeUleb([&in] { return Byte(in); });
}

uint32_t Index(std::istream& in, uint8_t indexWidth) {
    return indexWidth == 1 ? Uleb(in) : U16(in);
}

std::time_t Time(std::istream& in) {
    uint8_t fields[6];
    for (uint8_t& f : fields) {
        f = Byte(in);
    }
    return UbrofCalendarTime(fields);
}

namespace {

std::string Text(std::istream& in, uint32_t count) {
    CheckLeft(in, count);
    std::string text;
    text.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        text.push_back(static_cast<char>(Byte(in)));
    }
    return text;
}

} // namespace

std::string String8(std::istream& in) {
    return Text(in, Byte(in));
}

std::string String16(std::istream& in) {
    return Text(in, U16(in));
}

namespace {

// Appends count bytes of the stream to bytes, a block at a time; a stream
// that ends first is a format error.
void Append(std::istream& in, uint64_t count, std::vector<uint8_t>& bytes, bool keep) {
    constexpr uint64_t kBlock = 4096;
    uint8_t scratch[kBlock];
    while (count > 0) {
        const uint64_t n = std::min(count, kBlock);
        uint8_t* to = scratch;
        if (keep) {
            bytes.resize(bytes.size() + n);
            to = bytes.data() + bytes.size() - n;
        }
        const std::streamsize got =
            in.rdbuf()->sgetn(reinterpret_cast<char*>(to), static_cast<std::streamsize>(n));
        if (got != static_cast<std::streamsize>(n)) {
            UbrofFatal(kUbrofUnexpectedEnd);
        }
        count -= n;
    }
}

} // namespace

std::vector<uint8_t> Bytes(std::istream& in, uint32_t count) {
    CheckLeft(in, count);
    std::vector<uint8_t> bytes;
    // When the stream cannot tell its size the vector grows as bytes arrive.
    bytes.reserve(in.rdbuf()->in_avail() > 0 ? count : std::min<uint32_t>(count, 4096));
    Append(in, count, bytes, true);
    return bytes;
}

void Skip(std::istream& in, uint64_t count) {
    CheckLeft(in, count);
    std::vector<uint8_t> none;
    Append(in, count, none, false);
}

std::vector<uint8_t> Body(std::istream& in) {
    return Bytes(in, Uleb(in));
}

void CheckLeft(std::istream& in, uint64_t count) {
    if (count == 0) {
        return;
    }
    const std::streamsize avail = in.rdbuf()->in_avail();
    if (avail == 0) {
        return; // the buffer cannot tell
    }
    if (avail < 0 || static_cast<uint64_t>(avail) < count) {
        UbrofFatal(kUbrofUnexpectedEnd);
    }
}

} // namespace UbrofReadHelpers

std::time_t UbrofCalendarTime(const uint8_t fields[6]) {
    std::tm t{};
    t.tm_sec = fields[0];
    t.tm_min = fields[1];
    t.tm_hour = fields[2];
    t.tm_mday = fields[3];
    t.tm_mon = fields[4] - 1;
    t.tm_year = fields[5];
    t.tm_isdst = -1;
    return std::mktime(&t);
}

} // namespace ubrof
