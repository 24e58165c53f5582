// The mask and segment-flag walks and the count of defined bytes go by
// runs of words and eight or more entries at a time; here they are held
// against the plain walk over every word, on random images, settings and
// segment tables of three device series.

#include "core/code_image.h"
#include "core/device_select.h"
#include "core/memory_map.h"
#include "core/program_image.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "tests/codeimage/code_fixture.h"

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace codeimage_test {
namespace {

using namespace core;

// ---------------------------------------------------------------------------
// The plain walks, word by word over the whole window.

struct PlainMasks {
    std::vector<uint8_t> erase = std::vector<uint8_t>(kMaskSize, 0);
    std::vector<uint8_t> write = std::vector<uint8_t>(kMaskSize, 0);
    std::vector<uint8_t> verify = std::vector<uint8_t>(kMaskSize, 0);
    std::vector<uint8_t> read = std::vector<uint8_t>(kMaskSize, 0);
};

bool Holds(int64_t first, int64_t last, int64_t a) {
    return a >= first && a <= last;
}

int32_t PlainInfoKey(const MemoryMapInstance& map, int64_t address, const int32_t (&keys)[4]) {
    if (map.infoSegmentSize <= 0) {
        return 0;
    }
    const int64_t j = (address - map.infoStart) / map.infoSegmentSize;
    const int64_t letter = map.infoSegments - j;
    return (letter >= 1 && letter <= 4) ? keys[letter - 1] : 0;
}

// The erase, write and verify masks of the composed programming image.
void PlainEraseMasks(PlainMasks& m) {
    const ImageBytes& program = Images.ProgramImage;
    const MemoryMapInstance& map = MemoryMap.active;
    const int32_t mode = Settings.FlashEraseModeIndex;
    const int32_t keys[4] = {Settings.EraseInfoSegmA, Settings.EraseInfoSegmB,
                             Settings.EraseInfoSegmC, Settings.EraseInfoSegmD};
    const int64_t lockedLast = map.lockedInfoA ? map.lockedEnd : map.lockedStart - 1;
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
            on = PlainInfoKey(map, a, keys) != 0;
            break;
        default:
            on = defined &&
                 !(Holds(map.lockedStart, lockedLast, a) && Settings.EraseInfoA_F2xx_En != 1);
            break;
        }
        m.erase[w] = m.write[w] = m.verify[w] = on ? 1 : 0;
    }
    for (int64_t a = 0x1100; a < kImageEnd; a += 2) {
        if (!Holds(map.deviceMainStart, map.deviceFlashEnd, a)) {
            continue;
        }
        const int32_t w = WordIndex(a);
        bool on;
        if (mode == 3) {
            on = program.WordUsed(w);
        } else if (mode == 4) {
            on = Settings.EraseDefMainMemEn != 0 &&
                 Holds(Settings.EraseFlashStart, Settings.EraseFlashStop, a);
        } else {
            on = true;
        }
        if (on) {
            m.erase[w] = m.write[w] = m.verify[w] = 1;
        }
    }
    for (int32_t w = 0; w < kMaskSize; ++w) {
        if (!program.WordUsed(w)) {
            m.write[w] = 0;
            m.verify[w] = 0;
            if (mode == 3) {
                m.erase[w] = 0;
            }
        }
    }
    if (map.series == 5 && ConnectedDevice.earlyF5xx) {
        m.write[WordIndex(0xFF7C)] = 0;
        m.write[WordIndex(0xFF7E)] = 0;
    }
}

void PlainReadMask(PlainMasks& m, int32_t all) {
    const int32_t mode = all != 0 ? 0 : Settings.FlashReadModeIndex;
    const MemoryMapInstance& map = MemoryMap.active;
    const int32_t keys[4] = {Settings.ReadInfoSegmA, Settings.ReadInfoSegmB, Settings.ReadInfoSegmC,
                             Settings.ReadInfoSegmD};
    for (int64_t a = map.infoStart; a < map.infoEnd && InImage(a); a += 2) {
        bool on = true;
        if (mode == 1) {
            on = false;
        } else if (mode == 3) {
            on = PlainInfoKey(map, a, keys) != 0;
        }
        m.read[WordIndex(a)] = on ? 1 : 0;
    }
    for (int64_t a = 0x1100; a < kImageEnd; a += 2) {
        if (!Holds(map.deviceMainStart, map.deviceFlashEnd, a)) {
            continue;
        }
        bool on;
        if (mode == 2) {
            on = false;
        } else if (mode == 3) {
            on = Settings.ReadDefMainMemEn != 0 &&
                 Holds(Settings.ReadStartAddr, Settings.ReadStopAddr, a);
        } else {
            on = true;
        }
        if (on) {
            m.read[WordIndex(a)] = 1;
        }
    }
}

