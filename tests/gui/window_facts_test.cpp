// What the main window shows must still hold: the selected device's
// information after every setup read, no identification after a failed
// connection or identification or another device selection, nothing of the
// board, the code or the run after New Setup, the checksum of the code
// loaded now after every change of it, no memory checksum after an erase,
// no lamp of a step that never ran, "Active" from the connect's start, the
// current file's report and checksum after comparing another file, and the
// current file kept when Combine added nothing.

#include "core/code_file_names.h"
#include "core/code_image.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_state.h"
#include "gui/main_window_state.h"
#include "gui/project/project_state.h"
#include "gui/project/project_write.h"
#include "platform/process.h"
#include "platform/text_viewer.h"
#include "tests/gui/actions_fixture.h"
#include "tests/support/recording_launcher.h"

#include <filesystem>
#include <utility>

namespace guitest {
namespace {

constexpr const char* kF149Info = "RAM -  2048 bytes;      FLASH - 60 kB;";

TEST_F(ActionsTest, EverySetupReadShowsTheSelectedDevicesInformation) {
    Config("SelectedProcessorIndex " + std::to_string(DeviceRowNamed("2274")) + "\r\n");
    testsupport::WriteFile(
        dir_.File("f149.cfg"),
        ";============= MSP430Fxx setup =============\r\nSelectedProcessorIndex " +
            std::to_string(DeviceRowNamed("149")) + "\r\n");
    std::string atStart;
    std::string afterLoad;
    std::string target;
    Run([&](ui::Driver& d) {
        atStart = d.Target().GetItemText(161);
        d.Target().SetItemText(1015, "MSP430F2274");
        d.Target().SetItemText(1016, "2.3");
        session().AnswerFile(dir_.File("f149.cfg"));
        d.Menu(153);
        afterLoad = d.Target().GetItemText(161);
        target = d.Target().GetItemText(1015) + d.Target().GetItemText(1016);
    });
    EXPECT_EQ(atStart, "RAM -  1024 bytes;      FLASH - 32 kB;");
    EXPECT_EQ(afterLoad, kF149Info);
    EXPECT_EQ(target, "");
}

// The identification a passed run showed, and the board's checksum, are
// gone after a connection that failed, after an identification that failed
// with the interface still open (the adapter stalled or was killed after
// the run), and after the operator picked another device.
TEST_F(ActionsTest, TheIdentificationGoesWhenItNoLongerHolds) {
    struct Case {
        const char* name;
        std::function<void(ui::Driver&)> after;
    };
    const Case cases[] = {
        {"failed connection",
         [](ui::Driver& d) {
             sim::Sim().FailOperation("MSP430_Initialize", 1);
             core::TargetClose();
             d.Click(1001);
         }},
        {"failed identification, interface open",
         [](ui::Driver& d) {
             ASSERT_EQ(core::Target.TargetInterfaceOpen, 1);
             sim::Sim().FailOperation("MSP430_Identify", 35);
             d.Click(1001);
             const std::string report = d.Target().GetItemText(1026);
             EXPECT_NE(report.find("JTAG communication initialization....\t failed"),
                       std::string::npos)
                 << report;
         }},
        {"another device",
         [](ui::Driver& d) { d.Select(1014, d.Target().GetCurSel(1014) == 0 ? 1 : 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
        std::string before;
        std::string after;
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            d.Click(1001);
            ASSERT_TRUE(Done(d.Target().GetItemText(1026))) << d.Target().GetItemText(1026);
            before = d.Target().GetItemText(1015) + "|" + d.Target().GetItemText(1048);
            c.after(d);
            after = d.Target().GetItemText(1015) + d.Target().GetItemText(1016) +
                    d.Target().GetItemText(1048);
        });
        EXPECT_EQ(before.substr(0, before.find('|')), "MSP430F149");
        EXPECT_EQ(before.size(), std::string("MSP430F149|0x00000000").size()) << before;
        EXPECT_EQ(after, "");
        ResetBetweenCases();
    }
}

// Rows 1-10 idle and the picture blank: nothing tells of a run.
bool NoRunShown() {
    for (int32_t row = gui::kRowAutoProgram; row <= gui::kRowFuse; ++row) {
        if (gui::StatusDisplay.StatusLampTable[static_cast<size_t>(row)].bitmap != gui::kLampIdle) {
            return false;
        }
    }
    return gui::StatusDisplay.StatusLampTable[gui::kRowPicture].bitmap == gui::kPictureBlank;
}

// New Setup after a passed run on the F2274: no device, no code, so no
// "Target:", "BSL:", checksums, "Pass" or lamps of that run either.
TEST_F(ActionsTest, NewSetupLeavesNothingOfTheBoardTheCodeOrTheRun) {
    Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
    std::vector<std::string> before;
    std::vector<std::string> after;
    bool passShown = false;
    bool nothingShown = false;
    Run([&](ui::Driver& d) {
        Device("2274");
        ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
        d.Click(1001);
        ASSERT_TRUE(Done(d.Target().GetItemText(1026)));
        passShown = Lamp(gui::kRowPicture) == gui::kPicturePass;
        for (int id : {1015, 1016, 1047, 1048}) {
            before.push_back(d.Target().GetItemText(id));
        }
        d.Menu(213);
        for (int id : {1015, 1016, 1047, 1048}) {
            after.push_back(d.Target().GetItemText(id));
        }
        nothingShown = NoRunShown();
    });
    EXPECT_TRUE(passShown);
    for (const std::string& text : before) {
        EXPECT_FALSE(text.empty());
    }
    EXPECT_EQ(after, std::vector<std::string>(4, ""));
    EXPECT_TRUE(nothingShown);
}

// Combine and a setup read change the code image after a passed run:
// "Source:" shows the new image's checksum (none without code), with no
// board checksum, tick or "Pass" of the run beside it.
TEST_F(ActionsTest, AChangedImageShowsItsOwnChecksumAndNoRunOfTheOldOne) {
    struct Case {
        const char* name;
        std::function<void(ui::Driver&)> change;
    };
    const Case cases[] = {
        {"combine",
         [this](ui::Driver& d) {
             const std::string second = CodeFile("b.txt", TiTxt(0x2000, 0x10));
             session().OnDialog(214, [this, second](ui::Driver& c) {
                 session().AnswerFile(second);
                 c.Click(1127);
                 c.Click(1129);
             });
             session().Boxes().Answer(platform::IDNO); // the combined file is not saved
             d.Menu(216);
         }},
        {"setup naming another code file",
         [this](ui::Driver& d) {
             CodeFile("other.txt", TiTxt(0x1200, 0x30));
             testsupport::WriteFile(dir_.File("other.cfg"),
                                    ";============= MSP430Fxx setup =============\r\n"
                                    "CodeFileName\t\ttxt   other.txt   " +
                                        dir_.File("other.txt") + "\r\n");
             session().AnswerFile(dir_.File("other.cfg"));
             d.Menu(153);
             EXPECT_EQ(core::CodeFileNames.CodeFile.name, "other.txt");
             EXPECT_EQ(core::Images.CodeImageHasData, 1);
         }},
        {"setup without a code file",
         [this](ui::Driver& d) {
             testsupport::WriteFile(dir_.File("bare.cfg"),
                                    ";============= MSP430Fxx setup =============\r\n");
             session().AnswerFile(dir_.File("bare.cfg"));
             d.Menu(153);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
        std::string before;
        std::string source;
        std::string memory;
        std::string expected;
        bool nothingShown = false;
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            d.Click(1001);
            ASSERT_TRUE(Done(d.Target().GetItemText(1026)));
            ASSERT_EQ(Lamp(gui::kRowChecksum), gui::kLampPassed);
            before = d.Target().GetItemText(1047);
            c.change(d);
            source = d.Target().GetItemText(1047);
            memory = d.Target().GetItemText(1048);
            if (core::Images.CodeImageHasData == 1) {
                char text[16];
                std::snprintf(text, sizeof text, "0x%8.8X", core::CodeImageChecksum());
                expected = text;
            }
            nothingShown = NoRunShown();
        });
        EXPECT_EQ(before.size(), 10u) << before;
        EXPECT_EQ(source, expected);
        EXPECT_NE(source, before);
        EXPECT_EQ(memory, "");
        EXPECT_TRUE(nothingShown);
        ResetBetweenCases();
    }
}

// A project's code shows its checksum as a code file's does: opened by
// File > Open Project and by "-prj" at start-up.
TEST_F(ActionsTest, AProjectsCodeShowsItsChecksum) {
    Config();
    std::string fromFile;
    std::string fromMenu;
    const std::string project = dir_.File("job.prj");
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        fromFile = d.Target().GetItemText(1047);
        gui::Project.ProjectModeSetting = gui::kProjectModeNone;
        gui::Project.ProjectLockOptionsSetting = 0;
        gui::ProjectKeySetForSave();
        ASSERT_EQ(gui::ProjectWrite(project, "Quillbay"), 1);
        d.Menu(213);
        ASSERT_EQ(d.Target().GetItemText(1047), "");
        session().AnswerFile(project);
        d.Menu(23);
        fromMenu = d.Target().GetItemText(1047);
    });
    EXPECT_EQ(fromFile.size(), 10u) << fromFile;
    EXPECT_EQ(fromMenu, fromFile);

