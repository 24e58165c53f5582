// The history file: the record, the listing and the export texts, durable
// appends and what a failed one leaves, and the SN list file.

#include "sn_fixture.h"

#include "core/model_text.h"
#include "gui/sn_report.h"
#include "platform/append_file.h"
#include "platform/scripted_prompts.h"
#include "tests/support/comma_locale.h"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sn_test {
namespace {

using gui::SerialNumber;

constexpr const char* kGoldenRecord =
    "F0 \t20260001 \t. \t( Thu, Dec 10,2026, 11:14 ) \tblink.txt \tAB\r\n";

class SnHistoryTest : public SnTest {
protected:
    void WriteGoldenRecord() {
        Use(0, 1);
        core::Settings.ModelTextEnable = 1;
        core::Settings.ModelTextSize = 2;
        core::BytesFromText(0, 2, "AB", core::SerialData.ModelTextBytes);
        gui::SerialNumberPrepareNext();
        ASSERT_EQ(gui::SerialNumberFromText(gui::SerialNumberFormat()), 1);
        SerialNumber.SnStatus = 1;
        ASSERT_EQ(gui::SnHistoryAppend(), 1);
    }
};

TEST_F(SnHistoryTest, RecordListingAndExportTextsAreExact) {
    WriteGoldenRecord();
    EXPECT_EQ(ReadHistory(), kGoldenRecord);
    EXPECT_EQ(SerialNumber.SnHistoryText, "F0 \t20260001 \t.\r\n");

    gui::SnHistoryLoad(1);
    EXPECT_EQ(SerialNumber.SnHistoryListing, " 0001  F0 \t20260001 \t\t.\tDec 10,2026, 11:14\r\n");

    EXPECT_EQ(gui::SnReportExportText(15),
              "....       \t         20260001\t AB\t Thu, Dec 10,2026, 11:14\t blink.txt\r\n");
}

TEST_F(SnHistoryTest, StatusLetterDropsTheNewBit) {
    const struct {
        int status;
        char letter;
    } cases[] = {{1, '.'}, {3, 'm'}, {2, 'm'},  {4, 'u'},  {5, 'u'},
                 {8, 'o'}, {9, 'o'}, {10, 'n'}, {11, 'n'}, {12, '.'}};
    for (const auto& c : cases) {
        EXPECT_EQ(gui::SnStatusLetter(c.status), c.letter) << c.status;
    }
}

TEST_F(SnHistoryTest, AppendAfterATornRecordStartsOnItsOwnLine) {
    Use(3, 0);
    WriteHistory("F3 \t00007 \t. \t( Thu, Dec 10,2026, 11:14 ) \tblink.txt\r\nF3 \t000");
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(SerialNumber.NextSerialNumber, 8u);
    ASSERT_EQ(gui::SerialNumberFromText(gui::SerialNumberFormat()), 1);
    ASSERT_EQ(gui::SnHistoryAppend(), 1);
    // Marked as torn, never cut back: it stays, a line of its own.
    const std::string h = ReadHistory();
    EXPECT_NE(h.find("F3 \t000 \t<torn record>\r\nF3 \t00008 \t."), std::string::npos) << h;
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(SerialNumber.NextSerialNumber, 9u);
}

int32_t FailBefore(const std::string&, std::string_view) {
    return 1;
}
int32_t FailMidWrite(const std::string&, std::string_view) {
    return 2;
}

TEST_F(SnHistoryTest, FailedAppendLeavesTheFileWholeAndTheSnUsed) {
    for (auto hook : {&FailBefore, &FailMidWrite}) {
        SetUp();
        Use(3, 0);
        const std::string before = "F3 \t00004 \t. \t( Thu, Dec 10,2026, 11:14 ) \tblink.txt\r\n";
        WriteHistory(before);
        platform::ScriptedPrompts prompts;
        platform::SetPromptService(&prompts);
        platform::SetFileAppendHook(hook);
        gui::SerialNumberPrepareNext();
        ASSERT_EQ(gui::SerialNumberFromText(gui::SerialNumberFormat()), 1);
        const std::string record = gui::SnHistoryRecord();
        EXPECT_EQ(gui::SnHistoryAppend(), 0);
        platform::SetFileAppendHook(nullptr);
        // Never cut back, whoever may have appended since: a torn write
        // stays as far as it got.
        EXPECT_EQ(ReadHistory(),
                  hook == &FailBefore ? before : before + record.substr(0, record.size() / 2));
        ASSERT_EQ(prompts.Transcript().size(), 1u);
        EXPECT_EQ(prompts.Transcript()[0].text, "SN history file write error\r\n\r\n" + History());
        EXPECT_EQ(prompts.Transcript()[0].caption, "Error");
        EXPECT_EQ(prompts.Transcript()[0].flags, 0x10u);
        // The SN is not offered again in this session.
        EXPECT_EQ(gui::SnHistoryContains("00005"), 1);
        gui::SerialNumberComputeNext();
        EXPECT_EQ(SerialNumber.NextSerialNumber, 6u);
        // The next record marks the torn one and starts a line of its own.
        ASSERT_EQ(gui::SerialNumberFromText(gui::SerialNumberFormat()), 1);
        ASSERT_EQ(gui::SnHistoryAppend(), 1);
        const std::string after =
            before +
            (hook == &FailBefore ? std::string()
                                 : record.substr(0, record.size() / 2) + " \t<torn record>\r\n") +
            gui::SnHistoryRecord();
        EXPECT_EQ(ReadHistory(), after);
        gui::SerialNumberPrepareNext();
        EXPECT_EQ(SerialNumber.NextSerialNumber, 7u);
        platform::SetPromptService(nullptr);
    }
}

TEST_F(SnHistoryTest, ContainsComparesNumbersByValueAndCustomSnsWithoutCase) {
    WriteHistory("F3 \t00042 \t.\r\nF6 \tAbCd1234 \t.\r\nF0 \t202600009 \t.\r\n");
    Use(3, 0);
    gui::SnHistoryLoad(0);
    EXPECT_EQ(gui::SnHistoryContains("42"), 1);
    EXPECT_EQ(gui::SnHistoryContains("0042"), 1);
    EXPECT_EQ(gui::SnHistoryContains("43"), 0);
    EXPECT_EQ(gui::SnHistoryContains("202600009"), 0); // another type's record
    // Another spelling of a recorded SN: the same bytes, so the same SN.
    Use(0, 1);
    EXPECT_EQ(gui::SerialNumberFromText("2026009"), 1);
    EXPECT_EQ(SerialNumber.SerialNumberText, "20260009");
    Use(0, 0);
    EXPECT_EQ(gui::SnHistoryContains("2026009"), 1);
    EXPECT_EQ(gui::SnHistoryContains("20260009"), 1);
    EXPECT_EQ(gui::SnHistoryContains("2026010"), 0);
    Use(6, 2);
    EXPECT_EQ(gui::SnHistoryContains("abcd1234"), 1);
    EXPECT_EQ(gui::SnHistoryContains("ABCD1234"), 1);
    EXPECT_EQ(gui::SnHistoryContains("ABCD1235"), 0);
}

// Quillbay runs in the environment's locale, and Turkish folds 'i' and 'I'
// to letters outside ASCII: an SN of either spelling is still the one the
// history or the list already holds.
TEST_F(SnHistoryTest, CaseIsFoldedAsAsciiUnderATurkishLocale) {
    const testsupport::TurkishLocale turkish;
    ASSERT_TRUE(turkish.InForce()) << turkish.Why();
    WriteHistory("F6 \tIIii0001 \t.\r\n");
    Use(6, 2);
    gui::SnHistoryLoad(0);
    EXPECT_EQ(gui::SnHistoryContains("iiII0001"), 1);
    EXPECT_EQ(gui::SnHistoryContains("IIII0001"), 1);
    Use(7, 2);
    core::Settings.Custom_SN_size = 4;
    const std::string list = dir.File("list.txt");
    testsupport::WriteFile(list, "#SN_LIST\r\n#SN_SIZE 4\r\nabci\r\nABCI\r\nwxyi\r\n");
    EXPECT_EQ(gui::SnListLoad(list), 2);
    EXPECT_EQ(SerialNumber.SnPendingList.text, "ABCI\r\nWXYI\r\n");
    EXPECT_EQ(SerialNumber.SnPendingList.alreadyUsed, 1);
}

TEST_F(SnHistoryTest, ContainsFollowsAReloadedHistoryOfTheSameLength) {
    Use(3, 0);
    WriteHistory("F3 \t00042 \t.\r\n");
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(gui::SnHistoryContains("42"), 1);
    WriteHistory("F3 \t00043 \t.\r\n");
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(gui::SnHistoryContains("42"), 0);
    EXPECT_EQ(gui::SnHistoryContains("43"), 1);
}

TEST_F(SnHistoryTest, ListingKeepsLineNumbersOnTheirRecords) {
    WriteHistory("F3 \t00001 \t. \t( Thu, Dec 10,2026, 11:14 ) \ta.txt\r\n"
                 "garbage line\r\n"
                 "F3 \t12345678901234567 \tm \t( Fri, Dec 11,2026, 09:01 ) \ta.txt\r\n"
                 "f3 \t7 \tO \t( Fri, Dec 11,2026, 09:02 ) \ta.txt\r\n");
    gui::SnHistoryLoad(1);
    EXPECT_EQ(SerialNumber.SnHistoryListing,
              " 0001  F3 \t00001 \t\t\t.\tDec 10,2026, 11:14\r\n"
              " 0002  \r\n"
              " 0003  F3 \t12345678901234567 \tm\tDec 11,2026, 09:01\r\n"
              " 0004  f3 \t7 \t\t\tO\tDec 11,2026, 09:02\r\n");
}

TEST_F(SnHistoryTest, ListFileEntriesAreFilteredCountedAndRetired) {
    Use(7, 0);
    core::Settings.Custom_SN_size = 6;
    WriteHistory("F7 \tcafe01 \t.\r\n");
    const std::string list = dir.File("list.txt");
    testsupport::WriteFile(list, "ignored before the list\r\n"
                                 "#SN_LIST\r\n"
                                 "#SN_SIZE 7\r\n" // odd: ignored
                                 "#SN_PREFIX 0xCA\r\n"
                                 "FE01\r\n" // cafe01: used
                                 "0xFE02 ; comment\r\n"
                                 "fe3\r\n" // wrong length
                                 "FE04\r\n");
    EXPECT_EQ(gui::SnListLoad(list), 2);
    const auto& p = SerialNumber.SnPendingList;
    EXPECT_EQ(p.text, "cafe02\r\ncafe04\r\n");
    EXPECT_EQ(p.alreadyUsed, 1);
    EXPECT_EQ(p.wrongLength, 1);
    EXPECT_EQ(p.accepted + p.alreadyUsed + p.wrongLength, 4);
    EXPECT_EQ(core::Settings.Custom_SN_size, 6);
    ASSERT_EQ(gui::SerialNumberComputeNext(), 1);
    EXPECT_EQ(SerialNumber.SnListText, "cafe02");
    ASSERT_EQ(gui::SerialNumberFromText(SerialNumber.SnListText), 1);
    ASSERT_EQ(gui::SnHistoryAppend(), 1);
    EXPECT_EQ(gui::SnListCount(), 1);
    ASSERT_EQ(gui::SerialNumberComputeNext(), 1);
    EXPECT_EQ(SerialNumber.SnListText, "cafe04");
    EXPECT_EQ(gui::SnListLoad(dir.File("missing.txt")), -1);
}

TEST_F(SnHistoryTest, AsciiListEntriesAreReadInUpperCaseAndRefuseSeparators) {
    Use(7, 2);
    core::Settings.Custom_SN_size = 4;
    const std::string list = dir.File("list.txt");
    testsupport::WriteFile(list, "#sn_list\r\n#SN_SIZE 4\r\nAbCd\r\n\"a=cd\"\r\nwxyz\r\n");
    EXPECT_EQ(gui::SnListLoad(list), 2);
    EXPECT_EQ(SerialNumber.SnPendingList.text, "ABCD\r\nWXYZ\r\n");
    EXPECT_EQ(SerialNumber.SnPendingList.wrongLength, 1);
}

TEST_F(SnHistoryTest, ListEntriesMustHaveTheSizeInForceAtTheEndOfTheFile) {
    Use(7, 2);
    core::Settings.Custom_SN_size = 4;
    const std::string list = dir.File("list.txt");
    testsupport::WriteFile(
        list, "#SN_LIST\r\nAbCd\r\n#SN_SIZE 8\r\n12345678\r\n#SN_SIZE 6\r\n123456\r\n");
    EXPECT_EQ(gui::SnListLoad(list), 1);
    EXPECT_EQ(SerialNumber.SnPendingList.text, "123456\r\n");
    EXPECT_EQ(SerialNumber.SnPendingList.wrongLength, 2);
}

TEST_F(SnHistoryTest, ListWithManyUsedEntriesIsCompactedOnCount) {
    Use(7, 2);
    core::Settings.Custom_SN_size = 4;
    std::string file = "#SN_LIST\r\n";
    for (int i = 0; i < 30; ++i) {
        file += "S" + std::string(i < 10 ? "00" : "0") + std::to_string(i) + "\r\n";
    }
    const std::string list = dir.File("list.txt");
    testsupport::WriteFile(list, file);
    ASSERT_EQ(gui::SnListLoad(list), 30);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(
            gui::SnListRetireEntry("s" + std::string(i < 10 ? "00" : "0") + std::to_string(i)), 1);
    }
    EXPECT_EQ(gui::SnListCount(), 5);
    EXPECT_EQ(SerialNumber.SnPendingList.text.substr(0, 6), "S025\r\n");
    EXPECT_EQ(SerialNumber.SnPendingList.text.size(), 30u);
}

