#include "debugif/debugif_reset.h"

#include "debugif/device_id_state.h"

namespace debugif {

void ResetDebugifState() {
    gDeviceId.Reset();
}

} // namespace debugif
