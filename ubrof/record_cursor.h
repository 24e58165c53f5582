#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "ubrof/tagged_address.h"

namespace ubrof {

// A read position in a record body held in memory. The body's readers take
// exactly the fields that their layouts name; a field that would run past the
// end of the body is a format error ("Unexpected end of UBROF record").
class RecordCursor {
public:
    explicit RecordCursor(const std::vector<uint8_t>& body)
        : RecordCursor(body.data(), body.size()) {}
    RecordCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte();
    uint16_t U16();
    uint32_t U32();
    // Unsigned LEB128 of at most five bytes whose value fits 32 bits.
    uint32_t Uleb();
    // Signed LEB128: sign-extended from the filled width when fewer than 32
    // bits were filled and bit 6 of the last byte is set.
    int32_t Sleb();
    // Byte kind (low 3 bits), Uleb index, Uleb offset.
    TaggedAddress Address();
    // A segment code mapped to its internal kind.
    int CodeByte();
    // Six bytes of time, as a calendar time.
    std::time_t Time();
    // A one-byte length and that many bytes of text.
    std::string String8();
    // A Uleb length and that many bytes of text.
    std::string String();
    // A one-byte count and that many bytes.
    std::vector<uint8_t> ByteList8();
    std::vector<uint8_t> Bytes(size_t count);
    // Everything from the position to the end of the body.
    std::vector<uint8_t> Rest();

    size_t Position() const { return position_; }
    size_t Left() const { return size_ - position_; }
    bool AtEnd() const { return position_ == size_; }

private:
    void Need(size_t count) const;

    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

} // namespace ubrof
