#pragma once
// Interface kind 1, a parallel-port JTAG adapter driven by the host. This
// system has no port primitives for it: the port never opens, so the
// initialisation fails with error 1 "Could not initialize device
// interface", and every operation that would need the port fails with the
// same error. The API layer holds DebugLock around every call here except
// configure. Each returns 0, or -1 with LastErrorNumber set.

#include <cstdint>

namespace debugif {

// The protocol setting goes back to JTAG and the BSL unlock is withdrawn;
// version (when given) reads 20400000; then the port open fails.
int32_t LptInitialize(const char* name, int32_t* version);
int32_t LptClose(int32_t vccOff);
int32_t LptIdentify(char* buffer, int32_t count, int32_t setId);
int32_t LptConfigure(int32_t mode, int32_t value);
// A supply outside 0 .. 3600 mV is error 3 before the port is asked.
int32_t LptSetVcc(int32_t millivolts);
int32_t LptReset(int32_t method, int32_t execute, int32_t releaseJTAG);
int32_t LptErase(int32_t type, int32_t address, int32_t length);
int32_t LptMemory(int32_t address, uint8_t* buffer, int32_t count, int32_t rw);
int32_t LptRun(int32_t mode, int32_t releaseJTAG);
int32_t LptState(int32_t* state, int32_t stop, int32_t* cycles);
int32_t LptVerifyMem(int32_t start, int32_t length, int32_t signature, int32_t edgeBytes);

} // namespace debugif
