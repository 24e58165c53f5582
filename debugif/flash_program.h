#pragma once
// Flash erase and write of the 0x89 routine family.

#include <cstdint>

namespace debugif {

// Slot 1 of the 0x89 family.
int32_t FlashErase(int32_t type, int32_t address, int32_t length);
// Writes a flash range for the memory slot; 0, or -1 with error set.
int32_t FlashWrite(uint32_t address, const uint8_t* buffer, uint32_t length);

} // namespace debugif
