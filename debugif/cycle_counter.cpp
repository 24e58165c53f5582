#include "debugif/cycle_counter.h"

namespace debugif {

namespace {

// The value of each state, by the state's 4-bit code.
constexpr uint32_t kDigitValue[16] = {0, 1, 2, 7, 5, 3, 8, 11, 14, 6, 4, 10, 13, 9, 12, 0};

} // namespace

uint32_t ConvertCycleCounter(uint32_t encoded) {
    uint32_t count = 0;
    uint32_t weight = 1;
    // Unsigned, so that a counter with its top bit set still runs out of
    // digits after eight.
    for (uint32_t v = encoded; v != 0; v >>= 4) {
        count += kDigitValue[v & 0xF] * weight;
        weight *= 15;
    }
    return count;
}

} // namespace debugif
