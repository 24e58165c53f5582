#include "debugif/lpt_access_table.h"

#include "debugif/flash_program.h"
#include "debugif/jtag89_memory.h"
#include "debugif/jtag89_run.h"
#include "debugif/jtag91_memory.h"
#include "debugif/jtag91_run.h"

namespace debugif {

DeviceAccessTable Family89Table() {
    return DeviceAccessTable{JtagReset89, FlashErase,  JtagMemory89,   JtagSetBreakpoint89,
                             JtagRun89,   JtagState89, JtagBlowFuse89, JtagVerifyPsa89};
}

DeviceAccessTable Family91Table() {
    return DeviceAccessTable{JtagReset91, JtagErase91, JtagMemory91,   JtagSetBreakpoint91,
                             JtagRun91,   JtagState91, JtagBlowFuse91, JtagVerifyPsa91};
}

DeviceAccessTable JtagDeviceAccess(uint16_t jtagId) {
    return jtagId == 0x91 ? Family91Table() : Family89Table();
}

} // namespace debugif
