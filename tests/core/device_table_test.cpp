#include "core/device_table.h"
#include "core/device_table_text.h"
#include "tests/core/core_fixture.h"

#include <cstring>
#include <set>
#include <string>

namespace {

using namespace core;

class DeviceTableTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(DeviceTableParse(kDeviceFilterAll), 1);
    }
    static const DeviceInfo& Row(int32_t i) { return DeviceInfoTable.records[i]; }
    static std::string Trim(const char* s) {
        std::string t(s);
        return t.substr(0, t.find(' '));
    }
};

TEST_F(DeviceTableTest, EveryTextRowIsOneLineEndingWithCr) {
    for (int32_t i = 0; i < kDeviceTableTextRows; ++i) {
        const std::string row = DeviceTableText[i];
        SCOPED_TRACE(row);
        ASSERT_FALSE(row.empty());
        EXPECT_EQ(row.back(), '\r');
        EXPECT_EQ(row.find_first_of("\r\n\x1A"), row.size() - 1);
    }
}

TEST_F(DeviceTableTest, HoldsRecordZeroAnd154RowsAndTheEndRecord) {
    EXPECT_EQ(DeviceInfoTable.count, 154);
    EXPECT_EQ(kDeviceInfoTableSize, 251);
    for (int32_t i = 1; i <= 154; ++i) {
        EXPECT_NE(Row(i).flashStart, 0) << "row " << i;
    }
    EXPECT_EQ(Row(155).flashStart, 0);

    const DeviceInfo& d = Row(0);
    EXPECT_STREQ(d.name, ".1x,F4x.");
    EXPECT_EQ(d.kind, 2);
    EXPECT_EQ(d.flashStart, 0x1100);
    EXPECT_EQ(d.flashEnd, 0xFFFF);
    EXPECT_EQ(d.ramSize, 2048);
    EXPECT_EQ(d.infoLetter, 'A');
    EXPECT_STREQ(d.ifCode, "A");
    EXPECT_EQ(d.hasTestPin, 0);
    EXPECT_EQ(d.deviceId, 0u);
    EXPECT_EQ(d.mask1, 0u);
    EXPECT_EQ(d.mask2, 0u);
    EXPECT_EQ(d.vccLow, 180);
    EXPECT_EQ(d.vccHigh, 270);
    EXPECT_STREQ(d.group, "");
}

TEST_F(DeviceTableTest, SpotRows) {
    struct Case {
        int32_t row;
        const char* name; // blank-padded to 8
        int32_t kind;
        int32_t flashStart, flashEnd, ram;
        char info;
        const char* ifCode;
        int32_t testPin;
        uint32_t id, mask1, mask2;
        const char* group; // blank-padded to 16
        int32_t vccLow, vccHigh;
    };
    const Case cases[] = {
        {1, "110     ", 2, 0xFC00, 0xFFFF, 128, 'A', "A", 1, 0xF112, 0xFFFF, 0xFFFFFF,
         "F11x(1)         ", 180, 270},
        {3, "1101A   ", 2, 0xFC00, 0xFFFF, 128, 'A', "A", 1, 0xF112, 0x1340, 0x0000FF,
         "F11x(1)         ", 180, 270},
        {24, "169     ", 2, 0x1100, 0xFFFF, 2048, 'A', "A", 0, 0xF16CF169, 0xFFFF, 0xFFFFFF,
         "F15x..F16xx     ", 180, 270}, // an 8-digit ID
        {52, "435-100P", 2, 0xC000, 0xFFFF, 512, 'B', "A", 0, 0x0001F449, 0xFFFF, 0xFFFFFF,
         "F43x..F44x      ", 180, 270},
        {72, "G4616   ", 2, 0x2100, 0x18FFF, 4096, 'B', "A", 0, 0xF46F, 0xFFFF, 0xFFFFFF,
         "F461x           ", 180, 270}, // flash above 0xFFFF
        {76, "2001    ", 4, 0xFC00, 0xFFFF, 128, '-', "AS", 1, 0xF201, 0xFFFF, 0xFFFFFF,
         "F20xx           ", 180, 220},
        {111, "4783    ", 0x14, 0x4000, 0xFFFF, 2048, 'B', "A", 0, 0xF449, 0xFFFF, 0xFFFFFF,
         "F43x..F44x      ", 180, 220}, // a "4B" kind
        {127, "E4232   ", 2, 0xE000, 0xFFFF, 256, 'B', "A", 0, 0x4252, 0xFFFF, 0xFFFFFF,
         "4232..4252      ", 180, 270},
        {133, "5418    ", 4, 0x5C00, 0x25BFF, 16384, 'D', "AS", 1, 0x5418, 0xFFFF, 0xFFFFFF,
         "F543x           ", 220, 220}, // series 5
        {138, "5438    ", 4, 0x5C00, 0x45BFF, 16384, 'D', "AS", 1, 0x5438, 0xFFFF, 0xFFFFFF,
         "F543x           ", 220, 220},
        {153, "4132    ", 0x14, 0xE000, 0xFFFF, 512, 'B', "AS", 1, 0x4152, 0xFFFF, 0xFFFFFF,
         "F41x2           ", 180, 220}, // end written "0xFFFF"
        {154, "4152    ", 0x14, 0xC000, 0xFFFF, 512, 'B', "AS", 1, 0x4152, 0xFFFF, 0xFFFFFF,
         "F41x2           ", 180, 220},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        const DeviceInfo& d = Row(c.row);
        EXPECT_STREQ(d.name, c.name);
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.flashStart, c.flashStart);
        EXPECT_EQ(d.flashEnd, c.flashEnd);
        EXPECT_EQ(d.ramSize, c.ram);
        EXPECT_EQ(d.infoLetter, c.info);
        EXPECT_STREQ(d.ifCode, c.ifCode);
        EXPECT_EQ(d.hasTestPin, c.testPin);
        EXPECT_EQ(d.deviceId, c.id);
        EXPECT_EQ(d.mask1, c.mask1);
        EXPECT_EQ(d.mask2, c.mask2);
        EXPECT_STREQ(d.group, c.group);
        EXPECT_EQ(d.vccLow, c.vccLow);
        EXPECT_EQ(d.vccHigh, c.vccHigh);
    }
}

