// Numbers in the C format under a decimal-comma process locale, and the
// process locale put back after code that set its own.

#include "platform/c_locale.h"
#include "tests/support/comma_locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <locale.h>
#include <string>

namespace {

TEST(CLocaleTest, FormatCWritesAPointUnderACommaLocale) {
    const testsupport::CommaLocale comma;
    ASSERT_TRUE(comma.InForce()) << comma.Why();
    char own[16];
    std::snprintf(own, sizeof own, "%.1f", 2.5);
    ASSERT_STREQ(own, "2,5"); // the locale is in force for the C library itself
    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {platform::FormatC(" ( run time =%6.1f sec.)", 2.625), " ( run time =   2.6 sec.)"},
        {platform::FormatC("%5.2f V", 301 * 0.01), " 3.01 V"},
        {platform::FormatC("DCO%1.1i-%6.3f MHz  Result=%7.4f", 3, 12.0, 0.0),
         "DCO3-12.000 MHz  Result= 0.0000"},
        {platform::FormatC("%.3f of %d", 1234.5678, 1234567), "1234.568 of 1234567"},
        {platform::FormatC("%s", ""), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, c.expected);
    }
    // Only the call ran in the C locale: the thread's and the process's
    // own are as they were.
    EXPECT_EQ(::uselocale(static_cast<locale_t>(nullptr)), LC_GLOBAL_LOCALE);
    std::snprintf(own, sizeof own, "%.1f", 2.5);
    EXPECT_STREQ(own, "2,5");
}

TEST(CLocaleTest, KeeperPutsBackTheLocaleItFound) {
    const testsupport::CommaLocale comma;
    ASSERT_TRUE(comma.InForce()) << comma.Why();
    // A locale of mixed categories, as a host that set only one has it.
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    const std::string found = std::setlocale(LC_ALL, nullptr);
    {
        const platform::ProcessLocaleKeeper keeper;
        ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
    }
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), found);
    {
        const platform::ProcessLocaleKeeper keeper; // nothing changes it
    }
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), found);
}

} // namespace
