#include "debugif/jtag89_run.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/error_numbers.h"
#include "debugif/instruction_cycles.h"
#include "debugif/jtag89_cpu.h"
#include "debugif/jtag89_memory.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_eem.h"
#include "debugif/jtag_entry.h"
#include "debugif/jtag_run_state.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_error_numbers.h"
#include "debugif/lpt_primitives.h"
#include "debugif/lpt_state.h"

#include <array>

namespace debugif {

namespace {

constexpr int32_t kFreeRun = kJtagFreeRun;
constexpr int32_t kSingleStep = kJtagSingleStep;
constexpr int32_t kRunToBreakpoint = kJtagRunToBreakpoint;
constexpr uint32_t kCpuOff = 0x0010;
constexpr uint32_t kGie = 0x0008;
constexpr int32_t kSupplyOn = 3000;

void RstPulse() {
    for (int32_t s : {0, 0, 10, 1, 1}) {
        Step(s);
    }
}

bool PorTry() {
    return CheckControl() && SyncCpu() && ExecutePor();
}

// The retry of an RST reset: the EEM triggers are set to catch the CPU
// right at its reset vector, with device index and type 10 meanwhile.
bool RstRetry() {
    const uint16_t index = gDeviceId.currentDeviceIndex;
    const uint16_t type = gDeviceId.currentDeviceType;
    gDeviceId.currentDeviceIndex = 10;
    gDeviceId.currentDeviceType = 10;
    std::array<uint32_t, 5> saved{};
    const std::array<uint32_t, 5> readRegs = {3, 5, 7, 0x81, 1};
    bool ok = true;
    for (size_t i = 0; i < saved.size() && ok; ++i) {
        ok = EemRegisterRead(readRegs[i], &saved[i]) == 0;
    }
    ok = ok && EemRegisterWrite(0, 0) == 0 && EemRegisterWrite(2, 0) == 0 &&
         EemRegisterWrite(4, 0xFFFF) == 0 && EemRegisterWrite(6, 1) == 0 &&
         EemRegisterWrite(0x80, 1) == 0 && EemWriteControl(0x0F) == 0;
    if (ok) {
        RstPulse();
        ok = ReadJtagId(nullptr) == 0;
    }
    // Registers 2, 4, 6, 0x80, 0 get 3, 5, 7, 0x81, 1 back.
    const std::array<uint32_t, 5> writeRegs = {2, 4, 6, 0x80, 0};
    for (size_t i = 0; i < saved.size() && ok; ++i) {
        ok = EemRegisterWrite(writeRegs[i], saved[i]) == 0;
    }
    gDeviceId.currentDeviceIndex = index;
    gDeviceId.currentDeviceType = type;
    return ok;
}

bool RstTries() {
    RstPulse();
    ReadJtagId(nullptr);
    for (int32_t attempt = 0; attempt < 3; ++attempt) {
        const bool eem = JtagDeviceProfile::Current().Eem();
        if (attempt > 0 && eem && !RstRetry()) {
            continue;
        }
        if (CheckJtagId() && SyncCpu() && ExecutePor()) {
            if (attempt > 0 && eem) {
                EemWriteControl(0);
            }
            return true;
        }
    }
    return false;
}

int32_t AfterReset(int32_t execute, int32_t releaseJtag) {
    if (execute == 0) {
        const bool ok = JtagDeviceKnown() ? SaveContext(true) : HoldWatchdog();
        if (!ok) {
            return LptFail(kErrorReset);
        }
        gLpt.cpuState = 0;
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    if (!ReleaseCpu()) {
        return LptFail(kErrorRun);
    }
    gLpt.cpuState = kFreeRun;
    if (releaseJtag != 0) {
        if (Lpt().Release() != 0) {
            return LptFail(kErrorRun);
        }
        gLpt.releasedOnRun = 1;
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

bool Start() {
    if (gLpt.runToSet != 0) {
        gLpt.runToSet = 0;
        return ReleaseAt(static_cast<uint32_t>(gLpt.runToAddress));
    }
    return ReleaseCpu();
}

int32_t SingleStep(const JtagDeviceProfile& p) {
    auto& r = Api.RegisterCache;
    if ((r[2] & kCpuOff) != 0 && (r[2] & kGie) == 0) {
        return LptFail(kErrorSingleStep);
    }
    uint16_t w = 0;
    uint16_t x = 0;
    bool extended = false;
    uint16_t stacked = 0;
    if (!ReadWord(r[0], &w)) {
        return LptFail(kErrorSingleStep);
    }
    if (p.Cpux() && (w & 0xF800) == 0x1800) {
        x = w;
        extended = true;
        if (!ReadWord(r[0] + 2, &w)) {
            return LptFail(kErrorSingleStep);
        }
    }
    if (!ReadWord(r[1], &stacked)) {
        return LptFail(kErrorSingleStep);
    }
    uint32_t control = 0;
    if (p.Eem()) {
        if ((r[2] & kCpuOff) != 0) {
            uint16_t trigger = 0;
            if (EemReadTrigger(&trigger) != 0 || !Ir(0x14) || !Dr16(0, &control)) {
                return LptFail(kErrorSingleStep);
            }
            if ((control & 0x0004) == 0) {
                gLpt.stepPending = 1;
            }
        }
        std::array<uint32_t, 5> saved{};
        const std::array<uint32_t, 5> regs = {3, 5, 7, 0x81, 1};
        for (size_t i = 0; i < regs.size(); ++i) {
            if (EemAccess(regs[i], &saved[i]) != 0) {
                return LptFail(kErrorSingleStep);
            }
        }
        uint32_t v2 = (r[2] & kCpuOff) != 0 ? 4 : 0;
        uint32_t v4 = 0xFFFFFFFF;
        uint32_t v6 = 1;
        uint32_t v80 = 1;
        if (EemAccess(2, &v2) != 0 || EemAccess(4, &v4) != 0 || EemAccess(6, &v6) != 0 ||
            EemAccess(0x80, &v80) != 0 || !RestoreContext()) {
            return LptFail(kErrorSingleStep);
        }
        uint32_t mask = 0;
        if (!ArmBreakpoints(p.BreakpointCount(), &mask)) {
            return LptFail(kErrorBreakpoint);
        }
    } else if (p.BreakpointCount() > 0) {
        if (!RestoreContext() || !Ir(0x09) || !Dr16(0x0080)) {
            return LptFail(kErrorSingleStep);
        }
    }
    gLpt.stepArmed = 1;
    uint32_t count = CycleCountBeforeStep(gLpt.cycleCount);
    if (w == 0x1300 && (control & 0x0004) != 0 && (stacked & 0x0008) != 0) {
        count += p.Cpux() ? 5 : 6;
    }
    InstructionCycles(w, p.Cpux(), count);
    if (extended) {
        ExtensionCycles(x, w, count);
    }
    gLpt.cycleCount = static_cast<int32_t>(count);
    if (p.BreakpointCount() > 0) {
        if (!Start()) {
            return LptFail(kErrorRun);
        }
    } else {
        if (!RestoreContext()) {
            return LptFail(kErrorSingleStep);
        }
        Step(2);
        if (!WriteControlLow(1)) {
            return LptFail(kErrorSingleStep);
        }
        Step(1);
        bool synced = false;
        for (int32_t i = 0; i < 10 && !synced; ++i) {
            synced = SyncTest();
            if (!synced) {
                Step(2);
            }
        }
        if (!synced) {
            return LptFail(kErrorSingleStep);
        }
    }
    gLpt.cpuState = kSingleStep;
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t Stop() {
    if (!SyncCpu() || !SaveContext(true)) {
        return LptFail(kErrorState);
    }
    gLpt.cpuState = 0;
    return 0;
}

} // namespace

int32_t JtagReset89(int32_t method, int32_t execute, int32_t releaseJtag) {
    if (method == 0) {
        return LptFail(kErrorInvalidParameter);
    }
    gLpt.cycleCount = kNoCycleCount;
    bool done = false;
    if ((method & 0x1) != 0 || (method & 0x8) == 0) {
        for (int32_t i = 0; i < 4 && !done; ++i) {
            done = PorTry();
        }
    }
    if (!done && (method & 0x2) != 0) {
        done = RstTries();
    }
    if (!done && (method & 0x4) != 0) {
        Lpt().Supply(0);
        Step(5000);
        Lpt().Supply(kSupplyOn);
        Step(10);
        done = RstTries();
    }
    if (done) {
        return AfterReset(execute, releaseJtag);
    }
    if (ReadJtagId(nullptr) != 0) {
        return LptFail(kErrorNoDevice);
    }
    if (IsFuseBlown() == 0) {
        return LptFail(kErrorFuseBlown);
    }
    if (CheckControl()) {
        return LptFail((method & 0x4) != 0 ? kErrorNoDevice : kErrorReset);
    }
    return LptFail(kErrorNoDevice);
}

int32_t JtagRun89(int32_t mode, int32_t releaseJtag) {
    if (!JtagDeviceKnown()) {
        return LptFail(kErrorUnknownDevice);
    }
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    if (mode == kSingleStep) {
        return SingleStep(p);
    }
    if (mode != kFreeRun && mode != kRunToBreakpoint) {
        return LptFail(kErrorInvalidParameter);
    }
    gLpt.cycleCount = kNoCycleCount;
    if (!RestoreContext()) {
        return LptFail(kErrorRun);
    }
    if (mode == kRunToBreakpoint && p.BreakpointCount() > 0) {
        uint32_t mask = 0;
        if (!ArmBreakpoints(p.BreakpointCount(), &mask)) {
            return LptFail(kErrorBreakpoint);
        }
    }
    if (!Start()) {
        return LptFail(kErrorRun);
    }
    return JtagRunStarted(mode, releaseJtag);
}

int32_t JtagState89(int32_t* state, int32_t stop, int32_t* cycles) {
    int32_t answered = 0;
    if (JtagStateAnswered(state, cycles, answered)) {
        return answered;
    }
    if (gLpt.releasedOnRun != 0) {
        Lpt().PortCall(0);
        for (int32_t s : {0x14, 0, 1, 0}) {
            Step(s);
        }
        if (!Ir(0xFF) || !CheckControl()) {
            return LptFail(kErrorState);
        }
        gLpt.releasedOnRun = 0;
    }
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    bool forced = false;
    const bool step = gLpt.cpuState == kSingleStep;
    if (step || (gLpt.cpuState == kRunToBreakpoint && gLpt.stepArmed != 0)) {
        if (!p.Eem() && p.BreakpointCount() == 0) {
            *state = kSingleStep;
            forced = true;
        } else {
            uint32_t trigger = 0;
            if (!Ir(0x0A) || !Dr16(0, &trigger)) {
                return LptFail(kErrorState);
            }
            // The trigger word shows the armed breakpoints not yet hit.
            if (!step && (trigger & 3) != (gLpt.armedMask & 3)) {
                *state = kRunToBreakpoint;
                forced = true;
            } else if (step && (trigger & 0x0080) == 0) {
                *state = kSingleStep;
                forced = true;
            }
        }
    }
    if (stop != 0 || forced) {
        if (Stop() != 0) {
            return -1;
        }
        if (!forced) {
            *state = 0;
        }
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

bool ArmBreakpoints(int32_t count, uint32_t* mask) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    gLpt.stepArmed = 0;
    if (!p.Eem()) {
        *mask = 0x0040;
        for (int32_t i = 0; i < count && i < 2; ++i) {
            uint32_t c = 0;
            if (!Ir(i == 0 ? 0x0C : 0x0E) || !Dr16(0, &c)) {
                return false;
            }
            if (c != 0) {
                *mask |= 1u << i;
                gLpt.stepArmed = 1;
            }
        }
        gLpt.armedMask = *mask;
        return Ir(0x09) && Dr16(*mask);
    }
    if (EemAccess(0x81, mask) != 0) {
        return false;
    }
    gLpt.armedMask = *mask;
    gLpt.stepArmed = *mask != 0 ? 1 : 0;
    const uint16_t type = gDeviceId.currentDeviceType;
    if (type >= 3 && type <= 7) {
        for (uint32_t reg : {2u, 0x0Au, 0x12u}) {
            uint32_t zero = 0;
            uint32_t saved = 0;
            if (EemAccess(reg + 1, &saved) != 0 || EemAccess(reg, &zero) != 0 ||
                EemAccess(reg, &saved) != 0) {
                return false;
            }
        }
    }
    if (p.ClockControlKind() != 0) {
        if (type == 0x12 || type == 0x13 || type == 0x14 || type == 0x3D || type == 0x3E ||
            type == 0x3F) {
            gLpt.clockControl &= static_cast<uint16_t>(~0x0010u);
        }
        uint32_t clock = gLpt.clockControl;
        if (EemAccess(0x88, &clock) != 0 || EemWriteControl(gLpt.eemControlCopy) != 0) {
            return false;
        }
    }
    return true;
}

int32_t JtagSetBreakpoint89(int32_t index, int32_t address) {
    if (JtagBreakpointCheck(index, address) != 0) {
        return -1;
    }
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    bool ok = false;
    if (!p.Eem()) {
        ok = Ir(0x09) && Dr16(0) && Ir(index == 0 ? 0x0B : 0x0D) &&
             Dr16(static_cast<uint32_t>(address));
    } else {
        const uint32_t base = static_cast<uint32_t>(index) * 8;
        uint32_t a = static_cast<uint32_t>(address);
        uint32_t zero1 = 0;
        uint32_t zero2 = 0;
        uint32_t bit = 1u << index;
        uint32_t enabled = 0;
        ok = EemAccess(base, &a) == 0 && EemAccess(base + 2, &zero1) == 0 &&
             EemAccess(base + 4, &zero2) == 0 && EemAccess(base + 6, &bit) == 0 &&
             EemAccess(0x81, &enabled) == 0;
        enabled |= 1u << index;
        ok = ok && EemAccess(0x80, &enabled) == 0;
    }
    if (!ok) {
        return LptFail(kErrorBreakpoint);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t JtagBlowFuse89() {
    if (!JtagDeviceKnown()) {
        return LptFail(kErrorUnknownDevice);
    }
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    if (p.FuseBlowable() == 0) {
        return LptFail(kErrorFuseBlow);
    }
    if (Api.ProtocolSetting == 1) {
        Ir(0x22);
        Lpt().Pin(0, 1);
    } else {
        if (p.FusePin() == 0) {
            Ir(0x13);
            Dr16(0x7401);
            Lpt().PortCall(0);
        }
        Ir(0x22);
        Step(1);
        const int32_t first = p.FuseWord1();
        Lpt().PortCall(first + (p.FuseWord2() - first) / 2);
        Step(5);
        Ir(0x24);
        Step(1);
        Lpt().PortCall(0);
        Step(5);
        Lpt().PortCall(1);
    }
    CheckJtagId();
    for (int32_t i = 0; i < 3; ++i) {
        uint32_t c = 0;
        JtagShift(0, 0x14);
        if (JtagShift(1, 0xAAAA, &c) && c == 0x5555) {
            Api.LastErrorNumber = kErrorNone;
            return 0;
        }
    }
    return LptFail(kErrorFuseBlow);
}

int32_t JtagVerifyPsa89(int32_t start, int32_t length, int32_t expected) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    const uint32_t s = static_cast<uint32_t>(start);
    auto settle = [] {
        return ExecutePor() && HoldWatchdog() && WriteControl(0x0401) && WaitSync();
    };
    if (!settle()) {
        return LptFail(kErrorVerify);
    }
    if (p.PsaMode() == 0) {
        if (!Ir(0x41)) {
            return LptFail(kErrorVerify);
        }
        Step(1);
        if (!Dr16(0x4030)) {
            return LptFail(kErrorVerify);
        }
        Step(0);
        Step(1);
        if (!Dr16(s - 2)) {
            return LptFail(kErrorVerify);
        }
        for (int32_t st : {0, 1, 0, 1, 0}) {
            Step(st);
        }
        if (!Ir(0x84) || !Dr16(0)) {
            return LptFail(kErrorVerify);
        }
    } else {
        if (!SetPc(s - 4) || !SyncTest() || !Ir(0x41) || !Dr16(0x3FFF)) {
            return LptFail(kErrorVerify);
        }
        Step(0);
        if (!WriteControlLow(9)) {
            return LptFail(kErrorVerify);
        }
        Step(1);
        Step(0);
        if (!Ir(0x41) || !Dr16(s - 2)) {
            return LptFail(kErrorVerify);
        }
    }
    if (!Ir(0x44)) {
        return LptFail(kErrorVerify);
    }
    const uint16_t type = gDeviceId.currentDeviceType;
    const bool lateLow = type == 0x2F || type == 0x30 || type == 0x31 || type == 0x36 ||
                         type == 0x37 || type == 0x38;
    if (Api.ProtocolSetting == 1) {
        Lpt().Pin(length, 0);
    } else {
        constexpr std::array<int32_t, 16> kCycle = {0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1};
        for (int32_t i = 0; i < length; i += 2) {
            Step(1);
            if (!lateLow) {
                Step(0);
            }
            for (int32_t st : kCycle) {
                Step(st);
            }
            if (lateLow) {
                Step(0);
            }
        }
    }
    uint32_t signature = 0;
    if (!Ir(0x46) || !Dr16(0, &signature)) {
        return LptFail(kErrorVerify);
    }
    Step(1);
    if (p.PsaMode() != 0) {
        Step(0);
        if (!WriteControlLow(1) || !Ir(0x42)) {
            return LptFail(kErrorVerify);
        }
        Step(1);
        SyncTest();
    }
    if (!settle()) {
        return LptFail(kErrorVerify);
    }
    if (signature != (static_cast<uint32_t>(expected) & 0xFFFF)) {
        return LptFail(kErrorVerify);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

} // namespace debugif
