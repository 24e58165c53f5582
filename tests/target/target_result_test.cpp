#include "core/core_state.h"
#include "core/debug_error_table.h"
#include "core/target_result.h"
#include "core/target_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace core;

class TargetResultTest : public ::testing::Test {
protected:
    void SetUp() override { CoreStateReset(); }
    void TearDown() override { CoreStateReset(); }
};

TEST_F(TargetResultTest, StatusesBecomeResultsAndMessages) {
    struct Case {
        int32_t status;
        int32_t result;
        const char* text; // without the line end; "" for none
    };
    const Case cases[] = {
        {0, 1, ""},
        {-1, 0, ""},
        {34, 0, ""}, // the entry was missing
        {1, 0, "Could not initialize device interface."},
        {3, 0, "Invalid parameter(s)."},
        {4, 0, "Could not find device (or device not supported)."},
        {8, 0, "Could not read device configuration fuses."},
        {30, 0, "Could not access device - security fuse is blown."},
        {53, 0, "System Protection Module A is enabled - Device locked."},
        {56, 0, "MSP-FET430UIF Firmware erased - Bootloader active."},
        {58, 0, "MSP-FET430UIF is already in use."},
        {59, 0, "Invalid error number."},
        {60, 0, "Fatal error ( 60 )"},
        {63, 0, "Fatal error ( 63 )"},
        {7, 0, "Could not write device memory."},
        {100, 0, "Fatal error ( 100 )"},
        {-2, 0, "Fatal error ( -02 )"},
    };
    std::string log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        EXPECT_EQ(TargetResultMap(c.status), c.result);
        const std::string expected = *c.text != '\0' ? std::string(c.text) + "\r\n" : "";
        EXPECT_EQ(Target.TargetLastErrorText, expected);
        log += expected;
        EXPECT_EQ(Target.TargetErrorLog, log);
    }
}

TEST_F(TargetResultTest, EveryNamedNumberEndsInOnePeriod) {
    for (int32_t n = 1; n <= 58; ++n) {
        if (n == 34) {
            continue;
        }
        SCOPED_TRACE(n);
        TargetResultMap(n);
        const std::string& t = Target.TargetLastErrorText;
        ASSERT_GE(t.size(), 4u);
        EXPECT_EQ(t.rfind(DebugErrorTable[n].text, 0), 0u); // the table's text first
        EXPECT_EQ(t.substr(t.size() - 3), ".\r\n");
        EXPECT_NE(t.substr(t.size() - 4), "..\r\n");
    }
    EXPECT_EQ(DebugErrorTable[kDebugErrorCount].number, -1);
    EXPECT_STREQ(DebugErrorText(63), "Invalid error number");
    EXPECT_EQ(DebugErrorText(64), nullptr);
}

} // namespace
