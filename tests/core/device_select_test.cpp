#include "core/device_select.h"
#include "core/device_table.h"
#include "core/memory_map.h"
#include "core/settings.h"
#include "tests/core/core_fixture.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

using namespace core;

class DeviceSelectTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(DeviceTableParse(kDeviceFilterAll), 1);
    }
    static void Select(int32_t index) {
        Settings.SelectedProcessorIndex = index;
        DeviceSelectByIndex();
    }
};

TEST_F(DeviceSelectTest, SelectByIndexCopiesTheRow) {
    Select(71); // 2274: series 2, 4 information segments, Spy-Bi-Wire
    EXPECT_EQ(Settings.SelectedProcessorIndex, 71);
    EXPECT_EQ(SelectedDevice.name, "MSP430F2274    ");
    EXPECT_EQ(SelectedDevice.infoLetter, 'A');
    EXPECT_EQ(SelectedDevice.flashStart, 0x8000);
    EXPECT_EQ(SelectedDevice.flashEnd, 0xFFFF);
    EXPECT_EQ(SelectedDevice.ramSize, 1024);
    EXPECT_EQ(SelectedDevice.series, 2);
    EXPECT_EQ(SelectedDevice.infoSegments, 4);
    EXPECT_EQ(SelectedDevice.bFlag, 0);
    EXPECT_EQ(SelectedDevice.vccLow, 180);
    EXPECT_EQ(SelectedDevice.vccHigh, 220);
    EXPECT_EQ(DeviceHasSbwInterface(), 1);
    // The map follows the selection.
    EXPECT_EQ(MemoryMap.selected.series, 2);
    EXPECT_EQ(MemoryMap.active.series, 2);
    EXPECT_EQ(MemoryMap.active.infoSegments, 4);

    Select(145); // 47166: a "4B" kind
    EXPECT_EQ(SelectedDevice.infoSegments, 4);
    EXPECT_EQ(SelectedDevice.bFlag, 0x10);
    EXPECT_EQ(SelectedDevice.series, 4);
    EXPECT_EQ(SelectedDevice.flashEnd, 0x18FFF);
    EXPECT_EQ(DeviceHasSbwInterface(), 0);

    Select(133); // 5418: letter D, series 5
    EXPECT_EQ(SelectedDevice.infoLetter, 'D');
    EXPECT_EQ(SelectedDevice.series, 5);
    EXPECT_EQ(SelectedDevice.vccLow, 220);
}

TEST_F(DeviceSelectTest, SelectByIndexOfTheGenericHiddenAndStaleRows) {
    Select(0);
    EXPECT_EQ(SelectedDevice.name, "MSP430F.1x,F4x.");
    EXPECT_EQ(SelectedDevice.series, 1);
    EXPECT_EQ(SelectedDevice.flashStart, 0x1100);

    for (int32_t stale : {155, 250, 1000, -1}) {
        SCOPED_TRACE(stale);
        Select(stale);
        EXPECT_EQ(Settings.SelectedProcessorIndex, 0);
        EXPECT_EQ(SelectedDevice.flashStart, 0x1100);
    }

    ASSERT_EQ(DeviceTableParse(8), 1); // every row hidden
    Select(71);
    EXPECT_EQ(SelectedDevice.name, "xx");
    EXPECT_EQ(SelectedDevice.flashStart, 0x8000);
}

struct IdCase {
    const char* what;
    int32_t selected; // row, 0 = none
    uint32_t id;
    const char* name; // IdentifiedDevice afterwards
    int32_t mainStart;
    int32_t flashEnd;
    int32_t ram;
    char info;
    int32_t infoSegments;
    int32_t series; // the active map's series
    int32_t match;
};

class DeviceSelectByIdTest : public DeviceSelectTest,
                             public ::testing::WithParamInterface<IdCase> {};

