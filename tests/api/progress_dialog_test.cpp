// The progress dialog with a scripted window: what it shows (adapter,
// supply, lamp, device, progress), the boxes of the procedures and their
// answers, the hold after a failure, and the time boxes stay open kept out
// of the run time. Without a display the dialog runs headless.

#include "api/dod430adi.h"
#include "api/headless_presenter.h"
#include "api/presenter_choice.h"
#include "api/procedure_frame.h"
#include "core/settings.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"
#include "tests/api/api_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace api_test {
namespace {

using Lines = std::vector<std::string>;

// Boxes that stay open for a while on the injected clock.
class SlowBoxes : public platform::ScriptedPrompts {
public:
    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        platform::SleepMilliseconds(openMs);
        return ScriptedPrompts::MessageBox(text, caption, flags);
    }
    uint32_t openMs = 0;
};

class DialogTest : public ApiTest {
protected:
    void SetUp() override {
        ApiTest::SetUp();
        sim::Sim().usbInterfaces = {{"COM7", 0}};
        ASSERT_EQ(F_Check_KVU_access(0), 1);
        ASSERT_EQ(F_Check_KVU_access(20010107), 20010107);
        ASSERT_EQ(F_Initialization(), 1);
        UseDevice("149");
        ASSERT_EQ(F_SetConfig(2, 1), 1);
        ASSERT_EQ(F_SetConfig(30, 1), 1); // the dialog, with prompts
        api::ProgressPresenterInstall(&window);
        F_Clr_Code_Buffer();
        for (int32_t a = 0x8000; a < 0x9000; ++a) {
            F_Put_Byte_to_Code_Buffer(a, static_cast<uint8_t>(a * 3));
        }
        TakeReport();
    }
    void TearDown() override {
        api::ProgressPresenterInstall(nullptr);
        ApiTest::TearDown();
    }

    // The library selects the F148 while the board holds an F149.
    static void SelectOtherThanTheBoard() {
        const int32_t row148 = sim::SimSelectDeviceNamed("148");
        ASSERT_GT(sim::SimSelectDeviceNamed("149"), 0);
        ASSERT_EQ(F_SetConfig(1, static_cast<uint32_t>(row148)), 1);
    }

    Lines Lamps() const {
        Lines out;
        for (const std::string& line : window.Transcript()) {
            if (line.rfind("lamp ", 0) == 0) {
                out.push_back(line);
            }
        }
        return out;
    }
    std::vector<int> ProgressValues() const {
        std::vector<int> out;
        for (const std::string& line : window.Transcript()) {
            if (line.rfind("progress ", 0) == 0) {
                out.push_back(std::stoi(line.substr(9)));
            }
        }
        return out;
    }

    SlowBoxes boxes;
    api::ScriptedPresenter window{boxes};
};

TEST(DialogLamp, TableAndPosition) {
    struct Case {
        int32_t supply; // 10 mV
        int lamp;
    };
    for (const Case c :
         {Case{200, api::kLampLow}, Case{201, api::kLampMiddle}, Case{260, api::kLampMiddle},
          Case{261, api::kLampGood}, Case{0, api::kLampLow}}) {
        EXPECT_EQ(api::LampFor(c.supply), c.lamp) << c.supply;
    }
    EXPECT_EQ(api::LampX(327), 295);
    EXPECT_EQ(api::LampY(134), 27);
    EXPECT_EQ(api::LampX(100), 90);
    EXPECT_EQ(api::LampY(50), 10);
}

