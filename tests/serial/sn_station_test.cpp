// The SN path through the main window (AUTO PROGRAM and WRITE SN, headless,
// on the simulated F149) where the coming SN cannot be written: the end of
// each type's range and a number whose bytes read as blank stop the run
// before anything reaches the board and say why; a history that cannot
// tell its numbers names the file, line and reason; the field shows what
// the next run will really write.

#include "tests/serial/sn_station.h"

#include "core/serial_data.h"
#include "gui/main_window_state.h"
#include "gui/sn_history.h"
#include "gui/status_lamps.h"
#include "platform/append_file.h"
#include "platform/local_time.h"
#include "sim/sim_library.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using sn_station::Board;
using sn_station::Station;

std::string Record(const std::string& type, const std::string& sn) {
    return type + " \t" + sn + " \t. \t( Thu, Dec 10,2026, 11:14 ) \ta.txt\r\n";
}

class SnStationTest : public ::testing::Test {
protected:
    void SetUp() override { before_ = std::filesystem::current_path(); }
    void TearDown() override {
        std::filesystem::current_path(before_);
        platform::ResetServices();
    }
    std::string History() const { return dir_.File("history.sn"); }
    std::string ReadHistory() const { return testsupport::ReadFile(History()); }
    // The window with the SN of type and mode, the local time fixed at Thu,
    // Dec 10 2026, the starting SN and the history as given; body runs in it.
    void Run(int32_t type, int32_t mode, int32_t startingSn, const std::string& history,
             const std::function<void(ui::Driver&, Station&)>& body) {
        if (!history.empty()) {
            testsupport::WriteFile(History(), history);
        }
        Station station(dir_.File("work"), History(), type, mode);
        sn_station::FixedLocalTime();
        ASSERT_TRUE(station.Run([&](ui::Driver& d) {
            core::Settings.Starting_SN = startingSn;
            gui::SerialNumberPrepareNext();
            gui::SerialNumberDisplayUpdate(1);
            body(d, station);
        }));
    }
    static Board WriteSn(ui::Driver& d) {
        Station::FreshBoard();
        gui::Actions.FlashWrittenFlags = 0;
        Board board;
        d.Click(1009);
        board.report = d.Target().GetItemText(1026);
        board.passed = board.report.find(" -------- D O N E ---") != std::string::npos;
        return board;
    }
    static bool Blank() {
        return sim::Sim().PeekRange(sn_station::kSnAt, 16) == std::vector<uint8_t>(16, 0xFF);
    }

    testsupport::TempDir dir_;
    std::filesystem::path before_;
};

// The end of each range: the report and the error box say why, the field
// shows it, and the board is never touched (not erased, nothing written),
// in both procedures.
TEST_F(SnStationTest, TheEndOfARangeSaysWhyBeforeAnythingIsWritten) {
    const struct {
        int32_t type, mode, start;
        std::string history;
        const char* coming;
    } cases[] = {
        {3, 0, 65536, "", "65536"},
        {3, 1, 10000, "", "10000"},
        {0, 1, 1, Record("F0", "20269999"), "202610000"},
        {5, 0, 1, Record("F5", "2612109999"), "26121010000"},
        {2, 2, 1, Record("F2", "99999999"), "100000000"},
    };
    for (const auto& c : cases) {
        for (int id : {1001, 1009}) {
            SCOPED_TRACE(std::string(c.coming) + " " + std::to_string(id));
            std::filesystem::remove(History());
            Run(c.type, c.mode, c.start, c.history, [&](ui::Driver& d, Station& station) {
                EXPECT_EQ(d.Target().GetItemText(1051), "exhausted");
                station.Session().Boxes().Answer(platform::IDOK);
                Station::FreshBoard();
                sim::Sim().Log().Clear();
                gui::Actions.FlashWrittenFlags = 0;
                d.Click(id);
                const std::string report = d.Target().GetItemText(1026);
                EXPECT_NE(report.find("Preparing SN .........\t failed\r\n No SN is left: " +
                                      std::string(c.coming) +
                                      " cannot be written\r\n with the SN type and byte mode.\r\n"),
                          std::string::npos)
                    << report;
                EXPECT_EQ(report.find(" -------- D O N E ---"), std::string::npos);
                EXPECT_EQ(report.find("Writing S"), std::string::npos) << report;
                // The start-up's box (no debug library beside the program), then
                // this one.
                const auto& boxes = station.Session().Boxes().Transcript();
                ASSERT_FALSE(boxes.empty());
                EXPECT_EQ(boxes.back().caption, "Error");
                EXPECT_EQ(boxes.back().flags, 0x10u);
                EXPECT_EQ(boxes.back().text,
                          "No SN is left to write:\r\n" + std::string(c.coming) +
                              " cannot be written with the SN type and byte "
                              "mode.\r\n\r\nPlease check the serialization setup.");
                EXPECT_TRUE(Blank());
                EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u);
                EXPECT_EQ(gui::StatusDisplay.StatusLampTable[gui::kRowSerialNumber].bitmap,
                          gui::kLampFailed);
            });
            EXPECT_EQ(ReadHistory(), c.history);
            EXPECT_FALSE(std::filesystem::exists(History() + ".claims"));
        }
    }
}

