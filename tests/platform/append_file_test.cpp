// Durable appends: a record is either in the file whole, reported as saved,
// or not at all; and the local time source tests put in place.

#include "platform/append_file.h"
#include "platform/local_time.h"
#include "platform/services.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

int32_t g_fault = 0;
int32_t Fault(const std::string&, std::string_view) {
    return g_fault;
}

TEST(FileAppendDurableTest, AppendsWholeRecordsOrNothing) {
    testsupport::TempDir dir;
    const std::string path = dir.File("history.sn");
    EXPECT_TRUE(platform::FileAppendDurable(path, "one\r\n")); // created
    EXPECT_TRUE(platform::FileAppendDurable(path, "two\r\n"));
    platform::SetFileAppendHook(&Fault);
    for (int32_t fault : {1, 2}) {
        g_fault = fault;
        EXPECT_FALSE(platform::FileAppendDurable(path, "three\r\n")) << fault;
        EXPECT_EQ(testsupport::ReadFile(path), "one\r\ntwo\r\n") << fault;
    }
    g_fault = 0;
    EXPECT_TRUE(platform::FileAppendDurable(path, "four\r\n"));
    platform::ResetServices();
    EXPECT_EQ(testsupport::ReadFile(path), "one\r\ntwo\r\nfour\r\n");
    EXPECT_FALSE(platform::FileAppendDurable(dir.File("no/such/dir"), "x"));
}

TEST(LocalTimeTest, SourceIsReplaceableAndNamesIgnoreTheLocale) {
    platform::LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 10;
    platform::SetLocalTimeSource([t] { return t; });
    EXPECT_EQ(platform::LocalTimeNow().day, 10);
    platform::SetLocalTimeSource({});
    EXPECT_GE(platform::LocalTimeNow().year, 2024);
    EXPECT_EQ(platform::WeekdayOf(2026, 12, 10), 4);
    EXPECT_EQ(platform::WeekdayOf(2000, 2, 29), 2);
    EXPECT_EQ(platform::WeekdayAbbrev(4), "Thu");
    EXPECT_EQ(platform::MonthAbbrev(12), "Dec");
    EXPECT_EQ(platform::MonthAbbrev(13), "???");
}

} // namespace
