// The main window on Qt offscreen after a start-up against the emulated
// adapter, through the debug library beside the programs: the layout as an
// operator sees it (screenshots in <build>/screenshots), at the normal and
// at a one and a half times bigger font.

#include "core/core_state.h"
#include "core/debug_lib.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/progress.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_state.h"
#include "debugif/debugif_reset.h"
#include "gui/adapter_tools.h"
#include "gui/artwork.h"
#include "gui/code_file_actions.h"
#include "gui/command_line.h"
#include "gui/gui_state.h"
#include "gui/main_dialog.h"
#include "gui/procedure_frame.h"
#include "gui/startup_view.h"
#include "gui/status_lamps.h"
#include "platform/services.h"
#include "tests/gui/emulated_f149.h"
#include "ui/app_font.h"
#include "ui/backend.h"
#include "ui/qt_app.h"
#include "ui/qt_backend.h"
#include "ui/termination.h"
#include "ui/test_session.h"
#include "ui/transcript.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace guitest {
namespace {

// The program's arguments as the application left them.
std::vector<std::string> remainingArguments;

const std::string kShots = std::string(QUILL_BINARY_DIR) + "/screenshots/";

// The lamp rows of the step buttons and the button each stands beside.
constexpr std::pair<int, int> kLampButtons[] = {
    {gui::kRowAutoProgram, 1001}, {gui::kRowConnect, 1004}, {gui::kRowErase, 1003},
    {gui::kRowBlankCheck, 1007},  {gui::kRowWrite, 1005},   {gui::kRowSerialNumber, 1009},
    {gui::kRowVerify, 1006},      {gui::kRowRead, 1008},    {gui::kRowFuse, 1018},
    {gui::kRowPower, 1002},
};

class QtMainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::CoreStateReset();
        gui::GuiStateReset();
        platform::ResetServices();
        debugif::ResetDebugifState();
        gui::ArtworkRegister();
        ui::SetFontPointSize(9);
        ASSERT_TRUE(emulated_.started()) << emulated_.error();
        gui::CommandLine.CommandLineText = "-nf";
    }
    void TearDown() override {
        ui::SetFontPointSize(9);
        core::CoreStateReset();
        gui::GuiStateReset();
    }

    // The window as shown: the events that expose it handled first.
    static std::vector<ui::PaintedBitmap> Shown(ui::Driver& d) {
        QCoreApplication::processEvents();
        return d.Paint();
    }

    // Each lamp right next to its button and within its height.
    static void ExpectLampsBesideButtons(ui::Driver& d,
                                         const std::vector<ui::PaintedBitmap>& drawn) {
        if (drawn.size() != 12u) {
            ADD_FAILURE() << "painted " << drawn.size() << " bitmaps";
            return;
        }
        for (const auto& [row, button] : kLampButtons) {
            const ui::Rect b = d.Target().ItemRect(button);
            const ui::PaintedBitmap& lamp = drawn[static_cast<size_t>(row)];
            // Left of the button, or right of it (the power lamp).
            const int gap = lamp.x < b.x ? b.x - (lamp.x + 15) : lamp.x - b.Right();
            EXPECT_GE(gap, 0) << "lamp " << row << " overlaps button " << button;
            EXPECT_LE(gap, b.height) << "lamp " << row << " far from button " << button;
            const int middle = lamp.y + 8;
            EXPECT_GE(middle, b.y) << "lamp " << row;
            EXPECT_LE(middle, b.Bottom()) << "lamp " << row;
        }
        const ui::Size client = d.Target().ClientSize();
        for (const ui::PaintedBitmap& p : drawn) {
            EXPECT_LE(p.x + gui::BitmapWidth(p.bitmap), client.width);
            EXPECT_LE(p.y + gui::BitmapHeight(p.bitmap), client.height);
        }
    }

    EmulatedF149 emulated_;
};