TEST_F(DeviceTableTest, EveryRowIsWellFormed) {
    for (int32_t i = 1; i <= DeviceInfoTable.count; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const DeviceInfo& d = Row(i);
        EXPECT_EQ(std::strlen(d.name), 8u);
        EXPECT_EQ(std::strlen(d.group), 16u);
        EXPECT_TRUE(std::strchr("ABD-", d.infoLetter) != nullptr);
        EXPECT_TRUE(std::string(d.ifCode) == "A" || std::string(d.ifCode) == "B" ||
                    std::string(d.ifCode) == "AS");
        EXPECT_GE(d.kind & 0xF, 2);
        EXPECT_LE(d.kind & 0xF, 4);
        EXPECT_LT(d.flashStart, d.flashEnd);
        EXPECT_LE(d.flashEnd, 0x45BFF);
        EXPECT_TRUE(d.vccLow == 180 || d.vccLow == 220);
        EXPECT_TRUE(d.vccHigh == 220 || d.vccHigh == 270);
        EXPECT_EQ(std::string(d.group).find('X'), std::string::npos);
    }
}

// The series digit follows from the device name: F1xx is series 1, F2xx
// series 2 and so on, with a leading E, W or G letter skipped.
TEST_F(DeviceTableTest, SeriesOfEveryRowMatchesItsName) {
    std::set<int32_t> seen;
    for (int32_t i = 1; i <= DeviceInfoTable.count; ++i) {
        const char* name = Row(i).name;
        const char digit = (name[0] >= '0' && name[0] <= '9') ? name[0] : name[1];
        EXPECT_EQ(DeviceSeriesFromId(i), digit - '0') << "row " << i << " " << name;
        seen.insert(DeviceSeriesFromId(i));
    }
    EXPECT_EQ(seen, (std::set<int32_t>{1, 2, 4, 5}));
    EXPECT_EQ(DeviceSeriesFromId(0), 1);  // the generic device
    EXPECT_EQ(DeviceSeriesFromId(-1), 1); // outside the table
    EXPECT_EQ(DeviceSeriesFromId(200), 1);
}

TEST_F(DeviceTableTest, SecondIdRowsAreThoseWithID0001xxxx) {
    const std::set<int32_t> expected = {52, 53,  54,  60,  61,  62,  63,
                                        67, 105, 106, 107, 108, 109, 110};
    std::set<int32_t> got;
    for (int32_t i = 0; i <= DeviceInfoTable.count; ++i) {
        if (DeviceIsSecondIdRow(i)) {
            got.insert(i);
        }
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(DeviceIsSecondIdRow(155), 0);
    EXPECT_EQ(DeviceIsSecondIdRow(-1), 0);
}

TEST_F(DeviceTableTest, FilterHidesRowsThatShareNoBit) {
    struct Case {
        int32_t filter;
        bool hidden;
    };
    const Case cases[] = {{7, false}, {1, false}, {4, false}, {8, true}, {0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        ASSERT_EQ(DeviceTableParse(c.filter), 1);
        EXPECT_EQ(DeviceInfoTable.count, 154);
        for (int32_t i = 1; i <= 154; ++i) {
            ASSERT_EQ(std::strcmp(Row(i).name, "xx") == 0, c.hidden) << "row " << i;
            ASSERT_EQ(Row(i).flashStart != 0, true); // hidden rows keep their data
        }
        EXPECT_STREQ(Row(0).name, ".1x,F4x.");
    }
}

TEST_F(DeviceTableTest, ParsingAgainGivesTheSameTable) {
    auto dump = [] {
        std::string s;
        for (int32_t i = 0; i <= DeviceInfoTable.count + 1; ++i) {
            const DeviceInfo& d = Row(i);
            s += std::string(d.name) + "|" + std::to_string(d.kind) + "|" +
                 std::to_string(d.flashStart) + "|" + std::to_string(d.flashEnd) + "|" +
                 std::to_string(d.ramSize) + "|" + d.infoLetter + "|" + d.ifCode + "|" +
                 std::to_string(d.hasTestPin) + "|" + std::to_string(d.deviceId) + "|" +
                 std::to_string(d.mask1) + "|" + std::to_string(d.mask2) + "|" + d.group + "|" +
                 std::to_string(d.vccLow) + "|" + std::to_string(d.vccHigh) + "\n";
        }
        return s;
    };
    const std::string first = dump();
    DeviceInfoTable.records[5].ramSize = -1;
    DeviceInfoTable.records[0].kind = 9;
    ASSERT_EQ(DeviceTableParse(kDeviceFilterAll), 1);
    EXPECT_EQ(dump(), first);
}

} // namespace
