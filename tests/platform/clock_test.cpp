#include "platform/clock.h"
#include "platform/services.h"

#include <gtest/gtest.h>

namespace {

class CountingClock : public platform::ClockSource {
public:
    uint64_t Counter() override { return ++reads; }
    uint64_t Frequency() override { return 1234; }
    void SleepMs(uint32_t ms) override { slept += ms; }
    uint64_t reads = 0;
    uint64_t slept = 0;
};

class ClockTest : public ::testing::Test {
protected:
    void TearDown() override { platform::ResetServices(); }
};

TEST_F(ClockTest, SystemClockIsMonotonicNanoseconds) {
    EXPECT_EQ(platform::ClockFrequency(), 1000000000u);
    const uint64_t a = platform::ClockCounter();
    platform::SleepMilliseconds(2);
    const uint64_t b = platform::ClockCounter();
    EXPECT_GE(b - a, 2000000u);    // slept at least 2 ms
    EXPECT_LT(b - a, 5000000000u); // and not absurdly long
}

TEST_F(ClockTest, InjectedSourceReceivesEveryCallUntilReset) {
    CountingClock fake;
    platform::SetClockSource(&fake);
    EXPECT_EQ(platform::ClockFrequency(), 1234u);
    EXPECT_EQ(platform::ClockCounter(), 1u);
    EXPECT_EQ(platform::ClockCounter(), 2u);
    platform::SleepMilliseconds(7);
    EXPECT_EQ(fake.slept, 7u);

    platform::SetClockSource(nullptr);
    EXPECT_EQ(platform::ClockFrequency(), 1000000000u);
    platform::ClockCounter();
    EXPECT_EQ(fake.reads, 2u);
}

} // namespace
