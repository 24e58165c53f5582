// The masks that say which words an erase, write, verify and read take,
// and the segment flags made from them, on three device series:
// - a table of single words, each expectation worked out by hand from the
//   rules of the erase and read modes;
// - random images and settings: the masks walk by runs of words, eight or
//   more entries at a time, yet each word's entry must depend only on the
//   settings and whether the programming image defines that word. So every
//   word must show the entry of an image that defines all words, or of one
//   that defines none.

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
// Single words by hand.

// The settings a case changes from the defaults.
struct Setup {
    int32_t mode = 1;    // FlashEraseModeIndex or FlashReadModeIndex
    int32_t keys = 0;    // information segments switched on: A 1, B 2, C 4, D 8
    int32_t infoAEn = 0; // EraseInfoA_F2xx_En
    int32_t defMain = 0; // EraseDefMainMemEn / ReadDefMainMemEn
    int32_t from = 0;    // EraseFlashStart / ReadStartAddr
    int32_t to = 0;      // EraseFlashStop / ReadStopAddr
    bool early = false;  // the early-F5xx flag
};

struct WordCase {
    const char* device; // row after "MSP430F"
    uint32_t id;        // connected as this ID
    Setup setup;
    int64_t address;
    bool defined; // the code defines the word
    uint8_t erase, write, verify;
    const char* why;
};

