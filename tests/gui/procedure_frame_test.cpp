// The procedure frame on the headless dialog layer with the simulated
// library in process: the reports a run leaves, its pictures, the once-per-
// run checks, the history, the firmware offer and the final action.

#include "core/device_select.h"
#include "core/device_table.h"
#include "core/progress.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "gui/adapter_tools.h"
#include "gui/barcode_input.h"
#include "gui/command_line.h"
#include "gui/main_dialog.h"
#include "gui/procedure_frame.h"
#include "gui/serial_number.h"
#include "gui/status_lamps.h"
#include "platform/prompt.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/comma_locale.h"
#include "tests/support/device_rows.h"

#include <cstring>
#include <functional>
#include <optional>

namespace guitest {
namespace {

using testsupport::DeviceRowNamed;

const std::string kSeparator = "=====================================\r\n";
const std::string kJtag = "JTAG communication initialization.";
const std::string kFuse = "Verifying Security Fuse .................";
const std::string kOk = "...\t OK\r\n";
const std::string kFailed = "...\t failed\r\n";
const std::string kJtagOk = kJtag + kOk;
const std::string kFuseOk = kFuse + kOk;
const std::string kFailedLine = " --------------- FAILED !!! -----------------\r\n";

// Boxes that stay open a while: each one moves the session's clock by the
// next of openMs (0 when none is left) and runs onBox before the session's
// own service answers it.
class SlowBoxes final : public platform::PromptService {
public:
    explicit SlowBoxes(ui::TestSession& session)
        : session_(session), inner_(platform::CurrentPromptService()) {
        platform::SetPromptService(this);
    }
    ~SlowBoxes() override { platform::SetPromptService(&inner_); }

    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        if (next_ < openMs.size()) {
            session_.Clock().Advance(openMs[next_++]);
        }
        if (onBox) {
            onBox(text);
        }
        return inner_.MessageBox(text, caption, flags);
    }

