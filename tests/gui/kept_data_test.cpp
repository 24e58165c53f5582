// Kept data of a failed restore on the simulated F2274: board A's restore
// fails and leaves its range erased, with A's bytes kept as copies; then a
// board B, blank in that range, comes onto the fixture. B gets A's bytes
// only when the operator says it is the same board, and the report then
// says they were written back; No, nobody to answer, another device type,
// a setup read and a restart all leave B its own range.

#include "tests/gui/actions_fixture.h"

namespace guitest {
namespace {

constexpr uint32_t kRangeStart = 0x1000;
constexpr uint32_t kRangeLength = 0x20; // 0x1000-0x101F
constexpr const char* kQuestion =
    "box [Warning] \"The data kept through the erase reads erased on this board\\r\\n"
    "(wholly or in part):\\r\\n"
    "    0x1000 - 0x101F  Retain Data\\r\\n\\r\\n"
    "Copies of it were kept from a board whose restore failed\\r\\n"
    "(read from that board before its erase).\\r\\n\\r\\n"
    "Is this the same board?\\r\\n\\r\\n"
    "YES        -> write the kept copies to this board.\\r\\n"
    "NO         -> leave this board's data as it is and drop the copies.\" flags 0x34";
constexpr const char* kWrittenBack =
    "Restoring Retain Data ......................\t done\r\n"
    "  Copies kept from the failed restore written back: 0x1000 - 0x101F\r\n";

std::vector<uint8_t> BoardA() {
    std::vector<uint8_t> bytes(kRangeLength);
    for (uint32_t i = 0; i < kRangeLength; ++i) {
        bytes[i] = static_cast<uint8_t>(0xA0 + i);
    }
    return bytes;
}

class KeptDataTest : public ActionsTest {
protected:
    void SetUp() override {
        ActionsTest::SetUp();
        KeptConfig();
    }
    void KeptConfig() {
        Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\nRetainDefinedData 1\r\n"
               "RetainDataStart\t\t0x1000 \r\nRetainDataStop\t\t0x101F \r\n");
    }
    static std::vector<uint8_t> Range() { return sim::Sim().PeekRange(kRangeStart, kRangeLength); }

    // Board A with its data: AUTO PROGRAM fails at the restore and leaves
    // the range erased.
    void FailedRestoreOnBoardA(ui::Driver& d) {
        Device("2274");
        ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
        sim::Sim().PokeRange(kRangeStart, BoardA());
        sim::Sim().FailWriteAt(kRangeStart, 1);
        d.Click(1001);
        const std::string report = d.Target().GetItemText(1026);
        ASSERT_NE(report.find("Retain Data ......................\t failed\r\n"), std::string::npos)
            << report;
        ASSERT_FALSE(Done(report));
        ASSERT_EQ(Range(), std::vector<uint8_t>(kRangeLength, 0xFF));
        sim::Sim().ClearFaults();
        ui::TranscriptClear();
    }
    // Board B, blank in the range, programmed with answer (0: nobody answers).
    std::string BoardB(ui::Driver& d, int answer) {
        sim::Sim().PokeRange(kRangeStart, std::vector<uint8_t>(kRangeLength, 0xFF));
        if (answer != 0) {
            session().Boxes().Answer(answer);
        }
        d.Click(1001);
        session().Boxes().Clear();
        return d.Target().GetItemText(1026);
    }
};

TEST_F(KeptDataTest, OnlyTheOperatorsYesPutsTheCopiesOnTheBoard) {
    struct Road {
        const char* name;
        std::function<void(ui::Driver&)> between; // after board A
        int answer;                               // to the question, if asked
        bool asked;
        bool copies;
    };
    const Road roads[] = {
        {"yes", nullptr, platform::IDYES, true, true},
        {"no", nullptr, platform::IDNO, true, false},
        {"nobody answers", nullptr, 0, true, false},
        {"another device type",
         [](ui::Driver& d) {
             // The operator picks another type in the combo, then the
             // F2274 again for the next board.
             d.Select(1014, 0);
             if (core::Settings.SelectedProcessorIndex == DeviceRowNamed("2274")) {
                 d.Select(1014, 1);
             }
             ASSERT_NE(core::Settings.SelectedProcessorIndex, DeviceRowNamed("2274"));
             Device("2274");
         },
         platform::IDYES, false, false},
        {"a setup read",
         [this](ui::Driver& d) {
             session().AnswerFile(dir_.File("config.ini"));
             d.Menu(153);
             Device("2274");
             ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
         },
         platform::IDYES, false, false},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        std::string report;
        Run([&](ui::Driver& d) {
            FailedRestoreOnBoardA(d);
            if (road.between) {
                road.between(d);
            }
            report = BoardB(d, road.answer);
        });
        EXPECT_EQ(ui::TranscriptHas(kQuestion), road.asked) << ui::TranscriptText();
        EXPECT_EQ(Range(), road.copies ? BoardA() : std::vector<uint8_t>(kRangeLength, 0xFF));
        EXPECT_EQ(report.find(kWrittenBack) != std::string::npos, road.copies) << report;
        EXPECT_TRUE(Done(report)) << report;
        ResetBetweenCases();
        KeptConfig();
    }
}

// The copies live as long as the program: a new start (its window's
// start-up) has none, and board B keeps its blank range unasked.
TEST_F(KeptDataTest, ARestartDropsTheCopies) {
    Run([&](ui::Driver& d) { FailedRestoreOnBoardA(d); });
    std::string report;
    Run([&](ui::Driver& d) {
        Device("2274");
        ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
        report = BoardB(d, platform::IDYES);
    });
    EXPECT_FALSE(ui::TranscriptHas(kQuestion)) << ui::TranscriptText();
    EXPECT_EQ(Range(), std::vector<uint8_t>(kRangeLength, 0xFF));
    EXPECT_EQ(report.find("Copies kept"), std::string::npos) << report;
    EXPECT_TRUE(Done(report)) << report;
}

} // namespace
} // namespace guitest
