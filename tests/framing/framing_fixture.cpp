#include "tests/framing/framing_fixture.h"

#include "debugif/api_state.h"
#include "debugif/debugif_reset.h"
#include "debugif/hid_device.h"
#include "debugif/hid_transport.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_transaction.h"
#include "platform/device_setup.h"

#include <algorithm>

namespace framing_test {

sim::EmuReply ScriptedHandler::OnCommand(const sim::EmuRequest& request) {
    auto it = replies.find(request.id);
    if (it != replies.end()) {
        return it->second;
    }
    return EmuBasicHandler::OnCommand(request);
}

int32_t Transact(uint8_t id, uint8_t type, const std::vector<uint32_t>& params,
                 const std::vector<uint8_t>& data) {
    debugif::UifRequest& r = debugif::UifLink.RequestBlock;
    r = debugif::UifRequest{};
    r.command_id = id;
    r.message_type = type;
    r.parameter_count = static_cast<uint16_t>(params.size());
    std::copy_n(params.begin(), std::min<size_t>(params.size(), debugif::kUifMaxParameters),
                r.parameters);
    r.data_length = static_cast<uint32_t>(data.size());
    r.data = data.empty() ? nullptr : data.data();
    return debugif::UifTransaction();
}

std::vector<uint8_t> ReplyData() {
    const debugif::UifResponse& r = debugif::UifLink.ResponseBlock;
    if (r.data == nullptr) {
        return {};
    }
    return std::vector<uint8_t>(r.data, r.data + r.data_length);
}

PtyLink::PtyLink()
    : setup_(scratch_.path() + "/sys", scratch_.path() + "/dev", scratch_.path() + "/adapters") {
    debugif::ResetDebugifState();
    if (!server_.Start(scratch_.path() + "/adapters", kPortName, &error_)) {
        return;
    }
    platform::DeviceSetupInUse.installed = &setup_;
    debugif::SelectTransport(0);
    const std::string path = std::string("\\\\.\\") + kPortName;
    if (debugif::OpenSerialPort(path.c_str(), 500, 10) != debugif::kSerialOk) {
        error_ = "the emulated adapter's port did not open";
        return;
    }
    debugif::Api.InterfaceOpen = 1;
    debugif::Api.InterfaceKind = debugif::kInterfaceUsb;
    ok_ = true;
}

PtyLink::~PtyLink() {
    debugif::ResetDebugifState();
    platform::ResetDeviceServices();
    server_.Stop();
}

void PtyLink::ShortenReadTimeouts(uint32_t total_ms) {
    platform::CommTimeouts t = debugif::Transport.port.GetTimeouts();
    t.read_total_constant = total_ms;
    debugif::Transport.port.SetTimeouts(t);
}

HidLink::HidLink() {
    debugif::ResetDebugifState();
    platform::DeviceRecord record;
    record.interface_path = "/dev/hidraw1";
    record.driver_key = "{hid}\\0001";
    record.node = "usb/1-1/1-1:1.0/hid";
    record.parent = "usb/1-1/1-1:1.0";
    setup_.hid = {record};
    setup_.parents = {{"usb/1-1/1-1:1.0", "usb/1-1"}};
    platform::DeviceSetupInUse.installed = &setup_;
    device = &os_.AddDevice("/dev/hidraw1");
    peer.Attach(*device);
    debugif::HidTransport.os = &os_;
    debugif::SelectTransport(1);
    if (debugif::OpenHidTransport(kAdapterName) != debugif::kHidOk) {
        return;
    }
    debugif::Api.InterfaceOpen = 1;
    debugif::Api.InterfaceKind = debugif::kInterfaceUsb;
    device->written.clear();
    device->features.clear();
    device->flushes = 0;
    ok_ = true;
}

HidLink::~HidLink() {
    debugif::ResetDebugifState();
    platform::ResetDeviceServices();
}

} // namespace framing_test
