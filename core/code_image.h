#pragma once
// The byte images over the whole address window the programmer reaches: the
// code file as loaded, the image that is programmed, the bytes read back, and
// the per-word masks that say what is erased, written, verified and read.

#include <cstdint>

namespace core {

inline constexpr int32_t kImageStart = 0x1000;
inline constexpr int32_t kImageEnd = 0x45BFF;                      // last address, inclusive
inline constexpr int32_t kImageSize = kImageEnd - kImageStart + 1; // 281600 bytes
inline constexpr int32_t kMaskSize = kImageSize / 2;               // one entry per word

// Index of an address inside the window; callers check InImage first.
inline constexpr int32_t ImageIndex(int64_t address) {
    return static_cast<int32_t>(address - kImageStart);
}
inline constexpr int32_t WordIndex(int64_t address) {
    return static_cast<int32_t>((address - kImageStart) / 2);
}
inline constexpr bool InImage(int64_t address) {
    return address >= kImageStart && address <= kImageEnd;
}

// One image: a data byte (0xFF where nothing is defined) and a used flag
// per address.
struct ImageBytes {
    uint8_t data[kImageSize];
    uint8_t used[kImageSize];

    void Clear(); // all 0xFF, nothing used
    // True when any address of first..last (inclusive) inside the window
    // holds a defined byte; the part of the range outside the window counts
    // as empty.
    bool AnyDefined(int64_t first, int64_t last) const;
    // 1 when either byte of the word at the even address is defined.
    bool WordUsed(int32_t wordIndex) const {
        return (used[2 * wordIndex] | used[2 * wordIndex + 1]) != 0;
    }
};

struct ImagesState {
    ImageBytes CodeImage;    // the loaded code file
    ImageBytes ProgramImage; // what goes to the target
    uint8_t ReadImage[kImageSize];
    uint8_t EraseMask[kMaskSize]; // 1 = word to erase
    uint8_t WriteMask[kMaskSize];
    uint8_t VerifyMask[kMaskSize];
    uint8_t ReadMask[kMaskSize]; // 1 = word that READ takes
    int32_t CodeImageHasData;    // at least one byte defined
    // Last computed checksum; a full image's sum overflows 32 bits, so every
    // sum is taken modulo 2^32.
    uint32_t ImageChecksum;
    // Counts every emptying of the code image (CodeImageClear, Reset), so
    // that what a caller learnt of one loaded image is never taken for an
    // image cleared and filled again since. Only ever counts up, for the
    // process.
    uint32_t CodeImageGeneration;

    void Reset(); // images empty, masks 0, flags 0, a new generation
};

extern ImagesState Images;

// Code image empty, CodeImageHasData 0, every segment's file-data flag 0,
// then ProgramImageClear.
void CodeImageClear();
void ProgramImageClear();
void ReadImageClear(); // ReadImage all 0xFF

int32_t CodeImageUsedCount();

// Sum over the even addresses of the window where either byte of the word is
// defined of (low byte + 256 * high byte); kept in ImageChecksum.
uint32_t CodeImageChecksum();
// The same sum over the words of ProgramImage set in VerifyMask, from 0x1000
// to the active device's flash end; kept in ImageChecksum. Returns 1.
int32_t ProgramImageChecksum();

// With a locked Info-A on the active map, FlashEraseModeIndex 1 and
// EraseInfoA_F2xx_En 0: bit 0 when the code image, bit 1 when the programming
// image defines a byte in the locked range. Else 0.
int32_t CodeImageInfoAUse();

// 1 when every defined code byte lies in the selected device's information
// range or flash range.
int32_t CodeImageFitsDevice();
// 1 when every defined programming byte lies in the active information range
// or in the connected device's main start..flash end.
int32_t ProgramImageFitsDevice();

// Where the defined programming bytes lie against the memory a run
// programs: the active information range and the connected device's main
// start..flash end, the ranges the masks, the write and the checksum take
// once the target is identified.
enum class ImageFit {
    Fits,
    // Some lie outside it, and each of those outside the selected device's
    // memory too: CodeImageFitsDevice names every one of them.
    OutsideDevice,
    // Some lie in the selected device's memory but not in the connected
    // device's: nothing but this check names them.
    OutsideTarget,
};
ImageFit ProgramImageFit();

} // namespace core
