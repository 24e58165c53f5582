// The two project dialogs on the Qt back end (offscreen): every control
// inside the window, none overlapping, every text fitting; screenshots in
// <build>/screenshots/.

#include "gui/project/project_fingerprint.h"
#include "gui/project/project_password_dialog.h"
#include "gui/project/project_security_dialog.h"
#include "gui/project/project_state.h"
#include "tests/support/qt_offscreen.h"
#include "ui/test_session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace gui;

[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(
    new testsupport::QtOffscreenEnvironment("project_qt_tests"));

using testsupport::ScreenshotPath;

class ProjectQtDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProjectStateReset();
        PcVolumeSourceSet([](const std::string& path, PcVolume& volume) {
            volume = {1, 0x5EA1F00Du};
            return path == "/";
        });
    }
    void TearDown() override {
        ProjectStateReset();
        PcVolumeSourceSet(nullptr);
    }
};

TEST_F(ProjectQtDialogTest, SecurityOptionsLayOutCleanly) {
    Project.ProjectModeSetting = kProjectModePc;
    Project.ProjectLockOptionsSetting = 5;
    ui::TestSession s;
    std::vector<std::string> problems;
    bool saved = false;
    s.OnDialog(IDD_SAVE_PRJ_OPTION, [&](ui::Driver& d) {
        problems = ui::qt::GeometryProblems(d.Target());
        saved = ui::qt::SaveScreenshot(d.Target(), ScreenshotPath("project-security-options"));
        d.Click(ui::IDOK);
    });
    EXPECT_EQ(ProjectSecurityDialogRun(), 1);
    EXPECT_TRUE(problems.empty()) << testing::PrintToString(problems);
    EXPECT_TRUE(saved);
    EXPECT_EQ(Project.ProjectPcCode, "5EA1-F00D");
}

TEST_F(ProjectQtDialogTest, PasswordPromptLaysOutCleanly) {
    ui::TestSession s;
    std::vector<std::string> problems;
    bool saved = false;
    s.OnDialog(IDD_PRJ_PASSWORD, [&](ui::Driver& d) {
        d.Type(IDC_PRJ_PASSWORD, "0123456789abcdefXYZ");
        problems = ui::qt::GeometryProblems(d.Target());
        saved = ui::qt::SaveScreenshot(d.Target(), ScreenshotPath("project-password"));
        d.Click(ui::IDOK);
    });
    std::string text;
    EXPECT_EQ(PasswordDialogRun(text, "Enter project file's password."), 1);
    EXPECT_EQ(text, "0123456789abcdef");
    EXPECT_TRUE(problems.empty()) << testing::PrintToString(problems);
    EXPECT_TRUE(saved);
}

} // namespace
