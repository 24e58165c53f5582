#include "gui/project/project_fingerprint.h"
#include "gui/project/project_password_dialog.h"
#include "gui/project/project_security_dialog.h"
#include "gui/project/project_state.h"
#include "ui/test_session.h"
#include "ui/transcript.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace gui;

class ProjectDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProjectStateReset();
        PcVolumeSourceSet([](const std::string& path, PcVolume& volume) {
            volume = {1, 0x00C0FFEEu};
            return path == "/";
        });
    }
    void TearDown() override {
        ProjectStateReset();
        PcVolumeSourceSet(nullptr);
    }
};

TEST_F(ProjectDialogTest, SecurityOptionsEnableTheirFieldsByModeAndLockBits) {
    ui::TestSession s;
    s.OnDialog(IDD_SAVE_PRJ_OPTION, [](ui::Driver& d) {
        ui::Dialog& w = d.Target();
        struct Expect {
            bool password, pc, lockedRead, unlockWith, unlock;
        };
        const auto check = [&w](const char* when, Expect e) {
            SCOPED_TRACE(when);
            EXPECT_EQ(w.IsItemEnabled(IDC_PRJ_PASSWORD1), e.password);
            EXPECT_EQ(w.IsItemEnabled(IDC_PRJ_PASSWORD2), e.password);
            EXPECT_EQ(w.IsItemEnabled(IDC_PRJ_PC_CODE), e.pc);
            EXPECT_EQ(w.IsItemEnabled(IDC_PRJ_LOCKED_READ), e.lockedRead);
            EXPECT_EQ(w.IsItemEnabled(IDC_PRJ_UNLOCK_WITH), e.unlockWith);
            EXPECT_EQ(w.IsItemEnabled(IDC_PRJ_UNLOCK1), e.unlock);
            EXPECT_EQ(w.IsItemEnabled(IDC_PRJ_UNLOCK2), e.unlock);
        };
        check("opened", {false, false, false, false, false});
        EXPECT_EQ(w.IsDlgButtonChecked(IDC_PRJ_MODE_NONE), 1);
        EXPECT_EQ(w.GetItemText(IDC_PRJ_PC_CODE), "00C0-FFEE"); // this PC, pre-filled
        d.Click(IDC_PRJ_MODE_PASSWORD);
        check("password mode", {true, false, false, false, false});
        d.Click(IDC_PRJ_MODE_PC);
        check("PC mode", {false, true, false, false, false});
        EXPECT_EQ(w.IsDlgButtonChecked(IDC_PRJ_MODE_PASSWORD), 0);
        d.Click(IDC_PRJ_LOCKED);
        check("locked", {false, true, true, true, false});
        d.Click(IDC_PRJ_UNLOCK_WITH);
        check("locked, unlock with password", {false, true, true, true, true});
        d.Click(IDC_PRJ_LOCKED);
        check("unlocked again", {false, true, false, false, false});
        d.Click(IDC_PRJ_LOCKED);
        d.Click(IDC_PRJ_LOCKED_READ);
        d.Click(ui::IDOK);
    });
    EXPECT_EQ(ProjectSecurityDialogRun(), 1);
    EXPECT_EQ(Project.ProjectDialogResult, 1);
    EXPECT_EQ(Project.ProjectModeSetting, kProjectModePc);
    EXPECT_EQ(Project.ProjectLockOptionsSetting, 7);
    EXPECT_EQ(Project.ProjectPcCode, "00C0-FFEE");
}

