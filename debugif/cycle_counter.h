#pragma once
// The cycle counter of the 0x91 device family, which counts in eight 4-bit
// digits, each a state of a 15-state sequence rather than a binary digit.

#include <cstdint>

namespace debugif {

// The count the encoded counter stands for: digit i (bits 4i .. 4i+3)
// adds the value of its state times 15^i. The digit 15 is no state of the
// sequence and adds nothing.
uint32_t ConvertCycleCounter(uint32_t encoded);

} // namespace debugif