TEST_F(QtMainWindowTest, StartsAgainstTheAdapterAndShowsEveryControlInPlace) {
    ui::TestSession session;
    int32_t openAtStart = 0;
    session.OnDialog(107, [&](ui::Driver& d) {
        openAtStart = core::Target.TargetInterfaceOpen;
        const std::vector<std::string> problems = ui::qt::GeometryProblems(d.Target());
        for (const std::string& p : problems) {
            ADD_FAILURE() << p;
        }
        // Painted before the window is exposed, too.
        std::vector<ui::PaintedBitmap> drawn = d.Paint();
        ASSERT_EQ(drawn.size(), 12u);
        drawn = Shown(d);
        ASSERT_EQ(drawn.size(), 12u);
        ExpectLampsBesideButtons(d, drawn);
        for (size_t r = 0; r < 11; ++r) {
            EXPECT_EQ(drawn[r].bitmap, gui::kLampIdle) << r;
        }
        EXPECT_EQ(drawn[gui::kRowPicture].bitmap, gui::kPictureBlank);
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + "main-window.png"));

        // A passed run: connect, identify, erase with its check (the core's
        // progress through the bar), finish.
        gui::Frame.FirmwareUpdateOffer = 0;
        static std::vector<int32_t> progress;
        progress.clear();
        static core::ProgressState installed;
        installed = core::Progress;
        core::ProgressOperationSet(
            [](int32_t percent, void*) {
                progress.push_back(percent);
                installed.operation(percent, installed.context);
            },
            nullptr);
        ASSERT_EQ(gui::ProcedureStart(), 1) << ui::TranscriptText();
        auto& rows = gui::StatusDisplay.StatusLampTable;
        rows[gui::kRowAutoProgram].bitmap = gui::kLampPending;
        rows[gui::kRowErase].bitmap = gui::kLampPending;
        rows[gui::kRowBlankCheck].bitmap = gui::kLampPending;
        EXPECT_EQ(gui::TargetJtagInit(0), 1);
        EXPECT_EQ(rows[gui::kRowErase].bitmap, gui::kLampReady);
        EXPECT_EQ(d.Target().GetItemText(1015), "MSP430F149");
        gui::ProgressBarSetPos(0);
        EXPECT_EQ(core::TargetEraseAll(), 1);
        EXPECT_NE(core::TargetEraseVerify() & 1, 0);
        rows[gui::kRowErase].bitmap = gui::kLampPassed;
        rows[gui::kRowBlankCheck].bitmap = gui::kLampPassedKept;
        rows[gui::kRowAutoProgram].bitmap = gui::kLampPassed;
        EXPECT_EQ(d.Target().GetPos(1024), 100);
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), 100);
        core::Progress = installed;
        gui::ProcedureFinish(gui::kResultPassed);
        const std::string report = d.Target().GetItemText(1026);
        EXPECT_NE(report.find(" -------- D O N E --- ( run time ="), std::string::npos) << report;
        EXPECT_EQ(d.Target().GetFirstVisibleLine(1026) + 1 >= d.Target().GetLineCount(1026) - 8,
                  true);
        drawn = Shown(d);
        ASSERT_EQ(drawn.size(), 12u);
        EXPECT_EQ(drawn[gui::kRowConnect].bitmap, gui::kLampPassed);
        EXPECT_EQ(drawn[gui::kRowBlankCheck].bitmap, gui::kLampPassedKept);
        EXPECT_EQ(drawn[gui::kRowPicture].bitmap, gui::kPicturePass);
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + "main-window-status.png"));
        d.Close();
    });
    gui::MainDialog dialog;
    dialog.DoModal();
    EXPECT_EQ(openAtStart, 1) << ui::TranscriptText();
    EXPECT_EQ(core::DebugLib.loaded, 1);
    EXPECT_FALSE(ui::TranscriptHas("box [")) << ui::TranscriptText();
}

