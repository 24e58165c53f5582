// Drives the simulated debug library with arbitrary calls: whatever the
// arguments, nothing may read or write outside the target's memory or the
// caller's buffer.

#include "core/device_table.h"
#include "sim/sim_library.h"
#include "tests/support/fuzz_input.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Input = testsupport::FuzzInput;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        core::DeviceTableParse(core::kDeviceFilterAll);
        return true;
    }();
    (void)ready;
    sim::SimReset();
    Input in(data, size);
    const int32_t row = in.Byte() % (core::DeviceInfoTable.count + 1);
    sim::SimSelectDeviceRow(row);
    int32_t version = 0;
    sim::Sim_Initialize("TIUSB", &version);
    sim::Sim_VCC(3000);

    constexpr int32_t kBuffer = 1024;
    std::vector<char> buffer(kBuffer);
    int32_t value = 0;
    char* name = nullptr;
    for (int steps = 0; steps < 64 && !in.empty(); ++steps) {
        const uint8_t op = in.Byte();
        const int32_t a = in.Int();
        const int32_t b = in.Int();
        // Counts stay within the caller's buffer, as a caller's would.
        const int32_t count = static_cast<int32_t>(static_cast<uint32_t>(b) % (kBuffer + 1));
        switch (op % 12) {
        case 0:
            sim::Sim_Identify(buffer.data(), count, a & 0xFF);
            break;
        case 1:
            sim::Sim_Erase(a & 3, b, in.Int());
            break;
        case 2:
            sim::Sim_Memory(a, buffer.data(), count, 0);
            break;
        case 3:
            sim::Sim_Memory(a, buffer.data(), count, 1);
            break;
        case 4:
            sim::Sim_VerifyMem(a, count, buffer.data());
            break;
        case 5:
            sim::Sim_EraseCheck(a, b);
            break;
        case 6:
            sim::Sim_Configure(a, b);
            break;
        case 7:
            sim::Sim_RegisterAccess(&value, a, b & 1);
            break;
        case 8:
            sim::Sim_GetNameOfUsbIf(a, &name, &value);
            if (name != nullptr) {
                (void)std::strlen(name);
            }
            break;
        case 9:
            sim::Sim_GetNumberOfUsbIfs(&value);
            break;
        case 10:
            sim::Sim_Reset(a, b & 1, 1);
            break;
        default:
            sim::Sim().FailReadAt(static_cast<uint32_t>(a), 1);
            break;
        }
    }
    return 0;
}
