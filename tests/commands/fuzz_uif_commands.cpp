// The adapter commands against an adapter that answers anything: every
// reply (type, status, parameters, data) and the sequence of operations
// come from the input. Nothing may crash or read past a reply, a buffer
// or the read cache.

#include "debugif/api_state.h"
#include "debugif/debugif_reset.h"
#include "debugif/device_id_state.h"
#include "debugif/device_lookup.h"
#include "debugif/eem_registers.h"
#include "debugif/hid_device.h"
#include "debugif/identify_build.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_identify.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_memory.h"
#include "debugif/uif_run.h"
#include "debugif/uif_target_ops.h"
#include "debugif/uif_verify.h"
#include "platform/device_setup.h"
#include "platform/fake_hid.h"
#include "sim/emu_adapter.h"
#include "sim/emu_hid.h"
#include "tests/support/fuzz_input.h"
#include "tests/transport/test_support.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using Input = testsupport::FuzzInput;

class AnyReplyHandler : public sim::EmuCommandHandler {
public:
    explicit AnyReplyHandler(Input& in) : in_(in) {}
    sim::EmuReply OnCommand(const sim::EmuRequest&) override {
        const uint8_t shape = in_.Byte();
        sim::EmuReply r;
        if ((shape & 0xC0) == 0xC0) {
            r.answer = false;
            return r;
        }
        r.type = static_cast<uint8_t>(1 + (shape & 3) + ((shape & 0x20) != 0 ? 1 : 0));
        if ((shape & 0x10) != 0) {
            r.status = in_.Byte();
            r.error = in_.Byte();
        }
        const uint8_t counts = in_.Byte();
        for (int i = 0; i < (counts & 7) % 7; ++i) {
            r.params.push_back(in_.Word());
        }
        // Up to 600 data bytes, the fill repeated from the input.
        const size_t n = static_cast<size_t>(counts >> 3) * 20;
        const uint8_t fill = in_.Byte();
        for (size_t i = 0; i < n; ++i) {
            r.data.push_back(static_cast<uint8_t>(fill + i));
        }
        return r;
    }

private:
    Input& in_;
};

void RunOperation(Input& in) {
    static uint8_t buffer[1100];
    const uint8_t op = in.Byte();
    const int32_t address = static_cast<int32_t>(in.Word() % 0x46000);
    const int32_t count = static_cast<int32_t>(in.Word() % sizeof buffer);
    int32_t a = 0;
    int32_t b = 0;
    switch (op % 18) {
    case 0:
        debugif::UifConnect("HID0001", &a, 1);
        break;
    case 1:
        debugif::UifIdentify(nullptr, 0, static_cast<int32_t>(in.Byte() % 130));
        debugif::BuildIdentifyRecord();
        break;
    case 2:
        debugif::UifMemory(address, buffer, count, 1);
        break;
    case 3:
        debugif::UifMemory(address, buffer, count, 0);
        break;
    case 4:
        debugif::UifState(&a, in.Byte() & 1, &b);
        break;
    case 5:
        debugif::UifRun(in.Byte() % 4, 0);
        break;
    case 6:
        debugif::UifReset(1, 0, 0);
        break;
    case 7:
        debugif::UifErase(in.Byte() % 3, address, count);
        break;
    case 8:
        debugif::UifVerify(address, count, static_cast<int32_t>(in.Word()), 0);
        break;
    case 9:
        debugif::UifRegisters(in.Byte() & 1);
        break;
    case 10:
        debugif::UifReadVcc(&a);
        break;
    case 11:
        debugif::UifReadAdapterData(buffer, count);
        break;
    case 12:
        debugif::ReadEemRegisters();
        break;
    case 13:
        debugif::WriteEemRegisters();
        break;
    case 14:
        debugif::UifConfigure(in.Byte() % 12, static_cast<int32_t>(in.Word()));
        break;
    case 15:
        debugif::UifClose(in.Byte() & 1);
        break;
    case 16:
        debugif::UifCommands.UifFirmwareVersion = static_cast<int32_t>(in.Word() % 31000000);
        break;
    default:
        debugif::UifSecure();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    debugif::ResetDebugifState();
    transport_test::MemoryDeviceSetup setup;
    platform::DeviceRecord record;
    record.interface_path = "/dev/hidraw1";
    record.driver_key = "{hid}\\0001";
    setup.hid = {record};
    platform::DeviceSetupInUse.installed = &setup;
    platform::FakeHidOs os;
    AnyReplyHandler handler(in);
    sim::EmuAdapter adapter(handler, sim::EmuLink::kHid);
    sim::EmuHidPeer peer(adapter);
    peer.Attach(os.AddDevice("/dev/hidraw1"));
    debugif::HidTransport.os = &os;

    // A device with memory above 0xFFFF, so that reads reach past the cache.
    std::vector<uint8_t> block(17, 0);
    block[0] = 0x54;
    block[1] = 0x38;
    debugif::LookupDevice(block, 0);
    debugif::BuildIdentifyRecord();
    int32_t version = 0;
    debugif::UifConnect("HID0001", &version, 1);
    for (int steps = 0; steps < 24 && !in.empty(); ++steps) {
        RunOperation(in);
    }
    debugif::ResetDebugifState();
    platform::ResetDeviceServices();
    return 0;
}