TEST_F(QtMainWindowTest, BiggerFontKeepsTheLampsBesideTheirButtons) {
    ui::SetFontPointSize(13.5);
    ui::TestSession session;
    ui::Size client;
    session.OnDialog(107, [&](ui::Driver& d) {
        client = d.Target().ClientSize();
        for (const std::string& p : ui::qt::GeometryProblems(d.Target())) {
            ADD_FAILURE() << p;
        }
        ExpectLampsBesideButtons(d, Shown(d));
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + "main-window-large-font.png"));
        d.Close();
    });
    gui::MainDialog dialog;
    dialog.DoModal();
    EXPECT_GT(client.width, 425 * 3 / 2);
}

TEST_F(QtMainWindowTest, AboutBoxFitsItsTexts) {
    ui::TestSession session;
    std::string library;
    std::string firmware;
    session.OnDialog(100, [&](ui::Driver& d) {
        for (const std::string& p : ui::qt::GeometryProblems(d.Target())) {
            ADD_FAILURE() << p;
        }
        EXPECT_FALSE(d.Target().GetItemText(1186).empty());
        // The debug library's own version and the emulated adapter's firmware.
        library = d.Target().GetItemText(1183);
        firmware = d.Target().GetItemText(1184);
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + "about-box.png"));
        d.Click(ui::IDOK);
    });
    session.OnDialog(107, [](ui::Driver& d) {
        d.Menu(122);
        d.Close();
    });
    gui::MainDialog dialog;
    dialog.DoModal();
    EXPECT_TRUE(ui::TranscriptHas("[100] end 1"));
    // The library's own version text ("n/a" where it opens no "LPT1") and
    // the emulated adapter's firmware, as the version box shows them.
    EXPECT_FALSE(library.empty());
    EXPECT_EQ(firmware, "2.03.04.000");
}

// AUTO PROGRAM through the debug library on the emulated F149, with F5
// pressed three times and AUTO PROG. clicked while it runs: one run, every
// press dropped, the board programmed; the window as it ends is pictured.
TEST_F(QtMainWindowTest, AutoProgramRunDropsInputQueuedMeanwhile) {
    testsupport::WriteFile(emulated_.work().File("a.txt"),
                           "@1100\n01 02 03 04 05 06 07 08\n@FFFE\n00 11\nq\n");
    ui::TestSession session;
    std::string report;
    session.OnDialog(107, [&](ui::Driver& d) {
        gui::Frame.FirmwareUpdateOffer = 0;
        core::Settings.FlashEraseModeIndex = 1;
        core::Settings.VerifyModeIndex = 1;
        core::Settings.ApplicationStartEnable = 1;
        ASSERT_EQ(gui::CodeFileReadAndReport(0, emulated_.work().File("a.txt")), 1);
        static ui::Driver* driver = nullptr;
        static bool sent = false;
        driver = &d;
        sent = false;
        static core::ProgressState installed;
        installed = core::Progress;
        core::ProgressOperationSet(
            [](int32_t percent, void*) {
                if (!sent) {
                    sent = true;
                    driver->Key(ui::VK_F5);
                    driver->Key(ui::VK_F5);
                    driver->Key(ui::VK_F5);
                    driver->Click(1001);
                }
                installed.operation(percent, installed.context);
            },
            nullptr);
        ui::TranscriptClear();
        d.Click(1001);
        core::Progress = installed;
        QCoreApplication::processEvents();
        report = d.Target().GetItemText(1026);
        const std::vector<ui::PaintedBitmap> drawn = Shown(d);
        ASSERT_EQ(drawn.size(), 12u);
        EXPECT_EQ(drawn[gui::kRowAutoProgram].bitmap, gui::kLampPassed);
        EXPECT_EQ(drawn[gui::kRowWrite].bitmap, gui::kLampPassed);
        EXPECT_EQ(drawn[gui::kRowPicture].bitmap, gui::kPicturePass);
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + "main-window-auto-program.png"));
        d.Close();
    });
    gui::MainDialog dialog;
    dialog.DoModal();
    EXPECT_NE(report.find("Flash programming ....................\t done\r\n"
                          "Verifying Flash Memory ...................\t OK\r\n"
                          " -------- D O N E --- ( run time ="),
              std::string::npos)
        << report;
    EXPECT_NE(report.find(" --- Resetting Target device --- \r\n"), std::string::npos);
    size_t runs = 0;
    size_t dropped = 0;
    for (const std::string& line : ui::TranscriptLines()) {
        runs += line.find("run 1001") != std::string::npos ? 1 : 0;
        dropped += line.find("dropped") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(runs, 1u) << ui::TranscriptText();
    EXPECT_GE(dropped, 4u) << ui::TranscriptText();
}

