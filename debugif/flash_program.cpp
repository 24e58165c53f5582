#include "debugif/flash_program.h"

#include "debugif/error_numbers.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_error_numbers.h"

namespace debugif {

// Flash work on this path needs the RAM routines, which this build does not
// carry yet: it fails plainly rather than report a flash it did not touch.
int32_t FlashErase(int32_t, int32_t, int32_t) {
    return LptFail(kErrorErase);
}

int32_t FlashWrite(uint32_t, const uint8_t*, uint32_t) {
    return LptFail(kErrorWriteMemory);
}

} // namespace debugif
