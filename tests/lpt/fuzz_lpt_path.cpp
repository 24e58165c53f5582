// The parallel-port path against port primitives that answer from the
// input: identify, memory, erase, verify, run and state must end, stay
// within their buffers and leave an error number on every failure. A
// device can be forced from the input, so that the flash routines (erase,
// write, the clock search and measurement) run against answers too.

#include "core/debug_api.h"
#include "debugif/api_state.h"
#include "debugif/debugif_reset.h"
#include "debugif/device_id_state.h"
#include "debugif/device_type_count.h"
#include "debugif/flash_clock.h"
#include "debugif/flash_program.h"
#include "debugif/lpt_primitives.h"
#include "tests/support/fuzz_input.h"

#include <array>
#include <cstdlib>

namespace {

class InputPrimitives final : public debugif::LptPrimitives {
public:
    explicit InputPrimitives(testsupport::FuzzInput& in) : in_(in) {}
    int32_t Open(const char*) override { return 0; }
    int32_t Close(int32_t) override { return Refuse() ? -1 : 0; }
    int32_t Supply(int32_t) override { return Refuse() ? -1 : 0; }
    int32_t ShiftIr(uint8_t, uint32_t* capture) override {
        // Mostly the id, so that the routines get past the entry.
        const uint8_t b = in_.Byte();
        *capture = b < 0xC0 ? 0x89 : in_.Byte();
        return b == 0xFF ? -1 : 0;
    }
    int32_t ShiftDr(uint32_t, int32_t, uint32_t* capture) override {
        *capture = in_.Word();
        return 0;
    }
    void Step(int32_t) override {}
    void Pin(int32_t, int32_t) override {}
    void PortCall(int32_t) override {}
    int32_t Release() override { return Refuse() ? -1 : 0; }
    uint32_t TimeStampMs() override { return in_.Word(); }

private:
    bool Refuse() { return in_.Byte() == 0xFF; }
    testsupport::FuzzInput& in_;
};

void Check(int32_t result) {
    if (result != 0 && debugif::Api.LastErrorNumber == 0) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    testsupport::FuzzInput in(data, size);
    InputPrimitives primitives(in);
    debugif::ResetDebugifState();
    debugif::SetLptPrimitives(&primitives);
    int32_t version = 0;
    Check(MSP430_Initialize("LPT1", &version));
    std::array<char, 80> id{};
    Check(MSP430_Identify(id.data(), static_cast<int32_t>(id.size()),
                          in.Byte() % 4 == 0 ? in.Byte() : 0));
    if ((in.Byte() & 1) != 0) {
        // A device as the lookup would leave it, its record from the input.
        auto& id = debugif::gDeviceId;
        id.currentDeviceIndex = 7;
        id.currentDeviceType = static_cast<uint16_t>(in.Byte() % debugif::kDeviceTypeCount);
        const uint16_t ramStart = static_cast<uint16_t>(0x0200 + (in.Byte() & 0x0F) * 0x100);
        id.currentDeviceRecord.SetRamStart(ramStart);
        id.currentDeviceRecord.SetRamEnd(static_cast<uint16_t>(ramStart + in.Half() % 0x900));
        id.currentDeviceRecord.SetLayoutWord2(static_cast<uint16_t>(in.Byte() & 0xC0));
    }
    std::array<char, 64> buffer{};
    for (int i = 0; i < 8 && !in.empty(); ++i) {
        const int32_t address = in.Half();
        const int32_t count = in.Byte() % static_cast<int32_t>(buffer.size());
        int32_t state = 0;
        int32_t cycles = 0;
        switch (in.Byte() % 10) {
        case 7:
            Check(debugif::FlashErase(in.Byte() % 4, address, count));
            break;
        case 8:
            Check(debugif::FlashWrite(static_cast<uint32_t>(address),
                                      reinterpret_cast<const uint8_t*>(buffer.data()),
                                      static_cast<uint32_t>(count)));
            break;
        case 9:
            debugif::MeasureClock(in.Byte(), in.Byte(), in.Byte(), in.Byte(), in.Byte());
            break;
        case 0:
            Check(MSP430_Memory(address, buffer.data(), count, in.Byte() & 1));
            break;
        case 1:
            Check(MSP430_Erase(in.Byte() % 3, address & ~1, count));
            break;
        case 2:
            Check(MSP430_VerifyMem(address, count, buffer.data()));
            break;
        case 3:
            Check(MSP430_RunCpu(in.Byte() % 4, in.Byte() & 1));
            break;
        case 4:
            Check(MSP430_CpuState(&state, in.Byte() & 1, &cycles));
            break;
        case 5:
            Check(MSP430_Reset(in.Byte() % 16, in.Byte() & 1, 0));
            break;
        default:
            Check(MSP430_Configure(in.Byte() % 13, in.Int()));
            break;
        }
    }
    debugif::SetLptPrimitives(nullptr);
    debugif::ResetDebugifState();
    return 0;
}