// The checksum fields take "0x%8.8X" whole, and the device information
// line breaks, if at all, only between its RAM and its flash part: at the
// normal and at a one and a half times bigger font.
TEST_F(QtMainWindowTest, ChecksumsAndTheDeviceInformationFitTheirFields) {
    for (double points : {9.0, 13.5}) {
        SCOPED_TRACE(points);
        ui::SetFontPointSize(points);
        ui::TestSession session;
        session.OnDialog(107, [&](ui::Driver& d) {
            QCoreApplication::processEvents();
            for (int id : {1047, 1048}) {
                auto* edit =
                    qobject_cast<QLineEdit*>(ui::qt::QtBackend::ControlWidget(d.Target(), id));
                ASSERT_NE(edit, nullptr) << id;
                // The widest digits the format can give.
                for (const char* text : {"0x00000000", "0xDDDDDDDD", "0xFFFFFFFF", "0x8888888B"}) {
                    d.Target().SetItemText(id, text);
                    QCoreApplication::processEvents();
                    const QFontMetrics fm(edit->font());
                    QStyleOptionFrame option;
                    option.initFrom(edit);
                    const QRect inside =
                        edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
                    // The line edit's own margin of 2 pixels on each side.
                    EXPECT_LE(fm.horizontalAdvance(QString::fromLatin1(text)), inside.width() - 4)
                        << id << " " << text;
                }
            }
            auto* info = qobject_cast<QLabel*>(ui::qt::QtBackend::ControlWidget(d.Target(), 161));
            ASSERT_NE(info, nullptr);
            for (const char* line : {"RAM -  2048 bytes;      FLASH - 60 kB;",
                                     "RAM - 10240 bytes;      FLASH - 256 kB;"}) {
                d.Target().SetItemText(161, line);
                const QFontMetrics fm(info->font());
                const QString text = QString::fromLatin1(line);
                const int width = info->contentsRect().width();
                const int whole = fm.horizontalAdvance(text);
                const int ram = fm.horizontalAdvance(text.left(text.indexOf(';') + 1));
                const int flash = fm.horizontalAdvance(text.mid(text.indexOf('F')));
                const int ramAndWord = fm.horizontalAdvance(text.left(text.indexOf('F') + 5));
                // One line, or the break right after the RAM part.
                const bool oneLine = whole <= width;
                const bool breaksBetween = ram <= width && flash <= width && ramAndWord > width &&
                                           info->height() >= 2 * fm.height();
                EXPECT_TRUE(oneLine || breaksBetween)
                    << line << ": width " << width << ", whole " << whole << ", RAM part " << ram
                    << ", with \"FLASH\" " << ramAndWord << ", flash part " << flash;
            }
            d.Close();
        });
        gui::MainDialog dialog;
        dialog.DoModal();
    }
}

