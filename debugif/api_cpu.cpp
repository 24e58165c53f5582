// The entries on the target CPU: reset, the register cache, run, and the
// state query with its throttle while the CPU runs.

#include "debugif/api_dispatch.h"
#include "debugif/api_state.h"
#include "debugif/cycle_counter.h"
#include "debugif/debug_api_layer.h"
#include "debugif/error_numbers.h"
#include "debugif/lpt_interface_path.h"
#include "debugif/uif_run.h"
#include "debugif/uif_target_ops.h"
#include "platform/clock.h"

#include <cstdint>

namespace debugif {

namespace {

// While the CPU runs, a caller polling its state reaches the adapter at
// most once in this many milliseconds.
constexpr uint32_t kStateQueryInterval = 101;
constexpr int32_t kRunning = 1;
constexpr int32_t kNoCycleCount = -1;
constexpr int32_t kRegisterWrite = 0;
constexpr size_t kStackPointer = 1;

} // namespace

} // namespace debugif

using namespace debugif;

extern "C" {

int32_t MSP430_Reset(int32_t method, int32_t execute, int32_t releaseJTAG) {
    // The CPU is halted first; the reset reports for itself.
    int32_t state = 0;
    int32_t cycles = 0;
    MSP430_CpuState(&state, 1, &cycles);
    return DispatchByKind([&] { return LptReset(method, execute, releaseJTAG); },
                          [&] { return UifReset(method, execute, releaseJTAG); });
}

int32_t MSP430_RegisterAccess(int32_t* value, int32_t reg, int32_t rw) {
    if (Api.InterfaceKind != kInterfaceParallel && Api.InterfaceKind != kInterfaceUsb) {
        return ApiFail(kErrorNotSupported);
    }
    if (value == nullptr) {
        return ApiFail(kErrorInvalidParameter);
    }
    if (reg < 0 || reg >= static_cast<int32_t>(kCpuRegisterCount)) {
        return ApiFail(rw == kRegisterWrite ? kErrorWriteRegister : kErrorReadRegister);
    }
    const size_t r = static_cast<size_t>(reg);
    if (rw == kRegisterWrite) {
        Api.RegisterCache[r] = static_cast<uint32_t>(*value);
        // The stack pointer is always even.
        Api.RegisterCache[kStackPointer] &= ~1u;
    } else {
        *value = static_cast<int32_t>(Api.RegisterCache[r]);
    }
    return 0;
}

int32_t MSP430_RunCpu(int32_t mode, int32_t releaseJTAG) {
    Api.LastErrorNumber = kErrorNone;
    const int32_t result = DispatchByKind([&] { return LptRun(mode, releaseJTAG); },
                                          [&] { return UifRun(mode, releaseJTAG); });
    if (result == 0) {
        Api.LastErrorNumber = kErrorNone;
    }
    return result;
}

int32_t MSP430_CpuState(int32_t* state, int32_t stop, int32_t* cycles) {
    if (state == nullptr) {
        return ApiFail(kErrorInvalidParameter);
    }
    if (stop == 0 && *state == kRunning) {
        const uint32_t now = platform::TickCountMs();
        if (now - Api.LastStateQueryTime < kStateQueryInterval) {
            // The caller's last answer stands: the CPU still runs.
            Api.LastErrorNumber = kErrorNone;
            return 0;
        }
        Api.LastStateQueryTime = now;
    }
    int32_t count = kNoCycleCount;
    const int32_t result = DispatchByKind([&] { return LptCpuState(state, stop, &count); },
                                          [&] { return UifState(state, stop, &count); });
    if (count != kNoCycleCount && Api.CycleCounterEncoded != 0) {
        count = static_cast<int32_t>(ConvertCycleCounter(static_cast<uint32_t>(count)));
    }
    if (cycles != nullptr) {
        *cycles = count;
    }
    return result;
}

} // extern "C"