// needsWrite, needsCheck, needsErase of segment k from the masks in Images.
std::array<uint8_t, 3> PlainFlags(const MemorySegment& s) {
    std::array<uint8_t, 3> f{};
    for (int64_t a = s.start; a <= s.end; a += 2) {
        if (!InImage(a)) {
            continue;
        }
        const int32_t w = WordIndex(a);
        f[0] |= Images.WriteMask[w];
        f[1] |= Images.VerifyMask[w];
        f[2] |= Images.EraseMask[w];
    }
    return f;
}

// The first word index where a and b differ, or -1.
int32_t FirstDifference(const uint8_t* a, const std::vector<uint8_t>& b) {
    for (int32_t w = 0; w < kMaskSize; ++w) {
        if (a[w] != b[static_cast<size_t>(w)]) {
            return w;
        }
    }
    return -1;
}

void ExpectFlagsAsPlain(const char* what) {
    for (int32_t k = 0; k < SegmentTable.count && k < kMaxSegments; ++k) {
        const MemorySegment& s = SegmentTable.segments[k];
        const std::array<uint8_t, 3> want = PlainFlags(s);
        ASSERT_EQ((std::array<uint8_t, 3>{s.needsWrite, s.needsCheck, s.needsErase}), want)
            << what << ": segment " << k << std::hex << " 0x" << s.start << "..0x" << s.end;
    }
}

// ---------------------------------------------------------------------------
// Random images.

enum class Shape { kEmpty, kScattered, kRuns, kRunsWithHoles, kFull, kEdges };

void Define(std::mt19937& rng, int64_t address) {
    if (InImage(address)) {
        Images.CodeImage.data[ImageIndex(address)] = static_cast<uint8_t>(rng());
        // Any flag other than 0 marks a defined byte.
        const uint8_t flag = rng() % 4 == 0 ? static_cast<uint8_t>(1 + rng() % 255) : 1;
        Images.CodeImage.used[ImageIndex(address)] = flag;
    }
}

void FillImage(Shape shape, std::mt19937& rng, const MemoryMapInstance& map) {
    CodeImageClear();
    auto any = [&] { return kImageStart + static_cast<int64_t>(rng() % kImageSize); };
    switch (shape) {
    case Shape::kEmpty:
        break;
    case Shape::kScattered:
        for (int i = 0; i < 40; ++i) {
            Define(rng, any());
        }
        break;
    case Shape::kRuns:
    case Shape::kRunsWithHoles:
        for (int i = 0; i < 6; ++i) {
            const int64_t first = any();
            const int64_t length = 1 + rng() % 6000;
            for (int64_t a = first; a < first + length; ++a) {
                if (shape == Shape::kRuns || rng() % 10 != 0) {
                    Define(rng, a);
                }
            }
            // A lone odd byte: its word is defined by the high byte only.
            Define(rng, (first | 1) + 2 * (rng() % 64) + 6001);
        }
        break;
    case Shape::kFull:
        for (int64_t a = kImageStart; a <= kImageEnd; ++a) {
            Define(rng, a);
        }
        break;
    case Shape::kEdges:
        for (const int64_t a :
             {int64_t{kImageStart}, int64_t{kImageStart} + 1, int64_t{0x10FF}, int64_t{0x1100},
              int64_t{kImageEnd} - 1, int64_t{kImageEnd}, int64_t{map.deviceMainStart} - 1,
              int64_t{map.deviceMainStart}, int64_t{map.deviceFlashEnd},
              int64_t{map.deviceFlashEnd} + 1, int64_t{0xFF7C}, int64_t{0xFF7F}}) {
            Define(rng, a);
        }
        break;
    }
}

int32_t AnyAddress(std::mt19937& rng) {
    switch (rng() % 4) {
    case 0:
        return static_cast<int32_t>(rng()); // anything, negative too
    case 1:
        return 0x0F00 + static_cast<int32_t>(rng() % 0x300);
    default:
        return kImageStart + static_cast<int32_t>(rng() % (kImageSize + 0x100));
    }
}

