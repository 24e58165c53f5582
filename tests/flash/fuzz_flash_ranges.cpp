// Drives the flash operations with arbitrary addresses and lengths against
// the simulated target: whatever a caller asks, nothing may read or write
// outside the images, the masks or the caller's buffer.

#include "core/code_image.h"
#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_table.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/flash_read.h"
#include "core/flash_state.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"
#include "core/program_image.h"
#include "core/retained_data.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "platform/clock.h"
#include "sim/sim_library.h"
#include "tests/support/fuzz_input.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using Input = testsupport::FuzzInput;

// The core's delays run on this clock: a sleep only moves it on, and every
// reading moves it a microsecond, so that a busy wait ends at once too.
class FuzzClock : public platform::ClockSource {
public:
    uint64_t Counter() override { return now_us_ += 1; }
    uint64_t Frequency() override { return 1000000; }
    void SleepMs(uint32_t ms) override { now_us_ += static_cast<uint64_t>(ms) * 1000; }

private:
    uint64_t now_us_ = 1000000;
};

// Addresses near the edges the operations guard, or anything at all.
int32_t Address(Input& in) {
    static const int32_t kEdges[] = {0x0FFF, 0x1000, 0x10F8, 0x10FF,  0x1800,  0x19FF,
                                     0xFF7B, 0xFF80, 0xFFFF, 0x1FFFF, 0x45BFE, 0x45BFF};
    const uint8_t pick = in.Byte();
    const int32_t delta = static_cast<int8_t>(in.Byte());
    if (pick < 128) {
        return kEdges[pick % (sizeof kEdges / sizeof kEdges[0])] + delta;
    }
    return in.Int();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        static FuzzClock clock;
        platform::SetClockSource(&clock);
        core::CoreStateReset();
        core::DeviceTableParse(core::kDeviceFilterAll);
        return true;
    }();
    (void)ready;
    // What the operations keep between calls, without the device table.
    core::Settings.Reset();
    core::Target.Reset();
    core::FlashOps.Reset();
    core::CodeImageClear();
    core::ReadImageClear();
    sim::SimReset();
    core::DebugApiUse(&sim::SimDebugApi());
    core::Settings.CommPortIndex = 3;
    Input in(data, size);
    static const char* const kBoards[] = {"149", "2274", "5438"};
    sim::SimSelectDeviceNamed(kBoards[in.Byte() % 3]);
    sim::Sim().SetEarlyF5xx((in.Byte() & 1) != 0);
    core::TargetPowerSet(1);
    core::TargetIdentify();
    core::Settings.FlashEraseModeIndex = in.Byte() % 6;
    core::Settings.RetainDefinedData = in.Byte() & 1;
    core::Settings.RetainDataStart = Address(in);
    core::Settings.RetainDataStop = Address(in);
    for (int32_t i = 0; i < 8; ++i) {
        const int32_t a = core::kImageStart +
                          static_cast<int32_t>(static_cast<uint32_t>(in.Int()) % core::kImageSize);
        core::Images.CodeImage.data[core::ImageIndex(a)] = in.Byte();
        core::Images.CodeImage.used[core::ImageIndex(a)] = 1;
    }
    core::ProgramImagePrepare(0, 0);
    core::ReadMaskBuild(0);

    constexpr int32_t kBuffer = 2048;
    std::vector<uint8_t> bytes(kBuffer, 0x5A);
    for (int steps = 0; steps < 24 && !in.empty(); ++steps) {
        const uint8_t op = in.Byte();
        const int32_t address = Address(in);
        const int32_t length = in.Int();
        // Data lengths stay within the caller's buffer, as a caller's would.
        const int32_t count = static_cast<int32_t>(static_cast<uint32_t>(length) % (kBuffer + 1));
        switch (op % 12) {
        case 0:
            core::TargetReadRange(address, length);
            break;
        case 1:
            core::TargetReadSelectedRange(address, length);
            break;
        case 2:
            core::TargetVerifyRange(address, length % 0x10000);
            break;
        case 3:
            core::TargetWriteImageBlock(address, length);
            break;
        case 4:
            core::TargetWriteData(address, count, bytes.data());
            break;
        case 5:
            core::TargetWriteBlock(address, count, bytes.data());
            break;
        case 6:
            core::TargetEraseSegment(address);
            break;
        case 7:
            core::TargetErase();
            break;
        case 8:
            core::TargetEraseVerify();
            break;
        case 9:
            core::TargetBlankCheck();
            break;
        case 10:
            core::RetainedDataRead();
            break;
        default:
            core::RetainedDataRestore();
            break;
        }
    }
    return 0;
}
