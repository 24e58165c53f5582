#pragma once
// The memory map: information and main memory of the selected device and of
// the active one (the connected device once identified, else the selected).

#include <cstdint>

namespace core {

struct MemoryLayoutRow {
    int32_t infoStart;
    int32_t infoEnd;
    int32_t mainStart;
    int32_t mainEnd;
};

struct MemoryMapInstance {
    int32_t series; // layout row 1..5 (3 and anything outside 1..5 become 1)
    int32_t infoStart;
    int32_t infoEnd;
    int32_t infoSegments; // 1..4
    int32_t infoSegmentSize;
    int32_t lockedInfoA; // 1 when the highest information segment is a locked Info-A
    // Kept for the active instance only:
    int32_t mainStart;   // of the layout row
    int32_t mainEnd;     // of the layout row
    int32_t lockedStart; // the locked Info-A range, 0 when there is none
    int32_t lockedEnd;
    int32_t deviceMainStart; // the connected device's main start
    int32_t deviceFlashEnd;  // the connected device's flash end
};

inline constexpr int32_t kMemoryLayoutRows = 6;
inline constexpr int32_t kMinSegments = 5;
inline constexpr int32_t kMaxSegments = 516;

struct MemoryMapState {
    MemoryLayoutRow layout[kMemoryLayoutRows]; // by series digit
    MemoryMapInstance selected;
    MemoryMapInstance active;
    int32_t segmentCount; // 5..516, for SegmentTableBuild

    void Reset(); // layout filled, both instances for the generic series-1 device
};

extern MemoryMapState MemoryMap;

// Rebuilds the map. activeOnly 0: the selected instance is rebuilt from
// SelectedDevice and the active instance takes the selected device's series
// and information segment count. activeOnly 1: only the active instance is
// rebuilt, from its own series and segment count (set by identification)
// and the connected device's main start and flash end.
void MemoryMapBuild(int32_t activeOnly);

// 1 when start..start+length-1 lies inside the information memory or inside
// the device's main flash, else 0. Selector 1 checks against the active
// instance and the connected device, selector 0 against the selected device.
// An empty range, or one outside 0x1000..0x45BFF, gives 0.
int32_t MemoryRangeCheck(int32_t selector, int32_t start, int32_t length);

} // namespace core
