// The debug API entries with arguments from the input, against the
// emulated adapter's full command set over the fake HID layer. Every
// caller buffer is exactly as long as the call says, so that
// AddressSanitizer sees a split or an edge byte that reaches past it; every
// entry must answer 0 or -1, and an empty memory access must send nothing.

#include "core/debug_api.h"
#include "debugif/api_state.h"
#include "debugif/debugif_reset.h"
#include "debugif/device_id_state.h"
#include "debugif/hid_device.h"
#include "platform/device_setup.h"
#include "platform/fake_hid.h"
#include "sim/emu_adapter.h"
#include "sim/emu_board.h"
#include "sim/emu_hid.h"
#include "sim/emu_target_handler.h"
#include "sim/sim_target.h"
#include "tests/support/fuzz_input.h"
#include "tests/transport/test_support.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using Input = testsupport::FuzzInput;

void Expect(bool ok) {
    if (!ok) {
        std::abort();
    }
}

void Result(int32_t r) {
    Expect(r == 0 || r == -1);
}

// An address near the interesting places: the flash end, the BSL range,
// odd edges, or anywhere.
int32_t AddressFrom(Input& in) {
    const core::IdentifyRecord& id = debugif::gDeviceId.identifyRecord;
    const int32_t delta = static_cast<int8_t>(in.Byte());
    switch (in.Byte() % 5) {
    case 0:
        return static_cast<int32_t>(id.MainEnd()) + delta;
    case 1:
        return id.BslStart() + delta;
    case 2:
        return id.MainStart() + delta;
    case 3:
        return in.Int();
    default:
        return 0x1000 + in.Half();
    }
}

int32_t CountFrom(Input& in) {
    const uint8_t c = in.Byte();
    return (c & 0x80) != 0 ? static_cast<int32_t>(in.Half() % 1200) : c - 2;
}

void RunOperation(Input& in, sim::EmuAdapter& adapter) {
    const uint8_t op = in.Byte();
    int32_t a = 0;
    int32_t b = 0;
    switch (op % 16) {
    case 0: {
        const int32_t address = AddressFrom(in);
        const int32_t count = CountFrom(in);
        std::vector<char> buffer(count > 0 ? static_cast<size_t>(count) : 0, '\x5A');
        const size_t before = adapter.RequestCount();
        Result(MSP430_Memory(address, buffer.data(), count, in.Byte() & 1));
        if (count == 0) {
            Expect(adapter.RequestCount() == before);
        }
        break;
    }
    case 1: {
        const int32_t address = AddressFrom(in);
        const int32_t length = CountFrom(in);
        std::vector<char> buffer(length > 0 ? static_cast<size_t>(length) : 0, '\x5A');
        Result(MSP430_VerifyMem(address, length, (in.Byte() & 1) != 0 ? buffer.data() : nullptr));
        break;
    }
    case 2:
        Result(MSP430_Erase(in.Byte() % 4 - 1, AddressFrom(in), CountFrom(in)));
        break;
    case 3: {
        const int32_t count = CountFrom(in) % 120;
        std::vector<char> buffer(count > 0 ? static_cast<size_t>(count) : 0);
        Result(MSP430_Identify(buffer.data(), count, in.Byte() % 140));
        break;
    }
    case 4:
        a = in.Byte() % 3;
        Result(MSP430_CpuState(&a, in.Byte() & 1, (in.Byte() & 1) != 0 ? &b : nullptr));
        break;
    case 5:
        Result(MSP430_RunCpu(in.Byte() % 5, 0));
        break;
    case 6:
        Result(MSP430_Reset(in.Byte() % 8, in.Byte() & 1, in.Byte() & 1));
        break;
    case 7:
        a = in.Int();
        Result(MSP430_RegisterAccess(&a, static_cast<int8_t>(in.Byte()) % 20, in.Byte() & 1));
        break;
    case 8:
        Result(MSP430_Configure(in.Byte() % 13, in.Int()));
        break;
    case 9:
        Result(MSP430_VCC(in.Byte() * 20));
        break;
    case 10:
        Result(MSP430_ReadSupply(&a));
        break;
    case 11: {
        int32_t count = 0;
        Result(MSP430_GetNumberOfUsbIfs(&count));
        Expect(count >= 0 && count <= static_cast<int32_t>(debugif::kUsbIfSlots));
        char* name = nullptr;
        if (MSP430_GetNameOfUsbIf(static_cast<int8_t>(in.Byte()), &name, &b) == 0) {
            Expect(name != nullptr);
        }
        break;
    }
    case 12: {
        sim::EmuFaults faults;
        faults.corrupt = in.Byte() % 4;
        adapter.SetFaults(faults);
        break;
    }
    case 13:
        Result(MSP430_Initialize((in.Byte() & 1) != 0 ? "HID0001" : "LPT1", &a));
        break;
    case 14:
        Result(MSP430_Close(in.Byte() & 1));
        break;
    default:
        Result(MSP430_EraseCheck(AddressFrom(in), CountFrom(in)));
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
    // One target per board for every input, laid out afresh each time (only
    // the bytes the last input changed go back): its memory is too large to
    // allocate per input.
    static const char* const boards[] = {"149", "2274", "5438"};
    static auto* target_storage = new sim::SimTarget[3];
    const uint8_t board = in.Byte() % 3;
    sim::SimTarget& target = target_storage[board];
    target.ClearFaults();
    target.SetAdapterSupply(0);
    sim::EmuSelectDeviceNamed(target, boards[board]);
    sim::EmuTargetHandler handler(target);
    sim::EmuAdapter adapter(handler, sim::EmuLink::kHid);
    sim::EmuHidPeer peer(adapter);
    peer.Attach(os.AddDevice("/dev/hidraw1"));
    debugif::HidTransport.os = &os;

    int32_t version = 0;
    char record_bytes[80];
    if (MSP430_Initialize("HID0001", &version) == 0 && MSP430_VCC(3000) == 0) {
        MSP430_Identify(record_bytes, sizeof record_bytes, 0);
    }
    for (int steps = 0; steps < 24 && !in.empty(); ++steps) {
        RunOperation(in, adapter);
    }
    debugif::ResetDebugifState();
    platform::ResetDeviceServices();
    return 0;
}
