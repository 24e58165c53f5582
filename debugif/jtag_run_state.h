#pragma once
// What the run and state calls of both JTAG families share: the run modes,
// the device check, the end of a started run, the start of a state query
// and the check of a breakpoint's arguments.

#include <cstdint>

namespace debugif {

inline constexpr int32_t kJtagFreeRun = 1;
inline constexpr int32_t kJtagSingleStep = 2;
inline constexpr int32_t kJtagRunToBreakpoint = 3;

// True once a device has been identified.
bool JtagDeviceKnown();

// The end of a run the CPU has started in mode: with releaseJtag the port
// lets go of the target (a failure there fails the run), and the mode is
// kept as the CPU state. Returns 0 or -1, as the run call does.
int32_t JtagRunStarted(int32_t mode, int32_t releaseJtag);

// The start of a state query: an unknown device or a missing state fails,
// the cycle count is handed back, and a CPU that is not running is answered
// with state 0 at once. True when the query is answered, with its return
// value in result; otherwise *state is 1 and the family's query goes on.
bool JtagStateAnswered(int32_t* state, int32_t* cycles, int32_t& result);

// The arguments of a breakpoint call: a known device, an index below the
// device's breakpoint count, and an address in its memory up to the end of
// main memory. 0 when they hold; otherwise the failure set and -1.
int32_t JtagBreakpointCheck(int32_t index, int32_t address);

} // namespace debugif
