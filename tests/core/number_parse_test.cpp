#include "core/number_parse.h"

#include "platform/process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace core;

TEST(NumberParseTest, TextParseNumberDecimalAndHex) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"  0X1F", 31},
        {"12abc", 12},
        {"0x1f", 31},
        {"\t\t0x10", 16},
        {"-42", -42},
        {"+7", 7},
        {"  \n 99", 99}, // the decimal conversion skips any white space
        {"", 0},
        {"abc", 0},
        {"0x", 0},
        {"0xG", 0},
        {"0xFFFFFFFF", -1}, // hex keeps its 32 bits
        {"0x7FFFFFFF", INT32_MAX},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX}, // decimal saturates
        {"99999999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-99999999999999999999999", INT32_MIN},
        // Only 20 blanks are skipped before looking for "0x"; after more the
        // decimal conversion stops at the 'x'.
        {"                     0x10", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("[") + c.text + "]");
        EXPECT_EQ(TextParseNumber(c.text), c.value);
    }
}

TEST(NumberParseTest, TextParseHexStopsAtTheFirstNonHexCharacter) {
    struct Case {
        const char* text;
        uint32_t value;
    };
    const Case cases[] = {
        {"F16CF169", 0xF16CF169u}, // above INT32_MAX
        {"0001F449", 0x0001F449u},  {"ffZ", 0xFFu}, {"AbCd-12", 0xABCDu}, {"", 0}, {"x12", 0},
        {"123456789", 0x23456789u}, // more than 8 digits keep the low 32 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextParseHex(c.text), c.value);
    }
}

TEST(NumberParseTest, PrefixedHexNeedsTheRightPrefixAndSaturates) {
    struct Case {
        const char* text;
        bool taken;
        int64_t value;
    } cases[] = {
        {"0x1A2b", true, 0x1A2B},
        {"0X00ff", true, 0xFF},
        {"0x12 rest", true, 0x12}, // digits up to the first other character
        {"0x", true, 0},           // the prefix alone reads as zero
        {"0xFFFFFFFF", true, 0xFFFFFFFFll},
        {"0x100000000", true, 0x100000000ll}, // beyond 32 bits: saturated, not cut to 0
        {"0x123456789ABCDEF0", true, 0x100000000ll},
        {"1A2B", false, -7},
        {"x12", false, -7},
        {"0", false, -7},
        {"", false, -7},
    };
    for (const Case& c : cases) {
        int64_t value = -7;
        EXPECT_EQ(TextParseHexPrefixed(c.text, value), c.taken) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    EXPECT_EQ(TextHexDigit('0'), 0);
    EXPECT_EQ(TextHexDigit('f'), 15);
    EXPECT_EQ(TextHexDigit('F'), 15);
    EXPECT_EQ(TextHexDigit('g'), -1);
    EXPECT_EQ(TextHexDigit('-'), -1);
}

TEST(NumberParseTest, FixedWidthHexGivesMinusOneForAnyBadPair) {
    EXPECT_EQ(TextParseHexByte("7F"), 0x7F);
    EXPECT_EQ(TextParseHexByte("ff"), 0xFF);
    EXPECT_EQ(TextParseHexByte("00"), 0);
    EXPECT_EQ(TextParseHexByte("g0"), -1);
    EXPECT_EQ(TextParseHexByte("0g"), -1);
    EXPECT_EQ(TextParseHexByte("a"), -1); // never reads past the NUL
    EXPECT_EQ(TextParseHexByte(""), -1);
    EXPECT_EQ(TextParseHexByte(" 1"), -1);

    EXPECT_EQ(TextParseHex16("12AB"), 0x12AB);
    EXPECT_EQ(TextParseHex16("12G4"), -1);
    EXPECT_EQ(TextParseHex16("123"), -1);
    EXPECT_EQ(TextParseHex24("ABCDEF"), 0xABCDEF);
    EXPECT_EQ(TextParseHex24("ABCDE"), -1);
    EXPECT_EQ(TextParseHex32("0004FFFF"), 0x0004FFFF);
    EXPECT_EQ(TextParseHex32("FFFFFFFF"), int64_t{0xFFFFFFFF}); // not the failure value
    EXPECT_EQ(TextParseHex32("FFFFFFF"), -1);
    EXPECT_EQ(TextParseHex32("FFFFFF-F"), -1);
}

TEST(NumberParseTest, HundredthsOfVolts) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"1.8", 180},  {"2.2", 220},
        {"2.7", 270},  {"3", 300},
        {"3.60", 360}, {"0.005", 1},
        {"0.004", 0},  {"1,8", 100},
        {"", 0},       {"abc", 0},
        {"+2.5", 250}, {"-1.5", -149},
        {"1e9", 100},  {"99999999999", INT32_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextParseHundredths(c.text), c.value);
    }
}

// Sets LC_NUMERIC to a locale whose decimal mark is a comma: an installed
// one, or one compiled into dir from the system's locale sources.
bool SetDecimalCommaLocale(const testsupport::TempDir& dir) {
    for (const char* n : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, n)) {
            return true;
        }
    }
    const platform::RunResult r = platform::RunAndWait(
        {"localedef", "-i", "de_DE", "-f", "UTF-8", dir.File("de_DE.UTF-8")}, "");
    if (!r.started || r.exitStatus > 1) { // 1: warnings only
        return false;
    }
    ::setenv("LOCPATH", dir.path().c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TEST(NumberParseTest, HundredthsIgnoreADecimalCommaLocale) {
    testsupport::TempDir dir;
    if (!SetDecimalCommaLocale(dir)) {
        GTEST_SKIP() << "no decimal-comma locale available";
    }
    // The locale is in force: the C library's own conversion reads "1.8" as 1.
    EXPECT_EQ(std::strtod("1.8", nullptr), 1.0);
    EXPECT_EQ(TextParseHundredths("1.8"), 180);
    EXPECT_EQ(TextParseHundredths("2.7"), 270);
    EXPECT_EQ(TextParseNumber("12,5"), 12);
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
}

} // namespace