void RandomSettings(std::mt19937& rng) {
    static const int32_t kEraseModes[] = {0, 1, 2, 3, 4, 9};
    static const int32_t kReadModes[] = {0, 1, 2, 3, 7};
    Settings.FlashEraseModeIndex = kEraseModes[rng() % 6];
    Settings.EraseInfoSegmA = rng() % 2;
    Settings.EraseInfoSegmB = rng() % 2;
    Settings.EraseInfoSegmC = rng() % 2;
    Settings.EraseInfoSegmD = rng() % 2;
    Settings.EraseInfoA_F2xx_En = rng() % 2;
    Settings.EraseDefMainMemEn = rng() % 4 != 0;
    Settings.EraseFlashStart = AnyAddress(rng);
    Settings.EraseFlashStop = AnyAddress(rng);
    Settings.FlashReadModeIndex = kReadModes[rng() % 5];
    Settings.ReadInfoSegmA = rng() % 2;
    Settings.ReadInfoSegmB = rng() % 2;
    Settings.ReadInfoSegmC = rng() % 2;
    Settings.ReadInfoSegmD = rng() % 2;
    Settings.ReadDefMainMemEn = rng() % 4 != 0;
    Settings.ReadStartAddr = AnyAddress(rng);
    Settings.ReadStopAddr = AnyAddress(rng);
}

struct WalkCase {
    const char* name; // device row after "MSP430F"
    uint32_t id;      // 0: selected only, nothing connected
    bool earlyF5xx;
};

class MaskWalkTest : public CodeImageTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(MaskWalkTest, WalksMatchThePlainWalkOverEveryWord) {
    const WalkCase& c = GetParam();
    UseDevice(c.name, c.id);
    ConnectedDevice.earlyF5xx = c.earlyF5xx ? 1 : 0;
    std::mt19937 rng(c.id + 7u);
    for (const Shape shape : {Shape::kEmpty, Shape::kScattered, Shape::kRuns, Shape::kRunsWithHoles,
                              Shape::kFull, Shape::kEdges}) {
        for (int round = 0; round < 6; ++round) {
            SCOPED_TRACE(testing::Message()
                         << "shape " << static_cast<int>(shape) << " round " << round);
            RandomSettings(rng);
            MemoryMapBuild(1);
            FillImage(shape, rng, MemoryMap.active);
            int32_t used = 0;
            for (const uint8_t u : Images.CodeImage.used) {
                used += u != 0 ? 1 : 0;
            }
            ASSERT_EQ(CodeImageUsedCount(), used);
            // Left over from an earlier preparation: must not show through.
            std::memset(Images.EraseMask, 1, sizeof Images.EraseMask);
            std::memset(Images.ReadMask, 1, sizeof Images.ReadMask);
            ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
            PlainMasks plain;
            PlainEraseMasks(plain);
            ASSERT_EQ(FirstDifference(Images.EraseMask, plain.erase), -1) << "erase mask";
            ASSERT_EQ(FirstDifference(Images.WriteMask, plain.write), -1) << "write mask";
            ASSERT_EQ(FirstDifference(Images.VerifyMask, plain.verify), -1) << "verify mask";
            ExpectFlagsAsPlain("prepared");

            const int32_t all = rng() % 3 == 0;
            ReadMaskBuild(all);
            PlainReadMask(plain, all);
            ASSERT_EQ(FirstDifference(Images.ReadMask, plain.read), -1) << "read mask";
        }
    }

    // Segment flags over masks of any byte values and segments that start
    // odd, below the window or run past its end.
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(testing::Message() << "flags round " << round);
        for (uint8_t* mask : {Images.EraseMask, Images.WriteMask, Images.VerifyMask}) {
            std::memset(mask, 0, kMaskSize);
            for (int i = 0; i < 30; ++i) {
                mask[rng() % kMaskSize] = static_cast<uint8_t>(1u << (rng() % 8));
            }
        }
        SegmentTableBuild();
        for (int i = 0; i < 16 && i < SegmentTable.count; ++i) {
            MemorySegment& s = SegmentTable.segments[rng() % SegmentTable.count];
            s.start = static_cast<int32_t>(0x0F00 + rng() % (kImageSize + 0x200));
            s.end = s.start + static_cast<int32_t>(rng() % 0x900) - 0x10;
        }
        SegmentFlagsUpdate();
        ExpectFlagsAsPlain("random masks");
    }
}

INSTANTIATE_TEST_SUITE_P(ThreeSeries, MaskWalkTest,
                         ::testing::Values(WalkCase{"149", 0, false},
                                           WalkCase{"2619", 0xF26F, false},
                                           WalkCase{"5438", 0x5438, false},
                                           WalkCase{"5438", 0x5438, true}),
                         [](const ::testing::TestParamInfo<WalkCase>& info) {
                             return std::string("F") + info.param.name +
                                    (info.param.id != 0 ? "_connected" : "") +
                                    (info.param.earlyF5xx ? "_early" : "");
                         });

} // namespace
} // namespace codeimage_test
