#pragma once
// The record that tells the adapter which device it drives (the data of the
// "set device" command). 74 bytes, little-endian; the offsets are a wire
// format shared with the adapter firmware and must not move.

#include <cstddef>
#include <cstdint>

#include "core/le_block.h"

namespace debugif {

class CurrentDeviceRecord : public core::LeBlock<74> {
public:
    static constexpr std::size_t kOptionsCount = 5;
    static constexpr std::size_t kBytePairCount = 6;

    uint16_t MainStart() const { return U16<0x00>(); }
    uint32_t MainEnd() const { return U32<0x02>(); }
    uint16_t InfoStart() const { return U16<0x06>(); }
    uint16_t InfoEnd() const { return U16<0x08>(); }
    uint16_t LayoutWord2() const { return U16<0x0A>(); }
    uint16_t RamStart() const { return U16<0x0C>(); }
    uint16_t RamEnd() const { return U16<0x0E>(); }
    uint16_t Ram2Start() const { return U16<0x10>(); }
    uint16_t Ram2End() const { return U16<0x12>(); }
    uint16_t Emulation0() const { return U16<0x14>(); }
    uint16_t Emulation3() const { return U16<0x16>(); }
    uint16_t Emulation4() const { return U16<0x18>(); }
    uint16_t Emulation5() const { return U16<0x1A>(); }
    uint16_t OptionByte3() const { return U16<0x1C>(); }
    uint16_t OptionByte4() const { return U16<0x1E>(); }
    uint16_t SupplyMinimum() const { return U16<0x20>(); } // mV
    uint16_t SupplyMaximum() const { return U16<0x22>(); } // mV
    uint16_t Supply2() const { return U16<0x24>(); }
    uint16_t Supply3() const { return U16<0x26>(); }
    uint16_t Supply4() const { return U16<0x28>(); }
    uint16_t TestPinFlag() const { return U16<0x2A>(); } // option byte [0]
    uint16_t OptionByte1() const { return U16<0x2C>(); }
    uint16_t OptionByte2() const { return U16<0x2E>(); }
    // Option bytes [5] and [6] lie in swapped order; the adapter reads them so.
    uint16_t OptionByte6() const { return U16<0x30>(); }
    uint16_t OptionByte5() const { return U16<0x32>(); }
    uint16_t OptionByte7() const { return U16<0x34>(); }
    uint16_t OptionByte8() const { return U16<0x36>(); }
    uint16_t OptionByte9() const { return U16<0x38>(); }
    // Options [0] to [4]; an index out of range reads 0.
    uint16_t Options(std::size_t i) const {
        return i < kOptionsCount ? core::LoadU16(&bytes_[kOptionsOffset + 2 * i]) : 0;
    }
    // Low bytes of the byte pairs [0] to [5]; an index out of range reads 0.
    uint8_t BytePairLow(std::size_t i) const {
        return i < kBytePairCount ? bytes_[kBytePairOffset + i] : 0;
    }

    void SetMainStart(uint16_t v) { SetU16<0x00>(v); }
    void SetMainEnd(uint32_t v) { SetU32<0x02>(v); }
    void SetInfoStart(uint16_t v) { SetU16<0x06>(v); }
    void SetInfoEnd(uint16_t v) { SetU16<0x08>(v); }
    void SetLayoutWord2(uint16_t v) { SetU16<0x0A>(v); }
    void SetRamStart(uint16_t v) { SetU16<0x0C>(v); }
    void SetRamEnd(uint16_t v) { SetU16<0x0E>(v); }
    void SetRam2Start(uint16_t v) { SetU16<0x10>(v); }
    void SetRam2End(uint16_t v) { SetU16<0x12>(v); }
    void SetEmulation0(uint16_t v) { SetU16<0x14>(v); }
    void SetEmulation3(uint16_t v) { SetU16<0x16>(v); }
    void SetEmulation4(uint16_t v) { SetU16<0x18>(v); }
    void SetEmulation5(uint16_t v) { SetU16<0x1A>(v); }
    void SetOptionByte3(uint16_t v) { SetU16<0x1C>(v); }
    void SetOptionByte4(uint16_t v) { SetU16<0x1E>(v); }
    void SetSupplyMinimum(uint16_t v) { SetU16<0x20>(v); }
    void SetSupplyMaximum(uint16_t v) { SetU16<0x22>(v); }
    void SetSupply2(uint16_t v) { SetU16<0x24>(v); }
    void SetSupply3(uint16_t v) { SetU16<0x26>(v); }
    void SetSupply4(uint16_t v) { SetU16<0x28>(v); }
    void SetTestPinFlag(uint16_t v) { SetU16<0x2A>(v); }
    void SetOptionByte1(uint16_t v) { SetU16<0x2C>(v); }
    void SetOptionByte2(uint16_t v) { SetU16<0x2E>(v); }
    void SetOptionByte6(uint16_t v) { SetU16<0x30>(v); }
    void SetOptionByte5(uint16_t v) { SetU16<0x32>(v); }
    void SetOptionByte7(uint16_t v) { SetU16<0x34>(v); }
    void SetOptionByte8(uint16_t v) { SetU16<0x36>(v); }
    void SetOptionByte9(uint16_t v) { SetU16<0x38>(v); }
    void SetOptions(std::size_t i, uint16_t v) {
        if (i < kOptionsCount) {
            core::StoreU16(&bytes_[kOptionsOffset + 2 * i], v);
        }
    }
    void SetBytePairLow(std::size_t i, uint8_t v) {
        if (i < kBytePairCount) {
            bytes_[kBytePairOffset + i] = v;
        }
    }

private:
    static constexpr std::size_t kOptionsOffset = 0x3A;
    static constexpr std::size_t kBytePairOffset = 0x44;
    static_assert(kOptionsOffset + 2 * kOptionsCount == kBytePairOffset);
    static_assert(kBytePairOffset + kBytePairCount == kSize);
};

} // namespace debugif