// F149: information B 0x1000, A 0x1080 (128 bytes each), main 0x1100..0xFFFF.
// F2619: information D 0x1000, C 0x1040, B 0x1080, A 0x10C0 (64 bytes, A
// locked), main 0x2100..0x1FFFF. F5438: information D 0x1800 .. A 0x1980
// (128 bytes), main 0x5C00..0x45BFF.
const WordCase kWordCases[] = {
    {"149", 0, {.mode = 0}, 0x1000, false, 1, 0, 0, "mode 0 erases all information"},
    {"149", 0, {.mode = 0}, 0x1000, true, 1, 1, 1, "mode 0 writes defined information"},
    {"149", 0, {.mode = 0}, 0x1100, false, 1, 0, 0, "mode 0 erases all main"},
    {"149", 0, {.mode = 0}, 0xFFFE, true, 1, 1, 1, "mode 0, the reset vector"},
    {"149", 0, {.mode = 1}, 0x1080, false, 0, 0, 0, "mode 1 leaves empty information"},
    {"149", 0, {.mode = 1}, 0x1080, true, 1, 1, 1, "mode 1 takes defined information"},
    {"149", 0, {.mode = 1}, 0x8000, false, 1, 0, 0, "mode 1 erases all main"},
    {"149", 0, {.mode = 9}, 0x10FE, false, 0, 0, 0, "an unknown mode is mode 1"},
    {"149", 0, {.mode = 9}, 0x10FE, true, 1, 1, 1, "an unknown mode is mode 1"},
    {"149", 0, {.mode = 9}, 0x1100, false, 1, 0, 0, "an unknown mode is mode 1"},
    {"149", 0, {.mode = 2}, 0x1000, true, 0, 0, 0, "mode 2 keeps information, code too"},
    {"149", 0, {.mode = 2}, 0x2000, true, 1, 1, 1, "mode 2 erases and writes main"},
    {"149", 0, {.mode = 2}, 0x2000, false, 1, 0, 0, "mode 2 erases all main"},
    {"149", 0, {.mode = 3}, 0x1000, true, 1, 1, 1, "mode 3 takes defined words"},
    {"149", 0, {.mode = 3}, 0x1000, false, 0, 0, 0, "mode 3 leaves the others"},
    {"149", 0, {.mode = 3}, 0xC000, false, 0, 0, 0, "mode 3 leaves the others"},
    {"149", 0, {.mode = 3}, 0xC000, true, 1, 1, 1, "mode 3 takes defined words"},
    {"149", 0, {.mode = 4, .keys = 1}, 0x1080, false, 1, 0, 0, "mode 4: A switched on"},
    {"149", 0, {.mode = 4, .keys = 1}, 0x10FE, true, 1, 1, 1, "mode 4: A switched on"},
    {"149", 0, {.mode = 4, .keys = 1}, 0x1000, true, 0, 0, 0, "mode 4: B switched off"},
    {"149", 0, {.mode = 4, .keys = 2}, 0x107E, false, 1, 0, 0, "mode 4: B switched on"},
    {"149",
     0,
     {.mode = 4, .defMain = 1, .from = 0x2000, .to = 0x2FFF},
     0x2000,
     true,
     1,
     1,
     1,
     "mode 4: inside the main range"},
    {"149",
     0,
     {.mode = 4, .defMain = 1, .from = 0x2000, .to = 0x2FFF},
     0x2FFE,
     false,
     1,
     0,
     0,
     "mode 4: inside the main range"},
    {"149",
     0,
     {.mode = 4, .defMain = 1, .from = 0x2000, .to = 0x2FFF},
     0x1FFE,
     true,
     0,
     0,
     0,
     "mode 4: below the main range"},
    {"149",
     0,
     {.mode = 4, .defMain = 1, .from = 0x2000, .to = 0x2FFF},
     0x3000,
     true,
     0,
     0,
     0,
     "mode 4: above the main range"},
    {"149",
     0,
     {.mode = 4, .defMain = 0, .from = 0x2000, .to = 0x2FFF},
     0x2000,
     true,
     0,
     0,
     0,
     "mode 4: the main range switched off"},
    {"2619", 0xF26F, {.mode = 1}, 0x10C0, true, 0, 0, 0, "the locked Info-A stays"},
    {"2619", 0xF26F, {.mode = 1, .infoAEn = 1}, 0x10FE, true, 1, 1, 1, "Info-A unlocked"},
    {"2619", 0xF26F, {.mode = 1}, 0x10BE, true, 1, 1, 1, "B below the locked A"},
    {"2619", 0xF26F, {.mode = 0}, 0x10C0, false, 1, 0, 0, "mode 0 erases Info-A as well"},
    {"2619", 0xF26F, {.mode = 4, .keys = 8}, 0x1000, false, 1, 0, 0, "mode 4: D switched on"},
    {"2619", 0xF26F, {.mode = 4, .keys = 8}, 0x1040, true, 0, 0, 0, "mode 4: C switched off"},
    {"2619", 0xF26F, {.mode = 4, .keys = 4}, 0x107E, true, 1, 1, 1, "mode 4: C switched on"},
    {"2619", 0xF26F, {.mode = 0}, 0x20FE, true, 0, 0, 0, "below the main flash"},
    {"2619", 0xF26F, {.mode = 0}, 0x2100, true, 1, 1, 1, "the main flash's first word"},
    {"2619", 0xF26F, {.mode = 0}, 0x1FFFE, true, 1, 1, 1, "the main flash's last word"},
    {"5438", 0x5438, {.mode = 0}, 0x1000, true, 0, 0, 0, "below the information memory"},
    {"5438", 0x5438, {.mode = 0}, 0x1800, false, 1, 0, 0, "information D"},
    {"5438", 0x5438, {.mode = 0}, 0x2000, true, 0, 0, 0, "neither information nor main"},
    {"5438", 0x5438, {.mode = 0}, 0x5BFE, true, 0, 0, 0, "below the main flash"},
    {"5438", 0x5438, {.mode = 0}, 0x5C00, true, 1, 1, 1, "the main flash's first word"},
    {"5438", 0x5438, {.mode = 0}, 0x45BFE, true, 1, 1, 1, "the window's last word"},
    {"5438", 0x5438, {.mode = 0}, 0xFF7C, true, 1, 1, 1, "0xFF7C of a later F5xx"},
    {"5438", 0x5438, {.mode = 0, .early = true}, 0xFF7C, true, 1, 0, 1, "early F5xx: not written"},
    {"5438", 0x5438, {.mode = 0, .early = true}, 0xFF7E, true, 1, 0, 1, "early F5xx: not written"},
    {"5438", 0x5438, {.mode = 0, .early = true}, 0xFF80, true, 1, 1, 1, "early F5xx: written"},
};

