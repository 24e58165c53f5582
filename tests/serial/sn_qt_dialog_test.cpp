// The four serialization dialogs on the Qt back end (offscreen): every
// control inside the window, none overlapping, every text fitting;
// screenshots in <build>/screenshots/.

#include "core/core_state.h"
#include "core/model_text.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_history.h"
#include "gui/sn_list.h"
#include "platform/local_time.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "tests/serial/sn_local_time.h"
#include "tests/support/qt_offscreen.h"
#include "tests/support/silent_sound.h"
#include "tests/support/temp_dir.h"
#include "ui/test_session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new testsupport::QtOffscreenEnvironment("serial_qt_tests"));

using testsupport::ScreenshotPath;

using testsupport::SilentSound;

class SnQtDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetSoundService(&sound);
        core::CoreStateReset();
        gui::SerialNumber.Reset();
        core::Settings.Reset();
        sn_station::FixedLocalTime();
        core::Settings.SerializationEnable = 1;
        core::Settings.SNFilePathAndName = dir.File("history.sn");
        core::Settings.Starting_SN = 1;
        core::Settings.SN_increment = 1;
        core::Settings.Custom_SN_size = 8;
        core::Settings.SNStartAddress = 0x1000;
    }
    void TearDown() override {
        platform::ResetServices();
        gui::SerialNumber.Reset();
    }
    // Lays the dialog out, keeps its picture and its layout problems.
    template <typename Run>
    void Shoot(int id, const std::string& name, Run run,
               std::function<void(ui::Driver&)> before = {}) {
        ui::TestSession s;
        std::vector<std::string> problems;
        bool saved = false;
        s.OnDialog(id, [&](ui::Driver& d) {
            if (before) {
                before(d);
            }
            problems = ui::qt::GeometryProblems(d.Target());
            saved = ui::qt::SaveScreenshot(d.Target(), ScreenshotPath(name));
            d.Close();
        });
        run();
        EXPECT_TRUE(problems.empty()) << testing::PrintToString(problems);
        EXPECT_TRUE(saved);
    }
    testsupport::TempDir dir;
    SilentSound sound;
};

TEST_F(SnQtDialogTest, SerialDlgLaysOutCleanly) {
    core::Settings.ModelTextEnable = 1;
    core::Settings.ModelTextSize = 4;
    core::Settings.ModelTextStartAddr = 0x1100;
    core::BytesFromText(0, 4, "RevB", core::SerialData.ModelTextBytes);
    Shoot(gui::IDD_SERIAL, "serial-setup", [] {
        gui::SerialDlg dlg;
        dlg.DoModal();
    });
}

TEST_F(SnQtDialogTest, SerStatDlgLaysOutCleanly) {
    testsupport::WriteFile(core::Settings.SNFilePathAndName,
                           "F0 \t20260001 \t. \t( Thu, Dec 10,2026, 11:14 ) \tblink.txt \tAB\r\n"
                           "F0 \t20260002 \tm \t( Thu, Dec 10,2026, 11:15 ) \tblink.txt \tAB\r\n"
                           "F0 \t20260003 \to \t( Thu, Dec 10,2026, 11:16 ) \tblink.txt \tAB\r\n"
                           "F0 \t20260004 \tu \t( Thu, Dec 10,2026, 11:17 ) \tblink.txt \tAB\r\n");
    Shoot(gui::IDD_SER_STAT, "serial-report", [] {
        gui::SerStatDlg dlg;
        dlg.DoModal();
    });
}

TEST_F(SnQtDialogTest, SnEditDlgLaysOutCleanly) {
    core::Settings.SNDispFormatIndex = 0;
    core::Settings.SNMemFormatIndex = 1;
    core::Settings.ModelTextEnable = 1;
    core::Settings.ModelTextSize = 2;
    core::BytesFromText(0, 2, "AB", core::SerialData.ModelTextBytes);
    core::BytesFromText(0, 2, "AA", core::SerialData.ModelTextBytes + 32);
    gui::SerialNumberPrepareNext();
    gui::SerialNumber.SnReadBackText = "20250417";
    gui::SerialNumber.SnEditChoice = 1;
    Shoot(gui::IDD_SN_EDIT, "serial-editor", [] { gui::SnEditRun("20260001"); });
}

// Opened on a custom SN the history holds: the line that says so, nothing offered.
TEST_F(SnQtDialogTest, SnEditDlgOnAUsedNumberLaysOutCleanly) {
    core::Settings.SNDispFormatIndex = 6;
    core::Settings.SNMemFormatIndex = 2;
    core::Settings.Custom_SN_size = 8;
    testsupport::WriteFile(core::Settings.SNFilePathAndName, "F6 \tCAFE0001 \t.\r\n");
    gui::SerialNumberPrepareNext();
    Shoot(
        gui::IDD_SN_EDIT, "serial-editor-used", [] { gui::SnEditRun("CAFE0001"); },
        [](ui::Driver& d) {
            EXPECT_EQ(d.Target().GetItemText(1260),
                      "SN CAFE0001 is already in the SN history file.");
        });
}

TEST_F(SnQtDialogTest, SnListViewLaysOutCleanly) {
    core::Settings.SNDispFormatIndex = 7;
    core::Settings.SNMemFormatIndex = 2;
    const std::string list = dir.File("list.txt");
    std::string text = "#SN_LIST\r\n#SN_SIZE 8\r\n";
    for (int i = 0; i < 30; ++i) {
        text += "QB" + std::to_string(100000 + i) + "\r\n";
    }
    text += "TOOLONG123\r\n";
    testsupport::WriteFile(list, text);
    ASSERT_EQ(gui::SnListLoad(list), 30);
    Shoot(gui::IDD_SN_LIST_VIEW, "serial-list", [] {
        gui::SnListView view;
        view.DoModal();
    });
}

} // namespace