TEST_F(ProjectDialogTest, OkRefusesMismatchesWithItsMessageAndStaysOpen) {
    struct Case {
        const char* name;
        std::function<void(ui::Driver&)> wrong;
        std::function<void(ui::Driver&)> mend;
        std::string box;
        std::function<void()> expectTaken;
    } cases[] = {
        {"protection passwords",
         [](ui::Driver& d) {
             d.Click(IDC_PRJ_MODE_PASSWORD);
             d.Type(IDC_PRJ_PASSWORD1, "Secret");
             d.Type(IDC_PRJ_PASSWORD2, "secret");
         },
         [](ui::Driver& d) { d.Type(IDC_PRJ_PASSWORD2, "Secret"); },
         "Protection passwords 1 and 2 are not the same.\r\nPlease retype passwords again.",
         [] {
             EXPECT_EQ(Project.ProjectPassword, "Secret");
             EXPECT_EQ(Project.ProjectModeSetting, kProjectModePassword);
         }},
        {"PC number length",
         [](ui::Driver& d) {
             d.Click(IDC_PRJ_MODE_PC);
             d.Type(IDC_PRJ_PC_CODE, "12ab-cde");
         },
         [](ui::Driver& d) { d.Type(IDC_PRJ_PC_CODE, "12ab-cdef"); },
         "PC 'hardware fingerprint' format error.\r\nCorrect format: XXXX-XXXX where "
         "X-Hex number.\r\nPlease correct PC 'hardware fingerprint' number.",
         [] {
             EXPECT_EQ(Project.ProjectPcCode, "12AB-CDEF"); // upper case
             EXPECT_EQ(Project.ProjectModeSetting, kProjectModePc);
         }},
        {"unlock passwords",
         [](ui::Driver& d) {
             d.Click(IDC_PRJ_LOCKED);
             d.Click(IDC_PRJ_UNLOCK_WITH);
             d.Type(IDC_PRJ_UNLOCK1, "open up");
             d.Type(IDC_PRJ_UNLOCK2, "open-up");
         },
         [](ui::Driver& d) { d.Type(IDC_PRJ_UNLOCK2, "open up"); },
         "Unlock passwords 1 and 2 are not the same.\r\nPlease retype passwords again.",
         [] {
             EXPECT_EQ(Project.ProjectUnlockPassword, "open up");
             EXPECT_EQ(Project.ProjectLockOptionsSetting, 5);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectStateReset();
        ui::TestSession s;
        bool stayedOpen = false;
        s.OnDialog(IDD_SAVE_PRJ_OPTION, [&](ui::Driver& d) {
            c.wrong(d);
            d.Click(ui::IDOK);
            stayedOpen = d.Target().IsOpen();
            c.mend(d);
            d.Click(ui::IDOK);
        });
        EXPECT_EQ(ProjectSecurityDialogRun(), 1);
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(s.Boxes().Transcript().size(), 1u);
        EXPECT_EQ(s.Boxes().Transcript()[0].text, c.box);
        EXPECT_EQ(s.Boxes().Transcript()[0].caption, "Error");
        c.expectTaken();
    }
}

TEST_F(ProjectDialogTest, SecurityOptionsOpenWithTheSettingsAndCancelKeepsThem) {
    Project.ProjectModeSetting = kProjectModePassword;
    Project.ProjectLockOptionsSetting = 5;
    Project.ProjectPassword = "pw";
    Project.ProjectPcCode = "ABCD-0001";
    Project.ProjectUnlockPassword = "unlock";
    ui::TestSession s;
    s.OnDialog(IDD_SAVE_PRJ_OPTION, [](ui::Driver& d) {
        ui::Dialog& w = d.Target();
        EXPECT_EQ(w.IsDlgButtonChecked(IDC_PRJ_MODE_PASSWORD), 1);
        EXPECT_EQ(w.IsDlgButtonChecked(IDC_PRJ_LOCKED), 1);
        EXPECT_EQ(w.IsDlgButtonChecked(IDC_PRJ_LOCKED_READ), 0);
        EXPECT_EQ(w.IsDlgButtonChecked(IDC_PRJ_UNLOCK_WITH), 1);
        EXPECT_EQ(w.GetItemText(IDC_PRJ_PASSWORD1), "pw");
        EXPECT_EQ(w.GetItemText(IDC_PRJ_PASSWORD2), "pw");
        EXPECT_EQ(w.GetItemText(IDC_PRJ_PC_CODE), "ABCD-0001");
        EXPECT_EQ(w.GetItemText(IDC_PRJ_UNLOCK1), "unlock");
        EXPECT_EQ(w.GetItemText(IDC_PRJ_UNLOCK2), "unlock");
        d.Click(IDC_PRJ_MODE_NONE);
        d.Type(IDC_PRJ_UNLOCK1, "changed");
        d.Type(IDC_PRJ_UNLOCK2, "changed");
        d.Click(ui::IDCANCEL);
    });
    EXPECT_EQ(ProjectSecurityDialogRun(), 0);
    EXPECT_EQ(Project.ProjectDialogResult, 0);
    EXPECT_EQ(Project.ProjectModeSetting, kProjectModePassword);
    EXPECT_EQ(Project.ProjectUnlockPassword, "unlock");
}

TEST_F(ProjectDialogTest, TypedTextIsCutToEachFieldsLimit) {
    ui::TestSession s;
    s.OnDialog(IDD_SAVE_PRJ_OPTION, [](ui::Driver& d) {
        d.Click(IDC_PRJ_MODE_PASSWORD);
        d.Type(IDC_PRJ_PASSWORD1, "0123456789abcdefXYZ");
        d.Type(IDC_PRJ_PASSWORD2, "0123456789abcdefQRS"); // equal in their first 16
        d.Click(ui::IDOK);
    });
    EXPECT_EQ(ProjectSecurityDialogRun(), 1);
    EXPECT_EQ(Project.ProjectPassword, "0123456789abcdef");
}

TEST_F(ProjectDialogTest, PasswordPromptCutsTo16AndCancelEmptiesTheText) {
    {
        ui::TestSession s;
        s.OnDialog(IDD_PRJ_PASSWORD, [](ui::Driver& d) {
            EXPECT_EQ(d.Target().GetItemText(IDC_PRJ_PROMPT), "Enter unlock password.");
            d.Type(IDC_PRJ_PASSWORD, "0123456789abcdef-too-long");
            d.Click(ui::IDOK);
        });
        std::string text = "old";
        EXPECT_EQ(PasswordDialogRun(text, "Enter unlock password."), 1);
        EXPECT_EQ(text, "0123456789abcdef");
        EXPECT_EQ(Project.ProjectDialogResult, 1);
        EXPECT_TRUE(ui::TranscriptHas("[21002] open \"Password\""));
    }
    {
        ui::TestSession s;
        s.OnDialog(IDD_PRJ_PASSWORD, [](ui::Driver& d) {
            d.Type(IDC_PRJ_PASSWORD, "typed");
            d.Click(ui::IDCANCEL);
        });
        std::string text = "old";
        EXPECT_EQ(PasswordDialogRun(text, "Enter project file's password."), 0);
        EXPECT_EQ(text, "");
        EXPECT_EQ(Project.ProjectDialogResult, 0);
    }
}

} // namespace
