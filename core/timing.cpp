#include "core/timing.h"

#include "platform/clock.h"

namespace core {

double TimeMilliseconds() {
    const uint64_t frequency = platform::ClockFrequency();
    if (frequency == 0) {
        return 0.0;
    }
    return static_cast<double>(platform::ClockCounter()) * 1000.0 / static_cast<double>(frequency);
}

void DelayMicroseconds(int32_t n) {
    if (n < 1) {
        n = 1;
    }
    const double frequency = static_cast<double>(platform::ClockFrequency());
    const uint64_t start = platform::ClockCounter();
    const double ticks = frequency / (1000000.0 / n);
    if (n > 700) {
        // 64-bit so that the rounding cannot overflow for large n.
        platform::SleepMilliseconds(static_cast<uint32_t>((static_cast<int64_t>(n) + 500) / 1000));
    }
    for (;;) {
        const uint64_t now = platform::ClockCounter();
        if (now < start || static_cast<double>(now - start) >= ticks) {
            break;
        }
    }
}

} // namespace core
