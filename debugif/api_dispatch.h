#pragma once
// How the entries of the debug API layer pass a call on by interface kind.

#include "debugif/api_state.h"
#include "debugif/debug_api_layer.h"
#include "debugif/error_numbers.h"

#include <cstdint>
#include <mutex>

namespace debugif {

// Kind 1: parallel() under DebugLock; kind 2: usb(), whose adapter commands
// take the lock themselves; any other kind: error 34.
template <class Parallel, class Usb> int32_t DispatchByKind(Parallel parallel, Usb usb) {
    switch (Api.InterfaceKind) {
    case kInterfaceParallel: {
        std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
        return parallel();
    }
    case kInterfaceUsb:
        return usb();
    default:
        return ApiFail(kErrorNotSupported);
    }
}

} // namespace debugif