void ApplyErase(const Setup& s) {
    Settings.FlashEraseModeIndex = s.mode;
    Settings.EraseInfoSegmA = (s.keys & 1) != 0;
    Settings.EraseInfoSegmB = (s.keys & 2) != 0;
    Settings.EraseInfoSegmC = (s.keys & 4) != 0;
    Settings.EraseInfoSegmD = (s.keys & 8) != 0;
    Settings.EraseInfoA_F2xx_En = s.infoAEn;
    Settings.EraseDefMainMemEn = s.defMain;
    Settings.EraseFlashStart = s.from;
    Settings.EraseFlashStop = s.to;
}

TEST_F(CodeImageTest, EachWordIsErasedWrittenAndVerifiedAsItsModeSays) {
    for (const WordCase& c : kWordCases) {
        SCOPED_TRACE(testing::Message() << "F" << c.device << " mode " << c.setup.mode << std::hex
                                        << " 0x" << c.address << ": " << c.why);
        UseDevice(c.device, c.id);
        ConnectedDevice.earlyF5xx = c.setup.early ? 1 : 0;
        ApplyErase(c.setup);
        CodeImageClear();
        if (c.defined) {
            Images.CodeImage.data[ImageIndex(c.address)] = 0x12;
            Images.CodeImage.used[ImageIndex(c.address)] = 1;
            Images.CodeImage.data[ImageIndex(c.address + 1)] = 0x34;
            Images.CodeImage.used[ImageIndex(c.address + 1)] = 1;
        }
        ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
        const int32_t w = WordIndex(c.address);
        EXPECT_EQ(
            (std::array<int, 3>{Images.EraseMask[w], Images.WriteMask[w], Images.VerifyMask[w]}),
            (std::array<int, 3>{c.erase, c.write, c.verify}));
    }
}

struct ReadCase {
    const char* device;
    uint32_t id;
    Setup setup;
    int32_t all; // READ of all memory, whatever the mode
    int64_t address;
    uint8_t read;
    const char* why;
};

const ReadCase kReadCases[] = {
    {"149", 0, {.mode = 0}, 0, 0x1000, 1, "mode 0 reads information"},
    {"149", 0, {.mode = 0}, 0, 0x1100, 1, "and main"},
    {"149", 0, {.mode = 1}, 0, 0x10FE, 0, "mode 1 leaves information"},
    {"149", 0, {.mode = 1}, 0, 0xFFFE, 1, "and reads main"},
    {"149", 0, {.mode = 2}, 0, 0x1000, 1, "mode 2 reads information"},
    {"149", 0, {.mode = 2}, 0, 0x1100, 0, "and leaves main"},
    {"149", 0, {.mode = 2}, 1, 0x1100, 1, "all: main too"},
    {"149", 0, {.mode = 7}, 0, 0x1000, 1, "an unknown mode reads all"},
    {"149", 0, {.mode = 7}, 0, 0x8000, 1, "an unknown mode reads all"},
    {"149", 0, {.mode = 3, .keys = 2}, 0, 0x1000, 1, "mode 3: B switched on"},
    {"149", 0, {.mode = 3, .keys = 2}, 0, 0x1080, 0, "mode 3: A switched off"},
    {"149",
     0,
     {.mode = 3, .defMain = 1, .from = 0x2000, .to = 0x2FFF},
     0,
     0x2000,
     1,
     "mode 3: inside the main range"},
    {"149",
     0,
     {.mode = 3, .defMain = 1, .from = 0x2000, .to = 0x2FFF},
     0,
     0x3000,
     0,
     "mode 3: above the main range"},
    {"149",
     0,
     {.mode = 3, .defMain = 0, .from = 0x2000, .to = 0x2FFF},
     0,
     0x2000,
     0,
     "mode 3: the main range switched off"},
    {"149",
     0,
     {.mode = 3, .defMain = 0, .from = 0x2000, .to = 0x2FFF},
     1,
     0x2000,
     1,
     "all: whatever mode 3 says"},
    {"2619", 0xF26F, {.mode = 3, .keys = 1}, 0, 0x10C0, 1, "mode 3: the locked A is read"},
    {"2619", 0xF26F, {.mode = 3, .keys = 1}, 0, 0x1000, 0, "mode 3: D switched off"},
    {"5438", 0x5438, {.mode = 0}, 0, 0x2000, 0, "neither information nor main"},
    {"5438", 0x5438, {.mode = 0}, 0, 0x1980, 1, "information A"},
    {"5438", 0x5438, {.mode = 0}, 0, 0x5C00, 1, "the main flash's first word"},
};

