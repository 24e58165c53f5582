// Fuzzes the emulated adapter's request side two ways: arbitrary bytes fed
// to the whole adapter (serial and HID), and requests the host builds,
// which the emulator's unframer must read back field for field.

#include "debugif/uif_request.h"
#include "sim/emu_adapter.h"
#include "sim/emu_basic_handler.h"
#include "sim/emu_wire.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

namespace {

void RoundTrip(FuzzedDataProvider& in) {
    debugif::UifRequest r;
    r.command_id = in.ConsumeIntegral<uint8_t>();
    r.message_type = in.ConsumeIntegralInRange<uint8_t>(1, 4);
    r.parameter_count = in.ConsumeIntegralInRange<uint16_t>(0, 6);
    for (uint16_t i = 0; i < r.parameter_count; ++i) {
        r.parameters[i] = in.ConsumeIntegral<uint32_t>();
    }
    std::vector<uint8_t> data = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 1100));
    r.data_length = static_cast<uint32_t>(data.size());
    r.data = data.data();
    uint8_t message[debugif::kUifMessageBufferSize];
    uint8_t frame[debugif::kUifFrameBufferSize];
    const size_t m = debugif::BuildUifMessage(r, message, sizeof message);
    const size_t f = m == 0 ? 0 : debugif::FrameUifMessage(message, m, frame, sizeof frame);
    if (f == 0) {
        return; // too big to frame: refused on the host side
    }
    sim::EmuUnframer u;
    int frames = 0;
    for (size_t i = 0; i < f; ++i) {
        frames += u.Push(frame[i]) ? 1 : 0;
    }
    sim::EmuRequest got;
    if (frames != 1 || !sim::EmuParseRequest(u.frame(), &got) || got.id != r.command_id ||
        got.type != r.message_type) {
        abort();
    }
    const bool params = r.message_type == 2 || r.message_type == 4;
    const bool has_data = r.message_type == 3 || r.message_type == 4;
    if (got.params.size() != (params ? r.parameter_count : 0u) ||
        got.data != (has_data ? data : std::vector<uint8_t>{})) {
        abort();
    }
    for (size_t i = 0; i < got.params.size(); ++i) {
        if (got.params[i] != r.parameters[i]) {
            abort();
        }
    }
}

void Noise(FuzzedDataProvider& in) {
    sim::EmuBasicHandler handler;
    handler.memory.resize(0x1000);
    const bool hid = in.ConsumeBool();
    sim::EmuAdapter adapter(handler, hid ? sim::EmuLink::kHid : sim::EmuLink::kSerial);
    sim::EmuFaults faults;
    faults.bootloader = in.ConsumeBool();
    faults.cut = in.ConsumeIntegralInRange<uint32_t>(0, 2);
    faults.corrupt = in.ConsumeIntegralInRange<uint32_t>(0, 2);
    adapter.SetFaults(faults);
    while (in.remaining_bytes() > 0) {
        std::vector<uint8_t> chunk = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(1, 300));
        std::vector<sim::EmuOutput> out = hid ? adapter.ReceiveReport(chunk.data(), chunk.size())
                                              : adapter.Receive(chunk.data(), chunk.size());
        for (const sim::EmuOutput& o : out) {
            if (o.bytes.empty()) {
                abort();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) {
        RoundTrip(in);
    } else {
        Noise(in);
    }
    return 0;
}
