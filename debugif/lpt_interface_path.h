#pragma once
// The parallel-port interface path: interface kind 1, a parallel-port JTAG
// adapter driven by the host through the port primitives of
// lpt_primitives.h. The product installs the null primitives: the port
// never opens, so the initialisation fails with error 1 "Could not
// initialize device interface", and what follows runs against primitives
// that refuse. The API layer holds DebugLock around every call
// here except configure. Each returns 0, or -1 with LastErrorNumber set.

#include <cstdint>

namespace debugif {

// The protocol setting goes back to JTAG, RAM is kept across flash work,
// the BSL unlock is withdrawn; version (when given) reads 20400000; then
// the port opens by name, its failure error 1.
int32_t LptInitialize(const char* name, int32_t* version);
int32_t LptClose(int32_t vccOff);
// Identifies the target (setId 0) or takes row setId as told; the API
// layer builds the caller's identify record afterwards.
int32_t LptIdentify(char* buffer, int32_t count, int32_t setId);
int32_t LptConfigure(int32_t mode, int32_t value);
// A supply outside 0 .. 3600 mV is error 3 before the port is asked; a
// supply the port refuses is error 10.
int32_t LptSetVcc(int32_t millivolts);
int32_t LptReset(int32_t method, int32_t execute, int32_t releaseJTAG);
int32_t LptErase(int32_t type, int32_t address, int32_t length);
int32_t LptMemory(int32_t address, uint8_t* buffer, int32_t count, int32_t rw);
int32_t LptRun(int32_t mode, int32_t releaseJTAG);
int32_t LptCpuState(int32_t* state, int32_t stop, int32_t* cycles);
// The odd edge bytes against edgeBytes (low byte: the first, high byte:
// the last), then the signature of the even range between them.
int32_t LptVerifyMem(int32_t start, int32_t length, int32_t signature, int32_t edgeBytes);

// Steps of the identification, apart for the tests.
int32_t SelectDeviceAccessTable(uint8_t* info, int32_t setId, int32_t setType);
int32_t LptPrepareDevice(int32_t setId);

} // namespace debugif