TEST_F(DialogTest, AutoProgramShowsItsRunInTheWindow) {
    EXPECT_EQ(F_AutoProgram(0), 1);
    const Lines& t = window.Transcript();
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t.front(), "text 5004 \"MSP-FET430UIF  COM7\"");
    EXPECT_EQ(t[1], "timer 5 set 100");
    EXPECT_EQ(t[2], "timer 5 killed");
    EXPECT_EQ(t[3], "text 5005 \"\"");
    EXPECT_TRUE(window.Has("text 5002 \" 3.20 V\""));
    EXPECT_TRUE(window.Has("text 5003 \" JTAG \""));
    EXPECT_TRUE(window.Has("text 5005 \"MSP430F149\""));
    EXPECT_EQ(Lamps().back(), "lamp 5007 at 295,27");
    EXPECT_EQ(t.back(), "close");
    EXPECT_FALSE(window.Has("hold 3000"));
    // The write's progress climbs to 100.
    const std::vector<int> p = ProgressValues();
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.back(), 100);
    EXPECT_EQ(std::count(p.begin(), p.end(), 100) >= 1, true);
    // The log shows the report as it grew; the report is the host's.
    const Lines logs = window.TextsOf(api::kLogControl);
    ASSERT_FALSE(logs.empty());
    EXPECT_NE(logs.back().find(" -------- D O N E --- "), std::string::npos);
    EXPECT_NE(TakeReport().find(" -------- D O N E --- "), std::string::npos);
    // Gone with its window: later appends reach no dialog.
    EXPECT_EQ(api::DialogRun.current, nullptr);
    EXPECT_EQ(api::DialogRun.busy, 0);
    const size_t before = window.Transcript().size();
    api::ReportAppend("after\r\n");
    api::ReportProgress(50, nullptr);
    EXPECT_EQ(window.Transcript().size(), before);
}

TEST_F(DialogTest, TheLampFollowsTheSupplyAndTheWindowSize) {
    api::ScriptedPresenter small(boxes, {100, 50});
    api::ProgressPresenterInstall(&small);
    struct Case {
        int32_t mv;
        std::string text;
        int lamp;
    };
    ASSERT_EQ(F_SetConfig(30, 0), 1); // no prompts
    for (const Case& c : {Case{2000, " 2.00 V", 5001}, Case{2010, " 2.01 V", 5006},
                          Case{2600, " 2.60 V", 5006}, Case{2610, " 2.61 V", 5007}}) {
        sim::Sim().SetSupplyReading(c.mv);
        F_Open_Target_Device();
        EXPECT_TRUE(small.Has("text 5002 \"" + c.text + "\"")) << c.mv;
        EXPECT_TRUE(small.Has("lamp " + std::to_string(c.lamp) + " at 90,10")) << c.mv;
    }
}

TEST_F(DialogTest, HoldOnlyAfterAFailure) {
    struct Case {
        const char* name;
        int32_t result;
        bool hold;
    };
    // 1 passes; 0 no code; 15 the supply prompt cancelled.
    for (const Case& c :
         {Case{"pass", 1, false}, Case{"fail", 0, true}, Case{"cancel", 15, false}}) {
        api::ScriptedPresenter w(boxes);
        api::ProgressPresenterInstall(&w);
        if (c.result == 0) {
            F_Clr_Code_Buffer();
        }
        if (c.result == 15) {
            ASSERT_EQ(F_SetConfig(2, 0), 1);
            sim::Sim().SetSupplyReading(0);
        }
        EXPECT_EQ(F_AutoProgram(0), c.result) << c.name;
        EXPECT_EQ(w.Has("hold 3000"), c.hold) << c.name;
        EXPECT_EQ(w.Transcript().back(), "close") << c.name;
    }
}

TEST_F(DialogTest, SupplyPromptOkThenCancel) {
    ASSERT_EQ(F_SetConfig(2, 0), 1);
    sim::Sim().SetSupplyReading(0);
    boxes.Answer(platform::IDOK);
    boxes.Answer(platform::IDCANCEL);
    EXPECT_EQ(F_Memory_Erase(1), 15);
    ASSERT_EQ(boxes.Transcript().size(), 2u);
    EXPECT_EQ(boxes.Transcript()[0].text.rfind("Turn DC Power ON now.\r\n\r\n", 0), 0u);
    EXPECT_EQ(boxes.Transcript()[1].text.rfind("Target's DC Voltage is still below 2.7 V\r\n\r\n"
                                               "Turn DC Power ON once again.\r\n\r\n",
                                               0),
              0u);
    EXPECT_EQ(boxes.Transcript()[1].flags, platform::MB_OKCANCEL | platform::MB_ICONWARNING);
    EXPECT_FALSE(window.Has("hold 3000"));
}

