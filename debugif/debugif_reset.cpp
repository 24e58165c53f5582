#include "debugif/debugif_reset.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/transport_ops.h"

namespace debugif {

void ResetDebugifState() {
    Api.Reset();
    gDeviceId.Reset();
    ResetTransports();
}

} // namespace debugif
