#include "debugif/uif_verify.h"

#include "debugif/api_state.h"
#include "debugif/error_numbers.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_blocks.h"
#include "debugif/uif_command.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_link_state.h"

#include <mutex>

namespace debugif {

namespace {

constexpr uint8_t kUnknownRequestType = 5;
constexpr uint8_t kUnknownRequestStatus = 0x3F; // '?'

} // namespace

int32_t UifAnnounceVerify() {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (Transport.kind == kTransportHid || UifCommands.UifBootloaderMode != 0 ||
        !UifInExtensionRange()) {
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    if (UifCommand(kUifAnnounce, kUifTypeParams, {kUifVerify}) == 0) {
        UifLink.ExpectInterimPairs = 1;
        return 0;
    }
    const UifResponse& r = UifLink.ResponseBlock;
    if (r.command_id == kUifAnnounce && r.message_type == kUnknownRequestType &&
        r.status == kUnknownRequestStatus) {
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    return -1;
}

int32_t UifVerify(int32_t start, int32_t length, int32_t check, int32_t edge) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    int32_t result = UifAnnounceVerify();
    if (result == 0) {
        result = UifCommand(kUifVerify, kUifTypeParams,
                            {static_cast<uint32_t>(start), static_cast<uint32_t>(length),
                             static_cast<uint32_t>(check) & 0xFFFF,
                             static_cast<uint32_t>(edge) & 0xFFFF});
    }
    UifLink.ExpectInterimPairs = 0;
    return result;
}

} // namespace debugif
