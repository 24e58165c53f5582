#include "debugif/uif_run.h"

#include "debugif/api_state.h"
#include "debugif/eem_registers.h"
#include "debugif/error_numbers.h"
#include "debugif/read_cache.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_blocks.h"
#include "debugif/uif_command.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_target_ops.h"

#include <mutex>

namespace debugif {

namespace {

bool Stopped(int32_t state) {
    return state == 0 || state == 2 || state == 3;
}

} // namespace

int32_t UifRun(int32_t mode, int32_t releaseJTAG) {
    if (mode < 1 || mode > 3) {
        return UifFail(kErrorInvalidParameter);
    }
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (OnHid()) {
        FreeReadCache();
        if (WriteEemRegisters() != 0) {
            return -1;
        }
    }
    if (UifRegisters(0) != 0) {
        return -1;
    }
    if (UifCommand(kUifRun, kUifTypeParams,
                   {static_cast<uint32_t>(mode), static_cast<uint32_t>(releaseJTAG)}) != 0) {
        return -1;
    }
    UifCommands.SavedCycleCount = -1;
    UifCommands.CpuRunning = 1;
    return 0;
}

int32_t UifState(int32_t* state, int32_t stop, int32_t* cycles) {
    if (state == nullptr) {
        return UifFail(kErrorInvalidParameter);
    }
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (UifCommands.CpuRunning == 0) {
        *state = 0;
        if (cycles != nullptr) {
            *cycles = UifCommands.SavedCycleCount;
        }
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    if (UifCommand(kUifCpuState, kUifTypeParams, {static_cast<uint32_t>(stop)}) != 0 ||
        !UifReplyHasParams(2)) {
        return -1;
    }
    const int32_t s = static_cast<int32_t>(UifLink.ResponseBlock.parameters[0]);
    const int32_t c = static_cast<int32_t>(UifLink.ResponseBlock.parameters[1]);
    *state = s;
    if (cycles != nullptr) {
        *cycles = c;
    }
    if (!Stopped(s)) {
        return 0;
    }
    UifCommands.SavedCycleCount = c;
    UifCommands.CpuRunning = 0;
    if (UifRegisters(1) != 0) {
        return -1;
    }
    if (OnHid()) {
        ResetReadCache();
        return ReadEemRegisters();
    }
    return 0;
}

} // namespace debugif
