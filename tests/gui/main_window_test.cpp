// The main window on the headless dialog layer: closing, F5 and bar-code
// capture, the status display and the start-up picture.

#include "core/settings.h"
#include "core/target_state.h"
#include "gui/barcode_input.h"
#include "gui/command_line.h"
#include "gui/main_dialog.h"
#include "gui/procedure_frame.h"
#include "gui/serial_number.h"
#include "gui/startup_load.h"
#include "gui/startup_view.h"
#include "gui/status_lamps.h"
#include "platform/process.h"
#include "tests/gui/gui_fixture.h"

#include <csignal>
#include <functional>

namespace guitest {
namespace {

// Runs the main window (no start-up picture) with script as the operator.
void RunMainWindow(ui::TestSession& session, std::function<void(ui::Driver&)> script) {
    gui::CommandLine.CommandLineText = "-nf";
    session.OnDialog(107, std::move(script));
    gui::MainDialog dialog;
    dialog.DoModal();
}

struct CloseCase {
    const char* name;
    std::function<void(ui::Driver&)> close;
};

class ClosingTest : public GuiTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingTest, SavesTheSetupClosesTheInterfaceAndStopsTheTimer) {
    gui::TerminationSignalsCatch();
    WriteConfig("VccIndex 6\r\n");
    ui::TestSession session;
    RunMainWindow(session, [&](ui::Driver& d) {
        d.Advance(3000);
        ui::TranscriptClear();
        core::Settings.VccIndex = 1;
        GetParam().close(d);
    });
    const std::string config = testsupport::ReadFile(dir_.File("config.ini"));
    // The setting as it stood at closing, not as it was loaded.
    EXPECT_NE(config.find("VccIndex\t\t  1 \r\n"), std::string::npos) << config;
    // The recent setups and the code-file name are kept in it.
    EXPECT_NE(config.find("SetupFileX1"), std::string::npos) << config;
    EXPECT_NE(config.find("CodeFileName"), std::string::npos) << config;
    EXPECT_EQ(
        LinesWith({"timer 5 killed", "debug MSP430_Close", "[107] end"}),
        (std::vector<std::string>{"[107] timer 5 killed", "debug MSP430_Close(0)", "[107] end 1"}))
        << ui::TranscriptText();
    EXPECT_EQ(core::Target.TargetInterfaceOpen, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachWay, ClosingTest,
    ::testing::Values(CloseCase{"CloseBox", [](ui::Driver& d) { d.Close(); }},
                      CloseCase{"Escape", [](ui::Driver& d) { d.Key(ui::VK_ESCAPE, 0x1B); }},
                      CloseCase{"MenuExit", [](ui::Driver& d) { d.Menu(128); }},
                      CloseCase{"Sigterm",
                                [](ui::Driver& d) {
                                    std::raise(SIGTERM);
                                    d.Advance(gui::kSignalTimerMs);
                                }},
                      CloseCase{"Sigint",
                                [](ui::Driver& d) {
                                    std::raise(SIGINT);
                                    d.Advance(gui::kSignalTimerMs);
                                }},
                      CloseCase{"Sighup",
                                [](ui::Driver& d) {
                                    std::raise(SIGHUP);
                                    d.Advance(gui::kSignalTimerMs);
                                }}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST_F(GuiTest, EnterNeitherClosesNorPressesTheFocusedButton) {
    WriteConfig();
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        d.Focus(1001);
        ui::TranscriptClear();
        d.Key(ui::VK_RETURN, '\r');
        EXPECT_TRUE(d.Target().IsOpen());
        EXPECT_FALSE(ui::TranscriptHas("1001")) << ui::TranscriptText();
        d.Close();
    });
}

// The scanner: serialization and the reader on, terminator CR.
class BarcodeTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        WriteConfig("SerializationEnable 1\r\nBarCodeReaderEnable 1\r\nPostAmbleIndex 0\r\n");
    }
    // Types text one key every stepMs, then the terminator.
    static void Scan(ui::Driver& d, const std::string& text, uint32_t stepMs,
                     uint32_t terminator = ui::VK_RETURN) {
        for (char c : text) {
            d.Key(static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(c))),
                  static_cast<uint32_t>(c));
            d.Advance(stepMs);
        }
        d.Key(terminator, terminator == ui::VK_RETURN ? '\r' : 0);
    }
};

