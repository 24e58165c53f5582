#include "core/debug_api.h"

#include "core/debug_lib.h"

namespace core {

namespace {

const DebugApi* apiInUse = nullptr;

const DebugApi& Api() {
    return apiInUse != nullptr ? *apiInUse : DebugLibApi();
}

} // namespace

void DebugApiUse(const DebugApi* api) {
    apiInUse = api;
}

const DebugApi& DebugApiInUse() {
    return Api();
}

int32_t Debug_Initialize(const char* port, int32_t* version) {
    const auto f = Api().Initialize;
    return f != nullptr ? f(port, version) : kDebugEntryMissing;
}

int32_t Debug_Close(int32_t vccOff) {
    const auto f = Api().Close;
    return f != nullptr ? f(vccOff) : kDebugEntryMissing;
}

int32_t Debug_Identify(char* buffer, int32_t count, int32_t setId) {
    const auto f = Api().Identify;
    return f != nullptr ? f(buffer, count, setId) : kDebugEntryMissing;
}

int32_t Debug_Configure(int32_t mode, int32_t value) {
    const auto f = Api().Configure;
    return f != nullptr ? f(mode, value) : kDebugEntryMissing;
}

int32_t Debug_VCC(int32_t millivolts) {
    const auto f = Api().VCC;
    return f != nullptr ? f(millivolts) : kDebugEntryMissing;
}

int32_t Debug_Reset(int32_t method, int32_t execute, int32_t releaseJTAG) {
    const auto f = Api().Reset;
    return f != nullptr ? f(method, execute, releaseJTAG) : kDebugEntryMissing;
}

int32_t Debug_Erase(int32_t type, int32_t address, int32_t length) {
    const auto f = Api().Erase;
    return f != nullptr ? f(type, address, length) : kDebugEntryMissing;
}

int32_t Debug_Memory(int32_t address, char* buffer, int32_t count, int32_t rw) {
    const auto f = Api().Memory;
    return f != nullptr ? f(address, buffer, count, rw) : kDebugEntryMissing;
}

int32_t Debug_Secure() {
    const auto f = Api().Secure;
    return f != nullptr ? f() : kDebugEntryMissing;
}

int32_t Debug_Error_Number() {
    const auto f = Api().Error_Number;
    return f != nullptr ? f() : kDebugEntryMissing;
}

const char* Debug_Error_String(int32_t errorNumber) {
    const auto f = Api().Error_String;
    return f != nullptr ? f(errorNumber) : nullptr;
}

int32_t Debug_VerifyMem(int32_t address, int32_t length, char* buffer) {
    const auto f = Api().VerifyMem;
    return f != nullptr ? f(address, length, buffer) : kDebugEntryMissing;
}

int32_t Debug_EraseCheck(int32_t address, int32_t length) {
    const auto f = Api().EraseCheck;
    return f != nullptr ? f(address, length) : kDebugEntryMissing;
}

int32_t Debug_GetNameOfUsbIf(int32_t index, char** name, int32_t* status) {
    const auto f = Api().GetNameOfUsbIf;
    return f != nullptr ? f(index, name, status) : kDebugEntryMissing;
}

int32_t Debug_GetNumberOfUsbIfs(int32_t* count) {
    const auto f = Api().GetNumberOfUsbIfs;
    return f != nullptr ? f(count) : kDebugEntryMissing;
}

int32_t Debug_FET_GetFwVersion(int32_t* version) {
    const auto f = Api().FET_GetFwVersion;
    return f != nullptr ? f(version) : kDebugEntryMissing;
}

int32_t Debug_FET_FwUpdate(const char* file, MSP430_FwUpdateCallback callback, void* context) {
    const auto f = Api().FET_FwUpdate;
    return f != nullptr ? f(file, callback, context) : kDebugEntryMissing;
}

int32_t Debug_RegisterAccess(int32_t* value, int32_t reg, int32_t rw) {
    const auto f = Api().RegisterAccess;
    return f != nullptr ? f(value, reg, rw) : kDebugEntryMissing;
}

int32_t Debug_RunCpu(int32_t mode, int32_t releaseJTAG) {
    const auto f = Api().RunCpu;
    return f != nullptr ? f(mode, releaseJTAG) : kDebugEntryMissing;
}

int32_t Debug_CpuState(int32_t* state, int32_t stop, int32_t* cycles) {
    const auto f = Api().CpuState;
    return f != nullptr ? f(state, stop, cycles) : kDebugEntryMissing;
}

int32_t Debug_ReadSupply(int32_t* millivolts) {
    const auto f = Api().ReadSupply;
    return f != nullptr ? f(millivolts) : kDebugEntryMissing;
}

} // namespace core