// Records an editor left behind: indented, or behind a byte-order mark, they
// still hold their number; a number its type cannot hold leaves no next SN
// and names its line.
TEST_F(SnHistoryTest, IndentedAndMarkedRecordsCountAndAnOutOfRangeOneIsNamed) {
    const std::string before = "F3 \t00007 \t. \t( Thu, Dec 10,2026, 11:14 ) \tblink.txt\r\n";
    const struct {
        const char* name;
        std::string file;
        uint32_t next;   // 0: none
        int32_t badLine; // the line named for type 3
    } cases[] = {
        {"leading blanks", before + "   F3 \t00100\r\n", 101, 0},
        {"leading TAB", before + "\tF3 \t00100\r\n", 101, 0},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "F3 \t00100 \t.\r\n" +
             before,
         101, 0},
        {"beyond 64 bits", before + "F3 99999999999999999999\r\n", 0, 2},
        {"beyond the counter", "F3 65536\r\n" + before, 0, 1},
        {"the last counter", "F3 65535\r\n", 0, 0},
        {"another type beyond", before + "F2 4294967296\r\n", 8, 0},
    };
    for (const auto& c : cases) {
        Use(3, 0);
        WriteHistory(c.file);
        gui::SerialNumberPrepareNext();
        const int32_t computed = gui::SerialNumberComputeNext();
        EXPECT_EQ(SerialNumber.SnHistoryOutOfRange[3], c.badLine) << c.name;
        if (c.next != 0) {
            EXPECT_EQ(computed, 1) << c.name;
            EXPECT_EQ(SerialNumber.NextSerialNumber, c.next) << c.name;
            EXPECT_EQ(gui::SnHistoryContains("00007"), 1) << c.name;
        } else {
            EXPECT_EQ(computed, 0) << c.name;
        }
        if (c.next == 101) {
            // The report lists and exports the record too.
            EXPECT_EQ(gui::SnHistoryContains("00100"), 1) << c.name;
            gui::SnHistoryLoad(1);
            EXPECT_NE(SerialNumber.SnHistoryListing.find("F3 \t00100"), std::string::npos)
                << c.name;
            EXPECT_NE(gui::SnReportExportText(15).find("00100"), std::string::npos) << c.name;
        }
    }
    // The type 2 record beyond 32 bits stops type 2, on its line.
    Use(2, 0);
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(gui::SerialNumberComputeNext(), 0);
    EXPECT_EQ(SerialNumber.SnHistoryOutOfRange[2], 2);
}

