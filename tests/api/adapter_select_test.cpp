// Adapter selection by adapter ID: the enumeration, the IDs of the names
// listed, opening by ID, and the adapter line of the start-up.

#include "core/settings.h"
#include "tests/api/api_fixture.h"

namespace api_test {
namespace {

class AdapterSelectTest : public ApiTest {
protected:
    void SetUp() override {
        ApiTest::SetUp();
        sim::Sim().usbInterfaces = {{"COM7", 0},         {"COM200", 0},       {"HID0001", 0},
                                    {"LPT1", 0},         {"HID0003:COM6", 0}, {"COM12", 1},
                                    {"HID0001:COM7", 0}, {"COM5", 0}};
    }
};

TEST_F(AdapterSelectTest, QueriesGiveTheIdsOfTheLastEnumeration) {
    EXPECT_EQ(F_Check_KVU_access(3), 0); // nothing enumerated yet
    ASSERT_EQ(F_Check_KVU_access(0), 8);
    // COM200 is no adapter number (not 20010108), LPT1 no adapter at all.
    const int32_t expected[] = {20010107, 0, 20010201, 0, 20010203, 20010112, 20010201, 20010105};
    for (int32_t n = 1; n <= 8; ++n) {
        EXPECT_EQ(F_Check_KVU_access(n), expected[n - 1]) << n;
    }
    EXPECT_EQ(F_Check_KVU_access(9), 0);
    EXPECT_EQ(F_Check_KVU_access(32), 0);
    EXPECT_EQ(F_Check_KVU_access(-5), 0);
    EXPECT_EQ(F_Get_KVU_SN(), 0);
}

TEST_F(AdapterSelectTest, AnIdOpensItsAdapterAndAFailedOneClearsTheSelection) {
    struct Case {
        int32_t id;
        int32_t result;
        const char* port; // what was opened; "" for nothing
    };
    const Case cases[] = {
        {20010107, 20010107, "COM7"},
        {20010105, 20010105, "COM5"},
        {20010106, 0, "COM6"}, // no such serial port
        {20010201, 20010201, "HID0001"},
        {20010203, 20010203, "HID0003:COM6"},
        {20010202, 0, ""},      // no HID adapter 2
        {20010112, 0, "COM12"}, // in use
        {20010164, 0, ""},
        {20010170, 0, ""},
        {20010300, 0, ""},
        {20010099, 0, ""},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(F_Check_KVU_access(20010107), 20010107);
        sim::Sim().Log().Clear();
        EXPECT_EQ(F_Check_KVU_access(c.id), c.result) << c.id;
        EXPECT_EQ(F_Get_KVU_SN(), c.result) << c.id;
        const auto opens = sim::Sim().Log().Of("MSP430_Initialize");
        if (c.port[0] == '\0') {
            EXPECT_TRUE(opens.empty()) << c.id;
            EXPECT_EQ(core::Settings.Selected_UIF, "COM7") << c.id;
        } else {
            ASSERT_EQ(opens.size(), 1u) << c.id;
            EXPECT_EQ(opens[0].detail, c.port) << c.id;
            EXPECT_EQ(core::Settings.Selected_UIF, c.result != 0 ? c.port : "") << c.id;
        }
    }
}

TEST_F(AdapterSelectTest, TheSelectionConfiguresAndIsKeptByTheNextOpen) {
    ASSERT_EQ(F_Check_KVU_access(20010107), 20010107);
    const auto configures = sim::Sim().Log().Of("MSP430_Configure");
    ASSERT_EQ(configures.size(), 2u);
    EXPECT_EQ(configures[0].args, (std::vector<int32_t>{8, 0}));
    EXPECT_EQ(configures[1].args, (std::vector<int32_t>{10, 0}));

    ASSERT_EQ(F_Initialization(), 1);
    TakeReport();
    sim::Sim().Log().Clear();
    ASSERT_EQ(core::TargetOpen(), 1);
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Initialize"), 0u);
}

TEST_F(AdapterSelectTest, StartUpReportsTheSelectedAdapter) {
    ASSERT_EQ(F_Check_KVU_access(20010107), 20010107);
    testsupport::WriteFile(dir.File("config.ini"), "VccIndex 4\r\n");
    EXPECT_EQ(F_Initialization(), 1);
    EXPECT_EQ(TakeReport(),
              "Connecting Programming Adapter ......\t done\r\nMSP-FET430UIF  COM7\r\n");
    // An enumeration deselects.
    EXPECT_EQ(F_Check_KVU_access(0), 8);
    EXPECT_EQ(F_Get_KVU_SN(), 0);
    EXPECT_EQ(F_Initialization(), 4);
}

// For a host that never selects by ID the adapter name setting decides.
TEST_F(AdapterSelectTest, AnotherAdapterNameOpensTheInterfaceAgain) {
    core::Settings.Selected_UIF = "COM7";
    ASSERT_EQ(core::TargetOpen(), 1);
    core::Settings.Selected_UIF = "COM5";
    sim::Sim().Log().Clear();
    ASSERT_EQ(core::TargetOpen(), 1);
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Close"), 1u);
    const auto opens = sim::Sim().Log().Of("MSP430_Initialize");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].detail, "COM5");
}

// Once the host selected by ID, only the selected adapter is opened,
// whatever the name setting says.
TEST_F(AdapterSelectTest, AnIdSelectionIsTheOnlyAdapterOpened) {
    ASSERT_EQ(F_Check_KVU_access(20010107), 20010107);
    core::Settings.Selected_UIF = "COM5";
    sim::Sim().Log().Clear();
    ASSERT_EQ(core::TargetOpen(), 1);
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Initialize"), 0u);
    // A closed interface opens on the selection again.
    core::TargetClose();
    ASSERT_EQ(core::TargetOpen(), 1);
    const auto opens = sim::Sim().Log().Of("MSP430_Initialize");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].detail, "COM7");
}

TEST_F(AdapterSelectTest, AnAdapterNameOfAutoOpensTheFirstAdapter) {
    core::Settings.Selected_UIF = "AUTO";
    ASSERT_EQ(core::TargetOpen(), 1);
    const auto opens = sim::Sim().Log().Of("MSP430_Initialize");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].detail, "TIUSB");
}

} // namespace
} // namespace api_test

namespace api_test {
namespace {

// The library's own debug interface, as loaded: a failed open leaves the
// interface's reason in the library's error log and nothing in the report.
TEST(LibraryDebugInterface, AFailedOpenLeavesItsReasonInTheErrorLog) {
    testsupport::TempDir dir;
    StepClock clock;
    LibraryUp(dir.path().string());
    api::LibraryLoad(); // the in-process debug interface, not the simulated one
    platform::SetClockSource(&clock);
    ::unsetenv("QUILL_EMULATED_ADAPTERS");
    EXPECT_EQ(F_Check_KVU_access(20010163), 0);
    EXPECT_EQ(core::Target.TargetErrorLog,
              "Could not find MSP-FET430UIF on specified COM port.\r\n");
    EXPECT_EQ(api::ReportLog.report, "");
    LibraryDown();
}

} // namespace
} // namespace api_test
