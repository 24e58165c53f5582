#include "core/flash_erase.h"

#include "core/debug_api.h"
#include "core/flash_access.h"
#include "core/memory_map.h"
#include "core/progress.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_result.h"

namespace core {

namespace {

inline constexpr int32_t kMainEraseAddress = 0xFF00;
inline constexpr int32_t kEraseLength = 4;

// A short read before each erase, as the debug library expects the target
// to answer first; a target that does not answer is not erased.
bool TouchTarget(int32_t address) {
    char bytes[2] = {};
    return TargetResultMap(Debug_Memory(address, bytes, 2, kMemoryRead)) == 1;
}

} // namespace

int32_t TargetEraseSegment(int32_t address) {
    const int32_t even = address & ~1;
    LockedFlashAccess bracket(even, 2);
    if (!TouchTarget(even)) {
        return 0;
    }
    return TargetResultMap(Debug_Erase(kEraseSegment, even, kEraseLength));
}

int32_t TargetEraseMain() {
    ProgressReport(0);
    if (!TouchTarget(kMainEraseAddress)) {
        return 0;
    }
    const int32_t result =
        TargetResultMap(Debug_Erase(kEraseMain, kMainEraseAddress, kEraseLength));
    if (result == 1) {
        ProgressReport(100);
    }
    return result;
}

int32_t TargetEraseAll() {
    SegmentTableBuild();
    const MemoryMapInstance& map = MemoryMap.active;
    for (int32_t i = 0; i < map.infoSegments && i < SegmentTable.count; ++i) {
        const MemorySegment& s = SegmentTable.segments[i];
        const bool lockedInfoA = map.lockedInfoA != 0 && s.start == map.lockedStart;
        if (lockedInfoA && Settings.EraseInfoA_F2xx_En != 1) {
            continue;
        }
        // A segment left unerased must not pass as an erased memory.
        if (TargetEraseSegment(s.start) != 1) {
            return 0;
        }
    }
    return TargetEraseMain();
}

int32_t TargetErase() {
    switch (Settings.FlashEraseModeIndex) {
    case 0:
        return 1;
    case 1:
        return TargetEraseAll();
    case 2:
        return TargetEraseMain();
    default:
        break;
    }
    const int32_t count = SegmentTable.count < kMaxSegments ? SegmentTable.count : kMaxSegments;
    int32_t toErase = 0;
    for (int32_t k = 0; k < count; ++k) {
        toErase += SegmentTable.segments[k].needsErase != 0 ? 1 : 0;
    }
    int32_t erased = 0;
    for (int32_t k = 0; k < count; ++k) {
        const MemorySegment& s = SegmentTable.segments[k];
        if (s.needsErase == 0) {
            continue;
        }
        if (TargetEraseSegment(s.start & ~1) != 1) {
            return 0;
        }
        ++erased;
        ProgressReport(erased * 100 / (toErase + 1));
    }
    return 1;
}

} // namespace core
