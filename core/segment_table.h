#pragma once
// The flash segments of the active device, walked by every erase, blank
// check, write and verify.

#include "core/memory_map.h"

#include <cstdint>

namespace core {

// Values of MemorySegment::state: the low two bits are the blank-check
// result, the others mark segments kept through an erase.
enum SegmentState : uint8_t {
    SegmentNotChecked = 0x00,
    SegmentBlank = 0x01,
    SegmentNotBlank = 0x02,
    SegmentCheckMask = 0x03,
    SegmentLockedInfoA = 0x10, // the locked Info-A segment, kept unerased
    SegmentDcoKept = 0x20,     // holds the DCO calibration bytes 0x10F8..0x10FF
    SegmentRetainKept = 0x40,  // holds the retain-data range
};

struct MemorySegment {
    int32_t start = 0;       // first address
    int32_t end = 0;         // last address (inclusive)
    int32_t length = 0;      // bytes
    uint8_t hasFileData = 0; // a code-file byte was stored inside
    uint8_t state = 0;       // SegmentState bits
    uint8_t needsWrite = 0;
    uint8_t needsCheck = 0;
    uint8_t needsErase = 0;
};

struct SegmentTableState {
    MemorySegment segments[kMaxSegments]{};
    int32_t count = 0; // 5..516 once built

    void Reset(); // no segments
};

extern SegmentTableState SegmentTable;

// Rebuilds the active memory map (MemoryMapBuild(1)) and from it the table:
// the information segments from the lowest up, then the main segments from
// the layout's main start (256 bytes first when that start is not a multiple
// of 512, then 512 each); the segment holding the device's main start is cut
// to begin there. Every flag starts at 0. Returns the segment count.
int32_t SegmentTableBuild();

} // namespace core
