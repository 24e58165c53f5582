#include "ubrof/record_cursor.h"

#include "ubrof/code_map.h"
#include "ubrof/fatal.h"
#include "ubrof/leb128.h"
#include "ubrof/read_helpers.h"

namespace ubrof {

void RecordCursor::Need(size_t count) const {
    if (count > size_ - position_) {
        UbrofFatal(kUbrofRecordEnd);
    }
}

uint8_t RecordCursor::Byte() {
    Need(1);
    return data_[position_++];
}

uint16_t RecordCursor::U16() {
    const unsigned high = Byte();
    return static_cast<uint16_t>((high << 8) | Byte());
}

uint32_t RecordCursor::U32() {
    const uint32_t high = U16();
    return (high << 16) | U16();
}

uint32_t RecordCursor::Uleb() {
    return UbrofDecodeUleb([this] { return Byte(); });
}

int32_t RecordCursor::Sleb() {
    uint32_t value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        const uint8_t b = Byte();
        value |= static_cast<uint32_t>(b & 0x7F) << shift;
        if ((b & 0x80) == 0) {
            const int filled = shift + 7;
            if (filled < 32 && (b & 0x40) != 0) {
                value |= ~uint32_t{0} << filled;
            }
            return static_cast<int32_t>(value);
        }
    }
    UbrofFatal(kUbrofIllegalLeb128);
}

TaggedAddress RecordCursor::Address() {
    const uint8_t kind = Byte();
    const uint32_t index = Uleb();
    const uint32_t offset = Uleb();
    return TaggedAddress(kind & 7, index, offset);
}

int RecordCursor::CodeByte() {
    return ubrofCodeMap.Inverse(Byte());
}

std::time_t RecordCursor::Time() {
    Need(6);
    const std::time_t t = UbrofCalendarTime(data_ + position_);
    position_ += 6;
    return t;
}

std::string RecordCursor::String8() {
    const size_t count = Byte();
    Need(count);
    std::string text(reinterpret_cast<const char*>(data_ + position_), count);
    position_ += count;
    return text;
}

std::string RecordCursor::String() {
    const size_t count = Uleb();
    Need(count);
    std::string text(reinterpret_cast<const char*>(data_ + position_), count);
    position_ += count;
    return text;
}

std::vector<uint8_t> RecordCursor::ByteList8() {
    return Bytes(Byte());
}

std::vector<uint8_t> RecordCursor::Bytes(size_t count) {
    Need(count);
    std::vector<uint8_t> bytes(data_ + position_, data_ + position_ + count);
    position_ += count;
    return bytes;
}

std::vector<uint8_t> RecordCursor::Rest() {
    return Bytes(Left());
}

} // namespace ubrof