TEST_F(BarcodeTest, FastScanFillsTheSerialNumberAndStartsOnlyWithAutoStart) {
    for (int autoStart : {0, 1}) {
        ui::TranscriptClear();
        core::CoreStateReset();
        gui::GuiStateReset();
        WriteConfig("SerializationEnable 1\r\nBarCodeReaderEnable 1\r\nPostAmbleIndex 0\r\n"
                    "BarCodeAutoStartEnable " +
                    std::to_string(autoStart) + "\r\n");
        ui::TestSession session;
        RunMainWindow(session, [&](ui::Driver& d) {
            d.Focus(1050);
            Scan(d, "AB12345678", 20);
            // With auto start the run that follows ends by showing the next number.
            if (autoStart == 0) {
                EXPECT_EQ(d.Target().GetItemText(1051), "AB12345678");
            }
            // Nothing of the scan reached the focused field.
            EXPECT_EQ(d.Target().GetItemText(1050), "");
            EXPECT_EQ(gui::BarcodeText(129), "");
            EXPECT_EQ(gui::SerialNumber.ManualSnFlag, 1);
            d.Close();
        });
        EXPECT_EQ(ui::TranscriptHas("[107] command 1001 with scanned SN"), autoStart == 1)
            << ui::TranscriptText();
        EXPECT_EQ(gui::SerialNumber.SnFromBarcode, 0);
    }
}

TEST_F(BarcodeTest, TakesTheLastSnTextLengthCharactersWithoutBlanks) {
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        // A blank is not kept; of the rest only the last ten count.
        Scan(d, "XYZ 0123456789", 10);
        EXPECT_EQ(d.Target().GetItemText(1051), "0123456789");
        d.Close();
    });
}

// The scan takes as many characters as the SN type's text has.
TEST_F(BarcodeTest, TakesTheSerialNumberTextLengthOfTheSnType) {
    const struct {
        const char* setup;
        const char* taken;
    } cases[] = {
        {"SNDispFormatIndex 3\r\n", "56789"},
        {"SNDispFormatIndex 5\r\n", "X0123456789"},
        {"SNDispFormatIndex 6\r\nCustom_SN_size 12\r\n", "WX0123456789"},
    };
    for (const auto& c : cases) {
        core::CoreStateReset();
        gui::GuiStateReset();
        WriteConfig(
            std::string("SerializationEnable 1\r\nBarCodeReaderEnable 1\r\nPostAmbleIndex 0\r\n") +
            c.setup);
        ui::TestSession session;
        RunMainWindow(session, [&](ui::Driver& d) {
            Scan(d, "UVWX0123456789", 10);
            EXPECT_EQ(d.Target().GetItemText(1051), c.taken) << c.setup;
            d.Close();
        });
    }
}

TEST_F(BarcodeTest, SlowTypingReachesNeitherTheFieldNorTheFocusedControl) {
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        d.Focus(1050);
        // The fields show the next number and the model text; typing leaves them so.
        const std::string sn = d.Target().GetItemText(1051);
        const std::string model = d.Target().GetItemText(1050);
        Scan(d, "1234567890", 200);
        EXPECT_EQ(d.Target().GetItemText(1051), sn);
        EXPECT_EQ(d.Target().GetItemText(1050), model);
        EXPECT_FALSE(ui::TranscriptHas("command 1001"));
        // The characters are kept for a scan that may follow.
        EXPECT_EQ(gui::BarcodeText(10), "1234567890");
        d.Close();
    });
}

TEST_F(BarcodeTest, AStrayTerminatorAfterAScanStartsNothing) {
    WriteConfig("SerializationEnable 1\r\nBarCodeReaderEnable 1\r\nBarCodeAutoStartEnable 1\r\n");
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        Scan(d, "0123456789", 5);
        d.Key(ui::VK_RETURN, '\r');
        d.Close();
    });
    EXPECT_EQ(LinesWith({"command 1001"}).size(), 1u) << ui::TranscriptText();
}

