#include "debugif/transport_ops.h"

#include "debugif/debugif_reset.h"
#include "debugif/hid_device.h"
#include "debugif/hid_transport.h"
#include "debugif/serial_transport.h"
#include "debugif/uif_com_ports.h"

namespace debugif {

namespace {

int32_t HidFlush() {
    return 0;
}
int32_t HidWaitInput(int32_t, int32_t) {
    return 0;
}
int32_t HidOpen(const char* path, int32_t, int32_t) {
    return OpenHidTransport(path);
}

constexpr TransportOpsTable kSerialOps = {SerialFlush, SerialWaitInput, OpenSerialPort,
                                          CloseSerialPort};
constexpr TransportOpsTable kHidOps = {HidFlush, HidWaitInput, HidOpen, CloseHidTransport};

} // namespace

TransportState::TransportState() : TransportOps(kSerialOps) {}

TransportState Transport;

// Member by member: the port is an operating-system handle, closed here,
// that cannot be copied in from a fresh state.
void TransportState::Reset() {
    if (port.IsOpen()) {
        port.Close();
    }
    TransportOps = kSerialOps;
    kind = kTransportSerial;
    PortHandle = 0;
    PortWaitTime = 0;
    PortRetryCount = 0;
    saved_timeouts = {};
    port_settings = {};
    port_status = {};
    status = 0;
}

void SelectTransport(int32_t hid_flag) {
    Transport.TransportOps = hid_flag == 0 ? kSerialOps : kHidOps;
    Transport.kind = hid_flag == 0 ? kTransportSerial : kTransportHid;
}

void ResetTransports() {
    core::StateObjectsReset(DebugifStateObjects(), {"Transport", "HidTransport", "ComPortSearch"});
}

} // namespace debugif
