#pragma once
// The fuzzers' reader of their input: bytes and little-endian numbers from
// the front, zeros once it is used up, so every input drives a whole run.

#include <cstddef>
#include <cstdint>

namespace testsupport {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t Half() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
    uint32_t Word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= static_cast<uint32_t>(Byte()) << (8 * i);
        }
        return v;
    }
    int32_t Int() { return static_cast<int32_t>(Word()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

} // namespace testsupport
