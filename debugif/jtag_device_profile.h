#pragma once
// What the JTAG routines need to know of the current device, one accessor
// per property. Memory ranges, the information-segment size and the SFR
// masks come from the current-device record; the rest from a per-type
// table of JTAG properties.

#include <cstdint>

namespace debugif {

struct JtagTypeTraits {
    bool cpux = false;       // 20-bit CPU
    bool eem = false;        // embedded emulation module
    uint8_t breakpoints = 2; // hardware breakpoints
    uint8_t clockControlKind = 0;
    bool pcGuard = false;    // the PC must leave RAM before RAM is written
    bool eemContext = false; // 0x0048, 0x01B0, 0x01B2 are kept on the host
    uint16_t psaMode = 0;
    uint16_t fuseBlowable = 1;
    uint16_t fusePin = 0;
    uint16_t fuseWord1 = 6500; // fuse-blow supply range, mV
    uint16_t fuseWord2 = 7000;
    bool flashTiming = false; // flash timing generator of its own
    bool testRegister = false;
    bool block0070 = false;
    uint16_t mainSegmentSize = 0x200;
    uint8_t clockSystemKind = 0; // 0 basic clock, 1 FLL, 2 unified clock
};

// The traits of a device type; a type outside the table reads as type 0.
JtagTypeTraits TraitsOfType(uint16_t deviceType);

class JtagDeviceProfile {
public:
    // The profile of the current device (gDeviceId).
    static JtagDeviceProfile Current();

    bool Cpux() const { return traits_.cpux; }
    bool Eem() const { return traits_.eem; }
    int32_t BreakpointCount() const { return traits_.breakpoints; }
    int32_t ClockControlKind() const { return traits_.clockControlKind; }
    bool PcGuard() const { return traits_.pcGuard; }
    bool EemContext() const { return traits_.eemContext; }
    uint16_t PsaMode() const { return traits_.psaMode; }
    uint16_t FuseBlowable() const { return traits_.fuseBlowable; }
    uint16_t FusePin() const { return traits_.fusePin; }
    uint16_t FuseWord1() const { return traits_.fuseWord1; }
    uint16_t FuseWord2() const { return traits_.fuseWord2; }
    bool FlashTiming() const { return traits_.flashTiming; }
    bool TestRegister() const { return traits_.testRegister; }
    bool Block0070() const { return traits_.block0070; }
    uint16_t MainSegmentSize() const { return traits_.mainSegmentSize; }
    int32_t ClockSystemKind() const { return traits_.clockSystemKind; }

    uint16_t RamStart() const { return ramStart_; }
    uint16_t RamEnd() const { return ramEnd_; }
    uint16_t Ram2Start() const { return ram2Start_; }
    uint16_t Ram2End() const { return ram2End_; }
    uint16_t InfoSegmentSize() const { return infoSegmentSize_; }
    // The six SFR masks, for the bytes at 0x0000 .. 0x0005.
    uint8_t SfrMask(int32_t i) const { return i >= 0 && i < 6 ? sfrMasks_[i] : 0xFF; }

private:
    JtagTypeTraits traits_;
    uint16_t ramStart_ = 0;
    uint16_t ramEnd_ = 0;
    uint16_t ram2Start_ = 0;
    uint16_t ram2End_ = 0;
    uint16_t infoSegmentSize_ = 0;
    uint8_t sfrMasks_[6] = {};
};

} // namespace debugif
