#include "debugif/tick_count.h"

#include "platform/clock.h"

namespace debugif {

uint32_t TickCountMs() {
    const uint64_t counter = platform::ClockCounter();
    const uint64_t frequency = platform::ClockFrequency();
    if (frequency == 0) {
        return 0;
    }
    // Split so that counter * 1000 cannot overflow.
    const uint64_t ms = counter / frequency * 1000 + counter % frequency * 1000 / frequency;
    return static_cast<uint32_t>(ms);
}

uint32_t ElapsedMilliseconds(uint32_t start) {
    return TickCountMs() - start;
}

} // namespace debugif
