// The millisecond tick count and the elapsed time across its wrap.

#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

class SetClock : public platform::ClockSource {
public:
    uint64_t counter = 0;
    uint64_t frequency = 1000;
    uint64_t Counter() override { return counter; }
    uint64_t Frequency() override { return frequency; }
    void SleepMs(uint32_t ms) override { counter += ms * frequency / 1000; }
};

class TickCountTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetClockSource(&clock_); }
    void TearDown() override { platform::SetClockSource(nullptr); }
    SetClock clock_;
};

TEST_F(TickCountTest, MillisecondsFromAnyCounterFrequency) {
    clock_.frequency = 1000000000; // nanoseconds, as the system clock counts
    clock_.counter = 1234567890123ull;
    EXPECT_EQ(platform::TickCountMs(), 1234567u);
    // A counter that times 1000 would overflow 64 bits.
    clock_.counter = 0x7FFFFFFFFFFFFFFFull;
    EXPECT_EQ(platform::TickCountMs(), static_cast<uint32_t>(9223372036854ull));
}

TEST_F(TickCountTest, ElapsedAcrossTheWrap) {
    clock_.counter = 0xFFFFFFFFull - 5; // 5 ms before the 32-bit tick count wraps
    const uint32_t start = platform::TickCountMs();
    clock_.counter += 12;
    EXPECT_LT(platform::TickCountMs(), start) << "the tick count wrapped";
    EXPECT_EQ(platform::ElapsedMilliseconds(start), 12u);
}

} // namespace