// The window never shows a board that is not there: after a passed run
// another program takes the adapter's port, and the next AUTO PROGRAM
// cannot open it (the report says it is in use); after a passed run New
// Setup leaves no board, code checksum or run. Both pictured.
TEST_F(QtMainWindowTest, AFailedConnectAndNewSetupShowNoBoardThatIsNotThere) {
    testsupport::WriteFile(emulated_.work().File("a.txt"),
                           "@1100\n01 02 03 04 05 06 07 08\n@FFFE\n00 11\nq\n");
    ui::TestSession session;
    std::string failedReport;
    std::vector<std::string> afterFailedConnect;
    std::vector<std::string> afterNewSetup;
    session.OnDialog(107, [&](ui::Driver& d) {
        gui::Frame.FirmwareUpdateOffer = 0;
        core::Settings.FlashEraseModeIndex = 1;
        core::Settings.VerifyModeIndex = 1;
        ASSERT_EQ(gui::CodeFileReadAndReport(0, emulated_.work().File("a.txt")), 1);
        d.Click(1001);
        ASSERT_NE(d.Target().GetItemText(1026).find(" -------- D O N E ---"), std::string::npos)
            << d.Target().GetItemText(1026);
        ASSERT_EQ(d.Target().GetItemText(1015), "MSP430F149");

        // Another program holds the port once ours has let it go.
        core::TargetClose();
        const int other = ::open(emulated_.portPath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(other, 0);
        ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
        session.Boxes().Answer(ui::IDOK);
        d.Click(1001);
        failedReport = d.Target().GetItemText(1026);
        for (int id : {1015, 1016, 1048}) {
            afterFailedConnect.push_back(d.Target().GetItemText(id));
        }
        std::vector<ui::PaintedBitmap> drawn = Shown(d);
        ASSERT_EQ(drawn.size(), 12u);
        EXPECT_EQ(drawn[gui::kRowPicture].bitmap, gui::kPictureFail);
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + "main-window-failed-connect.png"));
        ::close(other);

        // The port free again: a passed run, then New Setup.
        d.Click(1001);
        ASSERT_NE(d.Target().GetItemText(1026).find(" -------- D O N E ---"), std::string::npos)
            << d.Target().GetItemText(1026);
        d.Menu(213);
        for (int id : {1015, 1016, 1047, 1048}) {
            afterNewSetup.push_back(d.Target().GetItemText(id));
        }
        drawn = Shown(d);
        ASSERT_EQ(drawn.size(), 12u);
        for (int32_t row = gui::kRowAutoProgram; row <= gui::kRowFuse; ++row) {
            EXPECT_EQ(drawn[static_cast<size_t>(row)].bitmap, gui::kLampIdle) << row;
        }
        EXPECT_EQ(drawn[gui::kRowPicture].bitmap, gui::kPictureBlank);
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + "main-window-new-setup.png"));
        d.Close();
    });
    gui::MainDialog dialog;
    dialog.DoModal();
    EXPECT_NE(failedReport.find("MSP-FET430UIF is already in use.\r\n"), std::string::npos)
        << failedReport;
    EXPECT_NE(failedReport.find(" --------------- FAILED !!! -----------------"), std::string::npos)
        << failedReport;
    EXPECT_EQ(afterFailedConnect, std::vector<std::string>(3, ""));
    EXPECT_EQ(afterNewSetup, std::vector<std::string>(4, ""));
    EXPECT_TRUE(ui::TranscriptHas("box [Error] \"MSP430.dll initialization error."))
        << ui::TranscriptText();
}

// Our debug library carries no adapter firmware image: AUTO PROGRAM asks
// nothing about the adapter's firmware, and the downloader opens its
// dialog at once, saying so, with Start Update disabled.
TEST_F(QtMainWindowTest, NoFirmwareUpdateIsOfferedThatOurLibraryCannotDo) {
    testsupport::WriteFile(emulated_.work().File("a.txt"), "@1100\n01 02 03 04\n@FFFE\n00 11\nq\n");
    ui::TestSession session;
    bool noteShown = false;
    bool startEnabled = true;
    session.OnDialog(221, [&](ui::Driver& d) {
        QCoreApplication::processEvents();
        for (const std::string& p : ui::qt::GeometryProblems(d.Target())) {
            ADD_FAILURE() << p;
        }
        noteShown = d.Target().IsItemVisible(1176);
        startEnabled = d.Target().IsItemEnabled(1177);
        EXPECT_EQ(d.Target().GetItemText(1182), "2.03.04.000");
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + "firmware-downloader.png"));
        d.Click(ui::IDCANCEL);
    });
    std::string report;
    session.OnDialog(107, [&](ui::Driver& d) {
        ASSERT_EQ(gui::CodeFileReadAndReport(0, emulated_.work().File("a.txt")), 1);
        EXPECT_FALSE(gui::LibraryHoldsFirmwareImage());
        d.Click(1001);
        report = d.Target().GetItemText(1026);
        d.Menu(228);
        d.Close();
    });
    gui::MainDialog dialog;
    dialog.DoModal();
    EXPECT_NE(report.find(" -------- D O N E --- ( run time ="), std::string::npos) << report;
    EXPECT_FALSE(ui::TranscriptHas("box [")) << ui::TranscriptText();
    EXPECT_TRUE(ui::TranscriptHas("[221] open")) << ui::TranscriptText();
    EXPECT_TRUE(noteShown);
    EXPECT_FALSE(startEnabled);
}

