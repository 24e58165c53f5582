#pragma once
// Dialog tests: the main-window fixture plus the device table, a selected
// or connected device on the simulated library, code bytes put into the
// images, and a launcher that records the text viewer's starts.

#include "core/code_image.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/memory_map.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "platform/process.h"
#include "sim/sim_target.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/device_rows.h"
#include "tests/support/image_bytes.h"
#include "tests/support/recording_launcher.h"

#include <cstdint>
#include <string>
#include <vector>

namespace guitest {

using testsupport::RecordingLauncher;

class DialogTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        platform::SetProcessLauncher(&launcher_);
        ASSERT_EQ(core::DeviceTableParse(core::kDeviceFilterAll), 1);
        core::CodeImageClear();
        core::ReadImageClear();
    }
    void TearDown() override {
        GuiTest::TearDown(); // the real services back before ours go
    }

    static int32_t RowNamed(const std::string& name) { return testsupport::DeviceRowNamed(name); }

    // Selects the device of that table name ("149", "5438").
    static void Select(const std::string& name) {
        core::Settings.SelectedProcessorIndex = RowNamed(name);
        core::DeviceSelectByIndex();
    }

    // A simulated board of that name, powered and identified over USB.
    static void Connect(const std::string& name) {
        core::Settings.CommPortIndex = 3;
        ASSERT_GT(sim::SimSelectDeviceNamed(name), 0) << name;
        ASSERT_EQ(core::TargetPowerSet(1), 1);
        ASSERT_EQ(core::TargetIdentify(), 1);
    }

    static void Put(core::ImageBytes& image, uint32_t address, const std::vector<uint8_t>& bytes) {
        for (uint8_t b : bytes) {
            const int32_t i = core::ImageIndex(address++);
            image.data[i] = b;
            image.used[i] = 1;
        }
        core::Images.CodeImageHasData = 1;
    }
    static void PutCode(uint32_t address, const std::vector<uint8_t>& bytes) {
        Put(core::Images.CodeImage, address, bytes);
    }

    // ReadMask words over address..address+length-1 selected.
    static void MaskRead(int32_t address, int32_t length) {
        for (int32_t a = address; a < address + length; a += 2) {
            core::Images.ReadMask[core::WordIndex(a)] = 1;
        }
    }

    RecordingLauncher launcher_;
};

} // namespace guitest
