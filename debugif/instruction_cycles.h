#pragma once
// The CPU cycles of one stepped instruction, counted on the host from its
// instruction word (and, on a 20-bit CPU, its extension word), for the
// cycle count the state query reports after single steps.

#include <cstdint>

namespace debugif {

// Adds the cycles of instruction word w to counter and returns them.
int32_t InstructionCycles(uint16_t w, bool cpux, uint32_t& counter);
// Adds the cycles the extension word x costs on top of w; returns them.
int32_t ExtensionCycles(uint16_t x, uint16_t w, uint32_t& counter);
// The counter before a step adds to it: "no count" (-1) becomes 0 and the
// sign bit is dropped.
uint32_t CycleCountBeforeStep(int32_t count);

} // namespace debugif
