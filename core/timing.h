#pragma once
// The millisecond clock and the microsecond delay of the target layer and
// the procedures, over the platform performance counter.

#include <cstdint>

namespace core {

// Milliseconds from the performance counter (counter * 1000 / frequency).
double TimeMilliseconds();

// Waits n microseconds (at least 1): above 700 us it sleeps (n + 500) / 1000
// whole milliseconds first, then busy-waits on the counter for whatever the
// sleep fell short of n. A counter found below its start value ends the wait.
void DelayMicroseconds(int32_t n);

} // namespace core
