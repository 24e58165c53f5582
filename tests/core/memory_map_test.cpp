#include "core/device_select.h"
#include "core/device_table.h"
#include "core/memory_map.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "tests/core/core_fixture.h"

#include <string>

namespace {

using namespace core;

class MemoryMapTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(DeviceTableParse(kDeviceFilterAll), 1);
    }
    static void Select(int32_t index) {
        Settings.SelectedProcessorIndex = index;
        DeviceSelectByIndex();
    }
    // What the identification step does: mark the target identified, then
    // take the device by its ID.
    static void Identify(uint32_t id) {
        ConnectedDevice.TargetIdentified = 1;
        DeviceSelectById(id);
    }
    static const MemorySegment& Seg(int32_t i) { return SegmentTable.segments[i]; }
};

struct MapCase {
    const char* what;
    int32_t row;
    uint32_t identifyId; // 0: nothing identified
    int32_t segments;
    int32_t infoStart, infoEnd, infoSize;
    int32_t lockedStart, lockedEnd;
};

class MemoryMapCaseTest : public MemoryMapTest, public ::testing::WithParamInterface<MapCase> {};

TEST_P(MemoryMapCaseTest, LayoutAndSegmentCount) {
    const MapCase& c = GetParam();
    Select(c.row);
    if (c.identifyId) {
        Identify(c.identifyId);
    }
    EXPECT_EQ(SegmentTableBuild(), c.segments);
    EXPECT_EQ(SegmentTable.count, c.segments);
    const MemoryMapInstance& a = MemoryMap.active;
    EXPECT_EQ(a.infoStart, c.infoStart);
    EXPECT_EQ(a.infoEnd, c.infoEnd);
    EXPECT_EQ(a.infoSegmentSize, c.infoSize);
    EXPECT_EQ(a.lockedInfoA, c.lockedStart != 0 ? 1 : 0);
    EXPECT_EQ(a.lockedStart, c.lockedStart);
    EXPECT_EQ(a.lockedEnd, c.lockedEnd);
    EXPECT_EQ(MemoryMap.selected.lockedInfoA, a.lockedInfoA);

    // The information segments, then the main segments from the layout's
    // main start, tile their memory without gaps.
    EXPECT_EQ(Seg(a.infoSegments).start, a.mainStart);
    for (int32_t i = 0; i < SegmentTable.count; ++i) {
        const MemorySegment& s = Seg(i);
        ASSERT_EQ(s.end - s.start + 1, s.length) << "segment " << i;
        ASSERT_EQ(s.state, SegmentNotChecked);
        if (i > 0 && i != a.infoSegments && s.start != ConnectedDevice.mainStart) {
            ASSERT_EQ(s.start, Seg(i - 1).end + 1) << "segment " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryMapCaseTest,
    ::testing::Values(
        MapCase{"series1_1232", 13, 0, 122, 0x1000, 0x10FF, 128, 0, 0},
        MapCase{"series1_identified", 13, 0x1232, 122, 0x1000, 0x10FF, 128, 0, 0},
        MapCase{"series2_2274_identified_ends_FFFF", 71, 0xF227, 124, 0x1000, 0x10FF, 64, 0x10C0,
                0x10FF},
        // Before identification the count follows the layout's main end.
        MapCase{"series2_2274_not_identified", 71, 0, 252, 0x1000, 0x10FF, 64, 0x10C0, 0x10FF},
        MapCase{"series4_449_two_segments", 34, 0, 250, 0x1000, 0x10FF, 128, 0, 0},
        MapCase{"series4_4783_four_segments", 111, 0, 252, 0x1000, 0x10FF, 64, 0x10C0, 0x10FF},
        MapCase{"series5_5438", 138, 0, 516, 0x1800, 0x19FF, 128, 0x1980, 0x19FF},
        MapCase{"series5_5418_identified", 133, 0x5418, 260, 0x1800, 0x19FF, 128, 0x1980, 0x19FF}),
    [](const ::testing::TestParamInfo<MapCase>& info) { return std::string(info.param.what); });

TEST_F(MemoryMapTest, Series1SegmentsStartWithHalfASegmentAt0x1100) {
    Select(13); // 1232: flash 0xE000-0xFFFF, but the table follows the layout's main start
    ASSERT_EQ(SegmentTableBuild(), 122);
    EXPECT_EQ(Seg(0).start, 0x1000);
    EXPECT_EQ(Seg(0).length, 128);
    EXPECT_EQ(Seg(1).start, 0x1080);
    EXPECT_EQ(Seg(2).start, 0x1100);
    EXPECT_EQ(Seg(2).length, 256);
    EXPECT_EQ(Seg(3).start, 0x1200);
    EXPECT_EQ(Seg(3).length, 512);
    EXPECT_EQ(Seg(121).start, 0xFE00);
    EXPECT_EQ(Seg(121).end, 0xFFFF);
}

TEST_F(MemoryMapTest, Series5SegmentsReachTheTopOfFlash) {
    Select(138);
    ASSERT_EQ(SegmentTableBuild(), 516);
    EXPECT_EQ(Seg(3).start, 0x1980);
    EXPECT_EQ(Seg(3).end, 0x19FF);
    EXPECT_EQ(Seg(4).start, 0x5C00);
    EXPECT_EQ(Seg(4).length, 512);
    EXPECT_EQ(Seg(515).end, 0x45BFF);
}

TEST_F(MemoryMapTest, SegmentHoldingTheMainStartIsCutAt0x2100) {
    Select(85); // 2619: flash 0x2100-0x1FFFF
    Identify(0xF26F);
    ASSERT_EQ(SegmentTableBuild(), 252);
    int32_t cut = -1;
    for (int32_t i = 0; i < SegmentTable.count; ++i) {
        if (Seg(i).start == 0x2100) {
            cut = i;
        }
    }
    ASSERT_GT(cut, 0);
    EXPECT_EQ(Seg(cut).end, 0x21FF);
    EXPECT_EQ(Seg(cut).length, 256);
    EXPECT_EQ(Seg(cut - 1).start, 0x1E00); // segments below the flash stay in the table
    EXPECT_EQ(Seg(cut + 1).start, 0x2200);
    EXPECT_EQ(Seg(251).end, 0x1FFFF);
}

TEST_F(MemoryMapTest, CountsAndSelectorsAreClamped) {
    // A connected flash end below the main start still gives 5 segments.
    ConnectedDevice.TargetIdentified = 1;
    ConnectedDevice.flashEnd = 0x1100;
    MemoryMapBuild(1);
    EXPECT_EQ(MemoryMap.segmentCount, 5);
    EXPECT_EQ(SegmentTableBuild(), 5);

    // Series 3, 0 and 9 use layout 1; segment counts outside 1..4 are clamped
    // before the segment size is worked out.
    for (int32_t series : {3, 0, 9, -2}) {
        SCOPED_TRACE(series);
        MemoryMap.active.series = series;
        MemoryMap.active.infoSegments = 0;
        MemoryMapBuild(1);
        EXPECT_EQ(MemoryMap.active.series, 1);
        EXPECT_EQ(MemoryMap.active.infoSegments, 1);
        EXPECT_EQ(MemoryMap.active.infoSegmentSize, 256);
    }
    MemoryMap.active.infoSegments = 9;
    MemoryMapBuild(1);
    EXPECT_EQ(MemoryMap.active.infoSegments, 4);
    EXPECT_EQ(MemoryMap.active.lockedStart, 0x10C0);

    // A huge flash end cannot run past the table.
    MemoryMap.active.series = 2;
    ConnectedDevice.flashEnd = 0x45BFF;
    EXPECT_EQ(SegmentTableBuild(), 516);
}

TEST_F(MemoryMapTest, RangeCheckAgainstTheSelectedDevice) {
    Select(13); // 1232: info 0x1000-0x10FF, flash 0xE000-0xFFFF
    struct Case {
        int32_t start, length, result;
    };
    const Case cases[] = {
        {0x1000, 0, 0},     // empty
        {0x1000, -5, 0},    // negative
        {0x1000, 0x100, 1}, // all of the information memory
        {0x10F0, 0x20, 0},  // across the information / main boundary
        {0x10FF, 1, 1},
        {0x1100, 2, 0},      // below this device's flash
        {0xE000, 0x2000, 1}, // all of the flash
        {0xDFFE, 4, 0},
        {0xFFFF, 1, 1},
        {0xFFFF, 2, 0},
        {0x0FFF, 2, 0},              // below 0x1000
        {0x45BFF, 1, 0},             // above this device
        {0x7FFFFFF0, 0x7FFFFFFF, 0}, // no overflow
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + "+" + std::to_string(c.length));
        EXPECT_EQ(MemoryRangeCheck(0, c.start, c.length), c.result);
    }
}

TEST_F(MemoryMapTest, RangeCheckAgainstTheConnectedDevice) {
    Select(85);
    Identify(0xF26F); // flash 0x2100-0x1FFFF
    struct Case {
        int32_t start, length, result;
    };
    const Case cases[] = {
        {0x2100, 0x100, 1}, {0x2000, 0x100, 0}, {0x1FFFF, 1, 1}, {0x1FFFF, 2, 0},
        {0x10C0, 0x40, 1},  {0x10FF, 2, 0},     {0x1000, 0, 0},  {0x20000, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + "+" + std::to_string(c.length));
        EXPECT_EQ(MemoryRangeCheck(1, c.start, c.length), c.result);
    }
    // Series 5: information memory at 0x1800.
    Select(133);
    Identify(0x5418);
    EXPECT_EQ(MemoryRangeCheck(1, 0x1800, 0x200), 1);
    EXPECT_EQ(MemoryRangeCheck(1, 0x1000, 0x100), 0);
    EXPECT_EQ(MemoryRangeCheck(1, 0x25BFF, 1), 1);
    EXPECT_EQ(MemoryRangeCheck(1, 0x25C00, 1), 0);
}

} // namespace
