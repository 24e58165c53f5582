#include "core/flash_verify.h"

#include "core/code_image.h"
#include "core/debug_api.h"
#include "core/flash_read.h"
#include "core/flash_state.h"
#include "core/progress.h"
#include "core/target_result.h"

#include <cstring>

namespace core {

namespace {

inline constexpr int32_t kChunkMax = 512;
inline constexpr int32_t kVerifyPasses = 2;
inline constexpr int32_t kChunkReads = 3;
// A word address with these bits all set is the last word before a
// 512-byte boundary.
inline constexpr int32_t kLastWordBits = 0x1FE;

uint32_t WordAt(const uint8_t* bytes, int32_t index) {
    return bytes[index] + 256u * bytes[index + 1];
}

// The number with which the debug library reports a link that failed.
constexpr int32_t kLinkError = 35; // "Could not communicate with FET"

// A refused run whose reason is the link: every later call would fail on
// the closed interface with another reason and hide this one. A library
// reports the reason by its error number, or (Quillcore's table) as the
// status itself.
bool LinkLost(DebugStatus status) {
    return status == kLinkError ||
           (status == kDebugFailed && DebugApiInUse().Error_Number != nullptr &&
            Debug_Error_Number() == kLinkError);
}

enum class PassEnd { kPassed, kFailed, kLinkLost };

PassEnd ChecksumPass() {
    ProgressReport(0);
    const ImageBytes& program = Images.ProgramImage;
    const int64_t end = FlashEndAddress();
    const int64_t span = end - kImageStart + 1;
    uint32_t total = 0;
    bool allVerified = true;
    int64_t a = kImageStart;
    while (a + 1 <= end) {
        if (Images.VerifyMask[WordIndex(a)] == 0) {
            a += 2;
            continue;
        }
        const int64_t start = a;
        uint32_t sum = 0;
        for (;;) {
            sum += WordAt(program.data, ImageIndex(a));
            const bool boundary = (a & kLastWordBits) == kLastWordBits;
            a += 2;
            if (boundary || a - start >= kChunkMax || a + 1 > end ||
                Images.VerifyMask[WordIndex(a)] == 0) {
                break;
            }
        }
        const int32_t length = static_cast<int32_t>(a - start);
        ProgressReport(static_cast<int32_t>((start - kImageStart) * 100 / span));
        uint8_t* buffer = TransferBuffer(length);
        std::memcpy(buffer, &program.data[ImageIndex(start)], static_cast<size_t>(length));
        const DebugStatus status =
            Debug_VerifyMem(static_cast<int32_t>(start), length, reinterpret_cast<char*>(buffer));
        if (TargetResultMap(status) == 1) {
            total += sum;
        } else if (LinkLost(status)) {
            return PassEnd::kLinkLost;
        } else {
            // Whatever its words sum to, a run the target refused fails the pass.
            allVerified = false;
        }
    }
    ProgressReport(100);
    FlashOps.checksumTotal = total;
    return allVerified && total == Images.ImageChecksum ? PassEnd::kPassed : PassEnd::kFailed;
}

// A chunk whose read failed because the link is gone: no later read can
// tell anything.
constexpr int32_t kChunkLinkLost = 5;

// One chunk: 1 equal (its VerifyMask words summed into sum), 0 different
// after every read, 4 read failed, kChunkLinkLost.
int32_t VerifyChunk(int32_t start, int32_t length, uint32_t& sum) {
    const ImageBytes& program = Images.ProgramImage;
    for (int32_t read = 0; read < kChunkReads; ++read) {
        DebugStatus status = kDebugOk;
        const int32_t r = TargetReadRange(start, length, &status);
        if (r != 1) {
            return r != 4 ? 0 : (LinkLost(status) ? kChunkLinkLost : 4);
        }
        uint32_t chunkSum = 0;
        bool equal = true;
        for (int32_t a = start; a < start + length && equal; a += 2) {
            if (Images.VerifyMask[WordIndex(a)] == 0) {
                continue;
            }
            const int32_t i = ImageIndex(a);
            equal = Images.ReadImage[i] == program.data[i] &&
                    Images.ReadImage[i + 1] == program.data[i + 1];
            chunkSum += WordAt(Images.ReadImage, i);
        }
        if (equal) {
            sum += chunkSum;
            return 1;
        }
    }
    return 0;
}

int32_t RangePass(int32_t even, int32_t count, uint32_t& sum) {
    for (int32_t start = even; start < even + count;) {
        const int32_t length = even + count - start < kChunkMax ? even + count - start : kChunkMax;
        bool any = false;
        for (int32_t a = start; a < start + length && !any; a += 2) {
            any = Images.VerifyMask[WordIndex(a)] != 0;
        }
        if (any) {
            const int32_t r = VerifyChunk(start, length, sum);
            if (r != 1) {
                return r;
            }
        }
        start += length;
    }
    return 1;
}

} // namespace

int32_t TargetVerifyChecksum() {
    for (int32_t pass = 0; pass < kVerifyPasses; ++pass) {
        const PassEnd end = ChecksumPass();
        if (end == PassEnd::kPassed) {
            return 1;
        }
        if (end == PassEnd::kLinkLost) {
            return 0;
        }
    }
    return 0;
}

int32_t TargetVerifyRange(int32_t address, int32_t length) {
    if (length < 1) {
        return 1;
    }
    const int32_t even = address & ~1;
    int64_t count = static_cast<int64_t>(address) + length - even;
    count += count & 1;
    if (even < kImageStart || even + count - 1 > kImageEnd) {
        return 0;
    }
    for (int32_t pass = 0; pass < kVerifyPasses; ++pass) {
        // A pass that fails adds nothing, so a retried chunk is not counted twice.
        uint32_t sum = 0;
        const int32_t r = RangePass(even, static_cast<int32_t>(count), sum);
        if (r == 1) {
            FlashOps.checksumTotal += sum;
            return 1;
        }
        if (r == kChunkLinkLost) {
            // A second pass would only replace the reason with its own.
            return 0;
        }
    }
    return 0;
}

} // namespace core
