#include "debugif/jtag89_cpu.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/jtag89_memory.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_eem.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_state.h"

namespace debugif {

namespace {

constexpr uint8_t kIrControlHigh = 0x11;
constexpr uint8_t kIrControlLow = 0x12;
constexpr uint8_t kIrControl16 = 0x13;
constexpr uint8_t kIrControlCapture = 0x14;
constexpr uint8_t kIrControlRelease = 0x15;
constexpr uint8_t kIrDataBus = 0x41;
constexpr uint8_t kIrDataCapture = 0x42;
constexpr uint8_t kIrAddressCapture = 0x84;
constexpr uint8_t kIrTestRegister = 0x19;

constexpr uint16_t kMovImmediateToPc = 0x4030;
constexpr uint16_t kNop = 0x4303;
constexpr uint16_t kJumpFiller = 0x3FFD;
constexpr uint32_t kWatchdogAddress = 0x0120;
constexpr uint32_t kGuardPc = 0x0C04;

uint16_t ControlWord(uint16_t value) {
    return static_cast<uint16_t>((value & 0xFDFF) | 0x2000);
}

bool Cpux() {
    return JtagDeviceProfile::Current().Cpux();
}

} // namespace

bool WriteControl(uint16_t value) {
    return Ir(kIrControl16) && Dr16(ControlWord(value));
}

bool WriteControlHigh(uint16_t value) {
    return Ir(kIrControlHigh) && Dr8(ControlWord(value) >> 8);
}

bool WriteControlLow(uint16_t value) {
    return Ir(kIrControlLow) && Dr8(value & 0xFF);
}

bool SyncTest() {
    uint32_t c = 0;
    return Ir(kIrControlCapture) && Dr16(0, &c) && (c & 0x81) == 0x81;
}

bool WaitSync() {
    if (!WriteControlLow(1)) {
        return false;
    }
    Step(1);
    for (int32_t i = 0; i < 10; ++i) {
        if (SyncTest()) {
            return true;
        }
        Step(2);
    }
    return false;
}

bool SyncCpu() {
    uint32_t c = 0;
    if (!Ir(kIrControlCapture) || !Dr16(0, &c)) {
        return false;
    }
    Step(1);
    if ((c & 0x0200) == 0) {
        if (!WriteControlHigh(0x1400)) {
            return false;
        }
        if (JtagDeviceProfile::Current().ClockControlKind() != 0) {
            uint32_t clock = 0;
            if (EemAccess(0x89, &clock) != 0 || EemAccess(0x88, &(clock |= 0x40)) != 0 ||
                EemAccess(0x88, &(clock &= ~0x40u)) != 0) {
                return false;
            }
        }
        bool synced = false;
        for (int32_t i = 0; i < 10 && !synced; ++i) {
            uint32_t s = 0;
            if (!Ir(kIrControlCapture) || !Dr16(0, &s)) {
                return false;
            }
            synced = (s & 0x0200) != 0;
            if (!synced) {
                Step(1);
            }
        }
        if (!synced) {
            return false;
        }
    }
    if ((c & 0x0002) != 0) {
        Step(0);
        if (!WriteControl(0x0401)) {
            return false;
        }
        Step(1);
    } else if (!WriteControl(0x0401)) {
        return false;
    }
    return WaitSync() && FetchInstruction(kNop) && SyncTest();
}

bool ExecutePor() {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    if (p.ClockControlKind() == 2) {
        const uint16_t base = static_cast<uint16_t>(gLpt.config1 | 0x000C);
        uint32_t v = gLpt.moduleClockControl;
        if (EemWriteControl(static_cast<uint16_t>(base | 3)) != 0 ||
            EemWriteControl(static_cast<uint16_t>(base & ~1u)) != 0 || EemAccess(0x8A, &v) != 0) {
            return false;
        }
    }
    for (int32_t i = 0; i < 2; ++i) {
        Step(0);
        if (!WriteControl(0x0C01)) {
            return false;
        }
        Step(1);
        if (!WriteControl(0x0401)) {
            return false;
        }
    }
    if (p.TestRegister()) {
        if (!Dr16(0x0401) || !Ir(kIrTestRegister) || !Dr16(0x0080) || !Dr16(0x0880) ||
            !Dr16(0x0080) || !Dr16(0x0880) || !WriteControlHigh(0x0400)) {
            return false;
        }
    }
    if (gDeviceId.currentDeviceIndex != 0) {
        bool atVector = false;
        for (int32_t i = 0; i < 10 && !atVector; ++i) {
            const uint32_t a = ReadAddressBus();
            atVector = a == 0xFFFE || a == 0x0F00;
            if (!atVector) {
                Step(2);
            }
        }
        if (!atVector) {
            return false;
        }
        Step(2);
        Step(2);
        if (gLpt.jtagId == 0x8D) {
            Step(2);
        }
        Step(0);
        if (!Ir(kIrAddressCapture) || !Dr16(0)) {
            return false;
        }
        Step(1);
    }
    return WaitSync();
}

uint32_t ReadAddressBus() {
    uint32_t a = 0;
    const bool ok = Ir(kIrAddressCapture) && (Cpux() ? Dr20(0, &a) : Dr16(0, &a));
    return ok ? a : 0xFFFFFFFF;
}

bool HoldWatchdog() {
    uint16_t word = 0;
    if (!ReadWords(kWatchdogAddress, 1, &word)) {
        return false;
    }
    gLpt.WatchdogShadow = static_cast<uint16_t>((word & 0x00FF) | 0x5A00);
    const uint16_t held = static_cast<uint16_t>((word & 0x00FF) | 0x5A80);
    return WriteWords(kWatchdogAddress, 1, &held);
}

bool SetPc(uint32_t address) {
    if ((address & 1) != 0) {
        return false;
    }
    if (!SyncTest() || !WriteControlHigh(0x1400)) {
        return false;
    }
    if (!Cpux()) {
        if (!FetchInstruction(kMovImmediateToPc) ||
            !FetchInstruction(static_cast<uint16_t>(address)) || !ReleaseFetch()) {
            return false;
        }
    } else {
        if (!Ir(kIrDataBus) || !Dr16(((address >> 8) & 0x0F00) | 0x0080)) {
            return false;
        }
        Step(0);
        Step(1);
        if (!Dr16(address & 0xFFFF)) {
            return false;
        }
        Step(0);
        if (!Ir(kIrAddressCapture)) {
            return false;
        }
        Step(1);
        Step(0);
        if (!WriteControlHigh(0x0400)) {
            return false;
        }
        Step(1);
    }
    return ReadAddressBus() == address && SyncTest();
}

bool FetchInstruction(uint16_t word) {
    if (!Ir(kIrDataBus)) {
        return false;
    }
    Step(1);
    if (!Dr16(word)) {
        return false;
    }
    Step(0);
    if (!Ir(kIrDataCapture)) {
        return false;
    }
    Step(1);
    return true;
}

bool ReleaseFetch() {
    Step(0);
    if (!WriteControlHigh(0x0400)) {
        return false;
    }
    Step(1);
    return SyncTest();
}

bool ReleaseCpu() {
    return SyncTest() && Ir(kIrAddressCapture) && Ir(kIrControlRelease);
}

bool ReleaseAt(uint32_t address) {
    if (!SyncTest() || !Ir(kIrDataBus) || !Dr16(address & 0xFFFF)) {
        return false;
    }
    Step(0);
    return Ir(kIrAddressCapture) && Ir(kIrControlRelease);
}

uint32_t ReadRegister(int32_t n) {
    if (!SyncTest() || !WriteControlHigh(0x1400)) {
        return 0xFFFF;
    }
    const uint16_t r = static_cast<uint16_t>((n & 0x0F) << 8);
    uint32_t value = 0;
    if (!Cpux()) {
        if (!FetchInstruction(static_cast<uint16_t>(r | 0x4082)) || !FetchInstruction(0x00FE)) {
            return 0xFFFF;
        }
        Step(2);
        if (!Dr16(0, &value)) {
            return 0xFFFF;
        }
    } else {
        uint32_t low = 0;
        uint32_t high = 0;
        if (!FetchInstruction(static_cast<uint16_t>(r | 0x0060)) || !FetchInstruction(0x00FC) ||
            !Dr16(0, &low)) {
            return 0xFFFF;
        }
        Step(2);
        if (!Dr16(0, &high)) {
            return 0xFFFF;
        }
        value = (high << 16) + low;
    }
    if (!ReleaseFetch()) {
        bool synced = false;
        for (int32_t i = 0; i < 3 && !synced; ++i) {
            Step(2);
            synced = SyncTest();
        }
        if (!synced) {
            return 0xFFFF;
        }
    }
    return value;
}

bool WriteRegister(int32_t n, uint32_t value) {
    if (n == 0) {
        return SetPc(value);
    }
    if (!SyncTest() || !WriteControlHigh(0x1400)) {
        return false;
    }
    uint16_t first = 0;
    if (!Cpux()) {
        first = static_cast<uint16_t>(0x4030 | n);
    } else {
        first = static_cast<uint16_t>(n | 0x0080 | ((value >> 8) & 0x0F00));
    }
    return FetchInstruction(first) && FetchInstruction(static_cast<uint16_t>(value)) &&
           FetchInstruction(kJumpFiller) && ReleaseFetch();
}

bool SaveContext(bool withExtras) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    auto& r = Api.RegisterCache;
    r[0] = ReadAddressBus();
    if (!HoldWatchdog()) {
        return false;
    }
    if (p.PcGuard() && r[0] >= p.RamStart() && r[0] < p.RamEnd() && !SetPc(kGuardPc)) {
        return false;
    }
    r[2] = ReadRegister(2);
    r[3] = 0;
    r[1] = ReadRegister(1);
    for (int32_t n = 4; n < 16; ++n) {
        r[static_cast<size_t>(n)] = ReadRegister(n);
    }
    if (p.EemContext() && withExtras) {
        uint16_t first01B0 = 0;
        uint16_t second01B0 = 0;
        if (!FetchWordByInjection(0xD0F2, 0x0048, &gLpt.savedContext0048) ||
            !FetchWordByInjection(0xC0B2, 0x01B0, &first01B0) ||
            !FetchWordByInjection(0xC0B2, 0x01B2, &gLpt.savedContext01B2) ||
            !FetchWordByInjection(0xC0B2, 0x01B0, &second01B0)) {
            return false;
        }
        gLpt.savedContext01B0 =
            static_cast<uint16_t>((first01B0 & ~0x0004u) | (second01B0 & 0x0004u));
    }
    return SyncTest();
}

