#pragma once
// A platform clock that moves only when told to: sleeping on it advances
// it at once. Tests install it so that timers, waits and key times never
// take real time.

#include "platform/clock.h"

#include <cstdint>

namespace ui {

class ManualClock final : public platform::ClockSource {
public:
    uint64_t Counter() override { return nanoseconds_; }
    uint64_t Frequency() override { return 1000000000ull; }
    void SleepMs(uint32_t ms) override { Advance(ms); }

    void Advance(uint32_t ms) { nanoseconds_ += uint64_t{ms} * 1000000ull; }
    // Sets the counter (e.g. close to its wrap for wrap-safety tests).
    void Set(uint64_t nanoseconds) { nanoseconds_ = nanoseconds; }
    uint64_t Milliseconds() const { return nanoseconds_ / 1000000ull; }

private:
    uint64_t nanoseconds_ = 1000000000ull; // start at 1 s: 0 is nobody's time
};

} // namespace ui