TEST_F(BarcodeTest, TerminatorFollowsPostAmbleIndexAndNoKeyPastTheTable) {
    struct Row {
        int index;
        uint32_t key;
        bool fills;
    };
    for (const Row& r : {Row{1, ui::VK_END, true}, Row{2, ui::VK_F6, true},
                         Row{8, ui::VK_F12, true}, Row{8, ui::VK_RETURN, false},
                         Row{9, ui::VK_RETURN, false}, Row{100, ui::VK_RETURN, false}}) {
        core::CoreStateReset();
        gui::GuiStateReset();
        WriteConfig("SerializationEnable 1\r\nBarCodeReaderEnable 1\r\nPostAmbleIndex " +
                    std::to_string(r.index) + "\r\n");
        ui::TestSession session;
        RunMainWindow(session, [&](ui::Driver& d) {
            Scan(d, "0123456789", 5, r.key);
            EXPECT_EQ(d.Target().GetItemText(1051) == "0123456789", r.fills)
                << "index " << r.index << " key " << r.key;
            d.Close();
        });
    }
}

TEST_F(BarcodeTest, WithoutSerializationKeysReachTheControls) {
    WriteConfig("SerializationEnable 0\r\nBarCodeReaderEnable 1\r\nModelTextEnable 1\r\n");
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        d.Focus(1050);
        d.KeyText("AB");
        EXPECT_EQ(d.Target().GetItemText(1050), "AB");
        EXPECT_EQ(gui::BarcodeText(10), "");
        d.Close();
    });
}

TEST(BarcodeHistoryTest, KeepsPrintableCodesAndMeasuresAcrossTheTickWrap) {
    gui::Barcode.Reset();
    for (int32_t code : {32, 33, 126, 127, 0, 9, int32_t{'A'}}) {
        gui::BarcodeCharacterCollect(code, 0);
    }
    EXPECT_EQ(gui::BarcodeText(10), "!~A");
    gui::Barcode.Reset();
    const uint32_t start = 0xFFFFFF00u;
    for (uint32_t i = 0; i < 4; ++i) {
        gui::BarcodeCharacterCollect('0' + static_cast<int32_t>(i), start + i * 100);
    }
    EXPECT_TRUE(gui::BarcodeCameFast()); // 300 ms across the wrap
    gui::BarcodeCharacterCollect('9', start + 900);
    EXPECT_FALSE(gui::BarcodeCameFast());
}

TEST_F(GuiTest, HeldF5RunsNextOnce) {
    WriteConfig();
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        d.Key(ui::VK_F5);
        for (int i = 0; i < 5; ++i) {
            d.Key(ui::VK_F5, 0, true);
        }
        d.Close();
    });
    EXPECT_EQ(LinesWith({"command 1017"}), std::vector<std::string>{"[107] command 1017"});
}

TEST_F(GuiTest, F5DoesNotGetPastADisabledNextButton) {
    WriteConfig();
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        d.Target().EnableItem(1017, false);
        d.Key(ui::VK_F5);
        d.Close();
    });
    EXPECT_EQ(LinesWith({"command 1017"}),
              std::vector<std::string>{"[107] refused command 1017: disabled"});
}

TEST_F(GuiTest, LampsShowTheirRowsBesideTheButtons) {
    WriteConfig();
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        std::vector<ui::PaintedBitmap> drawn = d.Paint();
        ASSERT_EQ(drawn.size(), 12u);
        for (size_t r = 0; r < 11; ++r) {
            EXPECT_EQ(drawn[r].bitmap, gui::kLampIdle) << r;
        }
        EXPECT_EQ(drawn[11].bitmap, gui::kPictureBlank);
        // Each lamp of a step sits just left of its button, inside its height.
        const int buttons[] = {0, 1001, 1004, 1003, 1007, 1005, 1009, 1006, 1008, 0, 1018};
        for (size_t r = 1; r <= 10; ++r) {
            if (buttons[r] == 0) {
                continue;
            }
            const ui::Rect b = d.Target().ItemRect(buttons[r]);
            EXPECT_LE(drawn[r].x + 15, b.x) << r;
            EXPECT_GE(drawn[r].x + 15, b.x - 10) << r;
            EXPECT_LE(drawn[r].y, b.y + b.height / 2) << r;
            EXPECT_GE(drawn[r].y + 16, b.y + b.height / 2) << r;
        }
        auto& rows = gui::StatusDisplay.StatusLampTable;
        rows[gui::kRowConnect].bitmap = gui::kLampReady;
        rows[gui::kRowErase].bitmap = gui::kLampFailed;
        rows[gui::kRowPicture].bitmap = gui::kPicturePass;
        drawn = d.Paint();
        EXPECT_EQ(drawn[gui::kRowConnect].bitmap, gui::kLampReady);
        EXPECT_EQ(drawn[gui::kRowErase].bitmap, gui::kLampFailed);
        EXPECT_EQ(drawn[gui::kRowPicture].bitmap, gui::kPicturePass);
        d.Close();
    });
}

