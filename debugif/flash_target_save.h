#pragma once
// What flash work on the 0x89 family disturbs, saved before it and put
// back after it (gLpt.saved): the clock-system bytes, the SFR bytes, the
// flash controller with the Info-A lock, and the whole RAM when
// configuration mode 10 asks for it. Both return 0 or -1 (no error
// number: the caller reports 12).

#include <cstdint>

namespace debugif {

int32_t PreserveTarget();
int32_t RestoreTarget();

// Bytes of the target's low address space as the memory slot moves them
// (byte by byte below 0x0100 unless the device has its own flash timing);
// an odd edge is read and written back within its word.
bool ReadArea(uint32_t address, uint32_t count, uint8_t* out);
bool WriteArea(uint32_t address, uint32_t count, const uint8_t* bytes);

} // namespace debugif
