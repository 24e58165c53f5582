#include "core/timing.h"
#include "platform/clock.h"
#include "tests/core/core_fixture.h"

#include <vector>

namespace {

using namespace core;

// A counter at 1 MHz (one tick per microsecond) that moves one tick per read
// and as far as a sleep says, times a factor (a short sleep has factor < 1).
class FakeClock : public platform::ClockSource {
public:
    uint64_t Counter() override {
        ++reads;
        return now++;
    }
    uint64_t Frequency() override { return 1000000; }
    void SleepMs(uint32_t ms) override {
        sleeps.push_back(ms);
        now += static_cast<uint64_t>(ms * 1000.0 * sleepFactor);
    }
    uint64_t now = 5000;
    uint64_t reads = 0;
    double sleepFactor = 1.0;
    std::vector<uint32_t> sleeps;
};

class TimingTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        platform::SetClockSource(&clock);
    }
    FakeClock clock;
};

TEST_F(TimingTest, TimeMillisecondsScalesTheCounter) {
    clock.now = 2500000; // 2.5 s at 1 MHz
    EXPECT_DOUBLE_EQ(TimeMilliseconds(), 2500.0);
}

TEST_F(TimingTest, SleepsWholeMillisecondsOnlyAbove700Microseconds) {
    struct Case {
        int32_t us;
        std::vector<uint32_t> sleeps;
    };
    const Case cases[] = {
        {-5, {}},    {0, {}},       {1, {}},
        {700, {}},   {701, {1}},    {1499, {1}},
        {1500, {2}}, {10000, {10}}, {2147483647, {2147484}}, // no overflow near INT32_MAX
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.us);
        clock.sleepFactor = 1e-9; // the sleep itself passes no time here
        clock.sleeps.clear();
        const uint64_t start = clock.now;
        if (c.us < 100000) {
            DelayMicroseconds(c.us);
            const uint64_t waited = clock.now - start;
            EXPECT_GE(waited, static_cast<uint64_t>(c.us < 1 ? 1 : c.us));
        } else {
            clock.sleepFactor = 1.0;
            DelayMicroseconds(c.us);
        }
        EXPECT_EQ(clock.sleeps, c.sleeps);
    }
}

TEST_F(TimingTest, BusyWaitsOnlyWhatTheSleepFellShortOf) {
    // An exact sleep: one read after it is enough.
    DelayMicroseconds(10000);
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>{10});
    EXPECT_LE(clock.reads, 3u);

    // A sleep that passes only 9 of the 10 ms: about 1000 more reads.
    clock.reads = 0;
    clock.sleepFactor = 0.9;
    const uint64_t start = clock.now;
    DelayMicroseconds(10000);
    EXPECT_GE(clock.now - start, 10000u);
    EXPECT_GT(clock.reads, 900u);
    EXPECT_LT(clock.reads, 1100u);

    // 0 waits about 1 us: a couple of reads, no sleep.
    clock.reads = 0;
    clock.sleeps.clear();
    DelayMicroseconds(0);
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_LE(clock.reads, 3u);
}

class BackwardsClock : public platform::ClockSource {
public:
    uint64_t Counter() override { return reads++ == 0 ? 1000 : 10; }
    uint64_t Frequency() override { return 1000000; }
    void SleepMs(uint32_t) override {}
    int reads = 0;
};

TEST_F(TimingTest, CounterBelowItsStartEndsTheWait) {
    BackwardsClock back;
    platform::SetClockSource(&back);
    DelayMicroseconds(500000); // would spin for ever on a counter that never passes the start
    EXPECT_EQ(back.reads, 2);
}

TEST(TimingRealClockTest, DelayWaitsAtLeastTheTime) {
    platform::SetClockSource(nullptr);
    const double t0 = TimeMilliseconds();
    DelayMicroseconds(3000);
    const double t1 = TimeMilliseconds();
    EXPECT_GE(t1 - t0, 3.0);
    EXPECT_LT(t1 - t0, 2000.0); // generous: a loaded machine
    DelayMicroseconds(200);
    EXPECT_GE(TimeMilliseconds() - t1, 0.2);
}

} // namespace
