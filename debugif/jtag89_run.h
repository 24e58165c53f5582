#pragma once
// Reset, run, single step, state, breakpoints, fuse and PSA verify of the
// 0x89 routine family: the slots of its table besides memory and erase.

#include <cstdint>

namespace debugif {

int32_t JtagReset89(int32_t method, int32_t execute, int32_t releaseJtag);
int32_t JtagRun89(int32_t mode, int32_t releaseJtag);
int32_t JtagState89(int32_t* state, int32_t stop, int32_t* cycles);
int32_t JtagSetBreakpoint89(int32_t index, int32_t address);
int32_t JtagBlowFuse89();
int32_t JtagVerifyPsa89(int32_t start, int32_t length, int32_t expected);
// Re-arms the breakpoints before a run; mask receives what was armed.
bool ArmBreakpoints(int32_t count, uint32_t* mask);

} // namespace debugif
