#include "debugif/debugif_reset.h"

#include "debugif/api_state.h"
#include "debugif/bsl_link.h"
#include "debugif/device_id_state.h"
#include "debugif/lpt_state.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_link_state.h"

namespace debugif {

void ResetDebugifState() {
    Api.Reset();
    gDeviceId.Reset();
    gLpt.Reset();
    UifLink.Reset();
    UifCommands.Reset();
    BslLink.Reset();
    ResetTransports();
}

} // namespace debugif
