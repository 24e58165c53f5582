#pragma once
// The system tick count in milliseconds and the wrap-safe time since one.

#include <cstdint>

namespace debugif {

// Milliseconds of the platform clock, wrapping at 2^32.
uint32_t TickCountMs();

// Milliseconds since a tick count taken earlier: the unsigned difference,
// right across a wrap.
uint32_t ElapsedMilliseconds(uint32_t start);

} // namespace debugif