TEST_F(GuiTest, TimerShowsTheUnmeasuredSupply) {
    WriteConfig();
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        d.Advance(gui::kMainTimerMs);
        EXPECT_EQ(d.Target().GetItemText(1013), "----");
        // The start-up switched the supply off: the power lamp is grey.
        EXPECT_EQ(gui::StatusDisplay.StatusLampTable[gui::kRowPower].bitmap, gui::kLampIdle);
        d.Close();
    });
}

TEST_F(GuiTest, StartUpPictureClosesOnItsTimer) {
    ui::TestSession session;
    bool firedEarly = true;
    session.OnDialog(gui::kStartupViewId, [&](ui::Driver& d) {
        d.Advance(gui::kStartupViewMs - 1);
        firedEarly = ui::TranscriptHas("[202] timer 1 fired");
        d.Advance(1);
    });
    gui::StartUp2View view;
    EXPECT_EQ(view.DoModal(), ui::IDOK);
    EXPECT_FALSE(firedEarly);
    EXPECT_EQ(LinesWith({"[202] timer"}),
              (std::vector<std::string>{"[202] timer 1 set 1500 ms", "[202] timer 1 fired",
                                        "[202] timer 1 killed"}));
}

TEST_F(GuiTest, MenuHasEveryCommandAndSerializationSetupFollowsTheLock) {
    WriteConfig("SerializationEnable 0\r\n");
    for (const char* commandLine : {"-nf", "-lock"}) {
        const bool locked = std::string(commandLine) == "-lock";
        ui::TestSession session;
        gui::CommandLine.CommandLineText = commandLine;
        session.OnDialog(107, [&](ui::Driver& d) {
            for (int id : {23,  24,  213, 153, 154, 155, 120, 216, 217, 223, 128,
                           203, 205, 206, 207, 180, 199, 21,  214, 232, 218, 194,
                           225, 220, 221, 195, 219, 233, 228, 122, 230, 229, 231}) {
                EXPECT_TRUE(d.Target().HasMenuItem(id)) << id;
            }
            EXPECT_EQ(d.Target().MenuItemText(153), "Load Setup ");
            EXPECT_EQ(d.Target().MenuItemText(232), "Compare Two Code Files. Current and ...");
            EXPECT_EQ(d.Target().IsMenuItemEnabled(195), !locked) << commandLine;
            EXPECT_FALSE(d.Target().IsMenuItemEnabled(219)) << commandLine;
            EXPECT_EQ(d.Target().GetItems(1028),
                      (std::vector<std::string>{"2.2 V", "2.4 V", "2.6 V", "2.8 V", "3.0 V",
                                                "3.2 V", "3.4 V", "3.6 V"}));
            d.Close();
        });
        gui::MainDialog dialog;
        dialog.DoModal();
        EXPECT_EQ((gui::Startup.LockOptions & gui::kLockByCommandLine) != 0, locked);
    }
}

// Starts nothing, records what it was asked to start.
class RecordingLauncher : public platform::ProcessLauncher {
public:
    std::vector<std::vector<std::string>> started;
    int StartDetached(const std::vector<std::string>& argv) override {
        started.push_back(argv);
        return 0;
    }
    platform::RunResult RunAndWait(const std::vector<std::string>&, const std::string&) override {
        return {};
    }
};

TEST_F(GuiTest, HelpMenuOpensTheGuideBesideTheWorkingDirectoryAndTheMakersPages) {
    WriteConfig();
    RecordingLauncher launcher;
    platform::SetProcessLauncher(&launcher);
    ui::TestSession session;
    RunMainWindow(session, [](ui::Driver& d) {
        d.Menu(230);
        d.Menu(229);
        d.Menu(231);
        d.Close();
    });
    platform::SetProcessLauncher(nullptr);
    EXPECT_EQ(launcher.started,
              (std::vector<std::vector<std::string>>{{"xdg-open", dir_.File("Manual-Quillbay.pdf")},
                                                     {"xdg-open", gui::kSupportAddress},
                                                     {"xdg-open", gui::kWebAddress}}));
}

} // namespace
} // namespace guitest
