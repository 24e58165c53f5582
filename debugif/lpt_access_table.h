#pragma once
// The eight JTAG routines behind interface kind 1, in slot order. The path
// fills all eight from one family when it learns the target's JTAG id.

#include <cstdint>

namespace debugif {

struct DeviceAccessTable {
    int32_t (*JtagReset)(int32_t method, int32_t execute, int32_t releaseJtag);
    int32_t (*JtagErase)(int32_t type, int32_t address, int32_t length);
    // rw: 0 write, 1 read.
    int32_t (*JtagMemory)(int32_t address, uint8_t* buffer, int32_t count, int32_t rw);
    int32_t (*JtagSetBreakpoint)(int32_t index, int32_t address);
    int32_t (*JtagRun)(int32_t mode, int32_t releaseJtag);
    int32_t (*JtagState)(int32_t* state, int32_t stop, int32_t* cycles);
    int32_t (*JtagBlowFuse)();
    int32_t (*JtagVerifyPsa)(int32_t start, int32_t length, int32_t expected);
};

// The family serving JTAG ids 0x89 and 0x8D (16-bit CPU and CPUX).
DeviceAccessTable Family89Table();
// The family serving JTAG id 0x91.
DeviceAccessTable Family91Table();

// The host-side JTAG routines for a target of the JTAG id: the 0x91 family
// for 0x91, the 0x89 family for 0x89, 0x8D and any other id.
DeviceAccessTable JtagDeviceAccess(uint16_t jtagId);

} // namespace debugif
