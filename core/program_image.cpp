#include "core/program_image.h"

#include "core/code_image.h"
#include "core/device_select.h"
#include "core/memory_map.h"
#include "core/passwords.h"
#include "core/segment_table.h"
#include "core/serial_data.h"
#include "core/settings.h"

#include <algorithm>
#include <cstring>

namespace core {

namespace {

// An address range, inclusive; empty when last < first.
struct Range {
    int64_t first;
    int64_t last;

    bool Empty() const { return last < first; }
    bool Holds(int64_t a) const { return a >= first && a <= last; }
    bool Overlaps(const Range& o) const {
        return !Empty() && !o.Empty() && first <= o.last && o.first <= last;
    }
    bool InsideImage() const { return Empty() || (first >= kImageStart && last <= kImageEnd); }
};

Range SerialNumberRange() {
    const int64_t start = Settings.SNStartAddress;
    return {start, start + SerialNumberPlacedCount() - 1};
}

Range ModelTextRange() {
    const int64_t start = Settings.ModelTextStartAddr;
    return {start, start + ModelTextPlacedCount() - 1};
}

// Makes the part of r inside the window undefined in image.
void Undefine(ImageBytes& image, const Range& r) {
    for (int64_t a = r.first; a <= r.last; ++a) {
        if (InImage(a)) {
            image.data[ImageIndex(a)] = 0xFF;
            image.used[ImageIndex(a)] = 0;
        }
    }
}

// Callers have checked that r lies inside the window.
void Place(ImageBytes& image, const Range& r, const uint8_t* bytes) {
    for (int64_t a = r.first; a <= r.last; ++a) {
        image.data[ImageIndex(a)] = bytes[a - r.first];
        image.used[ImageIndex(a)] = 1;
    }
}

bool AnyDefinedNotBlank(const ImageBytes& image, const Range& r) {
    for (int64_t a = r.first; a <= r.last; ++a) {
        if (InImage(a) && image.used[ImageIndex(a)] && image.data[ImageIndex(a)] != 0xFF) {
            return true;
        }
    }
    return false;
}

void PutWord(ImageBytes& image, int32_t address, uint32_t value) {
    image.data[ImageIndex(address)] = static_cast<uint8_t>(value & 0xFF);
    image.data[ImageIndex(address + 1)] = static_cast<uint8_t>(value >> 8);
    image.used[ImageIndex(address)] = 1;
    image.used[ImageIndex(address + 1)] = 1;
}

// The key (A..D) of the information segment that holds address: segment j
// counted from the lowest has the letter number (count - j), so the highest
// segment is A.
int32_t InfoSegmentKey(const MemoryMapInstance& map, int64_t address, const int32_t (&keys)[4]) {
    if (map.infoSegmentSize <= 0) {
        return 0;
    }
    const int64_t j = (address - map.infoStart) / map.infoSegmentSize;
    const int64_t letter = map.infoSegments - j; // 1 = A
    return (letter >= 1 && letter <= 4) ? keys[letter - 1] : 0;
}

// The word indices of the even addresses a in first..last with
// 0x1100 <= a < kImageEnd, where the main-memory walks run: the even
// addresses form a run of consecutive words. False when there are none.
bool MainWords(int64_t first, int64_t last, int32_t& w0, int32_t& w1) {
    const int64_t lo = std::max<int64_t>(first + (first & 1), 0x1100);
    const int64_t hi = std::min<int64_t>(last - (last & 1), kImageEnd - 1);
    if (lo > hi) {
        return false;
    }
    w0 = WordIndex(lo);
    w1 = WordIndex(hi);
    return true;
}

void SetWords(uint8_t* mask, int32_t w0, int32_t w1) {
    std::memset(mask + w0, 1, static_cast<size_t>(w1 - w0 + 1));
}

// Not 0 exactly when some byte of x is 0: (x - 0x01..01) & ~x keeps bit 7
// of the lowest zero byte, and no bit 7 at all when there is none.
constexpr uint64_t ZeroBytes(uint64_t x) {
    return (x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull;
}

// The used flags of Words words (2 * Words bytes) at once: 0 none set, 2
// all set, else 1.
template <int32_t Words> int32_t UsedFlagsOf(const ImageBytes& image, int32_t wordIndex) {
    constexpr size_t kParts = 2 * Words / sizeof(uint64_t);
    uint64_t u[kParts];
    std::memcpy(u, &image.used[2 * wordIndex], sizeof u);
    uint64_t any = 0;
    uint64_t zero = 0;
    for (const uint64_t x : u) {
        any |= x;
        zero |= ZeroBytes(x);
    }
    if (any == 0) {
        return 0;
    }
    return zero != 0 ? 1 : 2;
}

// True when no word of the 256 from wordIndex (512 bytes) is defined.
bool NoneUsedOf256(const ImageBytes& image, int32_t wordIndex) {
    static const uint8_t kNone[512] = {};
    return std::memcmp(&image.used[2 * wordIndex], kNone, sizeof kNone) == 0;
}

// The OR of mask[w0..w1], 64 entries at a time: the segment flags take it
// over every word of the flash, at every blank check.
uint8_t MaskOr(const uint8_t* mask, int32_t w0, int32_t w1) {
    const uint8_t* p = mask + w0;
    size_t n = static_cast<size_t>(w1 - w0 + 1);
    uint64_t acc = 0;
    for (; n >= 64; p += 64, n -= 64) {
        uint64_t v[8];
        std::memcpy(v, p, sizeof v);
        acc |= (v[0] | v[1]) | (v[2] | v[3]) | (v[4] | v[5]) | (v[6] | v[7]);
    }
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t v;
        std::memcpy(&v, p, sizeof v);
        acc |= v;
    }
    acc |= acc >> 32;
    acc |= acc >> 16;
    acc |= acc >> 8;
    uint8_t r = static_cast<uint8_t>(acc);
    for (; n > 0; ++p, --n) {
        r |= *p;
    }
    return r;
}

// 2 when any address of kept lies in the serial-number location, or (with
// the model text enabled as well) in the model-text location; else 1.
int32_t SerialDataInside(const Range& kept) {
    if (Settings.SerializationEnable != 1) {
        return 1;
    }
    if (kept.Overlaps(SerialNumberRange())) {
        return 2;
    }
    if (Settings.ModelTextEnable == 1 && kept.Overlaps(ModelTextRange())) {
        return 2;
    }
    return 1;
}

} // namespace

int32_t ProgramImageCompose(int32_t place, int32_t options) {
    ImageBytes& program = Images.ProgramImage;
    const ImageBytes& code = Images.CodeImage;
    std::memcpy(program.data, code.data, sizeof program.data);
    std::memcpy(program.used, code.used, sizeof program.used);

    if (Settings.RemoveCodefromSNlocationEn == 1) {
        if (Settings.SerializationEnable == 1) {
            Undefine(program, SerialNumberRange());
        }
        if (Settings.ModelTextEnable == 1) {
            Undefine(program, ModelTextRange());
        }
    }

    if (Settings.BSLEnhSecurityEn == 1) {
        const int32_t word = ConnectedDevice.above64k ? 0xFFBE : 0xFFDE;
        if (!code.used[ImageIndex(word)] && !code.used[ImageIndex(word + 1)]) {
            const int32_t index = Settings.BSLEnhSecurityIndex;
            PutWord(program, word, index == 0 ? 0xAA55 : (index == 2 ? 0xFFFF : 0x0000));
        }
    }

    if (Settings.BSLAppendPasswordEn == 1) {
        for (int32_t i = 0; i < kPasswordSize; ++i) {
            const int32_t at = ImageIndex(kPasswordStart + i);
            const int32_t value = Passwords.AppendPasswData[i];
            if (!code.used[at] && value >= 0 && value <= 0xFF) {
                program.data[at] = static_cast<uint8_t>(value);
                program.used[at] = 1;
            }
        }
    }

    if (place == 0) {
        return 1;
    }
    if ((options & 0x0F) == kComposeCheckOverlap && SerialDataOverlapCheck() == 0) {
        return 0;
    }
    if (Settings.SerializationEnable == 1) {
        const bool placeSn = (options & kComposeSkipSerialNumber) == 0;
        const bool placeModel = Settings.ModelTextEnable == 1;
        const Range sn = SerialNumberRange();
        const Range model = ModelTextRange();
        // A start set near the top of the window must not write past it.
        if ((placeSn && !sn.InsideImage()) || (placeModel && !model.InsideImage())) {
            return 0;
        }
        if (placeSn) {
            Place(program, sn, SerialData.SerialNumberBytes);
        }
        if (placeModel) {
            Place(program, model, SerialData.ModelTextBytes);
        }
    }
    return 1;
}

int32_t SerialDataOverlapCheck() {
    if (Settings.RemoveCodefromSNlocationEn == 1) {
        return 1;
    }
    const ImageBytes& code = Images.CodeImage;
    if (Settings.SerializationEnable == 1 && AnyDefinedNotBlank(code, SerialNumberRange())) {
        return 0;
    }
    if (Settings.ModelTextEnable == 1 && AnyDefinedNotBlank(code, ModelTextRange())) {
        return 0;
    }
    return 1;
}

int32_t ProgramImagePrepare(int32_t place, int32_t options) {
    SegmentTableBuild();
    if (ProgramImageCompose(place, options) == 0) {
        return 0;
    }
    ImagesState& im = Images;
    const ImageBytes& program = im.ProgramImage;
    std::memset(im.EraseMask, 0, sizeof im.EraseMask);
    std::memset(im.WriteMask, 0, sizeof im.WriteMask);
    std::memset(im.VerifyMask, 0, sizeof im.VerifyMask);

    const MemoryMapInstance& map = MemoryMap.active;
    const int32_t mode = Settings.FlashEraseModeIndex;
    const int32_t eraseKeys[4] = {Settings.EraseInfoSegmA, Settings.EraseInfoSegmB,
                                  Settings.EraseInfoSegmC, Settings.EraseInfoSegmD};
    const Range locked{map.lockedStart, map.lockedInfoA ? map.lockedEnd : map.lockedStart - 1};

    for (int64_t a = map.infoStart; a < map.infoEnd && InImage(a); a += 2) {
        const int32_t w = WordIndex(a);
        const bool defined = program.WordUsed(w);
        bool on;
        switch (mode) {
        case 0:
            on = true;
            break;
        case 2:
            on = false;
            break;
        case 3:
            on = defined;
            break;
        case 4:
            on = InfoSegmentKey(map, a, eraseKeys) != 0;
            break;
        default:
            on = defined && !(locked.Holds(a) && Settings.EraseInfoA_F2xx_En != 1);
            break;
        }
        const uint8_t v = on ? 1 : 0;
        im.EraseMask[w] = v;
        im.WriteMask[w] = v;
        im.VerifyMask[w] = v;
    }

    // Main memory: the device's flash words from 0x1100 up, by mode. The
    // walks go by runs of words and by eight words at a time, as an image
    // is mostly wholly defined or wholly empty over long stretches.
    int32_t w0 = 0;
    int32_t w1 = -1;
    bool any;
    if (mode == 4) {
        any = Settings.EraseDefMainMemEn != 0 &&
              MainWords(std::max<int64_t>(map.deviceMainStart, Settings.EraseFlashStart),
                        std::min<int64_t>(map.deviceFlashEnd, Settings.EraseFlashStop), w0, w1);
    } else {
        // Mode 3 takes only the defined words among them (below).
        any = MainWords(map.deviceMainStart, map.deviceFlashEnd, w0, w1);
    }
    if (any && mode != 3) {
        SetWords(im.EraseMask, w0, w1);
        SetWords(im.WriteMask, w0, w1);
        SetWords(im.VerifyMask, w0, w1);
    }
    // Defined words only: those of the main range are set in mode 3, and
    // every word without a defined byte is neither written nor verified
    // (in mode 3 not erased either). Runs of words wholly defined or wholly
    // undefined go in one step, found 256 or 32 words at a time.
    for (int32_t w = 0; w < kMaskSize;) {
        int32_t used = 1; // 0 no word of the run defined, 2 every word
        int32_t n = 1;
        if (w + 256 <= kMaskSize && NoneUsedOf256(program, w)) {
            used = 0;
            n = 256;
            while (w + n + 256 <= kMaskSize && NoneUsedOf256(program, w + n)) {
                n += 256;
            }
        } else if (w + 32 <= kMaskSize && (used = UsedFlagsOf<32>(program, w)) != 1) {
            n = 32;
            while (w + n + 32 <= kMaskSize && UsedFlagsOf<32>(program, w + n) == used) {
                n += 32;
            }
        } else if (w + 8 <= kMaskSize && (used = UsedFlagsOf<8>(program, w)) != 1) {
            n = 8;
        } else {
            used = program.WordUsed(w) ? 2 : 0;
        }
        const int32_t last = w + n - 1;
        if (used == 0) {
            std::memset(im.WriteMask + w, 0, static_cast<size_t>(n));
            std::memset(im.VerifyMask + w, 0, static_cast<size_t>(n));
            if (mode == 3) {
                std::memset(im.EraseMask + w, 0, static_cast<size_t>(n));
            }
        } else if (mode == 3 && any && w <= w1 && last >= w0) {
            const int32_t first = std::max(w, w0);
            const int32_t end = std::min(last, w1);
            SetWords(im.EraseMask, first, end);
            SetWords(im.WriteMask, first, end);
            SetWords(im.VerifyMask, first, end);
        }
        w += n;
    }

    if (map.series == 5 && ConnectedDevice.earlyF5xx) {
        im.WriteMask[WordIndex(0xFF7C)] = 0;
        im.WriteMask[WordIndex(0xFF7E)] = 0;
    }

    SegmentFlagsUpdate();
    return 1;
}

void SegmentFlagsUpdate() {
    MemoryMapBuild(1);
    const ImagesState& im = Images;
    for (int32_t k = 0; k < SegmentTable.count && k < kMaxSegments; ++k) {
        MemorySegment& s = SegmentTable.segments[k];
        // Every second address from the start that lies in the window: its
        // words are consecutive.
        const int64_t start = s.start;
        const int64_t lo =
            start >= kImageStart ? start : start + ((kImageStart - start + 1) & ~1ll);
        const int64_t hi = std::min<int64_t>(s.end, kImageEnd);
        if (lo > hi) {
            s.needsWrite = 0;
            s.needsCheck = 0;
            s.needsErase = 0;
            continue;
        }
        const int32_t w0 = WordIndex(lo);
        const int32_t w1 = WordIndex(lo + ((hi - lo) & ~1ll));
        s.needsWrite = MaskOr(im.WriteMask, w0, w1);
        s.needsCheck = MaskOr(im.VerifyMask, w0, w1);
        s.needsErase = MaskOr(im.EraseMask, w0, w1);
    }
}

void ReadMaskBuild(int32_t all) {
    ImagesState& im = Images;
    const int32_t mode = all != 0 ? 0 : Settings.FlashReadModeIndex;
    std::memset(im.ReadMask, 0, sizeof im.ReadMask);

    const MemoryMapInstance& map = MemoryMap.active;
    const int32_t readKeys[4] = {Settings.ReadInfoSegmA, Settings.ReadInfoSegmB,
                                 Settings.ReadInfoSegmC, Settings.ReadInfoSegmD};
    for (int64_t a = map.infoStart; a < map.infoEnd && InImage(a); a += 2) {
        bool on = true;
        if (mode == 1) {
            on = false;
        } else if (mode == 3) {
            on = InfoSegmentKey(map, a, readKeys) != 0;
        }
        im.ReadMask[WordIndex(a)] = on ? 1 : 0;
    }

    // Modes 0 and 1 read all main memory of the device, unknown modes too.
    int32_t w0 = 0;
    int32_t w1 = -1;
    bool any = false;
    if (mode == 3) {
        any = Settings.ReadDefMainMemEn != 0 &&
              MainWords(std::max<int64_t>(map.deviceMainStart, Settings.ReadStartAddr),
                        std::min<int64_t>(map.deviceFlashEnd, Settings.ReadStopAddr), w0, w1);
    } else if (mode != 2) {
        any = MainWords(map.deviceMainStart, map.deviceFlashEnd, w0, w1);
    }
    if (any) {
        SetWords(im.ReadMask, w0, w1);
    }
}

int32_t RetainedDataCheck() {
    const ImageBytes& code = Images.CodeImage;
    if (Settings.RetainInfoCalData == 1 && MemoryMap.active.series == 2) {
        const Range dco{0x10F8, 0x10FF};
        if (code.AnyDefined(dco.first, dco.last)) {
            return 0;
        }
        if (SerialDataInside(dco) == 2) {
            return 2;
        }
    }
    int32_t start = 0;
    int32_t length = 0;
    if (Settings.RetainDefinedData == 1 && RetainRange(start, length) == 1) {
        const Range kept{start, start + length - 1};
        if (code.AnyDefined(kept.first, kept.last)) {
            return 0;
        }
        if (SerialDataInside(kept) == 2) {
            return 2;
        }
    }
    return 1;
}

int32_t RetainRange(int32_t& start, int32_t& length) {
    const int64_t first = Settings.RetainDataStart;
    const int64_t last = Settings.RetainDataStop;
    const int64_t n = last - first + 1;
    if (first < kImageStart || last > kImageEnd || n < 1 || n > kRetainMaxSize) {
        return 0;
    }
    start = static_cast<int32_t>(first);
    length = static_cast<int32_t>(n);
    return 1;
}

int32_t RetainLength() {
    const int64_t start = Settings.RetainDataStart;
    const int64_t stop = Settings.RetainDataStop;
    const int64_t length = stop - start + 1;
    if (length >= 2 && length <= 256 && start >= kImageStart && stop <= kImageEnd) {
        return static_cast<int32_t>(length);
    }
    return 0;
}

} // namespace core
