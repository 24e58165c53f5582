#pragma once
// A clock for the library's tests and fuzzers that never waits: a counter
// at 1 MHz that moves one tick per read and jumps as far as a sleep asks.

#include "platform/clock.h"

#include <cstdint>

namespace api_test {

class StepClock : public platform::ClockSource {
public:
    uint64_t Counter() override { return now_++; }
    uint64_t Frequency() override { return 1000000; }
    void SleepMs(uint32_t ms) override { now_ += static_cast<uint64_t>(ms) * 1000; }

private:
    uint64_t now_ = 1000000;
};

} // namespace api_test
