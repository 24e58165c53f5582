// "Target's Connection / Reset Options" headless against the simulated
// library: the adapter list, the adapter opened by a click, what OK stores,
// and the connection that Cancel leaves.

#include "core/target_state.h"
#include "gui/main_actions.h"
#include "gui/reset_option_dlg.h"
#include "tests/gui/dialogs_fixture.h"

namespace guitest {
namespace {

class ResetOptionDlgTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        sim::Sim().usbInterfaces = {{"COM0", 0}, {"HID0003", 1}};
        core::Settings.CommPortIndex = 3;
        core::Settings.Selected_UIF = "Automatic";
    }
};

TEST_F(ResetOptionDlgTest, AClickedAdapterIsOpenedShownAndStoredWithoutUsed) {
    core::Settings.ApplicationStartEnable = 3; // no radio stands for these
    core::Settings.InterfaceType = 2;
    core::Settings.ResetModeIndex = 2;
    ui::TestSession session;
    session.OnDialog(217, [](ui::Driver& d) {
        ui::Dialog& w = d.Target();
        EXPECT_EQ(w.GetItems(1194),
                  (std::vector<std::string>{"Automatic", "COM0", "HID0003 (used)"}));
        EXPECT_TRUE(w.IsItemEnabled(1194));
        EXPECT_TRUE(w.IsItemEnabled(1198));
        EXPECT_EQ(w.GetItemText(1171), "Automatic");
        EXPECT_EQ(w.IsDlgButtonChecked(1107), 1);
        EXPECT_EQ(w.IsDlgButtonChecked(1040), 1);
        EXPECT_EQ(w.IsDlgButtonChecked(1112), 1); // 2 shows as JTAG
        ui::TranscriptClear();
        d.Select(1194, 2);
        EXPECT_EQ(w.GetItemText(1171), "HID0003");
        EXPECT_EQ(w.GetCurSel(1194), 2);
        d.Click(1108);
        d.Click(9);
    });
    gui::ResetOptionDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(LinesWith({"debug MSP430_GetNumberOfUsbIfs", "debug MSP430_Initialize"}),
              (std::vector<std::string>{"debug MSP430_GetNumberOfUsbIfs",
                                        "debug MSP430_Initialize(HID0003)"}));
    EXPECT_EQ(core::Settings.Selected_UIF, "HID0003");
    EXPECT_EQ(core::Settings.ResetModeIndex, 3);
    EXPECT_EQ(core::Settings.ApplicationStartEnable, 3);
    EXPECT_EQ(core::Settings.InterfaceType, 2);
    EXPECT_EQ(core::Settings.CommPortIndex, 3);

    // A click on a radio of the group stores it.
    session.OnDialog(217, [](ui::Driver& d) {
        d.Click(1109);
        d.Click(1114);
        d.Click(9);
    });
    gui::ResetOptionDlg again;
    EXPECT_EQ(again.DoModal(), ui::IDOK);
    EXPECT_EQ(core::Settings.ApplicationStartEnable, 0);
    EXPECT_EQ(core::Settings.InterfaceType, 1);
}

TEST_F(ResetOptionDlgTest, TheListOnlyWithTheUsbPortAndASuccessfulListing) {
    struct Case {
        const char* what;
        int32_t port;
        bool failListing;
    };
    for (const Case& c :
         {Case{"LPT-1", 0, false}, Case{"LPT-3", 2, false}, Case{"USB, listing fails", 3, true}}) {
        SCOPED_TRACE(c.what);
        core::Settings.CommPortIndex = c.port;
        if (c.failListing) {
            sim::Sim().FailOperation("MSP430_GetNumberOfUsbIfs", 5, 1);
        }
        ui::TranscriptClear();
        ui::TestSession session;
        session.OnDialog(217, [](ui::Driver& d) {
            EXPECT_EQ(d.Target().GetItems(1194), std::vector<std::string>{"Automatic"});
            EXPECT_FALSE(d.Target().IsItemEnabled(1194));
            EXPECT_FALSE(d.Target().IsItemEnabled(1198));
            d.Select(1194, 0);
            d.Click(9);
        });
        gui::ResetOptionDlg dialog;
        dialog.DoModal();
        EXPECT_TRUE(ui::TranscriptHas("[217] refused select 1194: disabled"))
            << ui::TranscriptText();
        EXPECT_EQ(ui::TranscriptHas("MSP430_GetNumberOfUsbIfs"), c.failListing);
        EXPECT_EQ(core::Settings.Selected_UIF, "Automatic");
    }
    // Choosing "USB -->" lists the adapters.
    core::Settings.CommPortIndex = 0;
    ui::TestSession session;
    session.OnDialog(217, [](ui::Driver& d) {
        d.Click(1040);
        EXPECT_EQ(d.Target().GetCount(1194), 3);
        EXPECT_TRUE(d.Target().IsItemEnabled(1194));
        d.Click(9);
    });
    gui::ResetOptionDlg dialog;
    dialog.DoModal();
    EXPECT_EQ(core::Settings.CommPortIndex, 3);
}

TEST_F(ResetOptionDlgTest, CancelAfterAClickLeavesTheStoredAdapterToTheNextConnect) {
    ui::TestSession session;
    session.OnDialog(217, [](ui::Driver& d) {
        d.Select(1194, 1);
        EXPECT_EQ(core::Target.TargetInterfaceOpen, 1); // COM0's LED lights
        d.Key(ui::VK_ESCAPE, 0x1B);
    });
    gui::OnConnectionReset(); // the main window's menu 220
    EXPECT_EQ(core::Target.TargetInterfaceOpen, 0);
    EXPECT_EQ(core::Settings.Selected_UIF, "Automatic");
    ui::TranscriptClear();
    core::TargetOpen();
    EXPECT_EQ(LinesWith({"debug MSP430_Initialize"}),
              std::vector<std::string>{"debug MSP430_Initialize(TIUSB)"});
}

TEST_F(ResetOptionDlgTest, AnAdapterGoneBeforeTheRefillOpensNothing) {
    ui::TestSession session;
    session.OnDialog(217, [](ui::Driver& d) {
        sim::Sim().usbInterfaces.pop_back();
        ui::TranscriptClear();
        d.Select(1194, 2);
        EXPECT_EQ(d.Target().GetItems(1194), (std::vector<std::string>{"Automatic", "COM0"}));
        EXPECT_EQ(d.Target().GetItemText(1171), "Automatic");
        d.Click(9);
    });
    gui::ResetOptionDlg dialog;
    dialog.DoModal();
    EXPECT_FALSE(ui::TranscriptHas("MSP430_Initialize")) << ui::TranscriptText();
    EXPECT_EQ(core::Settings.Selected_UIF, "Automatic");
}

TEST_F(ResetOptionDlgTest, BrowsingForTheLibrariesMatchesAnyCase) {
    const std::string library = dir_.File("MSP430-TI.DLL");
    testsupport::WriteFile(library, "");
    ui::TestSession session;
    session.AnswerFile(library);
    session.OnDialog(217, [&](ui::Driver& d) {
        d.Click(17);
        EXPECT_EQ(d.Target().GetItemText(1170), library);
        d.Click(9);
    });
    gui::ResetOptionDlg dialog;
    dialog.DoModal();
    EXPECT_TRUE(
        ui::TranscriptHas("file open \"MSP430.dll    (*.dll)|*.dll||\" -> \"" + library + "\""))
        << ui::TranscriptText();
    EXPECT_EQ(core::Settings.MSP430DLL2, library);
}

} // namespace
} // namespace guitest
