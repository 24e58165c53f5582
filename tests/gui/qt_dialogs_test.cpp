// Every dialog of the main window's menus on Qt offscreen: a picture of each
// in <build>/screenshots/<id>.png, and a failure for any control that leaves
// its dialog, overlaps another or whose caption does not fit.

#include "core/code_image.h"
#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/settings.h"
#include "debugif/debugif_reset.h"
#include "gui/bsl_passw_dlg.h"
#include "gui/combine_files_dlg.h"
#include "gui/gui_state.h"
#include "gui/memory_view_dlgs.h"
#include "gui/options_dlg.h"
#include "gui/preferences_dlg.h"
#include "gui/reset_option_dlg.h"
#include "platform/services.h"
#include "sim/sim_library.h"
#include "ui/qt_app.h"
#include "ui/test_session.h"
#include "ui/transcript.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <functional>
#include <memory>
#include <string>

namespace guitest {
namespace {

const std::string kShots = std::string(QUILL_BINARY_DIR) + "/screenshots/";

struct DialogCase {
    int id;
    std::function<std::unique_ptr<ui::Dialog>()> make;
    std::function<void(ui::Driver&)> before; // what the operator has done before the picture
};

class QtDialogsTest : public ::testing::TestWithParam<DialogCase> {
protected:
    void SetUp() override {
        core::CoreStateReset();
        gui::GuiStateReset();
        platform::ResetServices();
        debugif::ResetDebugifState();
        sim::SimReset();
        core::DebugApiUse(&sim::SimDebugApi());
        sim::Sim().usbInterfaces = {{"COM0", 0}, {"HID0003", 1}};
        ASSERT_EQ(core::DeviceTableParse(core::kDeviceFilterAll), 1);
        core::Settings.SelectedProcessorIndex = 0;
        for (int32_t r = 1; r <= core::DeviceInfoTable.count; ++r) {
            if (std::string(core::DeviceInfoTable.records[r].name).rfind("2274", 0) == 0) {
                core::Settings.SelectedProcessorIndex = r;
            }
        }
        core::DeviceSelectByIndex();
        core::CodeImageClear();
        for (int32_t a = 0xF000; a < 0xF040; ++a) {
            core::Images.CodeImage.data[core::ImageIndex(a)] = static_cast<uint8_t>(a);
            core::Images.CodeImage.used[core::ImageIndex(a)] = 1;
        }
        core::Settings.CommPortIndex = 3;
    }
    void TearDown() override {
        sim::SimReset();
        core::CoreStateReset();
        gui::GuiStateReset();
        debugif::ResetDebugifState();
        platform::ResetServices();
    }
};

TEST_P(QtDialogsTest, FitsAndIsPictured) {
    const DialogCase& c = GetParam();
    ui::TestSession session;
    bool ran = false;
    session.OnDialog(c.id, [&](ui::Driver& d) {
        ran = true;
        if (c.before) {
            c.before(d);
        }
        QCoreApplication::processEvents();
        for (const std::string& p : ui::qt::GeometryProblems(d.Target())) {
            ADD_FAILURE() << p;
        }
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + std::to_string(c.id) + ".png"));
    });
    std::unique_ptr<ui::Dialog> dialog = c.make();
    dialog->DoModal();
    EXPECT_TRUE(ran) << ui::TranscriptText();
}

INSTANTIATE_TEST_SUITE_P(
    EveryDialog, QtDialogsTest,
    ::testing::Values(
        DialogCase{196, [] { return std::make_unique<gui::MemoryViewDlg>(); }, nullptr},
        DialogCase{198,
                   [] {
                       // A read-back as READ leaves it: bytes and their mask.
                       for (int32_t a = 0xF000; a < 0xF080; ++a) {
                           core::Images.ReadImage[core::ImageIndex(a)] =
                               static_cast<uint8_t>(a * 3);
                           core::Images.ReadMask[core::WordIndex(a)] = 1;
                       }
                       return std::make_unique<gui::TargetMemViewDlg>(true);
                   },
                   nullptr},
        DialogCase{213, [] { return std::make_unique<gui::CompareMemViewDlg>(); }, nullptr},
        DialogCase{224, [] { return std::make_unique<gui::CompareCodesViewDlg>(); }, nullptr},
        DialogCase{185, [] { return std::make_unique<gui::OptionsDlg>(); },
                   [](ui::Driver& d) {
                       d.Click(1079);
                       d.Click(1044);
                       d.Click(1233);
                   }},
        DialogCase{217, [] { return std::make_unique<gui::ResetOptionDlg>(); }, nullptr},
        DialogCase{20300, [] { return std::make_unique<gui::PreferencesDlg>(); }, nullptr},
        DialogCase{20400, [] { return std::make_unique<gui::BSLPasswDlg>(); }, nullptr},
        DialogCase{214, [] { return std::make_unique<gui::CombineFiles>(); }, nullptr}),
    [](const ::testing::TestParamInfo<DialogCase>& info) {
        return "Dialog" + std::to_string(info.param.id);
    });

} // namespace
} // namespace guitest

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ui::qt::Application application(argc, argv);
    return RUN_ALL_TESTS();
}
