// The MSP430_* entries of libsim_msp430.so, for the binding to find by name.

#include "core/debug_api.h"
#include "sim/sim_library.h"

extern "C" {

int32_t MSP430_Initialize(const char* port, int32_t* version) {
    return sim::Sim_Initialize(port, version);
}

int32_t MSP430_Close(int32_t vccOff) {
    return sim::Sim_Close(vccOff);
}

int32_t MSP430_Identify(char* buffer, int32_t count, int32_t setId) {
    return sim::Sim_Identify(buffer, count, setId);
}

int32_t MSP430_Configure(int32_t mode, int32_t value) {
    return sim::Sim_Configure(mode, value);
}

int32_t MSP430_VCC(int32_t millivolts) {
    return sim::Sim_VCC(millivolts);
}

int32_t MSP430_Reset(int32_t method, int32_t execute, int32_t releaseJTAG) {
    return sim::Sim_Reset(method, execute, releaseJTAG);
}

int32_t MSP430_Erase(int32_t type, int32_t address, int32_t length) {
    return sim::Sim_Erase(type, address, length);
}

int32_t MSP430_Memory(int32_t address, char* buffer, int32_t count, int32_t rw) {
    return sim::Sim_Memory(address, buffer, count, rw);
}

int32_t MSP430_Secure(void) {
    return sim::Sim_Secure();
}

int32_t MSP430_Error_Number(void) {
    return sim::Sim_Error_Number();
}

const char* MSP430_Error_String(int32_t errorNumber) {
    return sim::Sim_Error_String(errorNumber);
}

int32_t MSP430_VerifyMem(int32_t address, int32_t length, char* buffer) {
    return sim::Sim_VerifyMem(address, length, buffer);
}

int32_t MSP430_EraseCheck(int32_t address, int32_t length) {
    return sim::Sim_EraseCheck(address, length);
}

int32_t MSP430_GetNameOfUsbIf(int32_t index, char** name, int32_t* status) {
    return sim::Sim_GetNameOfUsbIf(index, name, status);
}

int32_t MSP430_GetNumberOfUsbIfs(int32_t* count) {
    return sim::Sim_GetNumberOfUsbIfs(count);
}

int32_t MSP430_FET_GetFwVersion(int32_t* version) {
    return sim::Sim_FET_GetFwVersion(version);
}

int32_t MSP430_FET_FwUpdate(const char* file, MSP430_FwUpdateCallback callback, void* context) {
    return sim::Sim_FET_FwUpdate(file, callback, context);
}

int32_t MSP430_RegisterAccess(int32_t* value, int32_t reg, int32_t rw) {
    return sim::Sim_RegisterAccess(value, reg, rw);
}

int32_t MSP430_RunCpu(int32_t mode, int32_t releaseJTAG) {
    return sim::Sim_RunCpu(mode, releaseJTAG);
}

int32_t MSP430_CpuState(int32_t* state, int32_t stop, int32_t* cycles) {
    return sim::Sim_CpuState(state, stop, cycles);
}

int32_t MSP430_ReadSupply(int32_t* millivolts) {
    return sim::Sim_ReadSupply(millivolts);
}

} // extern "C"