TEST_F(QtMainWindowTest, StartUpPictureShowsTheArtwork) {
    ui::TestSession session;
    session.OnDialog(gui::kStartupViewId, [](ui::Driver& d) {
        EXPECT_TRUE(ui::qt::SaveScreenshot(d.Target(), kShots + "startup-picture.png"));
        d.Advance(gui::kStartupViewMs);
    });
    gui::StartUp2View view;
    EXPECT_EQ(view.DoModal(), ui::IDOK);
}

// SIGTERM, SIGINT or SIGHUP with a viewer open, with a box open and during
// AUTO PROGRAM, on either back end: the viewer ends as Cancel, the box
// with its safe answer, the run at its next step as TERMINATED; then the
// window closes through its own exit, which writes "config.ini" and closes
// the interface.
enum class Back { kHeadless, kQt };
enum class Moment { kViewerOpen, kBoxOpen, kDuringRun };

struct SignalCase {
    Back back;
    Moment moment;
    int signal;
};

class QtTerminationTest : public QtMainWindowTest,
                          public ::testing::WithParamInterface<SignalCase> {
protected:
    void SetUp() override {
        QtMainWindowTest::SetUp();
        qt_ = &ui::CurrentBackend();
        if (GetParam().back == Back::kHeadless) {
            ui::SetBackend(nullptr);
        }
        ui::TerminationSignalsCatch();
    }
    void TearDown() override {
        ui::SetBackend(qt_);
        QtMainWindowTest::TearDown();
    }
    ui::Backend* qt_ = nullptr;
};

