#include "tests/gui/actions_fixture.h"

namespace guitest {

CallWatchState CallWatch;

namespace {

const core::DebugApi& Inner() {
    return NotedSimApi();
}

// Counts the call; the one numbered failAt fails in the simulated library.
void Watch(const char* entry) {
    const int32_t n = CallWatch.count++;
    if (n == CallWatch.failAt) {
        sim::Sim().FailOperation(entry, CallWatch.error, 1);
    }
    if (CallWatch.onCall) {
        CallWatch.onCall(entry);
    }
}

const core::DebugApi kWatched = {
    [](const char* port, int32_t* version) {
        Watch("MSP430_Initialize");
        return Inner().Initialize(port, version);
    },
    [](int32_t vccOff) {
        Watch("MSP430_Close");
        return Inner().Close(vccOff);
    },
    [](char* buffer, int32_t count, int32_t setId) {
        Watch("MSP430_Identify");
        return Inner().Identify(buffer, count, setId);
    },
    [](int32_t mode, int32_t value) {
        Watch("MSP430_Configure");
        return Inner().Configure(mode, value);
    },
    [](int32_t millivolts) {
        Watch("MSP430_VCC");
        return Inner().VCC(millivolts);
    },
    [](int32_t method, int32_t execute, int32_t release) {
        Watch("MSP430_Reset");
        return Inner().Reset(method, execute, release);
    },
    [](int32_t type, int32_t address, int32_t length) {
        Watch("MSP430_Erase");
        return Inner().Erase(type, address, length);
    },
    [](int32_t address, char* buffer, int32_t count, int32_t rw) {
        Watch("MSP430_Memory");
        return Inner().Memory(address, buffer, count, rw);
    },
    [] {
        Watch("MSP430_Secure");
        return Inner().Secure();
    },
    [] { return Inner().Error_Number(); },
    [](int32_t n) { return Inner().Error_String(n); },
    [](int32_t address, int32_t length, char* buffer) {
        Watch("MSP430_VerifyMem");
        return Inner().VerifyMem(address, length, buffer);
    },
    [](int32_t address, int32_t length) {
        Watch("MSP430_EraseCheck");
        return Inner().EraseCheck(address, length);
    },
    [](int32_t index, char** name, int32_t* status) {
        return Inner().GetNameOfUsbIf(index, name, status);
    },
    [](int32_t* count) { return Inner().GetNumberOfUsbIfs(count); },
    [](int32_t* version) {
        Watch("MSP430_FET_GetFwVersion");
        return Inner().FET_GetFwVersion(version);
    },
    [](const char* file, MSP430_FwUpdateCallback callback, void* context) {
        Watch("MSP430_FET_FwUpdate");
        return Inner().FET_FwUpdate(file, callback, context);
    },
    [](int32_t* value, int32_t reg, int32_t rw) { return Inner().RegisterAccess(value, reg, rw); },
    [](int32_t mode, int32_t release) { return Inner().RunCpu(mode, release); },
    [](int32_t* state, int32_t stop, int32_t* cycles) {
        return Inner().CpuState(state, stop, cycles);
    },
    [](int32_t* millivolts) { return Inner().ReadSupply(millivolts); },
};

} // namespace

const core::DebugApi& WatchedSimApi() {
    return kWatched;
}

} // namespace guitest
