#pragma once

#include <compare>
#include <cstdint>

namespace ubrof {

// An address in a UBROF file: a signed 3-bit kind in the low bits of one
// word with a 29-bit index above it, plus a 32-bit offset. Ordered by kind
// (as a signed value), then index, then offset.
struct TaggedAddress {
    uint32_t word = 0;
    uint32_t offset = 0;

    TaggedAddress() = default;
    // The index keeps its low 29 bits.
    TaggedAddress(int32_t kind, uint32_t index, uint32_t offsetValue)
        : word((index << 3) | (static_cast<uint32_t>(kind) & 7)), offset(offsetValue) {}

    int32_t Kind() const {
        const int32_t k = static_cast<int32_t>(word & 7);
        return k >= 4 ? k - 8 : k;
    }
    uint32_t Index() const { return word >> 3; }

    friend bool operator==(const TaggedAddress& a, const TaggedAddress& b) {
        return a.word == b.word && a.offset == b.offset;
    }
    friend std::strong_ordering operator<=>(const TaggedAddress& a, const TaggedAddress& b) {
        if (auto c = a.Kind() <=> b.Kind(); c != 0) {
            return c;
        }
        if (auto c = a.Index() <=> b.Index(); c != 0) {
            return c;
        }
        return a.offset <=> b.offset;
    }
};

} // namespace ubrof