    std::vector<uint32_t> openMs;
    std::function<void(const std::string&)> onBox;

private:
    ui::TestSession& session_;
    platform::PromptService& inner_;
    size_t next_ = 0;
};

class FrameTest : public SessionGuiTest {
protected:
    // The main window (no start-up picture) with script as the operator.
    // The firmware offer (our library reports -1 for every adapter) only
    // where a test asks for it.
    void Run(std::function<void(ui::Driver&)> script, int32_t firmwareOffer = 0) {
        gui::CommandLine.CommandLineText = "-nf";
        session().OnDialog(107, [script = std::move(script), firmwareOffer](ui::Driver& d) {
            gui::Frame.FirmwareUpdateOffer = firmwareOffer;
            script(d);
            d.Close();
        });
        gui::MainDialog dialog;
        dialog.DoModal();
    }
    // A "config.ini" for USB with the report window showing the current run
    // only and a 3.0 V supply, then extra lines.
    void Config(const std::string& extra = "") {
        WriteConfig("ReportHistory 0\r\nVccIndex 4\r\n" + extra);
    }
    // Moves the clock on until the run has taken ms since its connect step.
    void RunTimeReaches(uint32_t ms) {
        session().Clock().Advance(ms - (gui::TickCount() - gui::Frame.ProcedureStartTick));
    }
    static int32_t Picture() { return gui::StatusDisplay.StatusLampTable[gui::kRowPicture].bitmap; }
    static int32_t Lamp(int32_t row) {
        return gui::StatusDisplay.StatusLampTable[static_cast<size_t>(row)].bitmap;
    }
};

// AUTO PROGRAM meets a target of another type: Yes goes on with the box's
// 2.0 s left out of the 12.3 s run; No fails the run.
TEST_F(FrameTest, TypeMismatchQuestionUnderAutoProgram) {
    struct Case {
        int answer;
        std::string last;
        int32_t picture;
    };
    // No stops the run as the operator's choice, and the report keeps why.
    for (const Case& c :
         {Case{platform::IDYES, " -------- D O N E --- ( run time =  10.3 sec.)\r\n",
               gui::kPicturePass},
          Case{platform::IDNO,
               "The target microcontroller type does not match selection:\r\n"
               "Selected microcontroller type: MSP430F1232\r\n"
               "Target microcontroller type:    MSP430F149\r\n"
               "  ---------- TERMINATED BY USER ------------\r\n",
               gui::kPictureBlank}}) {
        Config("ApplicationStartEnable 0\r\n");
        std::string shown;
        Run([&](ui::Driver& d) {
            SlowBoxes boxes(session());
            boxes.openMs = {2000};
            session().Boxes().Answer(c.answer);
            ui::TranscriptClear();
            core::Settings.SelectedProcessorIndex = DeviceRowNamed("1232");
            gui::Frame.AutoProgramActive = 1;
            ASSERT_EQ(gui::ProcedureStart(), 1);
            const int32_t ok = gui::TargetJtagInit(1);
            EXPECT_EQ(ok, c.answer == platform::IDYES ? gui::kResultPassed : gui::kResultStopped);
            RunTimeReaches(12300);
            gui::ProcedureFinish(ok == 1 ? gui::kResultPassed | gui::kFinalActionAllowed : ok);
            gui::Frame.AutoProgramActive = 0;
            shown = d.Target().GetItemText(1026);
        });
        EXPECT_EQ(shown, kSeparator + kJtagOk + kFuseOk + c.last) << c.answer;
        EXPECT_TRUE(ui::TranscriptHas(
            "box [Warning] \"The target microcontroller type does not match selection:\\r\\n\\r\\n"
            "Selected microcontroller type: MSP430F1232\\r\\n\\r\\n"
            "Target microcontroller type:    MSP430F149\\r\\n\\r\\n"
            "Would you like to continue anyway?\" flags 0x34"));
        EXPECT_EQ(Picture(), c.picture);
        EXPECT_FALSE(ui::TranscriptHas("sound 2"));
        gui::GuiStateReset();
        gui::ArtworkRegister();
    }
}

TEST_F(FrameTest, BlownFuseFailsTheRunWithItsBox) {
    Config();
    std::string shown;
    Run([&](ui::Driver& d) {
        sim::Sim().SetFuseBlown(true);
        ui::TranscriptClear();
        ASSERT_EQ(gui::ProcedureStart(), 1);
        EXPECT_EQ(gui::TargetJtagInit(1), 0);
        EXPECT_EQ(Lamp(gui::kRowConnect), gui::kLampStopped);
        EXPECT_EQ(gui::Frame.FuseBlownFound, 1);
        gui::ProcedureFinish(gui::kResultFailed);
        shown = d.Target().GetItemText(1026);
    });
    EXPECT_EQ(shown.find(kSeparator + kJtag + kFailed + kFuse + "...\t BLOWN\r\n"), 0u) << shown;
    EXPECT_EQ(shown.substr(shown.size() - kFailedLine.size()), kFailedLine);
    EXPECT_EQ(LinesWith({"box [", "sound"}),
              (std::vector<std::string>{
                  "box [Error] \"     Security Fuse is BLOWN !!! \\r\\n\\r\\n"
                  "Access to the target microcontroller       \\r\\n"
                  "via JTAG interface is denied.\\r\\n\\r\\n"
                  "Access to the target microcontroller\\r\\n"
                  "is accesible only via BSL interface.\\r\\n\" flags 0x10 -> IDOK (unattended)",
                  "sound 2"}));
    EXPECT_EQ(Picture(), gui::kPictureFail);
}

// Without force a failed identification asks nothing; with force the
// not-responding line and box come, and the lamps waiting in this run turn
// red.
TEST_F(FrameTest, TargetNotResponding) {
    for (int32_t force : {0, 1}) {
        Config();
        std::string shown;
        Run([&](ui::Driver& d) {
            ui::TranscriptClear();
            ASSERT_EQ(gui::ProcedureStart(), 1);
            sim::Sim().FailOperation("MSP430_Identify", 5, -1);
            auto& rows = gui::StatusDisplay.StatusLampTable;
            rows[gui::kRowErase].bitmap = gui::kLampPending;
            rows[gui::kRowVerify].bitmap = gui::kLampPending;
            rows[gui::kRowRead].bitmap = gui::kLampIdle;
            EXPECT_EQ(gui::TargetJtagInit(force), 0);
            EXPECT_EQ(Lamp(gui::kRowConnect), gui::kLampFailed);
            const int32_t pendingNow = force ? gui::kLampStopped : gui::kLampPending;
            EXPECT_EQ(Lamp(gui::kRowErase), pendingNow);
            EXPECT_EQ(Lamp(gui::kRowVerify), pendingNow);
            EXPECT_EQ(Lamp(gui::kRowRead), gui::kLampIdle);
            shown = d.Target().GetItemText(1026);
            sim::Sim().ClearFaults();
        });
        const std::string head = kSeparator + kJtag + kFailed + kFuse + kFailed;
        EXPECT_EQ(shown, force ? head + "  Target Microcontroller is not responding.\r\n" : head);
        EXPECT_EQ(LinesWith({"box ["}).size(), force ? 1u : 0u) << ui::TranscriptText();
        if (force) {
            EXPECT_TRUE(ui::TranscriptHas(
                "box [Error] \"Target Microcontroller is not responding!!! \\r\\n\\r\\n"
                "Please check the connection between the adapter and the target "
                "microcontroller.\" flags 0x10"));
        }
        gui::GuiStateReset();
        gui::ArtworkRegister();
    }
}

// The interface does not open: one box, only the separator, and the Fail
// picture stays through the timer's repaint.
TEST_F(FrameTest, OpenFailureKeepsItsPicture) {
    Config();
    Run([&](ui::Driver& d) {
        sim::Sim().usbInterfaces.clear();
        core::TargetClose();
        ui::TranscriptClear();
        EXPECT_EQ(gui::ProcedureStart(), 0);
        EXPECT_EQ(gui::Frame.PortOpenResult, 0);
        EXPECT_EQ(d.Target().GetItemText(1026), kSeparator);
        d.Advance(gui::kMainTimerMs);
        const std::vector<ui::PaintedBitmap> drawn = d.Paint();
        EXPECT_EQ(drawn[gui::kRowPicture].bitmap, gui::kPictureFail);
        EXPECT_EQ(drawn[gui::kRowConnect].bitmap, gui::kLampIdle);
    });
    EXPECT_EQ(LinesWith({"box ["}),
              (std::vector<std::string>{
                  "box [Error] \"MSP430.dll initialization error.\\r\\n\\r\\n"
                  "Check communication port setup\\r\\nor connection with the FET adapter.\\r\\n\" "
                  "flags 0x10 -> IDOK (unattended)"}));
    EXPECT_FALSE(ui::TranscriptHas("MSP430_VCC(3000)"));
}

TEST_F(FrameTest, StoppedAndTerminatedRunsLeaveTheBlankPicture) {
    struct Case {
        int32_t code;
        std::string line;
    };
    Config();
    Run([&](ui::Driver& d) {
        for (const Case& c :
             {Case{gui::kResultStopped, "  ---------- TERMINATED BY USER ------------\r\n"},
              Case{gui::kResultTerminated, "  ------------ TERMINATED ----------------\r\n"}}) {
            ASSERT_EQ(gui::ProcedureStart(), 1);
            EXPECT_EQ(Picture(), gui::kPictureActive);
            gui::ProcedureFinish(c.code);
            EXPECT_EQ(d.Target().GetItemText(1026), kSeparator + c.line);
            EXPECT_EQ(Picture(), gui::kPictureBlank);
        }
    });
    EXPECT_FALSE(ui::TranscriptHas("sound"));
}

// The final action: only a passed run with bit 0x4000, by
// ApplicationStartEnable.
TEST_F(FrameTest, FinalActionFollowsApplicationStartEnable) {
    const std::string reset = " --- Resetting Target device --- \r\n";
    const std::string start = " --- Start application program ---\r\n";
    struct Case {
        int32_t startEnable;
        bool allowed;
        std::string lines;
        bool resetCall;
    };
    const Case cases[] = {
        {0, true, "", false},    {1, true, reset + start, true}, {2, true, start, false},
        {3, true, start, false}, {1, false, "", false},          {2, false, "", false},
    };
    Config();
    Run([&](ui::Driver& d) {
        for (const Case& c : cases) {
            core::Settings.ApplicationStartEnable = c.startEnable;
            ASSERT_EQ(gui::ProcedureStart(), 1);
            ui::TranscriptClear();
            gui::ProcedureFinish(gui::kResultPassed | (c.allowed ? gui::kFinalActionAllowed : 0));
            const std::string shown = d.Target().GetItemText(1026);
            const size_t done = shown.find(" -------- D O N E --- ( run time =   0.0 sec.)\r\n");
            ASSERT_NE(done, std::string::npos) << shown;
            EXPECT_EQ(shown.substr(done + 48), c.lines) << c.startEnable << c.allowed;
            std::vector<std::string> calls = LinesWith({"debug MSP430_VCC", "debug MSP430_Reset"});
            std::vector<std::string> expected = {"debug MSP430_VCC(0)"};
            if (c.startEnable != 0 && c.allowed) {
                expected.push_back("debug MSP430_VCC(3000)");
            }
            if (c.resetCall) {
                expected.push_back("debug MSP430_Reset");
            }
            EXPECT_EQ(calls, expected) << c.startEnable << c.allowed;
        }
    });
}

TEST_F(FrameTest, DeviceInformationOfTheF149) {
    Config();
    Run([&](ui::Driver& d) {
        core::Settings.SelectedProcessorIndex = DeviceRowNamed("149");
        core::DeviceSelectByIndex();
        gui::DeviceInfoShow();
        EXPECT_EQ(d.Target().GetItemText(161), "RAM -  2048 bytes;      FLASH - 60 kB;");
        EXPECT_EQ(d.Target().GetItemText(149), "Selected Device Information");
    });
}

// Fuse and device type once per run; a cleared identification brings a new
// initialisation line but no second fuse check; the next run checks again.
TEST_F(FrameTest, FuseAndTypeAreCheckedOncePerRun) {
    Config();
    std::vector<std::string> reports;
    Run([&](ui::Driver& d) {
        gui::Frame.AutoProgramActive = 1;
        core::Settings.SelectedProcessorIndex = DeviceRowNamed("1232");
        session().Boxes().Answer(platform::IDYES);
        ASSERT_EQ(gui::ProcedureStart(), 1);
        EXPECT_EQ(gui::TargetJtagInit(0), 1);
        EXPECT_EQ(gui::TargetJtagInit(0), 1); // still identified: nothing
        core::TargetClearIdentified();
        EXPECT_EQ(gui::TargetJtagInit(1), 1); // no second question either
        reports.push_back(d.Target().GetItemText(1026));
        gui::ProcedureFinish(gui::kResultPassed);
        session().Boxes().Answer(platform::IDYES);
        ASSERT_EQ(gui::ProcedureStart(), 1);
        EXPECT_EQ(gui::TargetJtagInit(0), 1);
        reports.push_back(d.Target().GetItemText(1026));
        gui::ProcedureFinish(gui::kResultPassed);
        gui::Frame.AutoProgramActive = 0;
    });
    EXPECT_EQ(reports[0], kSeparator + kJtagOk + kFuseOk + kJtagOk);
    EXPECT_EQ(reports[1], kSeparator + kJtagOk + kFuseOk);
    EXPECT_EQ(LinesWith({"box [Warning]"}).size(), 2u);
}

// Four runs, the second failing to start: with ReportHistory 1 the report
// edit shows the history's last 6000 characters after each finish (the
// failed start's report among them), with 0 only the run's own report and
// the history stays empty.
TEST_F(FrameTest, ReportHistoryOverFourRuns) {
    const std::string filler(2500, 'x');
    for (int32_t history : {0, 1}) {
        WriteConfig("ReportHistory " + std::to_string(history) + "\r\n");
        std::vector<std::string> shown;
        Run([&](ui::Driver& d) {
            for (int run = 1; run <= 4; ++run) {
                if (run == 2) {
                    sim::Sim().FailOperation("MSP430_Initialize", 5, 1);
                    core::TargetClose();
                }
                if (gui::ProcedureStart() != 1) {
                    gui::ReportAppend("start of run 2 failed\r\n");
                    EXPECT_EQ(gui::Frame.ReportText, kSeparator + "start of run 2 failed\r\n");
                    continue;
                }
                gui::ReportAppend(filler + "run " + std::to_string(run) + "\r\n");
                EXPECT_EQ(gui::Frame.ReportText.size(), gui::kReportKeep);
                gui::ProcedureFinish(gui::kResultPassed);
                shown.push_back(d.Target().GetItemText(1026));
            }
        });
        ASSERT_EQ(shown.size(), 3u) << ui::TranscriptText();
        if (history == 0) {
            EXPECT_TRUE(gui::Frame.ReportHistoryText.empty());
            EXPECT_NE(shown[2].find("run 4\r\n"), std::string::npos);
            EXPECT_EQ(shown[2].size(), gui::kReportKeep);
        } else {
            EXPECT_EQ(gui::Frame.ReportHistoryText.size(), gui::kReportHistoryKeep);
            EXPECT_EQ(shown[2], gui::Frame.ReportHistoryText);
            const size_t failedStart = shown[1].find("start of run 2 failed\r\n");
            const size_t run3 = shown[1].find("run 3\r\n");
            ASSERT_NE(failedStart, std::string::npos);
            EXPECT_LT(failedStart, run3);
            EXPECT_NE(shown[1].find("run 1\r\n"), std::string::npos);
        }
        gui::GuiStateReset();
        gui::ArtworkRegister();
    }
}

// An adapter with old firmware: No ends the offer for the session; Yes
// closes, updates and opens again, and that open's result counts.
TEST_F(FrameTest, FirmwareOffer) {
    const char* const offer = "box [Warning] \"The USB_FET has not the latest firmware.";
    Config();
    Run(
        [&](ui::Driver&) {
            sim::Sim().firmwareVersion = -1;
            session().Boxes().Answer(platform::IDNO);
            ui::TranscriptClear();
            EXPECT_EQ(gui::ProcedureStart(), 1);
            gui::ProcedureFinish(gui::kResultPassed);
            core::TargetClose();
            EXPECT_EQ(gui::ProcedureStart(), 1);
            gui::ProcedureFinish(gui::kResultPassed);
            EXPECT_EQ(LinesWith({offer}).size(), 1u);
            EXPECT_EQ(gui::Frame.FirmwareUpdateOffer, 0);

            // Yes, and the reopen fails: the run stops at the open.
            gui::Frame.FirmwareUpdateOffer = 1;
            core::TargetClose();
            ui::TranscriptClear();
            session().Boxes().Answer(platform::IDYES);
            SlowBoxes boxes(session());
            boxes.onBox = [](const std::string& text) {
                if (text.rfind("The USB_FET", 0) == 0) {
                    sim::Sim().FailOperation("MSP430_Initialize", 5);
                }
            };
            EXPECT_EQ(gui::ProcedureStart(), 0);
            EXPECT_EQ(gui::Frame.PortOpenResult, 0);
            EXPECT_EQ(gui::Frame.FirmwareUpdateOffer, 1);
        },
        1);
    const std::vector<std::string> seen =
        LinesWith({offer, "debug MSP430_Close", "debug MSP430_Initialize", "box [Error]"});
    ASSERT_GE(seen.size(), 5u) << ui::TranscriptText();
    EXPECT_EQ(seen[0], "debug MSP430_Initialize(TIUSB)");
    EXPECT_EQ(seen[1].find(offer), 0u);
    EXPECT_EQ(seen[2].find("debug MSP430_Close"), 0u);
    // The update dialog reads both versions, then the interface opens again.
    EXPECT_TRUE(ui::TranscriptHas("[221]"));
    size_t box = 0;
    while (box < seen.size() && seen[box].find("box [Error] \"MSP430.dll initialization") != 0) {
        ++box;
    }
    ASSERT_LT(box, seen.size());
    EXPECT_EQ(seen[box - 1], "debug MSP430_Initialize(TIUSB)");
}

// A library without the update entry cannot update the adapter: the
// adapter asks for new firmware, yet neither the connect step nor the
// downloader asks the operator, and the downloader's dialog says why and
// keeps Start Update disabled.
TEST_F(FrameTest, NoFirmwareOfferFromALibraryThatCannotUpdate) {
    Config();
    core::DebugApi noUpdate = core::DebugApiInUse();
    noUpdate.FET_FwUpdate = nullptr;
    bool note = false;
    bool start = true;
    session().OnDialog(221, [&](ui::Driver& f) {
        note = f.Target().IsItemVisible(1176);
        start = f.Target().IsItemEnabled(1177);
    });
    Run(
        [&](ui::Driver& d) {
            core::DebugApiUse(&noUpdate);
            sim::Sim().firmwareVersion = -1;
            EXPECT_FALSE(gui::LibraryHoldsFirmwareImage());
            EXPECT_EQ(gui::ProcedureStart(), 1);
            gui::ProcedureFinish(gui::kResultPassed);
            d.Menu(228);
        },
        1);
    core::DebugApiUse(nullptr);
    EXPECT_FALSE(ui::TranscriptHas("box [Warning]")) << ui::TranscriptText();
    EXPECT_TRUE(ui::TranscriptHas("[221] open")) << ui::TranscriptText();
    EXPECT_TRUE(note);
    EXPECT_FALSE(start);
}

// Box time is left out across the tick count's wrap, and the run time is
// clamped to 999999 ms (which "%6.1f" rounds to 1000.0).
TEST_F(FrameTest, RunTimeAcrossTheWrapAndClamped) {
    Config();
    std::vector<std::string> lines;
    Run([&](ui::Driver& d) {
        for (uint32_t total : {1500u, 2000000u}) {
            // Start 1 s before the 32-bit millisecond tick wraps.
            session().Clock().Set((uint64_t{0xFFFFFFFFu} - 999) * 1000000ull);
            SlowBoxes boxes(session());
            boxes.openMs = {700};
            ASSERT_EQ(gui::ProcedureStart(), 1);
            gui::TimedMessageBox("a question", "Warning", 0x24);
            RunTimeReaches(total);
            gui::ProcedureFinish(gui::kResultPassed);
            const std::string shown = d.Target().GetItemText(1026);
            lines.push_back(shown.substr(shown.find(" -------- D O N E")));
        }
    });
    EXPECT_EQ(lines,
              (std::vector<std::string>{" -------- D O N E --- ( run time =   0.8 sec.)\r\n",
                                        " -------- D O N E --- ( run time =1000.0 sec.)\r\n"}));
}

// Under a decimal-comma process locale the run time keeps its point.
TEST_F(FrameTest, RunTimeWithAPointUnderACommaLocale) {
    const testsupport::CommaLocale comma;
    ASSERT_TRUE(comma.InForce()) << comma.Why();
    Config();
    std::string shown;
    Run([&](ui::Driver& d) {
        ASSERT_EQ(gui::ProcedureStart(), 1);
        RunTimeReaches(2600);
        gui::ProcedureFinish(gui::kResultPassed);
        shown = d.Target().GetItemText(1026);
    });
    EXPECT_NE(shown.find(" -------- D O N E --- ( run time =   2.6 sec.)\r\n"), std::string::npos)
        << shown;
}

// The start step writes the cleaned serial number back without running the
// field's change handler; the report scrolls to its last line; the core's
// progress moves the bar only while the window exists.
TEST_F(FrameTest, SerialFieldReportScrollAndProgress) {
    Config("SerializationEnable 1\r\n");
    Run([&](ui::Driver& d) {
        d.Type(1051, "12345");
        EXPECT_EQ(gui::SerialNumber.ManualSnFlag, 1);
        gui::SerialNumber.ManualSnFlag = 0;
        ASSERT_EQ(gui::ProcedureStart(), 1);
        EXPECT_EQ(gui::SerialNumber.ManualSnFlag, 0);
        // Filtered back into the field: blank-padded to the SN's length.
        EXPECT_EQ(d.Target().GetItemText(1051), "12345     ");

        for (int i = 0; i < 30; ++i) {
            gui::ReportAppend("line " + std::to_string(i) + "\r\n");
        }
        ui::Dialog& w = d.Target();
        EXPECT_GT(w.GetFirstVisibleLine(1026), 0);
        EXPECT_EQ(w.GetFirstVisibleLine(1026), w.GetLineCount(1026) - 1);

        core::ProgressReport(40);
        EXPECT_EQ(w.GetPos(1024), 40);
        gui::ProcedureFinish(gui::kResultPassed);
    });
    // Closed: the core's progress goes nowhere.
    EXPECT_EQ(core::Progress.operation, nullptr);
    gui::ProgressBarSetPos(70);
}

} // namespace
} // namespace guitest
