#pragma once
// Loading a RAM routine into the target and running it there (0x89
// family): the routine is written at its load address, started at its
// entry and, when waited for, polled until it parks at its end address.

#include <cstdint>
#include <span>
#include <vector>

namespace debugif {

// A RAM routine's words as the program holds them: its load, entry and
// end address, then its own header words (flash control, parameters) and
// its code.
using FlashRoutine = std::span<const uint16_t>;

// A copy of a held routine with its load, entry and end address (and the
// extra words given) moved to the RAM page of the current device.
std::vector<uint16_t> RebasedRoutine(FlashRoutine held,
                                     std::span<const uint32_t> extraAddressWords = {});

// 0 when the routine was loaded (and read back equal with verify), started
// and, with wait, parked at its end address and the CPU was taken back;
// -1 otherwise. Sets no error number: the caller names the failure.
int32_t RunFlashRoutine(FlashRoutine routine, bool verify, bool wait);

} // namespace debugif
