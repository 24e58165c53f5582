#include "debugif/jtag_run_state.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/error_numbers.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_error_numbers.h"
#include "debugif/lpt_primitives.h"
#include "debugif/lpt_state.h"

namespace debugif {

bool JtagDeviceKnown() {
    return gDeviceId.currentDeviceIndex != 0;
}

int32_t JtagRunStarted(int32_t mode, int32_t releaseJtag) {
    gLpt.releasedOnRun = 0;
    if (releaseJtag != 0) {
        if (Lpt().Release() != 0) {
            return LptFail(kErrorRun);
        }
        gLpt.releasedOnRun = 1;
    }
    gLpt.cpuState = mode;
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

bool JtagStateAnswered(int32_t* state, int32_t* cycles, int32_t& result) {
    if (!JtagDeviceKnown()) {
        result = LptFail(kErrorUnknownDevice);
        return true;
    }
    if (state == nullptr) {
        result = LptFail(kErrorInvalidParameter);
        return true;
    }
    if (cycles != nullptr) {
        *cycles = gLpt.cycleCount;
    }
    if (gLpt.cpuState == 0) {
        *state = 0;
        Api.LastErrorNumber = kErrorNone;
        result = 0;
        return true;
    }
    *state = 1;
    return false;
}

int32_t JtagBreakpointCheck(int32_t index, int32_t address) {
    if (!JtagDeviceKnown()) {
        return LptFail(kErrorUnknownDevice);
    }
    if (index < 0 || index >= JtagDeviceProfile::Current().BreakpointCount() || address < 0 ||
        static_cast<uint32_t>(address) > gDeviceId.identifyRecord.MainEnd()) {
        return LptFail(kErrorInvalidParameter);
    }
    return 0;
}

} // namespace debugif
