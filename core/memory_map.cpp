#include "core/memory_map.h"

#include "core/device_select.h"

namespace core {

MemoryMapState MemoryMap = [] {
    MemoryMapState m{};
    m.Reset();
    return m;
}();

namespace {

void FillLayout(MemoryLayoutRow* rows) {
    const MemoryLayoutRow one{0x1000, 0x10FF, 0x1100, 0xFFFF};
    rows[0] = one; // never used
    rows[1] = one;
    rows[2] = {0x1000, 0x10FF, 0x1100, 0x1FFFF};
    rows[3] = one;
    rows[4] = {0x1000, 0x10FF, 0x1100, 0x1FFFF};
    rows[5] = {0x1800, 0x19FF, 0x5C00, 0x45BFF};
}

int32_t ClampSeries(int32_t series) {
    return (series < 1 || series > 5 || series == 3) ? 1 : series;
}

int32_t ClampInfoSegments(int32_t n) {
    return n < 1 ? 1 : (n > 4 ? 4 : n);
}

bool HasLockedInfoA(const MemoryMapInstance& m) {
    return m.series == 2 || m.series == 5 || m.infoSegments == 4;
}

// Information range, segment size and lock flag of one instance from its row.
void BuildInfo(MemoryMapInstance& m, const MemoryLayoutRow* rows) {
    m.series = ClampSeries(m.series);
    // Clamped before the division: a count of 0 must not divide by zero.
    m.infoSegments = ClampInfoSegments(m.infoSegments);
    const MemoryLayoutRow& row = rows[m.series];
    m.infoStart = row.infoStart;
    m.infoEnd = row.infoEnd;
    m.infoSegmentSize = (m.infoEnd - m.infoStart + 1) / m.infoSegments;
    m.lockedInfoA = HasLockedInfoA(m) ? 1 : 0;
}

} // namespace

void MemoryMapState::Reset() {
    *this = MemoryMapState{};
    selected.series = 1;
    selected.infoSegments = 2;
    active.series = 1;
    active.infoSegments = 2;
    active.deviceMainStart = 0x1100;
    active.deviceFlashEnd = 0xFFFF;
    FillLayout(layout);
    BuildInfo(selected, layout);
    BuildInfo(active, layout);
    active.mainStart = layout[1].mainStart;
    active.mainEnd = layout[1].mainEnd;
    segmentCount = 122;
}

void MemoryMapBuild(int32_t activeOnly) {
    MemoryMapState& map = MemoryMap;
    FillLayout(map.layout);
    if (activeOnly == 0) {
        map.selected.series = SelectedDevice.series;
        map.selected.infoSegments = SelectedDevice.infoSegments;
        BuildInfo(map.selected, map.layout);
        map.active.series = map.selected.series;
        map.active.infoSegments = map.selected.infoSegments;
    }

    MemoryMapInstance& a = map.active;
    BuildInfo(a, map.layout);
    const MemoryLayoutRow& row = map.layout[a.series];
    a.mainStart = row.mainStart;
    a.mainEnd = row.mainEnd;
    if (a.lockedInfoA) {
        a.lockedEnd = a.infoEnd;
        a.lockedStart = a.infoEnd - a.infoSegmentSize + 1;
    } else {
        a.lockedStart = 0;
        a.lockedEnd = 0;
    }
    a.deviceMainStart = ConnectedDevice.mainStart;
    a.deviceFlashEnd = ConnectedDevice.flashEnd;

    const int64_t end = ConnectedDevice.TargetIdentified ? a.deviceFlashEnd : a.mainEnd;
    int64_t count = (end + 0x101 - a.mainStart) / 0x200 + a.infoSegments;
    if (count < kMinSegments) {
        count = kMinSegments;
    }
    if (count > kMaxSegments) {
        count = kMaxSegments;
    }
    map.segmentCount = static_cast<int32_t>(count);
}

int32_t MemoryRangeCheck(int32_t selector, int32_t start, int32_t length) {
    if (length < 1 || start < 0x1000) {
        return 0;
    }
    const int64_t last = static_cast<int64_t>(start) + length - 1;
    if (last > kMaxFlashEnd) {
        return 0;
    }
    int32_t infoStart, infoEnd, mainStart, flashEnd;
    if (selector == 1) {
        infoStart = MemoryMap.active.infoStart;
        infoEnd = MemoryMap.active.infoEnd;
        mainStart = MemoryMap.active.deviceMainStart;
        flashEnd = MemoryMap.active.deviceFlashEnd;
    } else {
        infoStart = MemoryMap.selected.infoStart;
        infoEnd = MemoryMap.selected.infoEnd;
        mainStart = SelectedDevice.flashStart;
        flashEnd = SelectedDevice.flashEnd;
    }
    if (start >= infoStart && last <= infoEnd) {
        return 1;
    }
    return (start >= mainStart && last <= flashEnd) ? 1 : 0;
}

} // namespace core
