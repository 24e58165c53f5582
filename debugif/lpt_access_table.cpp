#include "debugif/lpt_access_table.h"

#include "debugif/error_numbers.h"
#include "debugif/flash_program.h"
#include "debugif/jtag89_memory.h"
#include "debugif/jtag89_run.h"
#include "debugif/jtag_shift.h"

namespace debugif {

namespace {

// The 0x91 family is not carried by this build: its slots refuse.
int32_t NotCarried() {
    return LptFail(kErrorNotSupported);
}

} // namespace

DeviceAccessTable Family89Table() {
    return DeviceAccessTable{JtagReset89,         FlashErase,   JtagMemory89,
                             JtagSetBreakpoint89, JtagRun89,    JtagState89,
                             JtagBlowFuse89,      JtagVerifyPsa89};
}

DeviceAccessTable Family91Table() {
    return DeviceAccessTable{
        [](int32_t, int32_t, int32_t) { return NotCarried(); },
        [](int32_t, int32_t, int32_t) { return NotCarried(); },
        [](int32_t, uint8_t*, int32_t, int32_t) { return NotCarried(); },
        [](int32_t, int32_t) { return NotCarried(); },
        [](int32_t, int32_t) { return NotCarried(); },
        [](int32_t*, int32_t, int32_t*) { return NotCarried(); },
        [] { return NotCarried(); },
        [](int32_t, int32_t, int32_t) { return NotCarried(); }};
}

} // namespace debugif