TEST_P(QtTerminationTest, EndsEveryDialogAndTheRunThenSavesTheSetup) {
    const SignalCase c = GetParam();
    testsupport::WriteFile(emulated_.work().File("a.txt"),
                           "@1100\n01 02 03 04 05 06 07 08\n@FFFE\n00 11\nq\n");
    ui::TestSession session;
    static int signalNumber = 0;
    signalNumber = c.signal;
    bool viewerEnded = false;
    session.OnDialog(196, [&](ui::Driver& d) {
        std::raise(c.signal);
        d.Advance(gui::kSignalTimerMs);
        viewerEnded = ui::TranscriptHas("[196] termination signal: closing");
    });
    session.OnDialog(107, [&](ui::Driver& d) {
        gui::Frame.FirmwareUpdateOffer = 0;
        core::Settings.FlashEraseModeIndex = 1;
        core::Settings.VccIndex = 1;
        ASSERT_EQ(gui::CodeFileReadAndReport(0, emulated_.work().File("a.txt")), 1);
        switch (c.moment) {
        case Moment::kViewerOpen:
            d.Menu(180);
            break;
        case Moment::kBoxOpen:
            // The erase question is open when the signal comes; a Yes the
            // operator might have given never counts.
            session.Boxes().Answer(ui::IDYES);
            session.WhileBoxOpen([] { std::raise(signalNumber); });
            d.Click(1003);
            break;
        case Moment::kDuringRun: {
            static core::ProgressState installed;
            installed = core::Progress;
            core::ProgressOperationSet(
                [](int32_t percent, void*) {
                    if (!ui::TerminationRequested()) {
                        std::raise(signalNumber);
                    }
                    installed.operation(percent, installed.context);
                },
                nullptr);
            d.Click(1001);
            core::Progress = installed;
            break;
        }
        }
        // Acted on at the latest once the layer is idle again.
        QCoreApplication::processEvents();
        d.Advance(gui::kSignalTimerMs);
    });
    gui::MainDialog dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK) << ui::TranscriptText();
    EXPECT_TRUE(ui::TranscriptHas("[107] termination signal: closing")) << ui::TranscriptText();
    const std::string config = testsupport::ReadFile(emulated_.work().File("config.ini"));
    EXPECT_NE(config.find("VccIndex\t\t  1 \r\n"), std::string::npos) << config;
    EXPECT_EQ(core::Target.TargetInterfaceOpen, 0);
    const std::string report = dialog.GetItemText(1026);
    switch (c.moment) {
    case Moment::kViewerOpen:
        EXPECT_TRUE(viewerEnded) << ui::TranscriptText();
        EXPECT_TRUE(ui::TranscriptHas("[196] end 2")) << ui::TranscriptText();
        break;
    case Moment::kBoxOpen:
        EXPECT_TRUE(ui::TranscriptHas("box [Memory erase]")) << ui::TranscriptText();
        EXPECT_TRUE(ui::TranscriptHas("-> IDCANCEL (termination signal)")) << ui::TranscriptText();
        EXPECT_EQ(report.find("Erasing"), std::string::npos) << report;
        break;
    case Moment::kDuringRun:
        EXPECT_NE(report.find("  ------------ TERMINATED ----------------\r\n"), std::string::npos)
            << report;
        EXPECT_EQ(report.find("D O N E"), std::string::npos) << report;
        EXPECT_EQ(gui::StatusDisplay.StatusLampTable[gui::kRowAutoProgram].bitmap,
                  gui::kLampStopped);
        break;
    }
}

std::vector<SignalCase> SignalCases() {
    std::vector<SignalCase> out;
    const int kinds[] = {SIGTERM, SIGINT, SIGHUP};
    int i = 0;
    for (Back b : {Back::kHeadless, Back::kQt}) {
        for (Moment m : {Moment::kViewerOpen, Moment::kBoxOpen, Moment::kDuringRun}) {
            out.push_back(SignalCase{b, m, kinds[i++ % 3]});
        }
    }
    return out;
}

std::string SignalCaseName(const ::testing::TestParamInfo<SignalCase>& info) {
    const char* const moments[] = {"ViewerOpen", "BoxOpen", "DuringRun"};
    const int n = info.param.signal;
    return std::string(info.param.back == Back::kQt ? "Qt_" : "Headless_") +
           moments[static_cast<int>(info.param.moment)] + "_" +
           (n == SIGTERM  ? "Sigterm"
            : n == SIGINT ? "Sigint"
                          : "Sighup");
}

INSTANTIATE_TEST_SUITE_P(Moments, QtTerminationTest, ::testing::ValuesIn(SignalCases()),
                         SignalCaseName);

// main started the application with "-platform offscreen -sf" "a b.cfg"
// "-style fusion" after the test switches.
TEST(QtCommandLineTest, QtSwitchesNeverReachTheCommandLine) {
    EXPECT_EQ(gui::CommandLineJoin(remainingArguments), "-sf a b.cfg");
}

} // namespace
} // namespace guitest

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::vector<char*> args(argv, argv + argc);
    char platform[] = "-platform";
    char offscreen[] = "offscreen";
    char sf[] = "-sf";
    char file[] = "a b.cfg";
    char style[] = "-style";
    char fusion[] = "fusion";
    for (char* a : {platform, offscreen, sf, file, style, fusion}) {
        args.push_back(a);
    }
    args.push_back(nullptr);
    int count = static_cast<int>(args.size()) - 1;
    ui::qt::Application application(count, args.data());
    guitest::remainingArguments.assign(args.data() + 1, args.data() + count);
    return RUN_ALL_TESTS();
}