TEST_F(DialogTest, DeviceMismatchAsksAndTheBoxTimeIsLeftOut) {
    SelectOtherThanTheBoard();
    boxes.openMs = 5000;
    boxes.Answer(platform::IDYES);
    const int32_t yes = F_AutoProgram(0);
    const std::string report = TakeReport();

    ASSERT_EQ(boxes.Transcript().size(), 1u);
    EXPECT_EQ(boxes.Transcript()[0].caption, "Warning");
    EXPECT_EQ(boxes.Transcript()[0].flags, platform::MB_YESNO | platform::MB_ICONWARNING);
    EXPECT_NE(boxes.Transcript()[0].text.find("\r\nWould you like to continue anyway?"),
              std::string::npos);
    EXPECT_EQ(yes, 1) << report;
    // Five seconds in the box, none of them in the run time.
    EXPECT_NE(report.find("( run time =   0."), std::string::npos) << report;

    boxes.Answer(platform::IDNO);
    EXPECT_EQ(F_AutoProgram(0), 0);
    EXPECT_EQ(boxes.Transcript().size(), 2u);
}

TEST_F(DialogTest, AReadFaultAnsweredYesGoesOn) {
    ASSERT_EQ(F_AutoProgram(0), 1);
    sim::Sim().FailReadAt(0x8400, 1);
    boxes.Answer(platform::IDYES);
    std::vector<uint8_t> memory(QUILLCORE_MEMORY_READ_SIZE);
    EXPECT_EQ(F_Memory_Read(memory.data()), 1);
    ASSERT_EQ(boxes.Transcript().size(), 1u);
    EXPECT_EQ(boxes.Transcript()[0].text,
              "     Read error !!!\r\n\r\nWould you like to continue anyway?");
    EXPECT_EQ(memory[0x8600 - 0x1000], static_cast<uint8_t>(0x8600 * 3));

    sim::Sim().FailReadAt(0x8400, 1);
    boxes.Answer(platform::IDNO);
    EXPECT_EQ(F_Memory_Read(memory.data()), 0);
}

TEST_F(DialogTest, WithoutADisplayTheDialogRunsHeadlessOnSafeAnswers) {
    api::ProgressPresenterInstall(nullptr);
    ASSERT_EQ(std::getenv("DISPLAY"), nullptr);
    ASSERT_EQ(std::getenv("WAYLAND_DISPLAY"), nullptr);
    ASSERT_EQ(std::getenv("QT_QPA_PLATFORM"), nullptr);
    // The device question gets No: nothing is programmed. The question is
    // in the report before the verdict.
    SelectOtherThanTheBoard();
    sim::Sim().PokeRange(0x8000, {0x12, 0x34});
    EXPECT_EQ(F_AutoProgram(0), 0);
    std::string report = TakeReport();
    const size_t failed = report.find(" --------------- FAILED !!! -----------------\r\n");
    EXPECT_NE(failed, std::string::npos);
    const size_t asked =
        report.find("Warning\r\nThe target microcontroller type does not match "
                    "selection:\r\n\r\nSelected microcontroller type: MSP430 F148");
    EXPECT_LT(asked, failed) << report;
    EXPECT_NE(report.find("\r\nWould you like to continue anyway?"), std::string::npos) << report;
    EXPECT_EQ(sim::Sim().PeekRange(0x8000, 2), (std::vector<uint8_t>{0x12, 0x34}));
    // The supply prompt gets Cancel, after its text went into the report.
    ASSERT_EQ(F_SetConfig(2, 0), 1);
    sim::Sim().SetSupplyReading(0);
    EXPECT_EQ(F_Memory_Erase(1), 15);
    report = TakeReport();
    EXPECT_NE(report.find("Warning\r\nTurn DC Power ON now.\r\n\r\nPlease press:\r\n\r\n"
                          "OK         -> when power is turned ON.        \r\n\r\n"
                          "CANCEL -> terminate this action."),
              std::string::npos)
        << report;
    EXPECT_EQ(F_AutoProgram(0), 15);
    report = TakeReport();
    EXPECT_LT(report.find("Warning\r\nTurn DC Power ON now."),
              report.find("  ---------- TERMINATED BY USER ------------\r\n"))
        << report;
}

} // namespace
} // namespace api_test
