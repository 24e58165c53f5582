#include "core/flash_read.h"

#include "core/code_image.h"
#include "core/debug_api.h"
#include "core/flash_state.h"
#include "core/target_result.h"

#include <cstring>

namespace core {

namespace {

// The even-aligned span that covers address..address + length - 1, or
// false when it is empty or leaves 0x1000..min(flash end, 0x45BFF) at its
// start or 0x45BFF at its end.
bool ReadSpan(int32_t address, int32_t length, int32_t& even, int32_t& count) {
    if (length < 1 || address < kImageStart || address > FlashEndAddress()) {
        return false;
    }
    even = address & ~1;
    const int64_t n = static_cast<int64_t>(address) + length - even;
    if (even + n - 1 > kImageEnd) {
        return false;
    }
    count = static_cast<int32_t>(n);
    return true;
}

} // namespace

int32_t TargetReadRange(int32_t address, int32_t length, DebugStatus* status) {
    if (status != nullptr) {
        *status = kDebugOk;
    }
    int32_t even = 0;
    int32_t count = 0;
    if (!ReadSpan(address, length, even, count)) {
        return 0;
    }
    uint8_t* buffer = TransferBuffer(count);
    const int32_t read = Debug_Memory(even, reinterpret_cast<char*>(buffer), count, kMemoryRead);
    if (status != nullptr) {
        *status = read;
    }
    if (TargetResultMap(read) != 1) {
        return 4;
    }
    std::memcpy(&Images.ReadImage[ImageIndex(even)], buffer, static_cast<size_t>(count));
    return 1;
}

int32_t TargetReadSelectedRange(int32_t address, int32_t length) {
    int32_t even = 0;
    int32_t count = 0;
    if (!ReadSpan(address, length, even, count)) {
        return 0;
    }
    const int32_t first = WordIndex(even);
    const int32_t last = WordIndex(even + count - 1);
    for (int32_t w = first; w <= last; ++w) {
        if (Images.ReadMask[w] != 0) {
            return TargetReadRange(address, length);
        }
    }
    return 0;
}

} // namespace core
