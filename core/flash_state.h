#pragma once
// What the flash operations keep between calls: the locked-access bracket,
// the running checksum of a verify, and the data saved before an erase to
// be put back after it.

#include "core/program_image.h"

#include <cstdint>
#include <vector>

namespace core {

inline constexpr int32_t kDcoStart = 0x10F8; // DCO calibration bytes of series-2 parts
inline constexpr int32_t kDcoSize = 8;

struct FlashOpsState {
    // 1 while locked flash access (configure mode 5, value 1) is in force.
    int32_t lockedAccess = 0;
    // Sum of the words the last verify found on the target, modulo 2^32:
    // the checksum pass sets it, each range verify that passes adds to it.
    uint32_t checksumTotal = 0;

    // Copies taken by RetainedDataRead for RetainedDataRestore. Only what
    // was read is ever written back: the flags and the range say what that is.
    uint8_t dcoCopy[kDcoSize] = {};
    int32_t dcoCopyValid = 0;
    uint8_t retainCopy[kRetainMaxSize] = {};
    int32_t retainCopyStart = 0;
    int32_t retainCopyLength = 0; // 0: nothing read

    // Scratch space of one transfer, sized by each request.
    std::vector<uint8_t> transfer;

    void Reset() { *this = FlashOpsState{}; }
};

extern FlashOpsState FlashOps;

// The connected device's flash end, never above the top of the images.
int32_t FlashEndAddress();

// FlashOps.transfer sized to hold count bytes; returns its data.
uint8_t* TransferBuffer(int32_t count);

} // namespace core
