// A whole programming run through the run-time binding of the simulated
// library built as a shared object, as Quillbay runs it against a real
// debug library. The test links that object for its control interface; the
// binding's load of the same file finds the same instance.

#include "core/code_image.h"
#include "core/core_state.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/flash_fuse.h"
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
#include "platform/module_path.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"
#include "platform/services.h"
#include "sim/sim_control.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace core;

class FlashBindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoreStateReset();
        platform::ResetServices();
        platform::SetPromptService(&prompts);
        platform::SetProgramDirectoryOverride(programDir.path().string());
        ASSERT_EQ(DeviceTableParse(kDeviceFilterAll), 1);
        sim_reset();
    }
    void TearDown() override {
        CoreStateReset();
        platform::ResetServices();
        sim_reset();
    }
    platform::ScriptedPrompts prompts;
    testsupport::TempDir programDir;
};

TEST_F(FlashBindingTest, AProgrammingRunThroughTheBinding) {
    Settings.AdapterIndex = 1;
    Settings.MSP430DLL1 = SIM_LIBRARY_PATH;
    Settings.CommPortIndex = 3;
    Settings.EraseInfoA_F2xx_En = 1; // the calibration must come back by itself
    ASSERT_GT(sim_select_device_named("2274"), 0);
    ASSERT_EQ(TargetOpen(), 1);
    ASSERT_EQ(TargetPowerSet(1), 1);
    ASSERT_EQ(TargetIdentify(), 1);
    ASSERT_EQ(ConnectedDevice.name, "MSP430F2274");

    // Code in Info-B and over most of main flash, the reset vector last.
    for (int32_t a = 0x1080; a < 0x1090; ++a) {
        Images.CodeImage.data[ImageIndex(a)] = static_cast<uint8_t>(a);
        Images.CodeImage.used[ImageIndex(a)] = 1;
    }
    for (int32_t a = 0x8000; a <= 0xFFFF; a += (a & 0x1000) ? 1 : 3) {
        Images.CodeImage.data[ImageIndex(a)] = static_cast<uint8_t>(a * 5 + 1);
        Images.CodeImage.used[ImageIndex(a)] = 1;
    }
    Images.CodeImageHasData = 1;
    uint8_t dco[8] = {};
    ASSERT_EQ(sim_peek(0x10F8, dco, 8), 0);

    ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
    ASSERT_EQ(RetainedDataRead(), 1);
    ASSERT_EQ(TargetErase(), 1);
    ASSERT_EQ(RetainedDataRestore(), 0x11);
    EXPECT_EQ(TargetEraseVerify(), kEraseVerifyDco | kEraseVerifyBlank);
    EXPECT_EQ(TargetBlankCheck(), 1);

    ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
    for (int32_t k = 0; k < SegmentTable.count; ++k) {
        const MemorySegment& s = SegmentTable.segments[k];
        if (s.needsWrite != 0) {
            ASSERT_EQ(TargetWriteImageBlock(s.start, s.length), kWriteOk) << std::hex << s.start;
        }
    }
    ProgramImageChecksum();
    EXPECT_EQ(TargetVerifyChecksum(), 1);
    ReadImageClear();
    for (int32_t k = 0; k < SegmentTable.count; ++k) {
        const MemorySegment& s = SegmentTable.segments[k];
        if (s.needsCheck != 0) {
            EXPECT_EQ(TargetVerifyRange(s.start, s.length), 1) << std::hex << s.start;
        }
    }

    std::vector<uint8_t> flash(0x8000);
    ASSERT_EQ(sim_peek(0x8000, flash.data(), 0x8000), 0);
    ASSERT_EQ(TargetReadRange(0x8000, 0x8000), 1);
    for (int32_t a = 0x8000; a <= 0xFFFF; ++a) {
        const int32_t i = ImageIndex(a);
        const uint8_t want = Images.ProgramImage.used[i] ? Images.ProgramImage.data[i] : 0xFF;
        ASSERT_EQ(flash[static_cast<size_t>(a - 0x8000)], want) << std::hex << a;
        ASSERT_EQ(Images.ReadImage[i], want) << std::hex << a;
    }
    uint8_t dcoAfter[8] = {};
    ASSERT_EQ(sim_peek(0x10F8, dcoAfter, 8), 0);
    EXPECT_EQ(std::vector<uint8_t>(dcoAfter, dcoAfter + 8), std::vector<uint8_t>(dco, dco + 8));

    EXPECT_EQ(TargetBlowFuse(), 1);
    EXPECT_EQ(sim_fuse_blown(), 1);
    EXPECT_EQ(sim_info_a_unlocked(), 0);
    EXPECT_EQ(prompts.Transcript().size(), 0u);
}

} // namespace