    ResetBetweenCases();
    Config();
    std::string atStart;
    gui::CommandLine.CommandLineText = "-prj " + project;
    session().OnDialog(107, [&](ui::Driver& d) {
        atStart = d.Target().GetItemText(1047);
        d.Close();
    });
    {
        gui::MainDialog dialog;
        dialog.DoModal();
    }
    EXPECT_EQ(atStart, fromFile);
}

// A failed run leaves no lamp yellow (pending) or green (ready) for a step
// that never ran: they show as not run.
TEST_F(ActionsTest, AFailedRunShowsTheStepsThatNeverRanAsNotRun) {
    struct Case {
        const char* name;
        std::function<void()> fault;
    };
    const Case cases[] = {
        {"identification fails", [] { sim::Sim().FailOperation("MSP430_Identify", 35); }},
        {"the erase fails", [] { sim::Sim().FailOperation("MSP430_Erase", 5); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 2\r\n");
        std::vector<int32_t> lamps;
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            c.fault();
            d.Click(1001);
            ASSERT_FALSE(Done(d.Target().GetItemText(1026)));
            for (int32_t row = gui::kRowAutoProgram; row <= gui::kRowFuse; ++row) {
                lamps.push_back(Lamp(row));
            }
        });
        for (size_t i = 0; i < lamps.size(); ++i) {
            EXPECT_NE(lamps[i], gui::kLampPending) << "row " << i + 1;
            EXPECT_NE(lamps[i], gui::kLampReady) << "row " << i + 1;
        }
        EXPECT_EQ(lamps[gui::kRowBlankCheck - 1], gui::kLampIdle);
        EXPECT_EQ(lamps[gui::kRowAutoProgram - 1], gui::kLampFailed);
        ResetBetweenCases();
    }
}

// "Active" shows from the moment the connect begins: while the interface
// opens (which may stall for seconds), not the last run's "Pass".
TEST_F(ActionsTest, ActiveShowsWhileTheInterfaceOpens) {
    Config("FlashEraseModeIndex 1\r\n");
    int32_t whileOpening = 0;
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        d.Click(1001);
        ASSERT_EQ(Lamp(gui::kRowPicture), gui::kPicturePass);
        core::TargetClose();
        CallWatch.onCall = [&](const char* entry) {
            if (whileOpening == 0 && std::string(entry) == "MSP430_Initialize") {
                whileOpening = Lamp(gui::kRowPicture);
            }
        };
        d.Click(1001);
        CallWatch.onCall = nullptr;
    });
    EXPECT_EQ(whileOpening, gui::kPictureActive);
}

