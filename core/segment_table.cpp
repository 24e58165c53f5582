#include "core/segment_table.h"

#include <cstring>

namespace core {

SegmentTableState SegmentTable = [] {
    SegmentTableState t{};
    t.Reset();
    return t;
}();

void SegmentTableState::Reset() {
    *this = SegmentTableState{};
}

int32_t SegmentTableBuild() {
    MemoryMapBuild(1);
    const MemoryMapInstance& a = MemoryMap.active;
    SegmentTableState& t = SegmentTable;
    t.Reset();
    const int32_t count = MemoryMap.segmentCount;

    int32_t i = 0;
    for (; i < a.infoSegments && i < count; ++i) {
        MemorySegment& s = t.segments[i];
        s.start = a.infoStart + i * a.infoSegmentSize;
        s.length = a.infoSegmentSize;
        s.end = s.start + s.length - 1;
    }
    int32_t addr = a.mainStart;
    int32_t len = (addr % 512) != 0 ? 256 : 512;
    for (; i < count; ++i) {
        MemorySegment& s = t.segments[i];
        s.start = addr;
        s.length = len;
        s.end = addr + len - 1;
        addr += len;
        len = 512;
    }

    for (int32_t k = 0; k < count; ++k) {
        MemorySegment& s = t.segments[k];
        if (a.deviceMainStart > s.start && a.deviceMainStart <= s.end) {
            s.start = a.deviceMainStart;
            s.length = s.end - s.start + 1;
            break;
        }
    }
    t.count = count;
    return count;
}

} // namespace core
