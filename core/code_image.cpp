#include "core/code_image.h"

#include "core/device_select.h"
#include "core/memory_map.h"
#include "core/segment_table.h"
#include "core/settings.h"

#include <bit>
#include <cstring>

namespace core {

// Zero-initialised storage (about 2 MB, so never built on the stack), made
// empty once at start-up.
ImagesState Images;

namespace {

struct ImagesStartUp {
    ImagesStartUp() { Images.Reset(); }
} const kImagesStartUp;

// A device's memory as the fit checks see it: its information range and
// its main flash.
struct DeviceMemory {
    int64_t infoStart, infoEnd, mainStart, mainEnd;
    bool Holds(int64_t a) const {
        return (a >= infoStart && a <= infoEnd) || (a >= mainStart && a <= mainEnd);
    }
};

DeviceMemory SelectedMemory() {
    const MemoryMapInstance& s = MemoryMap.selected;
    return {s.infoStart, s.infoEnd, SelectedDevice.flashStart, SelectedDevice.flashEnd};
}

DeviceMemory ConnectedMemory() {
    const MemoryMapInstance& a = MemoryMap.active;
    return {a.infoStart, a.infoEnd, a.deviceMainStart, a.deviceFlashEnd};
}

// True when every defined byte of image lies in memory.
bool DefinedBytesWithin(const ImageBytes& image, const DeviceMemory& memory) {
    for (int32_t i = 0; i < kImageSize; ++i) {
        if (image.used[i] != 0 && !memory.Holds(static_cast<int64_t>(kImageStart) + i)) {
            return false;
        }
    }
    return true;
}

} // namespace

void ImageBytes::Clear() {
    std::memset(data, 0xFF, sizeof data);
    std::memset(used, 0, sizeof used);
}

bool ImageBytes::AnyDefined(int64_t first, int64_t last) const {
    for (int64_t a = first < kImageStart ? kImageStart : first; a <= last && a <= kImageEnd; ++a) {
        if (used[ImageIndex(a)]) {
            return true;
        }
    }
    return false;
}

// Member by member, not *this = ImagesState{}: the images are two
// megabytes, too much for a temporary on a host's thread stack.
void ImagesState::Reset() {
    CodeImage.Clear();
    ProgramImage.Clear();
    std::memset(ReadImage, 0xFF, sizeof ReadImage);
    std::memset(EraseMask, 0, sizeof EraseMask);
    std::memset(WriteMask, 0, sizeof WriteMask);
    std::memset(VerifyMask, 0, sizeof VerifyMask);
    std::memset(ReadMask, 0, sizeof ReadMask);
    CodeImageHasData = 0;
    ImageChecksum = 0;
    ++CodeImageGeneration;
}

void CodeImageClear() {
    Images.CodeImage.Clear();
    Images.CodeImageHasData = 0;
    ++Images.CodeImageGeneration;
    for (MemorySegment& s : SegmentTable.segments) {
        s.hasFileData = 0;
    }
    ProgramImageClear();
}

void ProgramImageClear() {
    Images.ProgramImage.Clear();
}

void ReadImageClear() {
    std::memset(Images.ReadImage, 0xFF, sizeof Images.ReadImage);
}

int32_t CodeImageUsedCount() {
    // Eight flags at a time: in y every flag byte that is not 0 has its top
    // bit set ((low seven bits + 0x7F) carries into it, or it was set).
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr uint64_t kTops = 0x8080808080808080ull;
    const uint8_t* used = Images.CodeImage.used;
    int32_t n = 0;
    size_t i = 0;
    for (; i + 8 <= sizeof Images.CodeImage.used; i += 8) {
        uint64_t x;
        std::memcpy(&x, used + i, sizeof x);
        const uint64_t y = ((x & kLow7) + kLow7) | x;
        n += std::popcount(y & kTops);
    }
    for (; i < sizeof Images.CodeImage.used; ++i) {
        n += used[i] != 0 ? 1 : 0;
    }
    return n;
}

uint32_t CodeImageChecksum() {
    const ImageBytes& image = Images.CodeImage;
    uint32_t sum = 0;
    for (int32_t w = 0; w < kMaskSize; ++w) {
        if (image.WordUsed(w)) {
            sum += image.data[2 * w] + 256u * image.data[2 * w + 1];
        }
    }
    Images.ImageChecksum = sum;
    return sum;
}

int32_t ProgramImageChecksum() {
    const ImageBytes& image = Images.ProgramImage;
    int64_t end = MemoryMap.active.deviceFlashEnd;
    if (end > kImageEnd) {
        end = kImageEnd;
    }
    uint32_t sum = 0;
    for (int64_t a = kImageStart; a + 1 <= end; a += 2) {
        const int32_t w = WordIndex(a);
        if (Images.VerifyMask[w]) {
            sum += image.data[2 * w] + 256u * image.data[2 * w + 1];
        }
    }
    Images.ImageChecksum = sum;
    return 1;
}

int32_t CodeImageInfoAUse() {
    const MemoryMapInstance& a = MemoryMap.active;
    if (a.lockedInfoA == 0 || Settings.FlashEraseModeIndex != 1 ||
        Settings.EraseInfoA_F2xx_En != 0) {
        return 0;
    }
    int32_t bits = 0;
    if (Images.CodeImage.AnyDefined(a.lockedStart, a.lockedEnd)) {
        bits |= 1;
    }
    if (Images.ProgramImage.AnyDefined(a.lockedStart, a.lockedEnd)) {
        bits |= 2;
    }
    return bits;
}

int32_t CodeImageFitsDevice() {
    return DefinedBytesWithin(Images.CodeImage, SelectedMemory()) ? 1 : 0;
}

int32_t ProgramImageFitsDevice() {
    return DefinedBytesWithin(Images.ProgramImage, ConnectedMemory()) ? 1 : 0;
}

ImageFit ProgramImageFit() {
    const DeviceMemory target = ConnectedMemory();
    const DeviceMemory selected = SelectedMemory();
    const ImageBytes& image = Images.ProgramImage;
    ImageFit fit = ImageFit::Fits;
    for (int32_t i = 0; i < kImageSize; ++i) {
        const int64_t a = static_cast<int64_t>(kImageStart) + i;
        if (image.used[i] == 0 || target.Holds(a)) {
            continue;
        }
        if (selected.Holds(a)) {
            return ImageFit::OutsideTarget;
        }
        fit = ImageFit::OutsideDevice;
    }
    return fit;
}

} // namespace core
