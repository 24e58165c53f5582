#pragma once
// Fixed-size little-endian byte blocks. The device records travel to the
// adapter and to the caller of the identify operation as raw bytes, so their
// layout is defined by byte offsets, never by a compiler's struct packing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace core {

inline uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void StoreU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// A block of N bytes with offset accessors. The offsets are template
// arguments so that a field placed past the end of its block fails to compile.
template <std::size_t N> class LeBlock {
public:
    static constexpr std::size_t kSize = N;

    std::span<const uint8_t, N> Bytes() const { return bytes_; }
    std::span<uint8_t, N> MutableBytes() { return bytes_; }
    void Clear() { bytes_.fill(0); }

    bool operator==(const LeBlock&) const = default;

protected:
    template <std::size_t Offset> uint8_t U8() const {
        static_assert(Offset + 1 <= N);
        return bytes_[Offset];
    }
    template <std::size_t Offset> uint16_t U16() const {
        static_assert(Offset + 2 <= N);
        return LoadU16(&bytes_[Offset]);
    }
    template <std::size_t Offset> uint32_t U32() const {
        static_assert(Offset + 4 <= N);
        return LoadU32(&bytes_[Offset]);
    }
    template <std::size_t Offset> void SetU8(uint8_t v) {
        static_assert(Offset + 1 <= N);
        bytes_[Offset] = v;
    }
    template <std::size_t Offset> void SetU16(uint16_t v) {
        static_assert(Offset + 2 <= N);
        StoreU16(&bytes_[Offset], v);
    }
    template <std::size_t Offset> void SetU32(uint32_t v) {
        static_assert(Offset + 4 <= N);
        StoreU32(&bytes_[Offset], v);
    }

    std::array<uint8_t, N> bytes_{};
};

} // namespace core
