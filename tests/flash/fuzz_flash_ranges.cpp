// Drives the flash operations with arbitrary addresses and lengths against
// the simulated target: whatever a caller asks, nothing may read or write
// outside the images, the masks or the caller's buffer.

#include "core/code_image.h"
#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/flash_read.h"
#include "core/flash_state.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"
#include "core/memory_map.h"
#include "core/program_image.h"
#include "core/retained_data.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "platform/clock.h"
#include "sim/sim_library.h"
#include "tests/support/fuzz_input.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
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

// The core state the operations start from. Preparing the images walks
// the whole address space; it depends only on the first input byte, so it
// is done once per value of that byte and kept.
struct Prepared {
    int32_t key = -1;
    core::SettingsState settings;
    core::TargetState target;
    core::FlashOpsState flash;
    core::ImagesState images;
    core::SegmentTableState segments;
    core::MemoryMapState map;
    core::SelectedDeviceState selected;
    core::ConnectedDeviceState connected;

    void Save(int32_t k) {
        key = k;
        settings = core::Settings;
        target = core::Target;
        flash = core::FlashOps;
        images = core::Images;
        segments = core::SegmentTable;
        map = core::MemoryMap;
        selected = core::SelectedDevice;
        connected = core::ConnectedDevice;
    }
    // The operations only read the code and programming images and the
    // masks (their two megabytes are copied back only when the last input
    // ran on another configuration); they write the read-back image and the
    // checksum.
    void Restore(bool same_as_last) const {
        core::Settings = settings;
        core::Target = target;
        core::FlashOps = flash;
        if (same_as_last) {
            std::memcpy(core::Images.ReadImage, images.ReadImage, sizeof images.ReadImage);
            core::Images.CodeImageHasData = images.CodeImageHasData;
            core::Images.ImageChecksum = images.ImageChecksum;
        } else {
            core::Images = images;
        }
        core::SegmentTable = segments;
        core::MemoryMap = map;
        core::SelectedDevice = selected;
        core::ConnectedDevice = connected;
    }
};

// Near the edges the operations guard: the retain range and the defined
// bytes of one configuration.
const int32_t kRetainEdges[] = {0x0FFF, 0x1000, 0x10F8, 0x10FF, 0x1800, 0x19FF, 0xFF80, 0x45BFF};

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
    // One prepared state per configuration, made when it is first asked for.
    constexpr int32_t kConfigurations = 72;
    static auto* prepared_states = new Prepared[kConfigurations];
    // The configuration the core's images hold now.
    static int32_t last_key = -1;
    Input in(data, size);
    // Board, erase mode and retain settings, and the defined code bytes, all
    // from one byte.
    const uint8_t key = static_cast<uint8_t>(in.Byte() % kConfigurations);
    Prepared* prepared = &prepared_states[key];
    static const char* const kBoards[] = {"149", "2274", "5438"};
    sim::SimReset();
    core::DebugApiUse(&sim::SimDebugApi());
    sim::SimSelectDeviceNamed(kBoards[key % 3]);
    sim::Sim().SetEarlyF5xx(((key / 3) & 1) != 0);
    if (prepared->key != key) {
        // What the operations keep between calls, without the device table.
        core::Settings.Reset();
        core::Target.Reset();
        core::FlashOps.Reset();
        core::CodeImageClear();
        core::ReadImageClear();
        core::Settings.CommPortIndex = 3;
        core::TargetPowerSet(1);
        core::TargetIdentify();
        core::Settings.FlashEraseModeIndex = (key / 6) % 6;
        core::Settings.RetainDefinedData = (key / 36) & 1;
        core::Settings.RetainDataStart = kRetainEdges[key % 8];
        core::Settings.RetainDataStop = kRetainEdges[(key / 8) % 8] + 0x40;
        uint32_t a = 0x9E3779B9u * (key + 1u);
        for (int32_t i = 0; i < 8; ++i) {
            a = a * 1664525u + 1013904223u;
            const int32_t at = core::kImageStart + static_cast<int32_t>(a % core::kImageSize);
            core::Images.CodeImage.data[core::ImageIndex(at)] = static_cast<uint8_t>(a >> 24);
            core::Images.CodeImage.used[core::ImageIndex(at)] = 1;
        }
        core::ProgramImagePrepare(0, 0);
        core::ReadMaskBuild(0);
        prepared->Save(key);
    } else {
        // The simulated library is connected as the core would have done
        // it; the core's own state comes back as it was prepared.
        core::TargetPowerSet(1);
        core::TargetIdentify();
        prepared->Restore(key == last_key);
    }
    last_key = key;

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