TEST_P(DeviceSelectByIdTest, SetsTheConnectedDevice) {
    const IdCase& c = GetParam();
    Select(c.selected);
    ConnectedDevice.versionWord = 0x0123;
    EXPECT_EQ(DeviceSelectById(c.id), 1);
    EXPECT_EQ(ConnectedDevice.name, c.name);
    EXPECT_EQ(ConnectedDevice.version, "ver.  1.23");
    EXPECT_EQ(ConnectedDevice.deviceId, c.id);
    EXPECT_EQ(ConnectedDevice.mainStart, c.mainStart);
    EXPECT_EQ(ConnectedDevice.flashEnd, c.flashEnd);
    EXPECT_EQ(ConnectedDevice.ramSize, c.ram);
    EXPECT_EQ(ConnectedDevice.infoLetter, c.info);
    EXPECT_EQ(ConnectedDevice.infoSegments, c.infoSegments);
    EXPECT_EQ(ConnectedDevice.above64k, c.flashEnd > 0xFFFF ? 1 : 0);
    EXPECT_EQ(MemoryMap.active.series, c.series);
    EXPECT_EQ(ConnectedDevice.match, c.match);
    EXPECT_EQ(MemoryMap.selected.series, SelectedDevice.series);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeviceSelectByIdTest,
    ::testing::Values(
        // F112 without a selection: the lowest flash start of the rows with
        // that ID is 0xF000, and of those the last row (1121A) wins.
        IdCase{"F112 no selection", 0, 0xF112, "F11x(1)", 0xF000, 0xFFFF, 256, 'A', 2, 1, 1},
        // The selected row wins when its ID matches.
        IdCase{"F112 selected 1101", 2, 0xF112, "MSP430F1101", 0xFC00, 0xFFFF, 128, 'A', 2, 1, 1},
        // Another family than the selected one: lowest start among F213 rows
        // is 0xE000, the later row 2132; not the selected device.
        IdCase{"F213 selected 2274", 71, 0xF213, "F21xx", 0xE000, 0xFFFF, 512, 'A', 4, 2, 0},
        IdCase{"1132 below 0xC000", 0, 0x1132, "F11x2", 0xE000, 0xFFFF, 256, 'A', 2, 1, 1},
        // The second ID of an 8-digit row matches too.
        IdCase{"427A", 0, 0x427A, "F423..F427", 0x8000, 0xFFFF, 1024, 'B', 2, 4, 1},
        IdCase{"F16C selected 169", 24, 0xF16C, "MSP430F169", 0x1100, 0xFFFF, 2048, 'A', 2, 1, 1},
        // A key without a leading 0 is never widened: F152 is not the
        // 4152 row's ID, 4152 is.
        IdCase{"4152", 0, 0x4152, "F41x2", 0xC000, 0xFFFF, 512, 'B', 4, 4, 1},
        IdCase{"F152 is no 4152", 0, 0xF152, "MSP430 F152", 0x1100, 0xFFFF, 2048, 'A', 2, 1, 1},
        // F437 is the F43x rows' ID, not the F5437's (5437 + F000): the
        // lowest start among them, 437, and no locked Info-A.
        IdCase{"F437 no selection", 0, 0xF437, "F43x..F44x", 0x8000, 0xFFFF, 1024, 'B', 2, 4, 1},
        IdCase{"5437 no selection", 0, 0x5437, "F543x", 0x5C00, 0x45BFF, 16384, 'D', 4, 5, 1},
        // Flash above 64K.
        IdCase{"5437 selected", 137, 0x5437, "MSP430F5437", 0x5C00, 0x45BFF, 16384, 'D', 4, 5, 1},
        // Rows 4616 and 4619 both start at 0x2100: the later one, 4619, wins.
        IdCase{"F46F no selection", 0, 0xF46F, "F461x", 0x2100, 0x1FFFF, 4096, 'B', 2, 4, 1},
        // Unknown IDs keep the defaults and the name from the ID.
        IdCase{"unknown C2FF", 0, 0xC2FF, "MSP430 C2FF", 0x1100, 0xFFFF, 2048, 'A', 2, 2, 1},
        IdCase{"unknown 4999", 0, 0x4999, "MSP430 F4999", 0x1100, 0xFFFF, 2048, 'B', 2, 4, 1},
        IdCase{"unknown 0123", 0, 0x0123, "MSP430 F0123", 0x1100, 0xFFFF, 2048, 'A', 2, 1, 1},
        // Series 9 does not exist: the map takes layout 1. The selected device
        // cannot be a device that no row knows.
        IdCase{"unknown with selection", 71, 0xF999, "MSP430 F999", 0x1100, 0xFFFF, 2048, 'A', 2, 1,
               0},
        // A row with one ID has no second one: an ID of 0 (or 0xF000), as a
        // blank descriptor gives, is no device of the table, least of all
        // the selected one; nor is the 0001 that marks second-ID rows.
        IdCase{"ID 0 selected 2274", 71, 0x0000, "MSP430 F0000", 0x1100, 0xFFFF, 2048, 'A', 2, 1,
               0},
        IdCase{"ID 0 no selection", 0, 0x0000, "MSP430 F0000", 0x1100, 0xFFFF, 2048, 'A', 2, 1, 1},
        IdCase{"F000 selected 2274", 71, 0xF000, "MSP430 F000", 0x1100, 0xFFFF, 2048, 'A', 2, 1, 0},
        IdCase{"0001 marker", 0, 0x0001, "MSP430 F0001", 0x1100, 0xFFFF, 2048, 'A', 2, 1, 1},
        IdCase{"F001 selected 435-100P", 52, 0xF001, "MSP430 F001", 0x1100, 0xFFFF, 2048, 'A', 2, 1,
               0}),
    [](const ::testing::TestParamInfo<IdCase>& info) {
        std::string n = info.param.what;
        for (char& ch : n) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return n;
    });

