#include "core/flash_check.h"

#include "core/code_image.h"
#include "core/debug_api.h"
#include "core/flash_read.h"
#include "core/flash_state.h"
#include "core/memory_map.h"
#include "core/program_image.h"
#include "core/progress.h"
#include "core/retained_data.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_result.h"

namespace core {

namespace {

int32_t TableCount() {
    return SegmentTable.count < kMaxSegments ? SegmentTable.count : kMaxSegments;
}

// The part of the segment the target holds: never past the flash end.
int32_t CheckLength(const MemorySegment& s) {
    const int32_t end = s.end < FlashEndAddress() ? s.end : FlashEndAddress();
    return end >= s.start ? end - s.start + 1 : 0;
}

// The error number with which a completed erase check reports memory
// that is not blank.
constexpr int32_t kNotBlankError = 28; // "Verification error"

enum class CheckOutcome { kBlank, kNotBlank, kFailed };

// A failed erase check is memory that is not blank only when the check
// itself was carried out: a link that failed under it ends the operation
// with its own reason, and reading on through an interface the failure
// closed would only hide that reason behind another. A library without an
// error number cannot tell: its failure counts as not blank, as ever.
CheckOutcome TargetCheckSegment(const MemorySegment& s) {
    const DebugStatus status = Debug_EraseCheck(s.start, CheckLength(s));
    if (TargetResultMap(status) == 1) {
        return CheckOutcome::kBlank;
    }
    // Quillcore's table hands the library's reason up as the status itself.
    if (status == kNotBlankError) {
        return CheckOutcome::kNotBlank;
    }
    if (status != -1) {
        return CheckOutcome::kFailed;
    }
    if (DebugApiInUse().Error_Number == nullptr) {
        return CheckOutcome::kNotBlank;
    }
    return Debug_Error_Number() == kNotBlankError ? CheckOutcome::kNotBlank : CheckOutcome::kFailed;
}

void SetCheck(MemorySegment& s, uint8_t check) {
    s.state = static_cast<uint8_t>((s.state & ~SegmentCheckMask) | check);
}

bool Overlaps(const MemorySegment& s, int64_t first, int64_t last) {
    return s.start <= last && first <= s.end;
}

} // namespace

int32_t TargetEraseVerify() {
    const int32_t count = TableCount();
    const MemoryMapInstance& map = MemoryMap.active;
    const int32_t flashEnd = FlashEndAddress();

    // Every information segment, and the main segments the device has.
    auto checked = [&](int32_t k) {
        const MemorySegment& s = SegmentTable.segments[k];
        return k < map.infoSegments || (s.start >= map.deviceMainStart && s.start <= flashEnd);
    };
    int32_t toCheck = 0;
    for (int32_t k = 0; k < count; ++k) {
        SegmentTable.segments[k].state = SegmentNotChecked;
        toCheck += checked(k) ? 1 : 0;
    }

    bool allBlank = true;
    int32_t done = 0;
    for (int32_t k = 0; k < count; ++k) {
        if (!checked(k)) {
            continue;
        }
        MemorySegment& s = SegmentTable.segments[k];
        s.state = SegmentBlank;
        switch (TargetCheckSegment(s)) {
        case CheckOutcome::kBlank:
            break;
        case CheckOutcome::kNotBlank:
            s.state = SegmentNotBlank;
            allBlank = false;
            break;
        case CheckOutcome::kFailed:
            s.state = SegmentNotChecked;
            return 0;
        }
        ++done;
        ProgressReport(done * 100 / (toCheck > 0 ? toCheck : 1));
    }
    if (allBlank) {
        return kEraseVerifyBlank;
    }

    const bool keepLocked = map.lockedInfoA != 0 && Settings.EraseInfoA_F2xx_En == 0;
    const bool keepDco = Settings.RetainInfoCalData == 1 && map.series == 2;
    int32_t retainStart = 0;
    int32_t retainLength = 0;
    const bool keepRetain =
        Settings.RetainDefinedData == 1 && RetainRange(retainStart, retainLength) == 1;
    const int64_t retainLast = static_cast<int64_t>(retainStart) + retainLength - 1;
    int32_t flags = 0;
    for (int32_t k = 0; k < count; ++k) {
        MemorySegment& s = SegmentTable.segments[k];
        if ((s.state & SegmentCheckMask) != SegmentNotBlank) {
            continue;
        }
        if (keepLocked && s.start == map.lockedStart && s.end == map.lockedEnd) {
            s.state = SegmentLockedInfoA | SegmentBlank;
            flags |= kEraseVerifyLockedInfoA;
            continue;
        }
        if (keepDco && Overlaps(s, kDcoStart, kDcoStart + kDcoSize - 1)) {
            s.state |= SegmentDcoKept;
            flags |= kEraseVerifyDco;
        }
        if (keepRetain && Overlaps(s, retainStart, retainLast)) {
            s.state |= SegmentRetainKept;
            flags |= kEraseVerifyRetain;
        }
        if ((s.state & (SegmentDcoKept | SegmentRetainKept)) == 0) {
            continue;
        }
        // Blank apart from the bytes it keeps?
        bool blank = TargetReadRange(s.start, CheckLength(s)) == 1;
        for (int64_t a = s.start; blank && a < static_cast<int64_t>(s.start) + CheckLength(s);
             ++a) {
            const bool kept =
                ((s.state & SegmentDcoKept) != 0 && a >= kDcoStart && a < kDcoStart + kDcoSize) ||
                ((s.state & SegmentRetainKept) != 0 && a >= retainStart && a <= retainLast);
            blank = kept || Images.ReadImage[ImageIndex(a)] == 0xFF;
        }
        SetCheck(s, blank ? SegmentBlank : SegmentNotBlank);
    }

    for (int32_t k = 0; k < count; ++k) {
        if ((SegmentTable.segments[k].state & SegmentCheckMask) == SegmentNotBlank) {
            return flags;
        }
    }
    return flags | kEraseVerifyBlank;
}

int32_t TargetBlankCheck() {
    SegmentFlagsUpdate();
    const int32_t count = TableCount();
    int32_t toCheck = 0;
    for (int32_t k = 0; k < count; ++k) {
        toCheck += SegmentTable.segments[k].needsCheck != 0 ? 1 : 0;
    }
    int32_t done = 0;
    for (int32_t k = 0; k < count; ++k) {
        const MemorySegment& s = SegmentTable.segments[k];
        if (s.needsCheck == 0) {
            continue;
        }
        bool blank;
        if (s.state == SegmentBlank) {
            blank = true;
        } else if (s.state != SegmentNotChecked) {
            blank = false;
        } else {
            const CheckOutcome outcome = TargetCheckSegment(s);
            if (outcome == CheckOutcome::kFailed) {
                return 0;
            }
            blank = outcome == CheckOutcome::kBlank;
        }
        if (!blank) {
            // Only what will be written there has to be blank.
            const int32_t length = CheckLength(s);
            if (TargetReadRange(s.start, length) != 1) {
                return 0;
            }
            const ImageBytes& program = Images.ProgramImage;
            for (int32_t a = s.start; a < s.start + length; ++a) {
                const int32_t i = ImageIndex(a);
                if (program.used[i] != 0 && Images.ReadImage[i] != 0xFF) {
                    return 0;
                }
            }
        }
        ++done;
        ProgressReport(done * 100 / toCheck);
    }
    return 1;
}

} // namespace core
