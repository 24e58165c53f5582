#include "core/retained_data.h"

#include "core/code_image.h"
#include "core/flash_read.h"
#include "core/flash_state.h"
#include "core/flash_write.h"
#include "core/memory_map.h"
#include "core/settings.h"

#include <cstring>

namespace core {

namespace {

inline constexpr int32_t kRestoreWritten = 0x10;

const uint8_t* ReadBack(int32_t address) {
    return &Images.ReadImage[ImageIndex(address)];
}

// Reads length bytes at address into ReadImage: 1, or 0 on any failure.
bool ReadArea(int32_t address, int32_t length) {
    return TargetReadRange(address, length) == 1;
}

bool AllErased(const uint8_t* bytes, int32_t length) {
    for (int32_t i = 0; i < length; ++i) {
        if (bytes[i] != 0xFF) {
            return false;
        }
    }
    return true;
}

// Writes back the runs of the retain range the erase took. False when a
// write fails.
bool RestoreRetainRuns(bool& written) {
    const FlashOpsState& f = FlashOps;
    const int32_t start = f.retainCopyStart;
    const int32_t length = f.retainCopyLength;
    const uint8_t* now = ReadBack(start);
    int32_t runStart = -1;
    // Word by word from the range start; an odd length ends in one byte.
    // One step past the last word closes a run that reaches the end.
    for (int32_t offset = 0; offset < length + 2; offset += 2) {
        bool take = false;
        if (offset < length) {
            const int32_t n = length - offset >= 2 ? 2 : 1;
            take = std::memcmp(now + offset, f.retainCopy + offset, static_cast<size_t>(n)) != 0 &&
                   AllErased(now + offset, n);
        }
        if (take && runStart < 0) {
            runStart = offset;
        } else if (!take && runStart >= 0) {
            const int32_t runEnd = offset < length ? offset : length;
            if (TargetWriteData(start + runStart, runEnd - runStart, f.retainCopy + runStart) !=
                1) {
                return false;
            }
            written = true;
            runStart = -1;
        }
    }
    return true;
}

} // namespace

int32_t RetainedDataRead() {
    FlashOpsState& f = FlashOps;
    f.dcoCopyValid = 0;
    f.retainCopyStart = 0;
    f.retainCopyLength = 0;

    if (Settings.RetainInfoCalData == 1 && MemoryMap.active.series == 2) {
        const int32_t r = TargetReadRange(kDcoStart, kDcoSize);
        if (r != 1) {
            return r == 4 ? 4 : 0;
        }
        std::memcpy(f.dcoCopy, ReadBack(kDcoStart), kDcoSize);
        f.dcoCopyValid = 1;
    }
    if (Settings.RetainDefinedData == 1) {
        int32_t start = 0;
        int32_t length = 0;
        if (RetainRange(start, length) != 1) {
            return 0;
        }
        const int32_t r = TargetReadRange(start, length);
        if (r != 1) {
            return r == 4 ? 4 : 0;
        }
        std::memcpy(f.retainCopy, ReadBack(start), static_cast<size_t>(length));
        f.retainCopyStart = start;
        f.retainCopyLength = length;
    }
    return 1;
}

int32_t RetainedDataRestore() {
    const FlashOpsState& f = FlashOps;
    bool written = false;
    const auto failed = [&] { return written ? kRestoreWritten : 0; };

    if (f.dcoCopyValid != 0) {
        if (!ReadArea(kDcoStart, kDcoSize)) {
            return failed();
        }
        const uint8_t* now = ReadBack(kDcoStart);
        if (std::memcmp(now, f.dcoCopy, kDcoSize) != 0 && AllErased(now, kDcoSize)) {
            if (TargetWriteData(kDcoStart, kDcoSize, f.dcoCopy) != 1) {
                return failed();
            }
            written = true;
        }
    }
    if (f.retainCopyLength > 0) {
        if (!ReadArea(f.retainCopyStart, f.retainCopyLength) || !RestoreRetainRuns(written)) {
            return failed();
        }
    }

    bool match = true;
    if (f.dcoCopyValid != 0) {
        match = ReadArea(kDcoStart, kDcoSize) &&
                std::memcmp(ReadBack(kDcoStart), f.dcoCopy, kDcoSize) == 0;
    }
    if (match && f.retainCopyLength > 0) {
        match = ReadArea(f.retainCopyStart, f.retainCopyLength) &&
                std::memcmp(ReadBack(f.retainCopyStart), f.retainCopy,
                            static_cast<size_t>(f.retainCopyLength)) == 0;
    }
    return (written ? kRestoreWritten : 0) | (match ? 1 : 0);
}

} // namespace core
