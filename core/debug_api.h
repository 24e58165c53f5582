#pragma once
// The MSP430 debug API as the target layer calls it: one table of entry
// points. Quillbay fills it with the run-time binding of a debug library;
// Quillcore with its in-process implementation. Every entry returns 0 on
// success and -1 on failure (a library may also return its own error
// number); a missing entry counts as 34.

#include <cstdint>

extern "C" {

// Progress of an adapter firmware update: step code and two values.
typedef void (*MSP430_FwUpdateCallback)(uint32_t step, uint32_t value1, uint32_t value2,
                                        void* context);

// The entry points every debug library exports under these names.
int32_t MSP430_Initialize(const char* port, int32_t* version);
int32_t MSP430_Close(int32_t vccOff);
int32_t MSP430_Identify(char* buffer, int32_t count, int32_t setId);
int32_t MSP430_Configure(int32_t mode, int32_t value);
int32_t MSP430_VCC(int32_t millivolts);
int32_t MSP430_Reset(int32_t method, int32_t execute, int32_t releaseJTAG);
int32_t MSP430_Erase(int32_t type, int32_t address, int32_t length);
int32_t MSP430_Memory(int32_t address, char* buffer, int32_t count, int32_t rw);
int32_t MSP430_Secure(void);
int32_t MSP430_Error_Number(void);
const char* MSP430_Error_String(int32_t errorNumber);
int32_t MSP430_VerifyMem(int32_t address, int32_t length, char* buffer);
int32_t MSP430_EraseCheck(int32_t address, int32_t length);
int32_t MSP430_GetNameOfUsbIf(int32_t index, char** name, int32_t* status);
int32_t MSP430_GetNumberOfUsbIfs(int32_t* count);
int32_t MSP430_FET_GetFwVersion(int32_t* version);
int32_t MSP430_FET_FwUpdate(const char* file, MSP430_FwUpdateCallback callback, void* context);
int32_t MSP430_RegisterAccess(int32_t* value, int32_t reg, int32_t rw);
int32_t MSP430_RunCpu(int32_t mode, int32_t releaseJTAG);
int32_t MSP430_CpuState(int32_t* state, int32_t stop, int32_t* cycles);
int32_t MSP430_ReadSupply(int32_t* millivolts);

} // extern "C"

namespace core {

// Status values of a debug call.
inline constexpr int32_t kDebugOk = 0;
inline constexpr int32_t kDebugFailed = -1;
inline constexpr int32_t kDebugEntryMissing = 34;

// Configure modes the target layer uses.
inline constexpr int32_t kConfigureLockedFlashAccess = 5;
inline constexpr int32_t kConfigureInterfaceMode = 8;
inline constexpr int32_t kConfigureRamPreserve = 10;

// Memory directions.
inline constexpr int32_t kMemoryWrite = 0;
inline constexpr int32_t kMemoryRead = 1;

// Erase types.
inline constexpr int32_t kEraseSegment = 0;
inline constexpr int32_t kEraseMain = 1;
inline constexpr int32_t kEraseAll = 2;

// One debug library's entry points. A null member is an entry the library
// does not have.
struct DebugApi {
    int32_t (*Initialize)(const char* port, int32_t* version);
    int32_t (*Close)(int32_t vccOff);
    int32_t (*Identify)(char* buffer, int32_t count, int32_t setId);
    int32_t (*Configure)(int32_t mode, int32_t value);
    int32_t (*VCC)(int32_t millivolts);
    int32_t (*Reset)(int32_t method, int32_t execute, int32_t releaseJTAG);
    int32_t (*Erase)(int32_t type, int32_t address, int32_t length);
    int32_t (*Memory)(int32_t address, char* buffer, int32_t count, int32_t rw);
    int32_t (*Secure)(void);
    int32_t (*Error_Number)(void);
    const char* (*Error_String)(int32_t errorNumber);
    int32_t (*VerifyMem)(int32_t address, int32_t length, char* buffer);
    int32_t (*EraseCheck)(int32_t address, int32_t length);
    int32_t (*GetNameOfUsbIf)(int32_t index, char** name, int32_t* status);
    int32_t (*GetNumberOfUsbIfs)(int32_t* count);
    int32_t (*FET_GetFwVersion)(int32_t* version);
    int32_t (*FET_FwUpdate)(const char* file, MSP430_FwUpdateCallback callback, void* context);
    int32_t (*RegisterAccess)(int32_t* value, int32_t reg, int32_t rw);
    int32_t (*RunCpu)(int32_t mode, int32_t releaseJTAG);
    int32_t (*CpuState)(int32_t* state, int32_t stop, int32_t* cycles);
    int32_t (*ReadSupply)(int32_t* millivolts);
};

// Picks the table the target layer calls; nullptr restores the default, the
// run-time binding's table (DebugLibApi). The caller keeps api alive while
// it is in use.
void DebugApiUse(const DebugApi* api);
const DebugApi& DebugApiInUse();

// Calls through the table in use; a missing entry gives 34 (Debug_Error_String
// gives nullptr) without calling anything.
int32_t Debug_Initialize(const char* port, int32_t* version);
int32_t Debug_Close(int32_t vccOff);
int32_t Debug_Identify(char* buffer, int32_t count, int32_t setId);
int32_t Debug_Configure(int32_t mode, int32_t value);
int32_t Debug_VCC(int32_t millivolts);
int32_t Debug_Reset(int32_t method, int32_t execute, int32_t releaseJTAG);
int32_t Debug_Erase(int32_t type, int32_t address, int32_t length);
int32_t Debug_Memory(int32_t address, char* buffer, int32_t count, int32_t rw);
int32_t Debug_Secure();
int32_t Debug_Error_Number();
const char* Debug_Error_String(int32_t errorNumber);
int32_t Debug_VerifyMem(int32_t address, int32_t length, char* buffer);
int32_t Debug_EraseCheck(int32_t address, int32_t length);
int32_t Debug_GetNameOfUsbIf(int32_t index, char** name, int32_t* status);
int32_t Debug_GetNumberOfUsbIfs(int32_t* count);
int32_t Debug_FET_GetFwVersion(int32_t* version);
int32_t Debug_FET_FwUpdate(const char* file, MSP430_FwUpdateCallback callback, void* context);
int32_t Debug_RegisterAccess(int32_t* value, int32_t reg, int32_t rw);
int32_t Debug_RunCpu(int32_t mode, int32_t releaseJTAG);
int32_t Debug_CpuState(int32_t* state, int32_t stop, int32_t* cycles);
int32_t Debug_ReadSupply(int32_t* millivolts);

} // namespace core
