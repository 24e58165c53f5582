#pragma once
// Memory, erase and the BSL unlock of the 0x91 routine family: plain words
// below the flash, flash through the RAM routines fed by the mailbox, and
// the protected BSL segments.

#include <cstdint>

namespace debugif {

// Slot 2 of the 0x91 family. rw 0 writes, 1 reads.
int32_t JtagMemory91(int32_t address, uint8_t* buffer, int32_t count, int32_t rw);
// Slot 1 of the 0x91 family.
int32_t JtagErase91(int32_t type, int32_t address, int32_t length);
// 0 when the BSL segments are open for access.
int32_t UnlockBsl();

} // namespace debugif