// Copies of one SN in a list, in any mix of case, stand for one number: the
// first is kept, the others count as used; an ASCII list reads upper case.
TEST_F(SnHistoryTest, ListKeepsOneOfEntriesEqualIgnoringCase) {
    Use(7, 2);
    WriteHistory("F7 \tab000009 \t.\r\n");
    const std::string list = dir.File("list.txt");
    testsupport::WriteFile(list, "#SN_LIST\r\n#SN_SIZE 8\r\nAB000001\r\nAB000001\r\nab000001\r\n"
                                 "AB000005\r\nAb000005\r\nAB000005\r\nAB000009\r\naB000002\r\n");
    EXPECT_EQ(gui::SnListLoad(list), 3);
    const auto& p = SerialNumber.SnPendingList;
    EXPECT_EQ(p.text, "AB000001\r\nAB000005\r\nAB000002\r\n");
    EXPECT_EQ(p.alreadyUsed, 5);
    EXPECT_EQ(p.wrongLength, 0);
    // Hex lists fold to lower case as before, and keep one copy too.
    Use(7, 0);
    testsupport::WriteFile(
        list, "#SN_LIST\r\n#SN_SIZE 8\r\n0xCAFE0001\r\ncafe0001\r\nCaFe0001\r\ncafe0002\r\n");
    EXPECT_EQ(gui::SnListLoad(list), 2);
    EXPECT_EQ(SerialNumber.SnPendingList.text, "cafe0001\r\ncafe0002\r\n");
    EXPECT_EQ(SerialNumber.SnPendingList.alreadyUsed, 2);
}

