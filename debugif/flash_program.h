#pragma once
// Flash erase and write of the 0x89 routine family, through RAM routines:
// the target's state is saved and its clock set for the flash first, and
// put back afterwards.

#include <cstdint>

namespace debugif {

// Slot 1 of the 0x89 family: type 0 the segments of the range, 1 the main
// memory, 2 all flash (on devices with 64-byte information segments, Info
// A stays unless configuration mode 5 opens it). Errors 12, 13, 14.
int32_t FlashErase(int32_t type, int32_t address, int32_t length);
// Writes a flash range for the memory slot; 0, or -1 with error 7 (12 and
// 13 for the state and clock around it).
int32_t FlashWrite(uint32_t address, const uint8_t* buffer, uint32_t length);

} // namespace debugif