void ApplyRead(const Setup& s) {
    Settings.FlashReadModeIndex = s.mode;
    Settings.ReadInfoSegmA = (s.keys & 1) != 0;
    Settings.ReadInfoSegmB = (s.keys & 2) != 0;
    Settings.ReadInfoSegmC = (s.keys & 4) != 0;
    Settings.ReadInfoSegmD = (s.keys & 8) != 0;
    Settings.ReadDefMainMemEn = s.defMain;
    Settings.ReadStartAddr = s.from;
    Settings.ReadStopAddr = s.to;
}

TEST_F(CodeImageTest, EachWordIsReadAsItsModeSays) {
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(testing::Message() << "F" << c.device << " mode " << c.setup.mode << std::hex
                                        << " 0x" << c.address << ": " << c.why);
        UseDevice(c.device, c.id);
        ApplyRead(c.setup);
        MemoryMapBuild(1);
        // Left over from an earlier read: must not show through.
        std::memset(Images.ReadMask, 1, sizeof Images.ReadMask);
        ReadMaskBuild(c.all);
        EXPECT_EQ(Images.ReadMask[WordIndex(c.address)], c.read);
    }
}

// ---------------------------------------------------------------------------
// The walks over random images.

// Whether the programming image defines each word.
std::vector<uint8_t> UsedWords() {
    std::vector<uint8_t> used(kMaskSize);
    for (int32_t w = 0; w < kMaskSize; ++w) {
        used[w] = Images.ProgramImage.WordUsed(w) ? 1 : 0;
    }
    return used;
}

// A copy of the three masks ProgramImagePrepare made.
struct Masks {
    std::vector<uint8_t> erase, write, verify;

    static Masks Taken() {
        return {{Images.EraseMask, Images.EraseMask + kMaskSize},
                {Images.WriteMask, Images.WriteMask + kMaskSize},
                {Images.VerifyMask, Images.VerifyMask + kMaskSize}};
    }
};

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

TEST_P(MaskWalkTest, EachWordTakesTheEntryOfTheFullOrTheEmptyImage) {
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
            // The two images every other one lies between: all words
            // defined, and none.
            FillImage(Shape::kFull, rng, MemoryMap.active);
            ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
            const Masks full = Masks::Taken();
            const std::vector<uint8_t> fullUsed = UsedWords();
            CodeImageClear();
            ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
            const Masks none = Masks::Taken();

            FillImage(shape, rng, MemoryMap.active);
            int32_t used = 0;
            for (const uint8_t u : Images.CodeImage.used) {
                used += u != 0 ? 1 : 0;
            }
            ASSERT_EQ(CodeImageUsedCount(), used);
            // Left over from an earlier preparation: must not show through.
            std::memset(Images.EraseMask, 1, sizeof Images.EraseMask);
            ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
            const std::vector<uint8_t> wordUsed = UsedWords();
            Masks want;
            for (int32_t w = 0; w < kMaskSize; ++w) {
                // A word the full image leaves undefined (a protected one)
                // no other image defines.
                ASSERT_TRUE(wordUsed[w] == 0 || fullUsed[w] != 0) << "word " << w;
                const Masks& like = wordUsed[w] != 0 ? full : none;
                want.erase.push_back(like.erase[w]);
                want.write.push_back(like.write[w]);
                want.verify.push_back(like.verify[w]);
            }
            ASSERT_EQ(FirstDifference(Images.EraseMask, want.erase), -1) << "erase mask";
            ASSERT_EQ(FirstDifference(Images.WriteMask, want.write), -1) << "write mask";
            ASSERT_EQ(FirstDifference(Images.VerifyMask, want.verify), -1) << "verify mask";
            ExpectFlagsAsPlain("prepared");
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
