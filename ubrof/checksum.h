#pragma once

#include <array>
#include <cstdint>

namespace ubrof {

// The running CRC-16 of a UBROF file: polynomial 0x8005, initial value 0,
// the bits of each byte entering a most-significant-first register least
// significant bit first. The result is not reflected at the end.
class UbrofChecksum {
public:
    void Update(uint8_t byte) {
        crc_ = static_cast<uint16_t>(((crc_ << 8) & 0xFFFF) ^ kReflectedTable[byte] ^
                                     kTable[crc_ >> 8]);
    }
    uint16_t Value() const { return crc_; }
    void Reset() { crc_ = 0; }

    using Table = std::array<uint16_t, 256>;
    // The most-significant-first table of the polynomial...
    static const Table kTable;
    // ...and the same table indexed through the bit reversal of the byte.
    static const Table kReflectedTable;

private:
    uint16_t crc_ = 0;
};

} // namespace ubrof