TEST_F(ActionsTest, EraseFlashClearsTheMemoryChecksum) {
    Config("FlashEraseModeIndex 1\r\n");
    std::string before;
    std::string after;
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        d.Click(1001);
        before = d.Target().GetItemText(1048);
        session().Boxes().Answer(platform::IDYES);
        d.Click(1003);
        after = d.Target().GetItemText(1048);
    });
    EXPECT_EQ(before.size(), 10u) << before;
    EXPECT_EQ(after, "");
}

TEST_F(ActionsTest, ComparingTwoCodeFilesLeavesTheWindowAsItWas) {
    Config();
    std::vector<std::string> before;
    std::vector<std::string> after;
    bool compared = false;
    session().OnDialog(224, [&](ui::Driver&) { compared = true; });
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        for (int id : {1026, 1047, 1022, 1020}) {
            before.push_back(d.Target().GetItemText(id));
        }
        session().AnswerFile(CodeFile("other.txt", TiTxt(0x1100, 0x30)));
        d.Menu(232);
        for (int id : {1026, 1047, 1022, 1020}) {
            after.push_back(d.Target().GetItemText(id));
        }
    });
    EXPECT_TRUE(compared);
    EXPECT_EQ(before[1].size(), 10u) << before[1];
    EXPECT_EQ(after, before);
}

