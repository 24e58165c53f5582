#include "platform/clock.h"

#include <cerrno>
#include <ctime>

namespace platform {
namespace {

class MonotonicClock final : public ClockSource {
public:
    uint64_t Counter() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
    }
    uint64_t Frequency() override { return 1000000000ull; }
    void SleepMs(uint32_t ms) override {
        timespec rest{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
        // A signal must not cut the sleep short: resume with what is left.
        while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
        }
    }
};

MonotonicClock systemClock;
ClockSource* current = &systemClock;

} // namespace

ClockSource& SystemClock() {
    return systemClock;
}

void SetClockSource(ClockSource* source) {
    current = source ? source : &systemClock;
}

uint64_t ClockCounter() {
    return current->Counter();
}
uint64_t ClockFrequency() {
    return current->Frequency();
}
void SleepMilliseconds(uint32_t ms) {
    current->SleepMs(ms);
}

uint64_t CountsToMilliseconds(uint64_t counts) {
    const uint64_t frequency = ClockFrequency();
    if (frequency == 0) {
        return 0;
    }
    // Whole seconds and the rest apart, so that counts * 1000 cannot overflow.
    return counts / frequency * 1000 + counts % frequency * 1000 / frequency;
}

uint32_t TickCountMs() {
    return static_cast<uint32_t>(CountsToMilliseconds(ClockCounter()));
}

uint32_t ElapsedMilliseconds(uint32_t start) {
    return TickCountMs() - start;
}

} // namespace platform