int32_t RowNamed(const char* name) {
    for (int32_t r = 1; r <= DeviceInfoTable.count; ++r) {
        const std::string n = DeviceInfoTable.records[r].name;
        if (n.substr(0, n.find(' ')) == name) {
            return r;
        }
    }
    return -1;
}

TEST_F(DeviceSelectTest, F437WithF449SelectedIsTheF437NotTheF5437) {
    const int32_t row449 = RowNamed("449");
    ASSERT_GT(row449, 0);
    Select(row449);
    DeviceSelectById(0xF437);
    EXPECT_EQ(ConnectedDevice.mainStart, 0x8000);
    EXPECT_EQ(ConnectedDevice.flashEnd, 0xFFFF);
    EXPECT_EQ(ConnectedDevice.infoSegments, 2);
    EXPECT_EQ(ConnectedDevice.match, 0);
    EXPECT_EQ(MemoryMap.active.lockedStart, 0);
    EXPECT_EQ(MemoryMap.active.lockedEnd, 0);
    EXPECT_EQ(MemoryMap.active.deviceFlashEnd, 0xFFFF);
}

// Every key of every row, identified with no selection and with that row
// selected, lands on a row of the key's own series: with the row selected
// on exactly that row, without a selection on a row with the same memory
// as some row of that series that carries the key.
TEST_F(DeviceSelectTest, NoIdentifiedIdReachesARowOfAnotherSeries) {
    auto same_memory = [](const DeviceInfo& row) {
        const ConnectedDeviceState& c = ConnectedDevice;
        return c.mainStart == row.flashStart &&
               c.flashEnd == std::min(row.flashEnd, kMaxFlashEnd) && c.ramSize == row.ramSize &&
               c.infoSegments == (row.kind & 0xF);
    };
    int32_t checked = 0;
    for (int32_t r = 1; r <= DeviceInfoTable.count; ++r) {
        const DeviceInfo& row = DeviceInfoTable.records[r];
        const int32_t series = DeviceSeriesFromId(r);
        for (const uint32_t key : {row.deviceId & 0xFFFF, row.deviceId >> 16}) {
            if (key <= 0x0001) {
                continue;
            }
            SCOPED_TRACE(std::string(row.name) + " key " + std::to_string(key));
            Select(r);
            DeviceSelectById(key);
            EXPECT_EQ(ConnectedDevice.match, 1);
            EXPECT_TRUE(same_memory(row));

            Select(0);
            DeviceSelectById(key);
            bool found = false;
            for (int32_t o = 1; o <= DeviceInfoTable.count && !found; ++o) {
                const DeviceInfo& other = DeviceInfoTable.records[o];
                const bool has_key =
                    (other.deviceId & 0xFFFF) == key || (other.deviceId >> 16) == key;
                found = has_key && DeviceSeriesFromId(o) == series && same_memory(other);
            }
            EXPECT_TRUE(found);
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST_F(DeviceSelectTest, SelectByIdBuildsBothMaps) {
    Select(85); // 2619: series 2, flash 0x2100-0x1FFFF
    ConnectedDevice.TargetIdentified = 1;
    DeviceSelectById(0xF26F);
    EXPECT_EQ(ConnectedDevice.name, "MSP430F2619");
    EXPECT_EQ(ConnectedDevice.match, 1);
    EXPECT_EQ(ConnectedDevice.above64k, 1);
    EXPECT_EQ(MemoryMap.selected.series, 2);
    EXPECT_EQ(MemoryMap.active.series, 2);
    EXPECT_EQ(MemoryMap.active.deviceMainStart, 0x2100);
    EXPECT_EQ(MemoryMap.active.deviceFlashEnd, 0x1FFFF);
    EXPECT_EQ(MemoryMap.active.lockedStart, 0x10C0);
}

} // namespace
