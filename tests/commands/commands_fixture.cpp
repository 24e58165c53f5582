#include "tests/commands/commands_fixture.h"

#include "debugif/api_state.h"
#include "debugif/debugif_reset.h"
#include "debugif/device_id_state.h"
#include "debugif/device_lookup.h"
#include "debugif/hid_device.h"
#include "debugif/identify_build.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_identify.h"
#include "debugif/uif_target_ops.h"
#include "sim/emu_board.h"

#include <fstream>

namespace commands_test {

sim::EmuReply BenchHandler::OnCommand(const sim::EmuRequest& request) {
    auto it = replies.find(request.id);
    if (it != replies.end()) {
        return it->second;
    }
    return EmuTargetHandler::OnCommand(request);
}

std::vector<uint8_t> Emu::Ids() const {
    std::vector<uint8_t> ids;
    for (const sim::EmuRequest& r : Requests()) {
        ids.push_back(r.id);
    }
    return ids;
}

Bench::Bench(BenchOptions options) {
    debugif::ResetDebugifState();
    platform::ResetDeviceServices();
    if (!SelectDevice("149")) {
        error_ = "no F149 in the device list";
        return;
    }
    if (options.pty) {
        server_ = std::make_unique<sim::EmuPtyServer>(serial.adapter);
        if (!server_->Start(scratch_.path() + "/adapters", kPortName, &error_)) {
            return;
        }
        platform::DeviceRecord port;
        port.interface_path = server_->slave_path();
        port.hardware_id = "UMPPORT\\MSP_FET430UIF_COM";
        port.friendly_name = std::string("MSP-FET430UIF (") + kPortName + ")";
        setup.ports.push_back(port);
    }
    if (options.hid) {
        platform::DeviceRecord record;
        record.interface_path = "/dev/hidraw1";
        record.driver_key = "{hid}\\0001";
        record.node = "usb/1-1/1-1:1.0/hid";
        record.parent = "usb/1-1/1-1:1.0";
        setup.hid = {record};
        setup.parents = {{"usb/1-1/1-1:1.0", "usb/1-1"}};
        if (options.hid_sibling_port) {
            platform::DeviceRecord sibling;
            sibling.interface_path = scratch_.path() + "/no-such-tty";
            sibling.hardware_id = "USB\\VID_0451&PID_F432&REV_0100";
            sibling.friendly_name = "USB serial (COM7)";
            sibling.parent = "usb/1-1";
            setup.ports.push_back(sibling);
        }
        hid_device = &os_.AddDevice("/dev/hidraw1");
        peer.Attach(*hid_device);
        debugif::HidTransport.os = &os_;
    }
    platform::DeviceSetupInUse.installed = &setup;
    ok_ = true;
}

Bench::~Bench() {
    debugif::ResetDebugifState();
    platform::ResetDeviceServices();
    if (server_ != nullptr) {
        server_->Stop();
    }
}

bool Bench::SelectDevice(const std::string& name) {
    const bool a =
        serial.Locked([&] { return sim::EmuSelectDeviceNamed(serial.target, name); }) > 0;
    const bool b = hid.Locked([&] { return sim::EmuSelectDeviceNamed(hid.target, name); }) > 0;
    return a && b;
}

int32_t Bench::Prepare(const std::string& port) {
    int32_t version = 0;
    if (debugif::UifConnect(port.c_str(), &version, 1) != 0 || debugif::UifSetVcc(3000) != 0 ||
        debugif::UifIdentify(nullptr, 0, 0) != 0) {
        return -1;
    }
    TakeIdentification();
    serial.ClearTrace();
    hid.ClearTrace();
    return 0;
}

void Bench::ShortenReadTimeouts(uint32_t total_ms) {
    platform::CommTimeouts t = debugif::Transport.port.GetTimeouts();
    t.read_total_constant = total_ms;
    debugif::Transport.port.SetTimeouts(t);
}

void Bench::AddBrokenPort(const std::string& port_name) {
    platform::DeviceRecord port;
    port.interface_path = scratch_.path() + "/" + port_name + ".file";
    std::ofstream(port.interface_path) << "not a terminal\n";
    port.hardware_id = "UMPPORT\\MSP_FET430UIF_COM";
    port.friendly_name = "MSP-FET430UIF (" + port_name + ")";
    setup.ports.push_back(port);
}

void TakeIdentification() {
    debugif::BuildIdentifyRecord();
    const std::string_view name = debugif::gDeviceId.identifyRecord.Name();
    const bool f5 = name.find("430F5") != std::string_view::npos ||
                    name.find("430F6") != std::string_view::npos;
    debugif::Api.DeviceJtagId = f5 ? debugif::kJtagId91 : debugif::kJtagId89;
    debugif::Api.CycleCounterEncoded = f5 ? 1 : 0;
}

VerifyValues SignatureOf(uint32_t address, const Bytes& expected) {
    uint32_t a = address;
    size_t from = 0;
    size_t n = expected.size();
    uint32_t edge0 = 0xFF;
    uint32_t edge1 = 0xFF;
    if ((a & 1) != 0 && n > 0) {
        edge0 = expected[0];
        from = 1;
        ++a;
        --n;
    }
    if ((n & 1) != 0) {
        edge1 = expected[from + n - 1];
        --n;
    }
    uint32_t v = (a - 2) & 0xFFFF;
    for (size_t i = 0; i < n; i += 2) {
        v = (v & 0x8000) != 0 ? (((v ^ 0x0805) << 1) | 1) & 0xFFFF : (v << 1) & 0xFFFF;
        v ^= static_cast<uint32_t>(expected[from + i] | expected[from + i + 1] << 8);
    }
    return VerifyValues{static_cast<int32_t>(v), static_cast<int32_t>(edge0 | edge1 << 8)};
}

} // namespace commands_test
