#include "tests/debugapi/program_cycle.h"

#include "core/code_image.h"
#include "core/device_table.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"
#include "core/memory_map.h"
#include "core/program_image.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "sim/emu_board.h"

#include <algorithm>
#include <sstream>

namespace debugapi_test {

namespace {

// Changes with every cycle, so that no cycle passes on the last one's bytes.
uint8_t Seed = 0;

// The image: every byte of main flash, and Info-B's first bytes.
void DefineCode() {
    using namespace core;
    CodeImageClear();
    const int32_t main_start = MemoryMap.active.deviceMainStart;
    const int32_t flash_end = std::min<int32_t>(MemoryMap.active.deviceFlashEnd, 0xFFFF);
    for (int32_t a = main_start; a <= flash_end; ++a) {
        Images.CodeImage.data[ImageIndex(a)] = static_cast<uint8_t>(a * 7 + Seed);
        Images.CodeImage.used[ImageIndex(a)] = 1;
    }
    for (int32_t a = 0x1000; a < 0x1010; ++a) {
        Images.CodeImage.data[ImageIndex(a)] = static_cast<uint8_t>(a + Seed);
        Images.CodeImage.used[ImageIndex(a)] = 1;
    }
    Images.CodeImageHasData = 1;
}

} // namespace

bool ProgramCycleSetup(ApiBench& b) {
    core::Settings.Reset();
    core::Settings.CommPortIndex = 3;
    core::Settings.Selected_UIF = b.Port();
    if (core::DeviceTableParse(core::kDeviceFilterAll) != 1) {
        return false;
    }
    for (int32_t r = 1; r <= core::DeviceInfoTable.count; ++r) {
        if (sim::DeviceRowName(core::DeviceInfoTable.records[r]) == kCycleBoard) {
            core::Settings.SelectedProcessorIndex = r;
            return true;
        }
    }
    return false;
}

std::string ProgramCycle(VerifyMode verify) {
    using namespace core;
    std::ostringstream failed;
    auto step = [&](const char* name, int32_t result) {
        if (result != 1 && failed.tellp() == 0) {
            failed << name << " = " << result;
        }
        return result == 1;
    };
    if (!step("open", TargetOpen()) || !step("power", TargetPowerSet(1)) ||
        !step("identify", TargetIdentify())) {
        TargetClose();
        return failed.str();
    }
    ++Seed;
    DefineCode();
    ProgramImagePrepare(0, 0);
    bool ok = step("erase", TargetErase());
    bool blank = false;
    for (int round = 0; ok && round < 2 && !blank; ++round) {
        blank = (TargetEraseVerify() & 0x0F) == 1 || TargetBlankCheck() == 1;
    }
    ok = ok && step("blank check", blank ? 1 : 0);
    if (ok && ProgramImagePrepare(0, 1) == 0) {
        ProgramImagePrepare(0, 0);
    }
    for (int32_t k = 0; ok && k < SegmentTable.count; ++k) {
        const MemorySegment& s = SegmentTable.segments[k];
        if (s.needsWrite != 0) {
            ok = step("write", TargetWriteImageBlock(s.start, s.length));
        }
    }
    ProgramImageChecksum();
    ok = ok && step("verify checksum", TargetVerifyChecksum());
    if (verify == VerifyMode::kStandard) {
        ReadImageClear();
        for (int32_t k = 0; ok && k < SegmentTable.count; ++k) {
            const MemorySegment& s = SegmentTable.segments[k];
            if (s.needsCheck != 0) {
                ok = step("verify range", TargetVerifyRange(s.start, s.length));
            }
        }
    }
    TargetClose();
    if (failed.tellp() != 0) {
        failed << " (" << Target.TargetErrorLog << ")";
    }
    return failed.str();
}

std::string ProgramCycleFlashDifference(ApiBench& b, bool exact) {
    using namespace core;
    const int32_t main_start = MemoryMap.active.deviceMainStart;
    const int32_t flash_end = std::min<int32_t>(MemoryMap.active.deviceFlashEnd, 0xFFFF);
    auto differs = [&](int32_t a, uint8_t got) {
        const int32_t i = ImageIndex(a);
        const uint8_t want = Images.CodeImage.used[i] != 0 ? Images.CodeImage.data[i] : 0xFF;
        return got != want && (exact || got != 0xFF);
    };
    const Bytes main = b.Peek(static_cast<uint32_t>(main_start),
                              static_cast<uint32_t>(flash_end - main_start + 1));
    // Info-A, locked, keeps the calibration through every erase.
    const Bytes info = b.Peek(0x1000, 0xC0);
    for (int32_t a = main_start; a <= flash_end; ++a) {
        if (differs(a, main[static_cast<size_t>(a - main_start)])) {
            std::ostringstream d;
            d << "main flash differs at 0x" << std::hex << a;
            return d.str();
        }
    }
    for (int32_t a = 0x1000; a < 0x10C0; ++a) {
        if (differs(a, info[static_cast<size_t>(a - 0x1000)])) {
            std::ostringstream d;
            d << "information memory differs at 0x" << std::hex << a;
            return d.str();
        }
    }
    return "";
}

} // namespace debugapi_test
