#include "debugif/debugif_reset.h"

#include "debugif/device_id_state.h"
#include "debugif/transport_ops.h"

namespace debugif {

void ResetDebugifState() {
    gDeviceId.Reset();
    ResetTransports();
}

} // namespace debugif
