// The progress dialog as a Qt window, offscreen: the library makes its own
// application when the host has none, runs AUTO PROGRAM in the window, and
// a box it shows is answered by a timer as an operator would. The last
// picture of the window is written to the build tree.

#include "api/dod430adi.h"
#include "api/qt_presenter.h"
#include "platform/prompt.h"
#include "tests/api/api_fixture.h"
#include "ui/dialog.h"
#include "ui/qt_app.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace api_test {
namespace {

std::string g_shot; // where the next repaint writes its picture

void TakeShot(void* window) {
    if (!g_shot.empty()) {
        ui::qt::SaveScreenshot(*static_cast<ui::Dialog*>(window), g_shot);
    }
}

class QtDialogTest : public ApiTest {
protected:
    void SetUp() override {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ApiTest::SetUp();
        ASSERT_EQ(SelectAndInitialize(), 1);
        UseDevice("149");
        ASSERT_EQ(F_SetConfig(2, 1), 1);
        F_Clr_Code_Buffer();
        for (int32_t a = 0x8000; a < 0x9000; ++a) {
            F_Put_Byte_to_Code_Buffer(a, static_cast<uint8_t>(a * 5));
        }
        api::QtPresenter::SetRepaintObserver(&TakeShot);
        TakeReport();
    }
    // The window's loop waits on the injected clock; this moves it on
    // whenever the loop looks for work, so no test waits for a timer.
    void PushClockWhileRunning() {
        // The library makes the application (with its message boxes) once;
        // each test's fresh services need the boxes put back.
        static platform::PromptService* qtBoxes = nullptr;
        ASSERT_TRUE(api::QtPresenter::Available());
        if (qtBoxes == nullptr) {
            qtBoxes = &platform::CurrentPromptService();
        }
        platform::SetPromptService(qtBoxes);
        push_ = std::make_unique<QTimer>();
        QObject::connect(push_.get(), &QTimer::timeout, [this] { clock.SleepMs(50); });
        push_->start(0);
    }
    std::unique_ptr<QTimer> push_;
    void TearDown() override {
        api::QtPresenter::SetOperatorWatching(false);
        push_.reset();
        api::QtPresenter::SetRepaintObserver(nullptr);
        g_shot.clear();
        ApiTest::TearDown();
    }
};

TEST_F(QtDialogTest, AutoProgramRunsInTheWindow) {
    PushClockWhileRunning();
    ASSERT_EQ(F_SetConfig(30, 0), 1); // the dialog without prompts
    g_shot = std::string(QUILL_BINARY_DIR) + "/screenshots/progress-dialog.png";
    std::filesystem::remove(g_shot);
    EXPECT_EQ(F_AutoProgram(0), 1);
    EXPECT_NE(TakeReport().find(" -------- D O N E --- "), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(g_shot));
    EXPECT_EQ(api::DialogRun.current, nullptr);
}

TEST_F(QtDialogTest, ABoxIsAnsweredByTheOperator) {
    PushClockWhileRunning();
    api::QtPresenter::SetOperatorWatching(true); // the timer below plays the operator
    ASSERT_EQ(F_SetConfig(30, 1), 1);            // the dialog with prompts
    // The library selects the F148 while the board holds an F149.
    const int32_t row148 = sim::SimSelectDeviceNamed("148");
    ASSERT_GT(sim::SimSelectDeviceNamed("149"), 0);
    ASSERT_EQ(F_SetConfig(1, static_cast<uint32_t>(row148)), 1);
    std::string asked;
    QTimer operatorHand;
    QObject::connect(&operatorHand, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            asked = box->text().toStdString();
            box->button(QMessageBox::Yes)->click();
        }
    });
    operatorHand.start(10);
    EXPECT_EQ(F_AutoProgram(0), 1);
    operatorHand.stop();
    EXPECT_NE(asked.find("Would you like to continue anyway?"), std::string::npos) << asked;
}

// Offscreen nobody sees a box: none is shown, each question goes into the
// report and gets the safe answer, so the run ends instead of waiting.
TEST_F(QtDialogTest, OffscreenBoxesGetTheSafeAnswerAndTheReportTheQuestion) {
    PushClockWhileRunning();
    ASSERT_TRUE(api::QtPresenter::Windowless());
    ASSERT_EQ(F_SetConfig(30, 1), 1); // the dialog with prompts
    int shown = 0;
    QTimer watch; // ends a box that did show, so a fault fails instead of hanging
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++shown;
            box->reject();
        }
    });
    watch.start(10);
    struct Case {
        const char* what;
        std::function<void()> arrange;
        int32_t result;
        std::string question;
        std::string verdict;
    };
    const Case cases[] = {
        {"device question",
         [] {
             const int32_t row148 = sim::SimSelectDeviceNamed("148");
             ASSERT_GT(sim::SimSelectDeviceNamed("149"), 0);
             ASSERT_EQ(F_SetConfig(1, static_cast<uint32_t>(row148)), 1);
         },
         0, "Warning\r\nThe target microcontroller type does not match selection:",
         " --------------- FAILED !!! -----------------\r\n"},
        {"supply prompt",
         [] {
             UseDevice("149");
             ASSERT_EQ(F_SetConfig(2, 0), 1);
             sim::Sim().SetSupplyReading(0);
         },
         15, "Warning\r\nTurn DC Power ON now.\r\n\r\nPlease press:",
         "  ---------- TERMINATED BY USER ------------\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        TakeReport();
        EXPECT_EQ(F_AutoProgram(0), c.result);
        const std::string report = TakeReport();
        const size_t verdict = report.find(c.verdict);
        ASSERT_NE(verdict, std::string::npos) << report;
        EXPECT_LT(report.find(c.question), verdict) << report;
    }
    watch.stop();
    EXPECT_EQ(shown, 0);
}

// A display that is named but cannot be reached would make the toolkit end
// the host's process: the dialog is not offered, the run goes on headless.
TEST(QtPresenterChoice, AnUnreachableDisplayIsNotOffered) {
    struct Saved {
        const char* name;
        std::string value;
        bool set;
    } saved[] = {
        {"QT_QPA_PLATFORM", "", false}, {"DISPLAY", "", false}, {"WAYLAND_DISPLAY", "", false}};
    for (Saved& v : saved) {
        const char* now = std::getenv(v.name);
        v.set = now != nullptr;
        v.value = v.set ? now : "";
    }
    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("DISPLAY", ":4711", 1);
    EXPECT_FALSE(api::QtPresenter::Available());
    for (const Saved& v : saved) {
        if (v.set) {
            ::setenv(v.name, v.value.c_str(), 1);
        } else {
            ::unsetenv(v.name);
        }
    }
}

} // namespace
} // namespace api_test
