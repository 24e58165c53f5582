// The main window's state handlers on the headless dialog layer: the lock
// and what it enables, the setup and project runners with scripted file
// dialogs, the recent setups, the selectors and the captions.

#include "core/code_image.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/settings.h"
#include "core/setup_file.h"
#include "core/setup_keys.h"
#include "gui/command_line.h"
#include "gui/device_selectors.h"
#include "gui/main_controls.h"
#include "gui/main_dialog.h"
#include "gui/procedure_frame.h"
#include "gui/project/project_state.h"
#include "gui/project/project_write.h"
#include "gui/setup_runners.h"
#include "gui/startup_load.h"
#include "quill_version.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/device_rows.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

namespace guitest {
namespace {

using testsupport::DeviceRowNamed;

class StateTest : public SessionGuiTest {
protected:
    // The main window with commandLine, script as the operator, then closed.
    void Run(const std::string& commandLine, std::function<void(ui::Driver&)> script) {
        gui::CommandLine.CommandLineText = commandLine;
        session().OnDialog(107, [script = std::move(script)](ui::Driver& d) {
            gui::Frame.FirmwareUpdateOffer = 0;
            script(d);
            d.Close();
        });
        gui::MainDialog dialog;
        dialog.DoModal();
    }
    void Restart() {
        sessionHolder_.reset();
        core::CoreStateReset();
        gui::GuiStateReset();
        gui::ArtworkRegister();
        sessionHolder_.emplace();
    }
};

// ---------------------------------------------------------------- the lock

struct LockCase {
    const char* name;
    const char* commandLine; // "@" stands for the project file
    int32_t projectLock;     // lock options of the project written first (-1: none)
    bool operatorLock;       // the operator answers Yes to the lock question
    bool locked;
    bool viewers;     // 180, 199, 214, 232 while locked
    bool openProject; // 23 while locked
    bool lockItem;    // 218 while locked
};

class LockMatrixTest : public StateTest, public ::testing::WithParamInterface<LockCase> {};

TEST_P(LockMatrixTest, ControlsAndMenuItemsFollowTheLock) {
    const LockCase& c = GetParam();
    for (int32_t serialization : {0, 1}) {
        WriteConfig("SerializationEnable " + std::to_string(serialization) +
                    "\r\nPowerFromPODEnable 1\r\n");
        std::string commandLine = c.commandLine;
        if (c.projectLock >= 0) {
            core::DeviceTableParse(core::kDeviceFilterAll);
            core::SetupKeysDefault(core::Settings);
            core::Settings.SerializationEnable = serialization;
            core::Settings.PowerFromPODEnable = 1;
            gui::Project.ProjectModeSetting = gui::kProjectModeNone;
            gui::Project.ProjectLockOptionsSetting = c.projectLock;
            gui::Project.ProjectUnlockPassword = "open sesame";
            gui::ProjectKeySetForSave();
            ASSERT_EQ(gui::ProjectWrite(dir_.File("job.prj"), "Quillbay"), 1);
            core::CoreStateReset();
            gui::ProjectStateReset();
            commandLine.replace(commandLine.find('@'), 1, dir_.File("job.prj"));
        }
        Run(commandLine, [&](ui::Driver& d) {
            if (c.operatorLock) {
                session().Boxes().Answer(platform::IDYES);
                d.Menu(218);
                EXPECT_TRUE(ui::TranscriptHas(
                    "box [Lock Setup] \"Would you like to lock current Setup ?  \\r\\n\\r\\n\" "
                    "flags 0x24 -> IDYES"));
            }
            const std::string at =
                std::string(c.name) + " serialization " + std::to_string(serialization);
            EXPECT_EQ(gui::SetupRunner.SetupUnlocked == 0, c.locked) << at;
            ui::Dialog& w = d.Target();
            for (int id : {1010, 1003, 1004, 1005, 1006, 1007, 1008, 1014, 1021, 1028, 1002}) {
                EXPECT_EQ(w.IsItemEnabled(id), !c.locked) << at << " control " << id;
            }
            if (c.locked) {
                EXPECT_FALSE(w.IsItemEnabled(1011)) << at;
            }
            for (int id : {24, 213, 153, 154, 155, 120, 216, 217, 223, 194, 225, 220, 195}) {
                EXPECT_EQ(w.IsMenuItemEnabled(id), !c.locked) << at << " menu " << id;
            }
            for (int id : {180, 199, 214, 232}) {
                EXPECT_EQ(w.IsMenuItemEnabled(id), !c.locked || c.viewers) << at << " menu " << id;
            }
            EXPECT_EQ(w.IsMenuItemEnabled(23), !c.locked || c.openProject) << at;
            EXPECT_EQ(w.IsMenuItemEnabled(218), !c.locked || c.lockItem) << at;
            EXPECT_EQ(w.IsMenuItemEnabled(219), serialization == 1) << at;
            // Serial-number controls follow serialization, whatever the lock.
            EXPECT_EQ(w.IsItemEnabled(1051), serialization == 1) << at;
        });
        Restart();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LockMatrixTest,
    ::testing::Values(
        LockCase{"Unlocked", "-nf", -1, false, false, false, false, false},
        LockCase{"CommandLine", "-lock", -1, false, true, true, false, false},
        LockCase{"Operator", "-nf", -1, true, true, true, false, true},
        LockCase{"Project", "-prj @", 1, false, true, true, true, false},
        LockCase{"ProjectReadLocked", "-prj @", 1 | 2, false, true, false, true, false},
        LockCase{"ProjectWithPassword", "-prj @", 1 | 4, false, true, true, true, true},
        LockCase{"ProjectAllBits", "-prj @", 1 | 2 | 4, false, true, false, true, true},
        LockCase{"ProjectUnlocked", "-prj @", 0, false, false, false, false, false}),
    [](const ::testing::TestParamInfo<LockCase>& info) { return std::string(info.param.name); });

TEST_F(StateTest, LockQuestionYesLocksAndNoUnlocksAgain) {
    WriteConfig();
    Run("-nf", [&](ui::Driver& d) {
        session().Boxes().Answer(platform::IDYES);
        d.Menu(218);
        EXPECT_EQ(gui::SetupRunner.SetupUnlocked, 0);
        EXPECT_EQ(gui::Startup.LockOptions, gui::kLockByOperator);
        EXPECT_FALSE(d.Target().IsItemEnabled(1003));
        EXPECT_FALSE(d.Target().IsItemEnabled(1028));
        session().Boxes().Answer(platform::IDNO);
        d.Menu(218);
        EXPECT_EQ(gui::SetupRunner.SetupUnlocked, 0xFF);
        EXPECT_EQ(gui::Startup.LockOptions, 0);
        EXPECT_TRUE(d.Target().IsItemEnabled(1003));
        EXPECT_TRUE(d.Target().IsItemEnabled(1028));
    });
}

TEST_F(StateTest, FuseQuestionAtStartUp) {
    for (int answer : {platform::IDNO, platform::IDYES}) {
        WriteConfig("BlowFuseEnable 1\r\n");
        // The first box is the missing debug library's.
        session().Boxes().Answer(platform::IDOK);
        session().Boxes().Answer(answer);
        Run("-nf", [&](ui::Driver& d) {
            const bool kept = answer == platform::IDYES;
            EXPECT_EQ(core::Settings.BlowFuseEnable, kept ? 1 : 0);
            EXPECT_EQ(d.Target().IsItemEnabled(1018), kept);
            EXPECT_EQ(d.Target().IsDlgButtonChecked(1037), kept ? 1 : 0);
            EXPECT_EQ(d.Target().GetItemText(1004), "Verify Security Fuse");
        });
        Restart();
    }
}

// ---------------------------------------------------------------- runners

TEST_F(StateTest, SaveWithoutAPathAsksAndSaveAsAsksBeforeReplacing) {
    WriteConfig("VccIndex 5\r\n");
    const std::string first = dir_.File("first.cfg");
    const std::string second = dir_.File("second.cfg");
    testsupport::WriteFile(second, "old\r\n");
    Run("-nf", [&](ui::Driver& d) {
        session().AnswerFile(first);
        d.Menu(154);
        EXPECT_EQ(core::SetupFiles.CurrentSetupPath, first);
        // A current path: saved there without a dialog.
        core::Settings.VccIndex = 6;
        d.Menu(154);
        // Save as onto an existing file: No keeps it, Yes replaces it.
        session().AnswerFile(second);
        session().Boxes().Answer(platform::IDNO);
        d.Menu(155);
        EXPECT_EQ(testsupport::ReadFile(second), "old\r\n");
        session().AnswerFile(second);
        session().Boxes().Answer(platform::IDYES);
        d.Menu(155);
        EXPECT_EQ(core::SetupFiles.CurrentSetupPath, second);
    });
    EXPECT_EQ(LinesWith({"file "}).size(), 3u) << ui::TranscriptText();
    EXPECT_NE(testsupport::ReadFile(first).find("VccIndex\t\t  6 \r\n"), std::string::npos);
    EXPECT_NE(testsupport::ReadFile(second).find("VccIndex"), std::string::npos);
    EXPECT_TRUE(ui::TranscriptHas("box [Confirm Save As]"));
}

TEST_F(StateTest, LoadOfAMissingFileLeavesTheDefaultsAndItsBox) {
    WriteConfig("VccIndex 6\r\nFlashEraseModeIndex 3\r\n");
    Run("-nf", [&](ui::Driver& d) {
        EXPECT_EQ(core::Settings.VccIndex, 6);
        session().AnswerFile(dir_.File("gone.cfg"));
        d.Menu(153);
        EXPECT_NE(core::Settings.VccIndex, 6);
        EXPECT_EQ(d.Target().GetItemText(1028), "3.2 V");
        EXPECT_EQ(core::SetupFiles.CurrentSetupPath, "");
    });
    EXPECT_TRUE(ui::TranscriptHas("box [Error] \"Open File or Read File Error\\r\\n\\r\\n" +
                                  dir_.File("gone.cfg")));
}

TEST_F(StateTest, OpenProjectCancelledKeepsSetupAndCode) {
    WriteConfig("VccIndex 6\r\n");
    Run("-nf", [&](ui::Driver& d) {
        core::Images.CodeImage.data[0x2000] = 0x12;
        core::Images.CodeImage.used[0x2000] = 1;
        core::Images.CodeImageHasData = 1;
        session().CancelFile();
        d.Menu(23);
        EXPECT_EQ(core::Settings.VccIndex, 6);
        EXPECT_EQ(core::Images.CodeImageHasData, 1);
        EXPECT_EQ(core::Images.CodeImage.used[0x2000], 1);
    });
    EXPECT_TRUE(ui::TranscriptHas("file open \"Project format(*.prj)|*.prj||\" -> cancelled"));
}

TEST_F(StateTest, RecentSetupCaptions) {
    const std::string p35(35, 'a');
    const std::string p36 = "0123456789" + std::string(7, 'm') + "abcdefghijklmnopqrs";
    ASSERT_EQ(p36.size(), 36u);
    EXPECT_EQ(gui::RecentSetupCaption(1, p35), "1. " + p35);
    EXPECT_EQ(gui::RecentSetupCaption(2, p36), "2. 0123456789 ... abcdefghijklmnopqrs");
}

// Setups become first once read or written, a duplicate moves up, and the
// list comes back with "config.ini" at the next start.
TEST_F(StateTest, RecentSetupsSurviveARestart) {
    WriteConfig();
    const std::string a = dir_.File("a.cfg");
    const std::string b = dir_.File("b.cfg");
    Run("-nf", [&](ui::Driver& d) {
        EXPECT_FALSE(d.Target().IsMenuItemEnabled(203));
        session().AnswerFile(a);
        d.Menu(155);
        session().AnswerFile(b);
        d.Menu(155);
        EXPECT_EQ(d.Target().MenuItemText(203), gui::RecentSetupCaption(1, b));
        EXPECT_EQ(d.Target().MenuItemText(205), gui::RecentSetupCaption(2, a));
        EXPECT_FALSE(d.Target().IsMenuItemEnabled(206));
        // Reading "2." makes it current and first; no duplicate stays.
        core::Settings.VccIndex = 1;
        d.Menu(205);
        EXPECT_EQ(core::SetupFiles.CurrentSetupPath, a);
        EXPECT_EQ(d.Target().MenuItemText(203), gui::RecentSetupCaption(1, a));
        EXPECT_EQ(d.Target().MenuItemText(205), gui::RecentSetupCaption(2, b));
        EXPECT_EQ(d.Target().MenuItemText(206), "3.");
    });
    const std::string config = testsupport::ReadFile(dir_.File("config.ini"));
    EXPECT_NE(config.find("SetupFileX1"), std::string::npos) << config;
    Restart();
    Run("-nf", [&](ui::Driver& d) {
        EXPECT_EQ(d.Target().MenuItemText(203), gui::RecentSetupCaption(1, a));
        EXPECT_EQ(d.Target().MenuItemText(205), gui::RecentSetupCaption(2, b));
        EXPECT_TRUE(d.Target().IsMenuItemEnabled(205));
        EXPECT_FALSE(d.Target().IsMenuItemEnabled(206));
    });
}

// ---------------------------------------------------------------- selectors

TEST_F(StateTest, DeviceCombosLeaveOutHiddenAndSecondIdRows) {
    WriteConfig();
    Run("-nf", [&](ui::Driver& d) {
        // Hide one row the way a narrower filter would.
        std::memcpy(core::DeviceInfoTable.records[DeviceRowNamed("147")].name, "xx      ", 9);
        gui::DeviceComboFill("");
        const std::vector<std::string> items = d.Target().GetItems(1014);
        std::vector<std::string> expected;
        int32_t secondIdRows = 0;
        for (int32_t row = 1; row <= core::DeviceInfoTable.count; ++row) {
            std::string name = core::DeviceInfoTable.records[row].name;
            name.erase(name.find_last_not_of(' ') + 1);
            secondIdRows += core::DeviceIsSecondIdRow(row);
            if (name.size() > 2 && core::DeviceIsSecondIdRow(row) == 0) {
                expected.push_back(name);
            }
        }
        EXPECT_GT(secondIdRows, 0);
        EXPECT_EQ(items, expected);
        EXPECT_EQ(std::find(items.begin(), items.end(), "xx"), items.end());
        EXPECT_EQ(items.size() + static_cast<size_t>(secondIdRows) + 1,
                  static_cast<size_t>(core::DeviceInfoTable.count));
    });
}

TEST_F(StateTest, PickingGroupAndDeviceSelectsTheRow) {
    WriteConfig();
    Run("-nf", [&](ui::Driver& d) {
        const std::vector<std::string> groups = d.Target().GetItems(1021);
        const auto f14x = std::find(groups.begin(), groups.end(), "F13x..F14x");
        ASSERT_NE(f14x, groups.end());
        d.Select(1021, static_cast<int>(f14x - groups.begin()));
        const std::vector<std::string> devices = d.Target().GetItems(1014);
        EXPECT_EQ(devices, (std::vector<std::string>{"133", "135", "147", "148", "149"}));
        d.Select(1014, 4);
        EXPECT_EQ(core::Settings.SelectedProcessorIndex, DeviceRowNamed("149"));
        EXPECT_EQ(d.Target().GetItemText(161), "RAM -  2048 bytes;      FLASH - 60 kB;");
        EXPECT_EQ(core::SelectedDevice.name.rfind("MSP430F149 ", 0), 0u);
    });
}

TEST_F(StateTest, VccEntryPowersTheTargetAndIsLockedWithTheSetup) {
    WriteConfig();
    Run("-nf", [&](ui::Driver& d) {
        d.Select(1028, 3);
        EXPECT_EQ(core::Settings.VccIndex, 3);
        ui::TranscriptClear();
        ASSERT_EQ(gui::ProcedureStart(), 1);
        EXPECT_TRUE(ui::TranscriptHas("debug MSP430_VCC(2800)"));
        gui::ProcedureFinish(gui::kResultPassed);
        gui::SetupRunner.SetupUnlocked = 0;
        gui::MainDialogRefresh();
        EXPECT_FALSE(d.Target().IsItemEnabled(1028));
        EXPECT_EQ(d.Target().GetItemText(1028), "2.8 V");
    });
}

TEST_F(StateTest, ConnectionAndMemoryCaptions) {
    WriteConfig();
    Run("-nf", [&](ui::Driver& d) {
        struct Port {
            int32_t index;
            const char* caption;
        };
        core::Settings.Selected_UIF = "COM200";
        for (int32_t interface : {0, 1, 2}) {
            for (const Port& p :
                 {Port{0, "Port: LPT-1"}, Port{1, "Port: LPT-2"}, Port{2, "Port: LPT-3"},
                  Port{3, "Port: USB COM200"}, Port{4, ""}}) {
                core::Settings.InterfaceType = interface;
                core::Settings.CommPortIndex = p.index;
                gui::ConnectionCaptionsUpdate();
                EXPECT_EQ(d.Target().GetItemText(1184),
                          interface == 1 ? "Spy-Bi-Wire (2-wires)" : "JTAG (4-wires)");
                EXPECT_EQ(d.Target().GetItemText(1185), p.caption);
            }
        }
        const char* const memory[] = {"* Update only *",      "* All Memory *",
                                      "* Main Memory only *", "* Used by Code File *",
                                      "* User Defined *",     ""};
        for (int32_t mode = 0; mode <= 5; ++mode) {
            core::Settings.FlashEraseModeIndex = mode;
            gui::MemoryOptionCaptionUpdate();
            EXPECT_EQ(d.Target().GetItemText(1186), memory[mode]) << mode;
        }
    });
}

TEST_F(StateTest, TotalTypedShowsTheBalanceSetByCodeNothing) {
    WriteConfig();
    Run("-nf", [&](ui::Driver& d) {
        d.Type(1052, "25");
        EXPECT_EQ(d.Target().GetItemText(1053), "25");
        EXPECT_EQ(gui::SetupRunner.SnTotal, 25);
        EXPECT_EQ(gui::SetupRunner.SnBalance, 25);
        d.Target().SetItemText(1052, "40");
        EXPECT_EQ(d.Target().GetItemText(1053), "25");
        EXPECT_EQ(gui::SetupRunner.SnTotal, 25);
    });
}

TEST_F(StateTest, AboutBoxShowsTheVersion) {
    WriteConfig();
    std::string partNumber;
    session().OnDialog(100, [&](ui::Driver& d) {
        partNumber = d.Target().GetItemText(1186);
        d.Click(ui::IDOK);
    });
    Run("-nf", [&](ui::Driver& d) { d.Menu(122); });
    EXPECT_EQ(partNumber, QUILL_PROJECT_VERSION);
    EXPECT_TRUE(ui::TranscriptHas("[100] end 1"));
}

} // namespace
// ------------------------------------------------------- serialization menus

// Setup and report run their dialog, then take the next number from the
// history as it stands: a record added meanwhile moves the SN field on.
TEST_F(StateTest, SerializationMenusTakeTheNextNumberFromTheHistory) {
    const std::string history = dir_.File("history.sn");
    testsupport::WriteFile(history, "F3 \t00041 \t.\r\n");
    WriteConfig("SerializationEnable 1\r\nSNDispFormatIndex 3\r\nStarting_SN 1\r\n"
                "SNFilePathAndName " +
                history + "\r\n");
    Run("-nf", [&](ui::Driver& d) {
        d.Menu(195);
        EXPECT_EQ(d.Target().GetItemText(1051), "0042");
        testsupport::WriteFile(history, "F3 \t00041 \t.\r\nF3 \t00042 \t.\r\n");
        d.Menu(219);
        EXPECT_EQ(d.Target().GetItemText(1051), "0043");
        d.Menu(21);
    });
    for (int dialog : {190, 215, 226}) {
        EXPECT_TRUE(ui::TranscriptHas("[" + std::to_string(dialog) + "]")) << dialog;
    }
}

// The SN File button reads the list into the pending numbers and reports
// what it took and what it refused.
TEST_F(StateTest, SnFileButtonReportsTheListItRead) {
    const std::string list = dir_.File("list.txt");
    testsupport::WriteFile(list, "#SN_LIST\r\n#SN_SIZE 4\r\nAB12\r\nCD34\r\nXY\r\n");
    WriteConfig("SerializationEnable 1\r\nSNDispFormatIndex 7\r\nCustom_SN_size 4\r\n");
    Run("-nf", [&](ui::Driver& d) {
        session().AnswerFile(list);
        d.Click(1011);
        EXPECT_EQ(d.Target().GetItemText(1056), "2");
    });
    EXPECT_EQ(core::Settings.SN_DataFile, list);
    const std::string& report = gui::Frame.ReportText;
    const size_t at = report.find("Reading SN Data File ...........");
    ASSERT_NE(at, std::string::npos) << report;
    const std::string lines = report.substr(at);
    EXPECT_NE(lines.find("..   0 - SN removed\r\n..   2 - SN accepted\r\n..   1 - SN size error."),
              std::string::npos)
        << lines;
    EXPECT_TRUE(lines.ends_with("\t failed\r\n")) << lines; // a refused entry
}

} // namespace guitest
