// The coming SN of every type and byte mode, its bytes and their decoding,
// the capacity limits, and the SNs a WRITE SN step must refuse.

#include "sn_fixture.h"

#include <cctype>
#include <filesystem>

namespace sn_test {
namespace {

using gui::SerialNumber;

struct Golden {
    int type, mode;
    const char* text;
    const char* caption;
    std::vector<uint8_t> bytes;
};

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// Dec 10 2026: yy 26, month 12, day 10, day of year 344. Counter 1; type 2
// numbers 123456789 (hex) and 12345678 (decimal); custom SNs "a1b2c3d4" in
// the hex modes, "Ab12Cd34" in the others.
const Golden kGolden[] = {
    {0, 0, "202600001", "Format: yyyy12345", {0xEA, 0x07, 0x01, 0x00}},
    {0, 1, "20260001", "Format: yyyy1234", {0x20, 0x26, 0x00, 0x01}},
    {0, 2, "20260001", "Format: yyyy1234", {'2', '0', '2', '6', '0', '0', '0', '1'}},
    {0, 3, "202600001", "Format: yyyy12345", {0x01, 0x00, 0xEA, 0x07}},
    {0, 4, "202600001", "Format: yyyy12345", {0xEA, 0x07, 0x01, 0x00}},
    {1, 0, "261200001", "Format: yymm12345", {0x34, 0x0A, 0x01, 0x00}},
    {1, 1, "26120001", "Format: yymm1234", {0x26, 0x12, 0x00, 0x01}},
    {1, 2, "26120001", "Format: yymm1234", {'2', '6', '1', '2', '0', '0', '0', '1'}},
    {1, 3, "261200001", "Format: yymm12345", {0x01, 0x00, 0x34, 0x0A}},
    {1, 4, "261200001", "Format: yymm12345", {0x34, 0x0A, 0x01, 0x00}},
    {2, 0, " 123456789", "Format: 1234567890", {0x5B, 0x07, 0x15, 0xCD}},
    {2, 1, "  12345678", "Format: 12345678", {0x12, 0x34, 0x56, 0x78}},
    {2, 2, "  12345678", "Format: 12345678", {'1', '2', '3', '4', '5', '6', '7', '8'}},
    {2, 3, " 123456789", "Format: 1234567890", {0x15, 0xCD, 0x5B, 0x07}},
    {2, 4, " 123456789", "Format: 1234567890", {0x07, 0x5B, 0xCD, 0x15}},
    {3, 0, "00001", "Format: 12345", {0x01, 0x00}},
    {3, 1, "0001", "Format: 1234", {0x00, 0x01}},
    {3, 2, "0001", "Format: 1234", {'0', '0', '0', '1'}},
    {3, 3, "00001", "Format: 12345", {0x01, 0x00}},
    {3, 4, "00001", "Format: 12345", {0x00, 0x01}},
    {4, 0, "2634400001", "Format: yyddd12345", {0x58, 0x35, 0x01, 0x00}},
    {4, 1, "263440001", "Format: yyddd1234", {0x6B, 0x44, 0x00, 0x01}},
    {4, 2, "263440001", "Format: yyddd1234", {'2', '6', '3', '4', '4', '0', '0', '0', '1'}},
    {4, 3, "2634400001", "Format: yyddd12345", {0x01, 0x00, 0x58, 0x35}},
    {4, 4, "2634400001", "Format: yyddd12345", {0x58, 0x35, 0x01, 0x00}},
    {5, 0, "2612100001", "Format: yymmdd1234", {0x8A, 0x35, 0x01, 0x00}},
    {5, 1, "2612100001", "Format: yymmdd1234", {0x26, 0x12, 0x10, 0x00, 0x01}},
    {5, 2, "2612100001", "Format: yymmdd1234", {'2', '6', '1', '2', '1', '0', '0', '0', '0', '1'}},
    {5, 3, "2612100001", "Format: yymmdd1234", {0x01, 0x00, 0x8A, 0x35}},
    {5, 4, "2612100001", "Format: yymmdd1234", {0x8A, 0x35, 0x01, 0x00}},
    {6, 0, "a1b2c3d4", "Format: HEX Custom", {0xA1, 0xB2, 0xC3, 0xD4}},
    {6, 1, "Ab12Cd34", "Format: Ascii Custom", {'A', 'b', '1', '2', 'C', 'd', '3', '4'}},
    {6, 2, "Ab12Cd34", "Format: Ascii Custom", {'A', 'b', '1', '2', 'C', 'd', '3', '4'}},
    {6, 3, "a1b2c3d4", "Format: HEX Custom", {0xD4, 0xC3, 0xB2, 0xA1}},
    {6, 4, "a1b2c3d4", "Format: HEX Custom", {0xA1, 0xB2, 0xC3, 0xD4}},
    {7, 0, "a1b2c3d4", "Format: HEX Custom", {0xA1, 0xB2, 0xC3, 0xD4}},
    // An ASCII list is read in upper case.
    {7, 2, "AB12CD34", "Format: Ascii Custom", {'A', 'B', '1', '2', 'C', 'D', '3', '4'}},
    {7, 3, "a1b2c3d4", "Format: HEX Custom", {0xD4, 0xC3, 0xB2, 0xA1}},
    {7, 4, "a1b2c3d4", "Format: HEX Custom", {0xA1, 0xB2, 0xC3, 0xD4}},
};

TEST_F(SnTest, EveryTypeAndModeGivesItsTextCaptionAndBytesAndDecodesBack) {
    for (const Golden& g : kGolden) {
        SCOPED_TRACE("type " + std::to_string(g.type) + " mode " + std::to_string(g.mode));
        SetUp();
        std::filesystem::remove(History());
        Use(g.type, g.mode);
        const bool hex = gui::SnIsHexMode(g.mode);
        if (g.type == 2) {
            core::Settings.Starting_SN = hex ? 123456789 : 12345678;
        }
        if (g.type == 6) {
            // The custom SN continues from the history's last one.
            WriteHistory(std::string("F6 \t") + (hex ? "A1B2c3d4" : "Ab12Cd34") +
                         " \t. \t( x ) \tf.txt\r\n");
        }
        if (g.type == 7) {
            const std::string list = dir.File("list.txt");
            testsupport::WriteFile(list, std::string("#SN_LIST\r\n#SN_SIZE 8\r\n") +
                                             (hex ? "0xA1B2C3D4" : "Ab12Cd34") + "\r\n");
            ASSERT_EQ(gui::SnListLoad(list), 1);
        }
        gui::SerialNumberPrepareNext();
        std::string text = gui::SerialNumberFormat();
        if (g.type == 6 && hex) {
            EXPECT_EQ(text, "A1B2c3d4"); // shown as the history has it
            text = Lower(text);
        }
        EXPECT_EQ(text, g.text);
        EXPECT_EQ(gui::SerialNumberFormatCaption(), g.caption);
        EXPECT_EQ(Bytes(), g.bytes);
        EXPECT_EQ(core::SerialData.SerialNumberCount,
                  gui::SnUsedSize(g.type, g.mode, core::Settings.Custom_SN_size));

        std::string decoded;
        ASSERT_EQ(gui::SnDecodeBytes(core::SerialData.SerialNumberBytes, decoded), 1);
        EXPECT_EQ(decoded, g.text);
        // The displayed text parses to the same bytes.
        const std::vector<uint8_t> packed = Bytes();
        ASSERT_EQ(gui::SerialNumberFromText(gui::SerialNumberFormat()), 1);
        EXPECT_EQ(Bytes(), packed);
    }
}

TEST_F(SnTest, FirstNumberComesFromStartingSnAndIncrement) {
    Use(3, 0);
    core::Settings.Starting_SN = 100;
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(SerialNumber.NextSerialNumber, 100u);
    core::Settings.Starting_SN = 0;
    core::Settings.SN_increment = 5;
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(SerialNumber.NextSerialNumber, 4u);
}

TEST_F(SnTest, HistoryOfOtherYearsAndOtherTypesIsIgnored) {
    Use(0, 0);
    WriteHistory("F0 \t202500077 \t.\r\n"
                 "F3 \t00500 \t.\r\n"
                 "f0 \t202600041 \t.\r\n" // a lower-case type token is a record too
                 "F0 \t202600007 \t.\r\n");
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(SerialNumber.NextSerialNumber, 42u);
    SetNow(At(2027, 1, 2));
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(SerialNumber.NextSerialNumber, 1u);
}

TEST_F(SnTest, DayOfYearCountsLeapYearsWithoutTheCenturyRule) {
    Use(4, 0);
    for (int year : {2024, 2100}) {
        SetNow(At(year, 3, 1));
        gui::SerialNumberComputeNext();
        EXPECT_EQ(SerialNumber.SnDateParts[4], 61) << year;
    }
    SetNow(At(2026, 3, 1));
    gui::SerialNumberComputeNext();
    EXPECT_EQ(SerialNumber.SnDateParts[4], 60);
}

// Capacity: a counter past its limit is shown whole and never written.
TEST_F(SnTest, CounterPastItsCapacityIsShownWholeAndRefused) {
    const struct {
        int type, mode;
        const char* last;  // history record at the limit
        const char* shown; // the coming SN
    } cases[] = {
        {3, 1, "9999", "10000"},
        {3, 2, "9999", "10000"},
        {3, 0, "65535", "65536"},
        {0, 1, "20269999", "202610000"},
        {0, 3, "202665535", "202665536"},
        {5, 0, "2612109999", "26121010000"},
        {2, 1, "99999999", " 100000000"},
        // 0xFFFFFFFF would fit, but its bytes read as blank flash.
        {2, 4, "4294967294", "4294967295"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        SetUp();
        Use(c.type, c.mode);
        WriteHistory("F" + std::to_string(c.type) + " \t" + c.last + " \t.\r\n");
        gui::SerialNumber.SnHistoryText.clear();
        const int32_t r = gui::SerialNumberComputeNext();
        EXPECT_EQ(gui::SerialNumberFormat(), c.shown);
        EXPECT_EQ(gui::SnComingText(), "exhausted");
        EXPECT_EQ(r, 0);
        EXPECT_EQ(gui::SerialNumberPackNext(), 0);
        EXPECT_EQ(core::SerialData.SerialNumberCount, 0);
    }
}

TEST_F(SnTest, BcdTypeThreeStopsAfter9999) {
    Use(3, 1);
    core::Settings.Starting_SN = 9998;
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(Bytes(), (std::vector<uint8_t>{0x99, 0x98}));
    SerialNumber.SerialNumberText = "9998";
    ASSERT_EQ(gui::SnHistoryAppend(), 1);
    EXPECT_EQ(gui::SerialNumberComputeNext(), 1);
    EXPECT_EQ(gui::SerialNumberPackNext(), 1);
    EXPECT_EQ(Bytes(), (std::vector<uint8_t>{0x99, 0x99}));
    SerialNumber.SerialNumberText = "9999";
    ASSERT_EQ(gui::SnHistoryAppend(), 1);
    EXPECT_EQ(gui::SerialNumberComputeNext(), 0);
    EXPECT_EQ(gui::SerialNumberPackNext(), 0);
}

TEST_F(SnTest, TypeTwoSplitsTheSameDecimalDigitsOnEveryPath) {
    Use(2, 1);
    EXPECT_EQ(gui::SerialNumberFromText("12345678"), 1);
    EXPECT_EQ(Bytes(), (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(gui::SerialNumberFromText("123"), 1); // 0000 0123, as the automatic path splits it
    EXPECT_EQ(Bytes(), (std::vector<uint8_t>{0x00, 0x00, 0x01, 0x23}));
    core::Settings.Starting_SN = 123;
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(Bytes(), (std::vector<uint8_t>{0x00, 0x00, 0x01, 0x23}));
}

TEST_F(SnTest, BcdYearDayRefusesYearsAfter2039) {
    Use(4, 1);
    SetNow(At(2039, 12, 31));
    gui::SerialNumberPrepareNext();
    EXPECT_EQ(Bytes(), (std::vector<uint8_t>{0x9F, 0x65, 0x00, 0x01}));
    SetNow(At(2040, 1, 1));
    EXPECT_EQ(gui::SerialNumberComputeNext(), 1);
    EXPECT_EQ(gui::SerialNumberPackNext(), 0);
    EXPECT_EQ(gui::SerialNumberFromText("400010001"), 0);
}

TEST_F(SnTest, RefusedSnsPackNothing) {
    const struct {
        int type, mode, size;
        const char* text;
    } cases[] = {
        {3, 0, 8, ""},            // no digit
        {3, 0, 8, "abc"},         // no digit
        {3, 0, 8, "65536"},       // over the hex counter
        {3, 1, 8, "10000"},       // a fifth digit in BCD
        {3, 0, 8, "123456"},      // extra digits
        {3, 0, 8, "12 34"},       // digits after the number
        {0, 1, 8, "202600001"},   // nine digits in a decimal mode
        {0, 0, 8, "2026000011"},  // ten digits in a hex mode
        {0, 0, 8, "202665536"},   // counter over 65535
        {5, 0, 8, "26121010000"}, // type 5 counter over 9999 in a hex mode
        {2, 1, 8, "100000000"},   // over 99999999
        {2, 0, 8, "4294967296"},  // over 32 bits
        {6, 2, 8, "AB,CD123"},    // separator in a custom SN
        {6, 2, 8, "AB=CD123"},
        {6, 2, 8, "AB;CD123"},
        {6, 2, 8, "AB#CD123"},
        {6, 2, 8, "AB CD123"},
        {6, 2, 8, "AB\tCD123"},  // a control character would split the record
        {5, 0, 8, "2616100001"}, // month 16 would spill into the year's bits
        {4, 1, 8, "264000001"},  // day 400: BCD keeps two bits of its hundreds
        {6, 2, 8, "ABCD12"},     // shorter than Custom_SN_size
        {6, 0, 8, "A1B2C3DX"},   // not hex in a hex mode
        {7, 3, 4, "0x12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " type " + std::to_string(c.type));
        Use(c.type, c.mode);
        core::Settings.Custom_SN_size = c.size;
        core::SerialData.SerialNumberCount = 3;
        EXPECT_EQ(gui::SerialNumberFromText(c.text), 0);
        EXPECT_EQ(core::SerialData.SerialNumberCount, 0);
        EXPECT_EQ(SerialNumber.SerialNumberText, "");
    }
}

TEST_F(SnTest, CustomSnsKeepTheirCaseExceptHexOnes) {
    Use(6, 2);
    ASSERT_EQ(gui::SerialNumberFromText("AbCdEf12"), 1);
    EXPECT_EQ(SerialNumber.SerialNumberText, "AbCdEf12");
    Use(6, 4);
    ASSERT_EQ(gui::SerialNumberFromText("AbCdEf12"), 1);
    EXPECT_EQ(SerialNumber.SerialNumberText, "abcdef12");
    EXPECT_EQ(Bytes(), (std::vector<uint8_t>{0xAB, 0xCD, 0xEF, 0x12}));
    Use(6, 2);
    core::Settings.Custom_SN_size = 10;
    EXPECT_EQ(gui::SerialNumberTextClean("  Ab cD;xyz12345"), "AbcD;xyz12");
}

TEST_F(SnTest, SnTextLengthFollowsTheType) {
    const int expected[] = {10, 10, 10, 5, 10, 11, 8, 8};
    for (int type = 0; type < 8; ++type) {
        Use(type, 0);
        EXPECT_EQ(gui::SnTextLength(), expected[type]);
    }
    core::Settings.Custom_SN_size = 300;
    EXPECT_EQ(gui::SnTextLength(), 256);
}

// A history that is there but cannot be read whole is not an empty one:
// the numbers it holds are unknown, so none is given out until it reads.
TEST_F(SnTest, AnUnreadableHistoryGivesOutNoNumber) {
    Use(gui::kSnTypeNumber, 1);
    core::Settings.Starting_SN = 7;
    // A directory opens but every read of it fails.
    std::filesystem::create_directory(History());
    EXPECT_EQ(gui::SnHistoryLoad(0), 0);
    EXPECT_EQ(SerialNumber.SnHistoryUnreadable, 1);
    SerialNumber.NextSerialNumber = 0;
    EXPECT_EQ(gui::SerialNumberComputeNext(), 0);
    EXPECT_EQ(SerialNumber.NextSerialNumber, 0u);

    // Readable again: the numbers in it count once more.
    std::filesystem::remove(History());
    WriteHistory("F2 \t41 \t. ( Thu Dec 10 2026 09:00:00 )\r\n");
    EXPECT_EQ(gui::SerialNumberComputeNext(), 1);
    EXPECT_EQ(SerialNumber.SnHistoryUnreadable, 0);
    EXPECT_EQ(SerialNumber.NextSerialNumber, 42u);

    // A missing file is an empty history.
    std::filesystem::remove(History());
    SerialNumber.SnHistoryText.clear();
    EXPECT_EQ(gui::SnHistoryLoad(0), 1);
    EXPECT_EQ(SerialNumber.SnHistoryUnreadable, 0);
}

} // namespace
} // namespace sn_test