bool RestoreContext() {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    const auto& r = Api.RegisterCache;
    for (int32_t n = 15; n >= 4; --n) {
        if (!WriteRegister(n, r[static_cast<size_t>(n)])) {
            return false;
        }
    }
    if (!WriteRegister(1, r[1]) || !WriteRegister(2, r[2])) {
        return false;
    }
    const uint16_t watchdog = gLpt.WatchdogShadow;
    if (!WriteWords(kWatchdogAddress, 1, &watchdog)) {
        return false;
    }
    if (!p.EemContext()) {
        return SetPc(r[0]);
    }
    if (!SyncTest() || !WriteControlHigh(0x1400) || !Ir(kIrDataBus) || !Dr16(kMovImmediateToPc)) {
        return false;
    }
    Step(2);
    if (!Dr16(r[0] & 0xFFFF)) {
        return false;
    }
    Step(0);
    if (!WriteControl(0x0409)) {
        return false;
    }
    Step(3);
    if (!WriteControl(0x0408)) {
        return false;
    }
    const std::pair<uint32_t, uint16_t> saved[] = {{0x0048, gLpt.savedContext0048},
                                                   {0x01B2, gLpt.savedContext01B2},
                                                   {0x01B0, gLpt.savedContext01B0}};
    for (const auto& [address, value] : saved) {
        if (!Ir(0x83) || !Dr16(address) || !Ir(0x85)) {
            return false;
        }
        Step(1);
        if (!Dr16(value)) {
            return false;
        }
        Step(0);
    }
    if (!WriteControl(0x0401)) {
        return false;
    }
    Step(1);
    return true;
}

} // namespace debugif
