#pragma once
// The EEM register cache against the adapter (command 42): all 88
// registers read in one go, and the changed ones written back as pairs.

#include <cstdint>

namespace debugif {

inline constexpr uint32_t kEemRegisterSpan = 0xB0; // register addresses 0x00 .. 0xAE

// Reads the 88 values into Api.EemRegisterCache in address order and
// clears every changed flag: 0, or -1 with LastErrorNumber set (35 for a
// reply shorter than 88 values; the cache is left as it was then).
int32_t ReadEemRegisters();
// Sends every entry whose changed flag is set as a pair (address, value),
// in address order; the flags are cleared once the adapter took them.
int32_t WriteEemRegisters();

} // namespace debugif
