#include "debugif/debugif_reset.h"

#include "debugif/api_state.h"
#include "debugif/bsl_link.h"
#include "debugif/device_id_state.h"
#include "debugif/hid_device.h"
#include "debugif/link_timing.h"
#include "debugif/lpt_state.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_com_ports.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_link_state.h"

namespace debugif {

namespace {

constexpr core::StateObject kDebugifStateObjects[] = {
    {"Api", [] { Api.Reset(); }},
    {"gDeviceId", [] { gDeviceId.Reset(); }},
    {"gLpt", [] { gLpt.Reset(); }},
    {"UifLink", [] { UifLink.Reset(); }},
    {"UifCommands", [] { UifCommands.Reset(); }},
    {"BslLink", [] { BslLink.Reset(); }},
    {"Transport", [] { Transport.Reset(); }},
    {"HidTransport", [] { HidTransport.Reset(); }},
    {"ComPortSearch", [] { ComPortSearch.Reset(); }},
    {"LinkTiming", [] { LinkTiming.Reset(); }},
};

} // namespace

core::StateTable DebugifStateObjects() {
    return kDebugifStateObjects;
}

void ResetDebugifState() {
    core::StateTablesReset({DebugifStateObjects()});
}

} // namespace debugif
