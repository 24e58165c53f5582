// The code-size question before the write, against the memory the run
// programs: the board of row 415 identifies as the F41x of the
// identification tables, whose main memory starts at 0xE000, not at the
// row's 0xC000. No, or a termination signal while the question is open,
// ends the run without writing; Yes writes what the target has memory for,
// warned.

#include "tests/gui/actions_fixture.h"
#include "ui/termination.h"

#include <string>

namespace guitest {
namespace {

// The transcript writes a box's line ends as "\\r\\n".
const char kQuestion[] = "box [Error] \"Code size ( including Serial Number and Model Text )\\r\\n";
const char kWarning[] = " WARNING!! Code size (including Serial Number\r\n"
                        "  and Model Text) is exceeding the Target\r\n"
                        "  Microcontroller Flash Memory space.\r\n";
const char kCode[] = "@C000\n12 34\n@E000\n56 78\n@FFFE\n00 E0\nq\n";

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(ActionsTest, TheCodeSizeQuestionOfAutoProgram) {
    struct Case {
        const char* what;
        int answer;
        bool signal;        // a termination signal while the question is open
        const char* ending; // the run's last line
    };
    const Case cases[] = {
        {"No", platform::IDNO, false, "  ---------- TERMINATED BY USER ------------\r\n"},
        {"Yes", platform::IDYES, false, " -------- D O N E ---"},
        {"a signal", platform::IDYES, true, "  ------------ TERMINATED ----------------\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Config();
        std::string report;
        Run([&](ui::Driver& d) {
            Device("415");
            ASSERT_EQ(gui::CodeFileReadAndReport(0, CodeFile("a.txt", kCode)), 1);
            session().Boxes().Answer(c.answer);
            if (c.signal) {
                session().WhileBoxOpen([] { ui::TerminationRequest(); });
            }
            d.Click(1001);
            report = d.Target().GetItemText(1026);
        });
        EXPECT_TRUE(ui::TranscriptHas(kQuestion)) << ui::TranscriptText();
        EXPECT_TRUE(Has(report, kWarning)) << report;
        EXPECT_TRUE(Has(report, c.ending)) << report;
        EXPECT_EQ(sim::Sim().Peek(0xC000), 0xFF);
        if (c.answer == platform::IDYES && !c.signal) {
            EXPECT_TRUE(Has(report, "  Writing procedure continue anyway.\r\nFlash programming"))
                << report;
            EXPECT_EQ(sim::Sim().Peek(0xE000), 0x56);
        } else {
            EXPECT_FALSE(Has(report, "Flash programming")) << report;
            EXPECT_EQ(sim::Sim().Peek(0xE000), 0xFF);
            EXPECT_EQ(Lamp(gui::kRowWrite), gui::kLampFailed);
            EXPECT_NE(Lamp(gui::kRowAutoProgram), gui::kLampPassed);
        }
        ResetBetweenCases();
    }
}

TEST_F(ActionsTest, WriteFlashAsksTheSameQuestion) {
    Config();
    std::string report;
    Run([&](ui::Driver& d) {
        Device("415");
        ASSERT_EQ(gui::CodeFileReadAndReport(0, CodeFile("a.txt", kCode)), 1);
        session().Boxes().Answer(platform::IDOK); // write without erasing first
        session().Boxes().Answer(platform::IDNO);
        d.Click(1005);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_TRUE(ui::TranscriptHas(kQuestion)) << ui::TranscriptText();
    EXPECT_TRUE(Has(report, std::string(kWarning) + "  Writing procedure terminated ........."))
        << report;
    EXPECT_TRUE(Has(report, "  ---------- TERMINATED BY USER ------------\r\n")) << report;
    EXPECT_EQ(sim::Sim().Peek(0xE000), 0xFF);
    EXPECT_EQ(Lamp(gui::kRowWrite), gui::kLampFailed);
    EXPECT_FALSE(Unattended());
}

} // namespace
} // namespace guitest
