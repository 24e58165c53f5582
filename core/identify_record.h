#pragma once
// The block the identify operation hands to its caller: 80 bytes,
// little-endian, marker 0xAA55 first. Callers copy any prefix of it, so every
// field keeps its offset.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/le_block.h"

namespace core {

class IdentifyRecord : public LeBlock<80> {
public:
    static constexpr uint16_t kMarker = 0xAA55;
    static constexpr std::size_t kNameOffset = 0x04;
    static constexpr std::size_t kNameSize = 32; // zero-terminated

    uint16_t Marker() const { return U16<0x00>(); }
    uint16_t Row() const { return U16<0x02>(); }
    // The name up to its terminating zero; at most 31 characters.
    std::string_view Name() const {
        const char* p = reinterpret_cast<const char*>(&bytes_[kNameOffset]);
        const void* end = std::memchr(p, 0, kNameSize - 1);
        const std::size_t n = end != nullptr
                                  ? static_cast<std::size_t>(static_cast<const char*>(end) - p)
                                  : kNameSize - 1;
        return std::string_view(p, n);
    }
    uint16_t MainStart() const { return U16<0x24>(); }
    uint16_t InfoStart() const { return U16<0x26>(); }
    uint16_t RamEnd() const { return U16<0x28>(); }
    uint16_t Emulation0() const { return U16<0x2A>(); }
    uint16_t Emulation3() const { return U16<0x2C>(); }
    uint16_t Emulation4() const { return U16<0x2E>(); }
    uint16_t OptionByte3() const { return U16<0x30>(); }
    uint16_t OptionByte4() const { return U16<0x32>(); }
    uint16_t SupplyMinimum() const { return U16<0x34>(); } // mV
    uint16_t SupplyMaximum() const { return U16<0x36>(); } // mV
    uint16_t TestPinFlag() const { return U16<0x38>(); }
    uint16_t RamStart() const { return U16<0x3A>(); }
    uint16_t Ram2Start() const { return U16<0x3C>(); }
    uint16_t Ram2End() const { return U16<0x3E>(); }
    uint16_t InfoEnd() const { return U16<0x40>(); }
    uint32_t MainEnd() const { return U32<0x42>(); } // the flash end
    uint16_t BslStart() const { return U16<0x46>(); }
    uint16_t BslEnd() const { return U16<0x48>(); }
    uint16_t Emulation1() const { return U16<0x4A>(); }
    uint16_t Emulation2() const { return U16<0x4C>(); }

    void SetMarker(uint16_t v) { SetU16<0x00>(v); }
    void SetRow(uint16_t v) { SetU16<0x02>(v); }
    // Stores the name zero-terminated and zero-padded; longer names are cut
    // at 31 characters so the terminator always fits.
    void SetName(std::string_view name) {
        const std::size_t n = name.size() < kNameSize - 1 ? name.size() : kNameSize - 1;
        std::memset(&bytes_[kNameOffset], 0, kNameSize);
        std::memcpy(&bytes_[kNameOffset], name.data(), n);
    }
    void SetMainStart(uint16_t v) { SetU16<0x24>(v); }
    void SetInfoStart(uint16_t v) { SetU16<0x26>(v); }
    void SetRamEnd(uint16_t v) { SetU16<0x28>(v); }
    void SetEmulation0(uint16_t v) { SetU16<0x2A>(v); }
    void SetEmulation3(uint16_t v) { SetU16<0x2C>(v); }
    void SetEmulation4(uint16_t v) { SetU16<0x2E>(v); }
    void SetOptionByte3(uint16_t v) { SetU16<0x30>(v); }
    void SetOptionByte4(uint16_t v) { SetU16<0x32>(v); }
    void SetSupplyMinimum(uint16_t v) { SetU16<0x34>(v); }
    void SetSupplyMaximum(uint16_t v) { SetU16<0x36>(v); }
    void SetTestPinFlag(uint16_t v) { SetU16<0x38>(v); }
    void SetRamStart(uint16_t v) { SetU16<0x3A>(v); }
    void SetRam2Start(uint16_t v) { SetU16<0x3C>(v); }
    void SetRam2End(uint16_t v) { SetU16<0x3E>(v); }
    void SetInfoEnd(uint16_t v) { SetU16<0x40>(v); }
    void SetMainEnd(uint32_t v) { SetU32<0x42>(v); }
    void SetBslStart(uint16_t v) { SetU16<0x46>(v); }
    void SetBslEnd(uint16_t v) { SetU16<0x48>(v); }
    void SetEmulation1(uint16_t v) { SetU16<0x4A>(v); }
    void SetEmulation2(uint16_t v) { SetU16<0x4C>(v); }

private:
    static_assert(kNameOffset + kNameSize == 0x24);
};

} // namespace core
