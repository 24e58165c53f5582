#pragma once
// Reset, run, single step, state, breakpoints, fuse and PSA verify of the
// 0x91 routine family: the slots of its table besides memory and erase.

#include <cstdint>

namespace debugif {

int32_t JtagReset91(int32_t method, int32_t execute, int32_t releaseJtag);
int32_t JtagRun91(int32_t mode, int32_t releaseJtag);
int32_t JtagState91(int32_t* state, int32_t stop, int32_t* cycles);
int32_t JtagSetBreakpoint91(int32_t index, int32_t address);
int32_t JtagBlowFuse91();
int32_t JtagVerifyPsa91(int32_t start, int32_t length, int32_t expected);

} // namespace debugif
