#include "debugif/jtag91_run.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/error_numbers.h"
#include "debugif/jtag91_cpu.h"
#include "debugif/jtag91_memory.h"
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
constexpr int32_t kSupplyOn = 3000;
constexpr int32_t kStopPolls = 3000;

constexpr std::array<uint32_t, 5> kTriggerReads = {1, 3, 5, 7, 0x81};
constexpr std::array<uint32_t, 5> kTriggerWrites = {0, 2, 4, 6, 0x80};

bool SaveTriggers(std::array<uint32_t, 5>& out) {
    for (size_t i = 0; i < out.size(); ++i) {
        if (EemAccess(kTriggerReads[i], &out[i]) != 0) {
            return false;
        }
    }
    return true;
}

bool WriteTriggers(const std::array<uint32_t, 5>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
        if (!EemWrite(kTriggerWrites[i], values[i])) {
            return false;
        }
    }
    return true;
}

// The EEM stops the CPU after one instruction.
bool ArmStep() {
    return EemWrite(2, 0) && EemWrite(4, 0xFFFFF) && EemWrite(6, 1) && EemWrite(0x80, 1);
}

bool SyncTries() {
    auto& r = Api.RegisterCache;
    for (int32_t i = 0; i < 4; ++i) {
        if (SyncCpuX(&r[0], &r[2])) {
            return true;
        }
    }
    return false;
}