// Combine Code Files: the current file's name and path go only when the
// dialog changed the image; with nothing added they, and "config.ini",
// keep the file.
TEST_F(ActionsTest, CombineKeepsTheCurrentFileWhenNothingWasAdded) {
    for (bool add : {false, true}) {
        SCOPED_TRACE(add ? "one file added" : "nothing added");
        Config();
        const std::string second = CodeFile("b.txt", TiTxt(0x2000, 0x10));
        session().OnDialog(214, [&](ui::Driver& d) {
            if (add) {
                session().AnswerFile(second);
                d.Click(1127);
            }
            d.Click(1129);
        });
        std::string name;
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            session().Boxes().Answer(platform::IDNO); // do not save the combined file
            d.Menu(216);
            name = d.Target().GetItemText(1022);
        });
        const std::string config = testsupport::ReadFile(dir_.File("config.ini"));
        if (add) {
            EXPECT_EQ(name, "");
            EXPECT_EQ(core::CodeFileNames.CodeFile.name, "");
        } else {
            EXPECT_EQ(name, "a.txt");
            EXPECT_EQ(core::CodeFileNames.CodeFile.name, "a.txt");
            EXPECT_NE(config.find("a.txt"), std::string::npos) << config;
        }
        ResetBetweenCases();
    }
}

} // namespace
} // namespace guitest

namespace guitest {
namespace {

// A viewer button whose viewer cannot start, or fails at once, tells the
// operator where the file was written; a viewer that starts says nothing.
TEST_F(ActionsTest, AViewerThatDoesNotStartLeavesTheFilesPathInABox) {
    struct Case {
        const char* name;
        std::vector<std::string> viewer;
        bool box;
    };
    const Case cases[] = {
        {"no such viewer", {"/no/such/viewer"}, true},
        {"fails at once", {"/bin/sh", "-c", "exit 3", "sh"}, true},
        {"starts", {"/bin/sh", "-c", "exit 0", "sh"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Config();
        platform::SetProcessLauncher(nullptr);
        platform::SetTextViewer(c.viewer);
        session().OnDialog(196, [](ui::Driver& v) { v.Click(1093); });
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            d.Menu(180);
        });
        const std::string line =
            "box [Information] \"The file could not be shown: no viewer (xdg-open) "
            "could be started.\\r\\n\\r\\nIt was written to:\\r\\n" +
            dir_.File("MemView.txt") + "\" flags 0x40";
        EXPECT_EQ(ui::TranscriptHas(line), c.box) << ui::TranscriptText();
        platform::SetTextViewer({});
        ResetBetweenCases();
    }
}

// A viewer still running after its first second and failing later (one
// that tried program after program) is told at a tick of the main window's
// timer (the first once the viewer dialog is closed), once, with the
// written file's path: the code viewer's
// "Convert to TI format", the flash viewer's "TI hex (*.txt)" and "INTEL
// (*.hex)".
TEST_F(ActionsTest, AViewerThatFailsLaterStillLeavesTheFilesPathInABox) {
    class LateFailingViewer final : public testsupport::RecordingLauncher {
    public:
        int StartWatchedLonger(const std::vector<std::string>& argv, int, int) override {
            started.push_back(argv);
            return 0;
        }
        std::vector<std::vector<std::string>> LateFailures() override {
            return std::exchange(failing, {});
        }
        std::vector<std::vector<std::string>> failing;
    };
    struct Case {
        int menu, dialog, button;
        const char* file;
    };
    for (const Case& c :
         {Case{180, 196, 1091, "code_mem.txt"}, Case{199, 198, 1086, "Target_m.txt"},
          Case{199, 198, 1270, "Target_m.hex"}}) {
        SCOPED_TRACE(c.file);
        Config();
        LateFailingViewer launcher;
        platform::SetProcessLauncher(&launcher);
        const std::string box = "box [Information] \"The file could not be shown: no viewer "
                                "(xdg-open) could be started.\\r\\n\\r\\nIt was written to:\\r\\n" +
                                dir_.File(c.file) + "\" flags 0x40";
        bool boxAtOnce = true;
        session().OnDialog(c.dialog, [&](ui::Driver& v) {
            v.Click(c.button);
            boxAtOnce = ui::TranscriptHas(box);
            ASSERT_FALSE(launcher.started.empty());
            launcher.failing = {launcher.started.back()};
        });
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            // A word read back, for the flash viewer's files.
            core::Images.ReadImage[core::ImageIndex(0x1100)] = 0x12;
            core::Images.ReadMask[core::WordIndex(0x1100)] = 1;
            d.Menu(c.menu);
            // The main window's timer ticks once the viewer is closed.
            d.Advance(1500);
            d.Advance(1500);
        });
        EXPECT_FALSE(boxAtOnce);
        EXPECT_EQ(LinesWith({box}).size(), 1u) << ui::TranscriptText();
        EXPECT_TRUE(std::filesystem::exists(dir_.File(c.file)));
        platform::SetProcessLauncher(nullptr);
        ResetBetweenCases();
    }
}

} // namespace
} // namespace guitest
