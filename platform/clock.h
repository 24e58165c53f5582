#pragma once
// Monotonic performance counter and millisecond sleep, replaceable by tests.

#include <cstdint>

namespace platform {

class ClockSource {
public:
    virtual ~ClockSource() = default;
    // Current count of a counter that only moves forward.
    virtual uint64_t Counter() = 0;
    // Counts per second of Counter().
    virtual uint64_t Frequency() = 0;
    // Sleeps at least ms milliseconds.
    virtual void SleepMs(uint32_t ms) = 0;
};

// The real clock: CLOCK_MONOTONIC in nanoseconds.
ClockSource& SystemClock();

// Routes the free functions below to source; nullptr restores the real clock.
// The caller keeps source alive while it is set.
void SetClockSource(ClockSource* source);

uint64_t ClockCounter();
uint64_t ClockFrequency();
void SleepMilliseconds(uint32_t ms);

// Whole milliseconds in counts of ClockCounter(); 0 for a clock without a
// frequency.
uint64_t CountsToMilliseconds(uint64_t counts);

// The tick count: milliseconds of the clock above, wrapping at 2^32.
uint32_t TickCountMs();

// Milliseconds since a tick count taken earlier: the unsigned difference,
// right across a wrap.
uint32_t ElapsedMilliseconds(uint32_t start);

} // namespace platform