// Type 3 HEX from 65534: the first board gets 65534; the next number's
// bytes (FF FF) would read as blank, so it is passed over and the range has
// ended: the second board gets nothing. Type 2 HEX likewise at 0xFFFFFFFF.
TEST_F(SnStationTest, ANumberThatReadsAsBlankIsPassedOverToTheEndOfTheRange) {
    const struct {
        int32_t type, start;
        std::string history;
        const char* first;
        const char* passedOver;
    } cases[] = {{3, 65534, "", "65534", "65536"},
                 {2, 1, Record("F2", "4294967293"), "4294967294", "4294967295"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        std::filesystem::remove(History());
        std::filesystem::remove(History() + ".claims");
        Run(c.type, 0, c.start, c.history, [&](ui::Driver& d, Station& station) {
            Station::FreshBoard();
            const Board first = Station::AutoProgram(d);
            EXPECT_TRUE(first.passed) << first.report;
            EXPECT_EQ(first.sn, c.first);
            EXPECT_EQ(d.Target().GetItemText(1051), "exhausted");
            station.Session().Boxes().Answer(platform::IDOK);
            Station::FreshBoard();
            const Board second = Station::AutoProgram(d);
            EXPECT_FALSE(second.passed);
            EXPECT_NE(second.report.find(" No SN is left: " + std::string(c.passedOver)),
                      std::string::npos)
                << second.report;
            EXPECT_TRUE(Blank());
        });
        EXPECT_EQ(ReadHistory(), c.history + Record("F" + std::to_string(c.type), c.first));
    }
}

// A number typed by hand whose bytes read as blank: refused with a line
// naming it, nothing written.
TEST_F(SnStationTest, ATypedNumberThatReadsAsBlankIsRefusedByName) {
    Run(3, 0, 1, "", [&](ui::Driver& d, Station& station) {
        d.Type(1051, "65535");
        station.Session().OnDialog(225, [](ui::Driver& e) {
            e.Click(1256);
            e.Click(1246);
        });
        const Board board = WriteSn(d);
        EXPECT_FALSE(board.passed);
        EXPECT_NE(board.report.find("SN 65535 would read as blank flash: it is not written.\r\n"),
                  std::string::npos)
            << board.report;
        EXPECT_TRUE(Blank());
    });
    EXPECT_EQ(ReadHistory(), "");
}

// A history the SN step cannot trust: the run stops at the SN step with
// the file, the line and the reason, the field shows no number, and the
// board is not touched.
TEST_F(SnStationTest, AHistoryLineThatIsNoRecordStopsTheSnStepWithItsNumber) {
    const struct {
        const char* name;
        std::string history;
        bool folder;
        std::string lines;
    } cases[] = {
        {"no-break space", Record("F3", "00007") + "\xC2\xA0" + Record("F3", "00009"), false,
         ", line 2:\r\n the line starts with the byte 0xC2, not with a record.\r\n"},
        {"folder", "", true, ":\r\n it is a folder, not a file.\r\n"},
    };
    for (const auto& c : cases) {
        for (int id : {1001, 1009}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(id));
            std::filesystem::remove_all(History());
            if (c.folder) {
                std::filesystem::create_directory(History());
            }
            Run(3, 0, 1, c.history, [&](ui::Driver& d, Station&) {
                EXPECT_EQ(d.Target().GetItemText(1051), "----");
                Station::FreshBoard();
                sim::Sim().Log().Clear();
                gui::Actions.FlashWrittenFlags = 0;
                d.Click(id);
                const std::string report = d.Target().GetItemText(1026);
                EXPECT_NE(report.find("Reading SN history file .........\t failed\r\n SN history "
                                      "file " +
                                      History() + c.lines),
                          std::string::npos)
                    << report;
                EXPECT_EQ(report.find(" -------- D O N E ---"), std::string::npos);
                EXPECT_TRUE(Blank());
                EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u);
            });
        }
    }
}

// Another station took the number the field shows: the run writes the next
// free one, the field moves on, and each number is in the history once.
TEST_F(SnStationTest, WhenAnotherStationTookTheShownNumberTheFieldMovesOn) {
    Run(3, 0, 1, Record("F3", "00001"), [&](ui::Driver& d, Station&) {
        EXPECT_EQ(d.Target().GetItemText(1051), "00002");
        ASSERT_TRUE(platform::FileAppendDurable(History(), Record("F3", "00002")));
        Station::FreshBoard();
        const Board board = Station::AutoProgram(d);
        EXPECT_TRUE(board.passed) << board.report;
        EXPECT_EQ(board.sn, "00003");
        EXPECT_NE(board.report.find("Writing SN - ... 00003 ..."), std::string::npos)
            << board.report;
        EXPECT_EQ(d.Target().GetItemText(1051), "00004");
    });
    EXPECT_EQ(ReadHistory(), Record("F3", "00001") + Record("F3", "00002") + Record("F3", "00003"));
}

// A typed number that the operator replaces with the coming one ("New SN")
// records as a new SN, '.', and the typed one as manual, 'm'.
TEST_F(SnStationTest, TheNewSnInPlaceOfATypedOneRecordsAsNew) {
    Run(3, 0, 1, "", [&](ui::Driver& d, Station& station) {
        for (int radio : {1255, 1256}) {
            d.Type(1051, "00077");
            station.Session().OnDialog(225, [radio](ui::Driver& e) {
                e.Click(radio);
                e.Click(1246);
            });
            const Board board = WriteSn(d);
            EXPECT_TRUE(board.passed) << board.report;
        }
    });
    const std::string expected = "F3 \t00001 \t. \t( Thu, Dec 10,2026, 11:14 ) \ta.txt\r\n"
                                 "F3 \t00077 \tm \t( Thu, Dec 10,2026, 11:14 ) \ta.txt\r\n";
    EXPECT_EQ(ReadHistory(), expected);
}

} // namespace