// Method bit 0x1: the fuse, the CPU taken over, the context saved.
int32_t ResetByPor(int32_t execute) {
    if (IsFuseBlown() == 0) {
        return LptFail(kErrorFuseBlown);
    }
    if (!SyncTries()) {
        return LptFail(kErrorReset);
    }
    if (JtagDeviceKnown() && !SaveContextX()) {
        return LptFail(kErrorReset);
    }
    gLpt.cpuState = 0;
    if (execute != 0 && JtagRun91(kFreeRun, 1) != 0) {
        return LptFail(kErrorRun);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

bool StartStep() {
    const uint32_t pc = Api.RegisterCache[0];
    if (gLpt.runToSet != 0) {
        gLpt.runToSet = 0;
        return ReleaseX(pc, ReleaseForm::kRunTo, static_cast<uint32_t>(gLpt.runToAddress));
    }
    return ReleaseX(pc, ReleaseForm::kStep);
}

// Stops a CPU that no trigger stopped: every trigger set to fire at once.
bool ForceStop() {
    std::array<uint32_t, 5> saved{};
    if (!SaveTriggers(saved) || !ArmStep() || !EemWrite(0x88, 0x0E) || EemWriteControl(7) != 0) {
        return false;
    }
    for (int32_t i = 0; i < kStopPolls; ++i) {
        uint16_t control = 0;
        if (EemReadControl(&control) != 0) {
            return false;
        }
        if ((control & 0x0080) != 0) {
            break;
        }
        Step(1);
    }
    return WriteTriggers(saved);
}

int32_t StopCpu() {
    uint32_t capture = 0;
    uint16_t control = 0;
    if (!Ir(0x14) || !Dr16(0, &capture) || EemReadControl(&control) != 0) {
        return LptFail(kErrorState);
    }
    if ((capture & 0x0020) == 0 && (control & 0x0080) == 0 && !ForceStop()) {
        return LptFail(kErrorState);
    }
    if (gLpt.stepTriggersSaved) {
        if (!WriteTriggers(gLpt.stepTriggers)) {
            return LptFail(kErrorState);
        }
        gLpt.stepTriggersSaved = false;
    }
    auto& r = Api.RegisterCache;
    if (!SyncCpuX(&r[0], &r[2], false)) {
        return LptFail(kErrorState);
    }
    if (!SaveContextX()) {
        return LptFail(kErrorReset);
    }
    return 0;
}

} // namespace

int32_t JtagReset91(int32_t method, int32_t execute, int32_t releaseJtag) {
    (void)releaseJtag;
    if (method == 0) {
        return LptFail(kErrorInvalidParameter);
    }
    gLpt.cycleCount = kNoCycleCount;
    int32_t result = -1;
    if ((method & 0x1) != 0 || (method & 0x8) == 0) {
        result = ResetByPor(execute);
        if (result == 0 || Api.LastErrorNumber == kErrorFuseBlown) {
            return result;
        }
    }
    if ((method & 0x2) != 0) {
        if (JtagIdQuery() != 0) {
            return -1;
        }
        uint32_t c = 0;
        const bool entered =
            Ir(0x61) && Dr16(1, &c) && c == 0x1203 && Dr16(0xA55A) && Dr16(0, &c) && c == 0x1202;
        if (entered) {
            for (int32_t s : {0, 0, 10, 2}) {
                Step(s);
            }
            if (JtagIdQuery() != 0) {
                return -1;
            }
            result = ResetByPor(execute);
            if (result == 0 || Api.LastErrorNumber == kErrorFuseBlown) {
                return result;
            }
        }
    }
    if ((method & 0x4) != 0) {
        Lpt().Supply(0);
        Step(5000);
        Lpt().Supply(kSupplyOn);
        Step(10);
        for (int32_t s : {0, 0, 10, 1, 1}) {
            Step(s);
        }
        if (JtagIdQuery() != 0) {
            return -1;
        }
        result = ResetByPor(execute);
    }
    if (result != 0 && Api.LastErrorNumber == kErrorNone) {
        Api.LastErrorNumber = kErrorReset;
    }
    return result;
}

int32_t JtagRun91(int32_t mode, int32_t releaseJtag) {
    if (!JtagDeviceKnown()) {
        return LptFail(kErrorUnknownDevice);
    }
    if (gLpt.cpuState != 0 ||
        (mode != kFreeRun && mode != kSingleStep && mode != kRunToBreakpoint)) {
        return LptFail(kErrorInvalidParameter);
    }
    bool watchdogFailed = false;
    if (mode == kSingleStep) {
        if (!SaveTriggers(gLpt.stepTriggers)) {
            return LptFail(kErrorSingleStep);
        }
        gLpt.stepTriggersSaved = true;
        if (!ArmStep() || !RestoreContextX(&watchdogFailed) || !StartStep()) {
            return LptFail(kErrorSingleStep);
        }
        gLpt.cpuState = kSingleStep;
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    gLpt.cycleCount = kNoCycleCount;
    if (!RestoreContextX(&watchdogFailed)) {
        return LptFail(watchdogFailed ? kErrorSingleStep : kErrorRun);
    }
    // A pending mode-9 address starts a free run too, as on the other
    // family: "the next run" is whichever comes.
    bool started = false;
    if (mode == kFreeRun && gLpt.runToSet == 0) {
        started = ReleaseX(Api.RegisterCache[0], ReleaseForm::kPlain);
    } else {
        started = StartStep();
    }
    if (!started) {
        return LptFail(kErrorRun);
    }
    return JtagRunStarted(mode, releaseJtag);
}

int32_t JtagState91(int32_t* state, int32_t stop, int32_t* cycles) {
    int32_t answered = 0;
    if (JtagStateAnswered(state, cycles, answered)) {
        return answered;
    }
    if (gLpt.releasedOnRun != 0) {
        Lpt().PortCall(0);
        Step(0x14);
        if (ReadJtagId(nullptr) != 0) {
            return LptFail(kErrorState);
        }
    }
    bool forced = false;
    if ((gLpt.cpuState == kSingleStep || gLpt.cpuState == kRunToBreakpoint) &&
        JtagDeviceProfile::Current().Eem()) {
        uint16_t control = 0;
        if (EemReadControl(&control) != 0) {
            return LptFail(kErrorState);
        }
        if ((control & 0x0080) != 0) {
            *state = gLpt.cpuState;
            forced = true;
        }
    }
    if (stop != 0 || forced) {
        if (StopCpu() != 0) {
            return -1;
        }
        if (*state == 1) {
            *state = 0;
        }
        gLpt.cpuState = 0;
        gLpt.stepArmed = 0;
        if (gLpt.releasedOnRun != 0) {
            gLpt.releasedOnRun = 0;
            if (Lpt().Release() != 0) {
                return LptFail(kErrorState);
            }
        }
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t JtagSetBreakpoint91(int32_t index, int32_t address) {
    if (JtagBreakpointCheck(index, address) != 0) {
        return -1;
    }
    const uint32_t base = static_cast<uint32_t>(index) * 8;
    const uint32_t bit = 1u << index;
    uint32_t enabled = 0;
    const bool ok = EemWrite(base, static_cast<uint32_t>(address)) && EemWrite(base + 2, 0) &&
                    EemWrite(base + 4, 0) && EemWrite(base + 6, address == 0 ? 0 : bit) &&
                    EemAccess(0x81, &enabled) == 0 &&
                    EemWrite(0x80, address == 0 ? (enabled & ~bit) : (enabled | bit));
    if (!ok) {
        return LptFail(kErrorBreakpoint);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t JtagBlowFuse91() {
    if (UnlockBsl() != 0) {
        return LptFail(kErrorBslUnlock);
    }
    gLpt.bslUnlocked = 1;
    uint8_t key[4] = {0xBE, 0xBA, 0xAD, 0xDE};
    if (gLpt.access.JtagMemory(0x17FC, key, 4, 0) != 0 || !Ir(0x2A) || !Dr32(0x0200)) {
        gLpt.bslUnlocked = 0;
        return LptFail(kErrorFuseBlow);
    }
    if (JtagIdQuery() != 0) {
        gLpt.bslUnlocked = 0;
        return -1;
    }
    const int32_t reset = JtagReset91(7, 0, 0);
    gLpt.bslUnlocked = 0;
    if (reset == 0) {
        return LptFail(kErrorFuseBlow);
    }
    if (Api.LastErrorNumber != kErrorFuseBlown) {
        return -1;
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t JtagVerifyPsa91(int32_t start, int32_t length, int32_t expected) {
    if (length <= 0) {
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    auto& r = Api.RegisterCache;
    const auto s = static_cast<uint32_t>(start);
    if (!SyncCpuX(&r[0], &r[2]) || !SetPcX(s)) {
        return LptFail(kErrorVerify);
    }
    Step(1);
    if (!Ir(0x13) || !Dr16(0x0501) || !Ir(0x41) || !Dr16((s - 2) & 0xFFFF) || !Ir(0x44)) {
        return LptFail(kErrorVerify);
    }
    if (Api.ProtocolSetting == 1) {
        Lpt().Pin(length, 0);
    } else {
        constexpr std::array<int32_t, 16> kCycle = {0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1};
        for (int32_t i = 0; i < length; i += 2) {
            for (int32_t st : kCycle) {
                Step(st);
            }
            if (i + 2 < length) {
                Step(2);
            }
        }
    }
    uint32_t signature = 0;
    if (!Ir(0x46) || !Dr16(0, &signature) || !SyncCpuX(&r[0], &r[2])) {
        return LptFail(kErrorVerify);
    }
    if (signature != (static_cast<uint32_t>(expected) & 0xFFFF)) {
        return LptFail(kErrorVerify);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

} // namespace debugif