// Whether the history can take the SN's record is known before the SN goes
// anywhere, and asking leaves the file as it was.
TEST_F(SnHistoryTest, RoomForTheRecordIsCheckedWithoutChangingTheFile) {
    Use(3, 0);
    WriteHistory("F3 \t00007 \t.\r\nF3 \t000"); // torn: the record would start on its own line
    gui::SerialNumberPrepareNext();
    ASSERT_EQ(gui::SerialNumberFromText(gui::SerialNumberFormat()), 1);
    const std::string before = ReadHistory();
    EXPECT_EQ(gui::SnHistoryCanRecord(), 1);
    EXPECT_EQ(ReadHistory(), before);

    // In a child: a file-size limit one byte short of the record (a full
    // disk as the writer meets it), then a read-only history.
    const uintmax_t size = std::filesystem::file_size(History());
    const std::string record = " \t<torn record>\r\n" + gui::SnHistoryRecord();
    const struct {
        const char* name;
        bool readOnly;
    } cases[] = {{"file-size limit", false}, {"read-only", true}};
    for (const auto& c : cases) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            if (c.readOnly) {
                std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
                std::filesystem::permissions(History(), std::filesystem::perms(0444));
                if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                    _exit(10);
                }
            } else {
                const rlimit limit{size + record.size() - 1, size + record.size() - 1};
                if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                    _exit(11);
                }
            }
            _exit(gui::SnHistoryCanRecord() == 0 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << c.name;
        EXPECT_EQ(WEXITSTATUS(status), 0) << c.name;
        EXPECT_EQ(ReadHistory(), before) << c.name;
    }
    std::filesystem::permissions(History(), std::filesystem::perms(0644));
    // With room for exactly the record it may go.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{size + record.size(), size + record.size()};
        _exit(::setrlimit(RLIMIT_FSIZE, &limit) == 0 && gui::SnHistoryCanRecord() == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadHistory(), before);
}

} // namespace
} // namespace sn_test
