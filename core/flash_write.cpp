#include "core/flash_write.h"

#include "core/code_image.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/flash_access.h"
#include "core/flash_state.h"
#include "core/memory_map.h"
#include "core/target_result.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace core {

namespace {

inline constexpr int32_t kDataPiece = 256;
// Early F5xx parts: these bytes must not be programmed through a block
// that starts below 0xFF80.
inline constexpr int32_t kEarlyF5xxFirst = 0xFF7C;
inline constexpr int32_t kEarlyF5xxLast = 0xFF7F;
inline constexpr int32_t kEarlyF5xxBlockLimit = 0xFF80;

} // namespace

int32_t TargetWriteImageBlock(int32_t address, int32_t length) {
    if (length < 1) {
        return kWriteOk;
    }
    const int32_t even = address & ~1;
    int64_t count = static_cast<int64_t>(address) + length - even;
    count += count & 1;
    if (even < kImageStart || even + count - 1 > FlashEndAddress()) {
        return kWriteOutside;
    }
    const int32_t n = static_cast<int32_t>(count);
    uint8_t* buffer = TransferBuffer(n);
    const ImageBytes& program = Images.ProgramImage;
    bool anything = false;
    for (int32_t i = 0; i < n; i += 2) {
        const int32_t at = ImageIndex(even + i);
        if (Images.WriteMask[WordIndex(even + i)] != 0) {
            buffer[i] = program.data[at];
            buffer[i + 1] = program.data[at + 1];
            anything = anything || buffer[i] != 0xFF || buffer[i + 1] != 0xFF;
        } else {
            buffer[i] = 0xFF;
            buffer[i + 1] = 0xFF;
        }
    }
    if (!anything) {
        return kWriteOk;
    }
    LockedFlashAccess bracket(even, n);
    return TargetResultMap(Debug_Memory(even, reinterpret_cast<char*>(buffer), n, kMemoryWrite)) ==
                   1
               ? kWriteOk
               : kWriteFailed;
}

int32_t TargetWriteBlock(int32_t address, int32_t length, const uint8_t* bytes) {
    if (length < 1 || bytes == nullptr || MemoryRangeCheck(1, address, length) != 1) {
        return 0;
    }
    uint8_t* buffer = TransferBuffer(length);
    std::memcpy(buffer, bytes, static_cast<size_t>(length));
    const int64_t last = static_cast<int64_t>(address) + length - 1;
    if (ConnectedDevice.earlyF5xx != 0 && address < kEarlyF5xxBlockLimit &&
        last > kEarlyF5xxFirst - 1) {
        const int64_t from = std::max<int64_t>(address, kEarlyF5xxFirst);
        const int64_t to = std::min<int64_t>(last, kEarlyF5xxLast);
        for (int64_t a = from; a <= to; ++a) {
            buffer[a - address] = 0xFF;
        }
    }
    LockedFlashAccess bracket(address, length);
    return TargetResultMap(
        Debug_Memory(address, reinterpret_cast<char*>(buffer), length, kMemoryWrite));
}

int32_t TargetWriteData(int32_t address, int32_t length, const uint8_t* bytes) {
    if (length < 1) {
        return 1;
    }
    if (bytes == nullptr) {
        return 0;
    }
    const int64_t even = address & ~1;
    const int64_t end = static_cast<int64_t>(address) + length; // exclusive
    const int64_t evenEnd = end + (end & 1);
    if (even < kImageStart || evenEnd - 1 > FlashEndAddress()) {
        return 0;
    }
    // Whole words, the caller's bytes where they belong and 0xFF around them.
    std::vector<uint8_t> words(static_cast<size_t>(evenEnd - even), 0xFF);
    std::memcpy(words.data() + (address - even), bytes, static_cast<size_t>(length));
    for (int64_t at = even; at < evenEnd;) {
        const int64_t pieceEnd =
            std::min<int64_t>((at & ~int64_t{kDataPiece - 1}) + kDataPiece, evenEnd);
        if (TargetWriteBlock(static_cast<int32_t>(at), static_cast<int32_t>(pieceEnd - at),
                             words.data() + (at - even)) != 1) {
            return 0;
        }
        at = pieceEnd;
    }
    return 1;
}

} // namespace core
