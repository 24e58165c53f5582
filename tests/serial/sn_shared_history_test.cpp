// One history shared by stations: what another station appended is seen
// before the next number is chosen, a claimed number is never given again
// (after a restart too) unless its own station released it, lines that are
// neither records nor blank stop the history with their number and reason,
// list lines that are not what they seem are refused, and no number whose
// bytes read as blank flash is issued.

#include "sn_fixture.h"

#include "gui/sn_claims.h"
#include "gui/sn_history_line.h"
#include "platform/append_file.h"
#include "ui/test_session.h"

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace sn_test {
namespace {

using gui::SerialNumber;

std::string Record(const std::string& type, const std::string& sn) {
    return type + " \t" + sn + " \t. \t( Thu, Dec 10,2026, 11:14 ) \tblink.txt\r\n";
}

class SnSharedTest : public SnTest {
protected:
    std::string Claims() const { return testsupport::ReadFile(History() + ".claims"); }
    // The coming SN packed as the SN step packs it.
    static void PackComing() {
        gui::SerialNumberComputeNext();
        gui::SerialNumberPackNext();
        ASSERT_EQ(gui::SerialNumberFromText(gui::SerialNumberFormat()), 1);
    }
    // A second station: a child process with the engine as it stands, that
    // runs step and ends without a word (as a station killed right after).
    template <typename F> void OtherStation(F step) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            step();
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
};

// After this station's first board another station appends the next
// number: this station's next board gets the one after it, and the
// history holds each number once.
TEST_F(SnSharedTest, WhatAnotherStationAppendedIsSeenBeforeTheNextNumber) {
    Use(3, 0);
    gui::SerialNumberPrepareNext();
    PackComing();
    ASSERT_EQ(gui::SnClaim(1), gui::kSnClaimed);
    ASSERT_EQ(gui::SnHistoryAppend(), 1);
    PackComing();
    EXPECT_EQ(SerialNumber.SerialNumberText, "00002");
    ASSERT_TRUE(platform::FileAppendDurable(History(), Record("F3", "00002")));
    // The coming SN moves on when it is claimed ...
    EXPECT_EQ(gui::SnClaim(1), gui::kSnClaimed);
    EXPECT_EQ(SerialNumber.SerialNumberText, "00003");
    ASSERT_EQ(gui::SnHistoryAppend(), 1);
    // ... a number chosen by hand does not: it is refused.
    ASSERT_TRUE(platform::FileAppendDurable(History(), Record("F3", "00004")));
    ASSERT_EQ(gui::SerialNumberFromText("00004"), 1);
    EXPECT_EQ(gui::SnClaim(0), gui::kSnClaimTaken);
    EXPECT_EQ(SerialNumber.SnClaimWhy, "SN 00004 is already in the SN history file.\r\n");
    // The display looks again too.
    EXPECT_EQ(gui::SerialNumberComputeNext(), 1);
    EXPECT_EQ(SerialNumber.NextSerialNumber, 5u);
    EXPECT_EQ(ReadHistory(), Record("F3", "00001") + Record("F3", "00002") + Record("F3", "00003") +
                                 Record("F3", "00004"));
}

// A claim outlives the station that made it: a number claimed by a
// station that then died (or whose board failed after the write) is given
// by no station again, nor after a restart; one its own station released
// comes again; one whose record is in the history stays taken.
TEST_F(SnSharedTest, AClaimOutlivesItsStationUnlessItsStationReleasedIt) {
    Use(0, 0);
    gui::SerialNumberPrepareNext();
    OtherStation([&] {
        PackComing();
        if (gui::SnClaim(1) != gui::kSnClaimed) {
            _exit(1);
        }
    }); // dies with 202600001 claimed
    const std::string holder = Claims().substr(Claims().rfind(" \t") + 2);
    EXPECT_EQ(Claims(), "claim \tF0 \t202600001 \t" + holder);
    EXPECT_NE(holder.find(':'), std::string::npos);
    // This station, as it stands, and after a restart.
    for (bool restart : {false, true}) {
        if (restart) {
            SerialNumber.Reset();
            gui::SerialNumberPrepareNext();
        }
        PackComing();
        EXPECT_EQ(SerialNumber.SerialNumberText, "202600002") << restart;
        EXPECT_EQ(gui::SnHistoryContains("202600001"), 1) << restart;
    }
    // A typed number that another station holds is refused, and says so.
    ASSERT_EQ(gui::SerialNumberFromText("202600001"), 1);
    EXPECT_EQ(gui::SnClaim(0), gui::kSnClaimTaken);
    EXPECT_NE(SerialNumber.SnClaimWhy.find("SN 202600001 is claimed already"), std::string::npos);

    // Claimed and released by its station (its run ended before the SN
    // reached the board): free again, for this station as well.
    OtherStation([&] {
        PackComing();
        if (gui::SnClaim(1) != gui::kSnClaimed) {
            _exit(1);
        }
        gui::SnClaimRelease();
    });
    EXPECT_NE(Claims().find("release \tF0 \t202600002 \t"), std::string::npos) << Claims();
    PackComing();
    EXPECT_EQ(SerialNumber.SerialNumberText, "202600002");
    ASSERT_EQ(gui::SnClaim(1), gui::kSnClaimed);
    EXPECT_EQ(SerialNumber.SerialNumberText, "202600002");
    ASSERT_EQ(gui::SnHistoryAppend(), 1);
    // Recorded: the claim is ended, the record holds the number.
    EXPECT_TRUE(SerialNumber.SnClaims.heldKey.empty());
    SerialNumber.Reset();
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(gui::SnHistoryContains("202600002"), 1);
    EXPECT_EQ(SerialNumber.NextSerialNumber, 3u);
    EXPECT_EQ(SerialNumber.SnClaims.live.size(), 1u); // 202600001's, for good
}

// A claims line cut short (its writer stopped half way) counts for nothing
// until it ends, and the next claim starts a line of its own.
TEST_F(SnSharedTest, ATornClaimsLineIsNoClaimAndTheNextStartsItsOwnLine) {
    Use(3, 0);
    testsupport::WriteFile(History() + ".claims",
                           "claim \tF3 \t00007 \tbench-1:1\r\nclaim \tF3 \t0");
    gui::SerialNumberPrepareNext();
    PackComing();
    EXPECT_EQ(SerialNumber.SerialNumberText, "00008");
    ASSERT_EQ(gui::SnClaim(1), gui::kSnClaimed);
    const std::string claims = Claims();
    EXPECT_EQ(claims.substr(0, claims.find("claim \tF3 \t00008")),
              "claim \tF3 \t00007 \tbench-1:1\r\nclaim \tF3 \t0\r\n");
}

// Lines no writer of the history puts there: the numbers they may hide are
// unknown, so no SN comes, and the line's number and the reason say why. A
// torn record marked as such and blank lines are no such line.
TEST_F(SnSharedTest, ALineThatIsNeitherRecordNorBlankStopsTheHistoryWithItsNumber) {
    const std::string first = Record("F3", "00007");
    const struct {
        const char* name;
        std::string file;
        int32_t line;
        const char* why;
    } cases[] = {
        {"no-break space", first + "\xC2\xA0" + Record("F3", "00009"), 2,
         "the line starts with the byte 0xC2, not with a record."},
        {"UTF-16",
         std::string("\xFF\xFE"
                     "F\0"
                     "3\0"
                     " \0"
                     "9\0\r\0\n\0",
                     14),
         1, "the file is UTF-16 text; an SN history is 8-bit text."},
        {"NUL before a record", first + std::string("\0", 1) + Record("F3", "00009"), 2,
         "the line holds a NUL byte."},
        {"garbage", first + "\r\n\r\nnot a record\r\n", 2, "the line is not an SN record."},
        {"type 9", first + Record("F9", "00009"), 2, "the line is not an SN record."},
        {"no SN", first + "F3\r\n", 2, "the record holds no SN."},
        {"control in the SN",
         first + "F3 \t000\x01"
                 "9\r\n",
         2, "the SN holds the byte 0x01."},
        {"over the line buffer", first + "F3 \t00009 \t" + std::string(1020, 'x') + "\r\n", 2,
         "the line is longer than 1024 characters."},
        {"torn and blank lines",
         first + "F3 \t0000 \t<torn record>\r\n  \t \r\n" + Record("F3", "00009"), 0, ""},
    };
    for (const auto& c : cases) {
        Use(3, 0);
        WriteHistory(c.file);
        gui::SerialNumberPrepareNext();
        const int32_t computed = gui::SerialNumberComputeNext();
        if (c.line == 0) {
            EXPECT_EQ(computed, 1) << c.name;
            EXPECT_EQ(SerialNumber.NextSerialNumber, 10u) << c.name;
            EXPECT_EQ(gui::SnHistoryProblemLines(), "") << c.name;
            continue;
        }
        EXPECT_EQ(computed, 0) << c.name;
        EXPECT_EQ(SerialNumber.SnComing, gui::kSnComingUnknown) << c.name;
        EXPECT_EQ(gui::SnComingText(), "----") << c.name;
        EXPECT_EQ(gui::SnHistoryProblemLines(), " SN history file " + History() + ", line " +
                                                    std::to_string(c.line) + ":\r\n " + c.why +
                                                    "\r\n")
            << c.name;
        // Nothing is claimed over it, and its fix is seen at the next look.
        gui::SerialNumberFromText("00010");
        EXPECT_EQ(gui::SnClaim(1), gui::kSnClaimFailed) << c.name;
        WriteHistory(first);
        EXPECT_EQ(gui::SerialNumberComputeNext(), 1) << c.name;
        EXPECT_EQ(SerialNumber.NextSerialNumber, 8u) << c.name;
    }
    // A folder at the history's path: a reason, not a number.
    std::filesystem::remove(History());
    std::filesystem::create_directory(History());
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(gui::SnComingText(), "----");
    EXPECT_EQ(gui::SnHistoryProblemLines(),
              " SN history file " + History() + ":\r\n it is a folder, not a file.\r\n");
}

// List lines that are not what they seem are refused whole: one over the
// line buffer (its tail is no entry), one holding a NUL or another control
// character; a byte-order mark at the start is skipped.
TEST_F(SnSharedTest, ListLinesOverTheBufferOrWithControlCharactersAreRefusedWhole) {
    core::Settings.Custom_SN_size = 6;
    const std::string list = dir.File("list.txt");
    const struct {
        const char* name;
        int32_t mode;
        std::string file;
        const char* pending;
        int32_t wrong;
    } cases[] = {
        {"long line", 2, "#SN_LIST\r\n" + std::string(1024, 'X') + "ZZZ001\r\nAAA001\r\n",
         "AAA001\r\n", 1},
        {"1030 characters", 2, "#SN_LIST\r\n" + std::string(1030, 'Q') + "\r\n", "", 1},
        {"NUL", 2, "#SN_LIST\r\n" + std::string("ABCDEF\0GH\r\n", 11) + "AAA002\r\n", "AAA002\r\n",
         1},
        {"control character", 2,
         "#SN_LIST\r\nAB\x01"
         "DEF\r\nAAA003\r\n",
         "AAA003\r\n", 1},
        {"byte-order mark", 2, "\xEF\xBB\xBF#SN_LIST\r\nAAA004\r\nAAA005", "AAA004\r\nAAA005\r\n",
         0},
        // A hex list keeps only hex digits: the line, not its digits, decides.
        {"long hex line", 0, "#SN_LIST\r\n" + std::string(1024, 'A') + "BCDEF0\r\n", "", 1},
        {"NUL, hex", 0, "#SN_LIST\r\n" + std::string("ABC\0DEF\r\n", 9) + "a00001\r\n",
         "a00001\r\n", 1},
        {"control character, hex", 0,
         "#SN_LIST\r\n12\x01"
         "3456\r\n",
         "", 1},
    };
    for (const auto& c : cases) {
        Use(7, c.mode);
        testsupport::WriteFile(list, c.file);
        gui::SnListLoad(list);
        EXPECT_EQ(SerialNumber.SnPendingList.text, c.pending) << c.name;
        EXPECT_EQ(SerialNumber.SnPendingList.wrongLength, c.wrong) << c.name;
    }
}

// No number whose bytes read as blank flash is issued: a counter passes
// over it, or ends there; a typed one, a custom one and a list entry that
// pack to it are refused, the list entry by name.
TEST_F(SnSharedTest, NoNumberWhoseBytesReadAsBlankIsIssued) {
    // Type 3 HEX: 65534, then 65535 (FF FF) is passed over, and nothing
    // is left.
    Use(3, 0);
    core::Settings.Starting_SN = 65534;
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(Bytes(), (std::vector<uint8_t>{0xFE, 0xFF}));
    WriteHistory(Record("F3", "65534"));
    EXPECT_EQ(gui::SerialNumberComputeNext(), 0);
    EXPECT_EQ(SerialNumber.SnComing, gui::kSnComingExhausted);
    EXPECT_EQ(gui::SnComingText(), "exhausted");
    // Type 0 with the counter first (LSW first): 65535 puts FF FF where the
    // reader looks, so it is passed over as well.
    Use(0, 3);
    core::Settings.Starting_SN = 65535;
    WriteHistory("");
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(SerialNumber.NextSerialNumber, 65536u);
    EXPECT_EQ(SerialNumber.SnComing, gui::kSnComingExhausted);
    core::Settings.Starting_SN = 1;

    const struct {
        int type, mode;
        const char* text;
    } refused[] = {{3, 0, "65535"},      {3, 3, "65535"},      {3, 4, "65535"},
                   {2, 0, "4294967295"}, {2, 3, "4294967295"}, {2, 4, "4294967295"},
                   {0, 3, "202665535"},  {6, 0, "ffffffff"},   {6, 3, "FFFFFFFF"}};
    for (const auto& c : refused) {
        Use(c.type, c.mode);
        EXPECT_EQ(gui::SerialNumberFromText(c.text), 0) << c.text;
        EXPECT_EQ(SerialNumber.SnRefusal, gui::kSnRefusedBlank) << c.text;
        EXPECT_EQ("SN " + std::string(c.text) + gui::SnRefusalText(SerialNumber.SnRefusal),
                  "SN " + std::string(c.text) + " would read as blank flash: it is not written.");
    }
    // Their neighbours go.
    Use(3, 0);
    EXPECT_EQ(gui::SerialNumberFromText("65534"), 1);
    Use(2, 0);
    EXPECT_EQ(gui::SerialNumberFromText("4294967294"), 1);

    Use(7, 0);
    const std::string list = dir.File("list.txt");
    testsupport::WriteFile(list,
                           "#SN_LIST\r\n#SN_SIZE 8\r\n#SN_HEX_LSB\r\nFFFFFFFF\r\nFFFFFFFE\r\n");
    EXPECT_EQ(gui::SnListLoad(list), 1);
    EXPECT_EQ(SerialNumber.SnPendingList.text, "fffffffe\r\n");
    EXPECT_EQ(SerialNumber.SnPendingList.blank, std::vector<std::string>{"ffffffff"});
    gui::SnListView view;
    ui::TestSession s;
    std::string shown;
    s.OnDialog(gui::IDD_SN_LIST_VIEW, [&](ui::Driver& d) { shown = d.Target().GetItemText(1263); });
    view.DoModal();
    EXPECT_NE(shown.find("; ffffffff - reads as blank flash (removed from the list).\r\n"),
              std::string::npos)
        << shown;
}

} // namespace
} // namespace sn_test
