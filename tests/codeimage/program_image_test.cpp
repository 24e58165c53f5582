// The programming image: composition with serial number, model text,
// security word and password bytes; the erase, write, verify and read masks;
// the retained-data, Info-A and fit checks; the checksums.

#include "core/code_image.h"
#include "core/memory_map.h"
#include "core/passwords.h"
#include "core/program_image.h"
#include "core/segment_table.h"
#include "core/serial_data.h"
#include "tests/codeimage/code_fixture.h"

#include <string>
#include <vector>

namespace codeimage_test {
namespace {

using namespace core;

void Define(ImageBytes& image, uint32_t address, uint8_t byte) {
    image.data[ImageIndex(address)] = byte;
    image.used[ImageIndex(address)] = 1;
}

void DefineCode(uint32_t address, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) {
        Define(Images.CodeImage, address++, b);
    }
    Images.CodeImageHasData = 1;
}

class ProgramImageTest : public CodeImageTest {};

// ---------------------------------------------------------------------------
// Erase, write and verify masks.

struct Device {
    const char* name;
    uint32_t id;       // 0: selected only
    int32_t infoStart; // lowest information segment
    int32_t infoSize;
    int32_t infoCount;
    int32_t mainProbe; // a word inside the connected device's flash
    int32_t below;     // a word below the connected device's main start, 0 = none
};

const Device kSeries1{"149", 0, 0x1000, 128, 2, 0x1300, 0};
const Device kSeries2{"2619", 0xF26F, 0x1000, 64, 4, 0x2300, 0x20FE};
const Device kSeries5{"5438", 0x5438, 0x1800, 128, 4, 0x5E00, 0x5BFE};

struct EraseCase {
    const char* what;
    const Device* device;
    int32_t mode;
    int32_t keys[4]; // EraseInfoSegmA..D
    int32_t infoAEnable;
    int32_t mainKeyEnable; // EraseDefMainMemEn
    // Erase bits, lowest information segment first, two per segment: the
    // defined word, then an undefined word of the segment.
    const char* info;
    // Erase bits of the defined main word, an undefined main word, and a
    // defined word below the connected device's main start.
    const char* main;
};

class EraseMaskTest : public ProgramImageTest, public ::testing::WithParamInterface<EraseCase> {};

TEST_P(EraseMaskTest, MasksFollowTheEraseMode) {
    const EraseCase& c = GetParam();
    const Device& d = *c.device;
    UseDevice(d.name, d.id);
    Settings.FlashEraseModeIndex = c.mode;
    Settings.EraseInfoSegmA = c.keys[0];
    Settings.EraseInfoSegmB = c.keys[1];
    Settings.EraseInfoSegmC = c.keys[2];
    Settings.EraseInfoSegmD = c.keys[3];
    Settings.EraseInfoA_F2xx_En = c.infoAEnable;
    Settings.EraseDefMainMemEn = c.mainKeyEnable;
    Settings.EraseFlashStart = d.mainProbe;
    Settings.EraseFlashStop = d.mainProbe + 0xFF;

    std::vector<std::pair<int32_t, bool>> probes; // address, defined
    for (int32_t s = 0; s < d.infoCount; ++s) {
        probes.push_back({d.infoStart + s * d.infoSize, true});
        probes.push_back({d.infoStart + s * d.infoSize + 0x10, false});
    }
    probes.push_back({d.mainProbe, true});
    probes.push_back({d.mainProbe + 0x100, false});
    if (d.below != 0) {
        probes.push_back({d.below, true});
    }
    for (const auto& [address, defined] : probes) {
        if (defined) {
            DefineCode(static_cast<uint32_t>(address), {0x12, 0x34});
        }
    }

    ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
    const std::string expected = std::string(c.info) + c.main;
    ASSERT_EQ(expected.size(), probes.size());
    for (size_t i = 0; i < probes.size(); ++i) {
        const auto& [address, defined] = probes[i];
        SCOPED_TRACE(testing::Message() << std::hex << "word 0x" << address);
        const int32_t w = WordIndex(address);
        const uint8_t erase = expected[i] == '1' ? 1 : 0;
        EXPECT_EQ(Images.EraseMask[w], erase);
        EXPECT_EQ(Images.WriteMask[w], defined ? erase : 0);
        EXPECT_EQ(Images.VerifyMask[w], defined ? erase : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ModesSeriesAndLetters, EraseMaskTest,
    ::testing::Values(
        // Series 1: segments B (lowest) and A, no locked Info-A.
        EraseCase{"s1_mode0_all", &kSeries1, 0, {0, 0, 0, 0}, 0, 0, "1111", "11"},
        EraseCase{"s1_mode1_defined_info", &kSeries1, 1, {0, 0, 0, 0}, 0, 0, "1010", "11"},
        EraseCase{"s1_mode2_main_only", &kSeries1, 2, {1, 1, 1, 1}, 0, 0, "0000", "11"},
        EraseCase{"s1_mode3_defined_words", &kSeries1, 3, {0, 0, 0, 0}, 0, 0, "1010", "10"},
        EraseCase{"s1_mode4_A_on", &kSeries1, 4, {1, 0, 0, 0}, 0, 1, "0011", "10"},
        EraseCase{"s1_mode4_B_on", &kSeries1, 4, {0, 1, 0, 0}, 0, 1, "1100", "10"},
        // Series 2: D C B A from the lowest, A locked.
        EraseCase{"s2_mode0_all", &kSeries2, 0, {0, 0, 0, 0}, 0, 0, "11111111", "110"},
        EraseCase{"s2_mode1_infoA_kept", &kSeries2, 1, {0, 0, 0, 0}, 0, 0, "10101000", "110"},
        EraseCase{"s2_mode1_infoA_enabled", &kSeries2, 1, {0, 0, 0, 0}, 1, 0, "10101010", "110"},
        EraseCase{"s2_mode2_main_only", &kSeries2, 2, {1, 1, 1, 1}, 1, 0, "00000000", "110"},
        EraseCase{"s2_mode3_defined_words", &kSeries2, 3, {0, 0, 0, 0}, 0, 0, "10101010", "100"},
        EraseCase{"s2_mode4_A_C", &kSeries2, 4, {1, 0, 1, 0}, 0, 1, "00110011", "100"},
        EraseCase{"s2_mode4_B_D_no_main", &kSeries2, 4, {0, 1, 0, 1}, 0, 0, "11001100", "000"},
        EraseCase{"s2_other_mode_as_1", &kSeries2, 9, {0, 0, 0, 0}, 0, 0, "10101000", "110"},
        // Series 5: D C B A at 0x1800, A locked.
        EraseCase{"s5_mode0_all", &kSeries5, 0, {0, 0, 0, 0}, 0, 0, "11111111", "110"},
        EraseCase{"s5_mode1_infoA_kept", &kSeries5, 1, {0, 0, 0, 0}, 0, 0, "10101000", "110"},
        EraseCase{"s5_mode2_main_only", &kSeries5, 2, {0, 0, 0, 0}, 0, 0, "00000000", "110"},
        EraseCase{"s5_mode3_defined_words", &kSeries5, 3, {0, 0, 0, 0}, 0, 0, "10101010", "100"},
        EraseCase{"s5_mode4_D_only", &kSeries5, 4, {0, 0, 0, 1}, 0, 1, "11000000", "100"}),
    [](const ::testing::TestParamInfo<EraseCase>& info) { return std::string(info.param.what); });

TEST_F(ProgramImageTest, SegmentNeedFlagsComeFromTheMasks) {
    UseDevice("2619", 0xF26F);
    Settings.FlashEraseModeIndex = 3;
    DefineCode(0x1042, {1, 2}); // information segment C
    DefineCode(0x2400, {3});    // main segment 0x2400..0x25FF
    ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
    std::vector<int32_t> write, erase, check;
    for (int32_t k = 0; k < SegmentTable.count; ++k) {
        const MemorySegment& s = SegmentTable.segments[k];
        if (s.needsWrite) {
            write.push_back(s.start);
        }
        if (s.needsErase) {
            erase.push_back(s.start);
        }
        if (s.needsCheck) {
            check.push_back(s.start);
        }
    }
    const std::vector<int32_t> expected{0x1040, 0x2400};
    EXPECT_EQ(write, expected);
    EXPECT_EQ(erase, expected);
    EXPECT_EQ(check, expected);
}

TEST_F(ProgramImageTest, EarlyF5xxDevicesSkipTwoWordsWhenWriting) {
    for (int32_t early : {0, 1}) {
        SCOPED_TRACE(early);
        UseDevice("5438", 0x5438);
        ConnectedDevice.earlyF5xx = early;
        Settings.FlashEraseModeIndex = 3;
        DefineCode(0xFF7A, {1, 2, 3, 4, 5, 6, 7, 8});
        ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
        for (int32_t a : {0xFF7A, 0xFF7C, 0xFF7E, 0xFF80}) {
            SCOPED_TRACE(a);
            const bool skipped = early && (a == 0xFF7C || a == 0xFF7E);
            EXPECT_EQ(Images.WriteMask[WordIndex(a)], skipped ? 0 : 1);
            EXPECT_EQ(Images.VerifyMask[WordIndex(a)], 1);
            EXPECT_EQ(Images.EraseMask[WordIndex(a)], 1);
        }
    }
}

// ---------------------------------------------------------------------------
// Read mask.

struct ReadCase {
    const char* what;
    const Device* device;
    int32_t mode;
    int32_t all;
    const char* info; // one bit per information segment, lowest first
    // In the read range, outside it, and (where the device has one) below
    // the connected device's main start.
    const char* main;
};

class ReadMaskTest : public ProgramImageTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadMaskTest, MaskFollowsTheReadMode) {
    const ReadCase& c = GetParam();
    const Device& d = *c.device;
    UseDevice(d.name, d.id);
    Settings.FlashReadModeIndex = c.mode;
    Settings.ReadInfoSegmA = 1; // A and D on, B and C off
    Settings.ReadInfoSegmB = 0;
    Settings.ReadInfoSegmC = 0;
    Settings.ReadInfoSegmD = 1;
    Settings.ReadDefMainMemEn = 1;
    Settings.ReadStartAddr = d.mainProbe;
    Settings.ReadStopAddr = d.mainProbe + 0xFF;
    std::memset(Images.ReadMask, 1, sizeof Images.ReadMask); // must be cleared first
    ReadMaskBuild(c.all);

    std::vector<int32_t> probes;
    for (int32_t s = 0; s < d.infoCount; ++s) {
        probes.push_back(d.infoStart + s * d.infoSize + 6);
    }
    probes.push_back(d.mainProbe + 0xFE);
    probes.push_back(d.mainProbe + 0x100);
    if (d.below != 0) {
        probes.push_back(d.below);
    }
    const std::string expected = std::string(c.info) + c.main;
    ASSERT_EQ(expected.size(), probes.size());
    for (size_t i = 0; i < probes.size(); ++i) {
        SCOPED_TRACE(testing::Message() << std::hex << "word 0x" << probes[i]);
        EXPECT_EQ(Images.ReadMask[WordIndex(probes[i])], expected[i] == '1' ? 1 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ModesAndSeries, ReadMaskTest,
    ::testing::Values(ReadCase{"s1_mode0", &kSeries1, 0, 0, "11", "11"},
                      ReadCase{"s1_mode1_main_only", &kSeries1, 1, 0, "00", "11"},
                      ReadCase{"s1_mode2_info_only", &kSeries1, 2, 0, "11", "00"},
                      ReadCase{"s1_mode3_keys", &kSeries1, 3, 0, "01", "10"},
                      ReadCase{"s1_all_overrides_mode", &kSeries1, 3, 1, "11", "11"},
                      ReadCase{"s2_mode0", &kSeries2, 0, 0, "1111", "110"},
                      ReadCase{"s2_mode1_main_only", &kSeries2, 1, 0, "0000", "110"},
                      ReadCase{"s2_mode2_info_only", &kSeries2, 2, 0, "1111", "000"},
                      ReadCase{"s2_mode3_keys", &kSeries2, 3, 0, "1001", "100"},
                      ReadCase{"s5_mode0", &kSeries5, 0, 0, "1111", "110"},
                      ReadCase{"s5_mode3_keys", &kSeries5, 3, 0, "1001", "100"},
                      ReadCase{"s5_all_overrides_mode", &kSeries5, 2, 1, "1111", "110"}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.what); });

// ---------------------------------------------------------------------------
// Composition.

class ComposeTest : public ProgramImageTest {
protected:
    void SetUp() override {
        ProgramImageTest::SetUp();
        // Code over 0x2000..0x2007; the serial number goes to 0x2000 (4 bytes),
        // the model text to 0x2004 (2 bytes).
        DefineCode(0x2000, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17});
        Settings.SerializationEnable = 1;
        Settings.SNStartAddress = 0x2000;
        Settings.ModelTextEnable = 1;
        Settings.ModelTextStartAddr = 0x2004;
        Settings.ModelTextSize = 2;
        const uint8_t sn[] = {0xA0, 0xA1, 0xA2, 0xA3};
        std::memcpy(SerialData.SerialNumberBytes, sn, sizeof sn);
        SerialData.SerialNumberCount = 4;
        SerialData.ModelTextBytes[0] = 'M';
        SerialData.ModelTextBytes[1] = 'T';
    }
};

TEST_F(ComposeTest, SerialNumberAndModelTextPlacement) {
    const ByteMap code = Defined(Images.CodeImage);
    const ByteMap placed =
        Merge(Merge(code, BytesAt(0x2000, {0xA0, 0xA1, 0xA2, 0xA3})), BytesAt(0x2004, {'M', 'T'}));
    const ByteMap removed = BytesAt(0x2006, {0x16, 0x17});
    struct Case {
        const char* what;
        int32_t remove;
        int32_t place;
        int32_t options;
        int32_t serialization;
        int32_t model;
        int32_t result;
        ByteMap program;
    };
    const std::vector<Case> cases = {
        {"not placed: the code as it is", 0, 0, 0, 1, 1, 1, code},
        {"placed over the code", 0, 1, 0, 1, 1, 1, placed},
        {"code removed from both locations", 1, 0, 0, 1, 1, 1, removed},
        {"removed, then placed", 1, 1, 0, 1, 1, 1, placed},
        {"removed, model text alone placed (SN skipped)", 1, 1, 0x10, 1, 1, 1,
         Merge(removed, BytesAt(0x2004, {'M', 'T'}))},
        {"removed only where enabled", 1, 0, 0, 1, 0, 1, BytesAt(0x2004, {0x14, 0x15, 0x16, 0x17})},
        {"no serialization: nothing placed", 0, 1, 0, 0, 1, 1, code},
        {"overlap check fails on the code", 0, 1, 1, 1, 1, 0, code},
        {"overlap check passes once the code is removed", 1, 1, 1, 1, 1, 1, placed},
        {"other low option bits skip the check", 0, 1, 2, 1, 1, 1, placed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settings.RemoveCodefromSNlocationEn = c.remove;
        Settings.SerializationEnable = c.serialization;
        Settings.ModelTextEnable = c.model;
        ProgramImageClear();
        EXPECT_EQ(ProgramImageCompose(c.place, c.options), c.result);
        EXPECT_EQ(Defined(Images.ProgramImage), c.program);
        EXPECT_EQ(Defined(Images.CodeImage), code) << "the code image never changes";
        for (uint32_t a = 0x2000; a < 0x2008; ++a) {
            if (!c.program.count(a)) {
                EXPECT_EQ(Images.ProgramImage.data[ImageIndex(a)], 0xFF);
            }
        }
    }
}

TEST_F(ComposeTest, OverlapCheckCountsDefinedBytesOtherThan0xFF) {
    CodeImageClear();
    DefineCode(0x2000, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(SerialDataOverlapCheck(), 1);
    DefineCode(0x2005, {0x00});
    EXPECT_EQ(SerialDataOverlapCheck(), 0) << "a model-text byte";
    Settings.ModelTextEnable = 0;
    EXPECT_EQ(SerialDataOverlapCheck(), 1);
    DefineCode(0x2003, {0x7F});
    EXPECT_EQ(SerialDataOverlapCheck(), 0) << "a serial-number byte";
    Settings.RemoveCodefromSNlocationEn = 1;
    EXPECT_EQ(SerialDataOverlapCheck(), 1);
}

TEST_F(ComposeTest, PlacementPastTheWindowFails) {
    CodeImageClear();
    struct Case {
        const char* what;
        int32_t sn;
        int32_t model;
        int32_t options;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"both at the very top", 0x45BFA, 0x45BFE, 0, 1},
        {"serial number one byte past the top", 0x45BFD, 0x3000, 0, 0},
        {"model text one byte past the top", 0x3000, 0x45BFF, 0, 0},
        {"serial number far past the top", 0x7FFFFFF0, 0x3000, 0, 0},
        {"serial number below the window", 0x0FFE, 0x3000, 0, 0},
        {"a skipped serial number is not checked", 0x45BFD, 0x3000, 0x10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settings.SNStartAddress = c.sn;
        Settings.ModelTextStartAddr = c.model;
        EXPECT_EQ(ProgramImageCompose(1, c.options), c.result);
        if (c.result == 0) {
            EXPECT_EQ(Defined(Images.ProgramImage), ByteMap{}) << "nothing placed";
        }
        EXPECT_EQ(ProgramImagePrepare(1, c.options), c.result);
    }
    Settings.SNStartAddress = 0x45BFA;
    Settings.ModelTextStartAddr = 0x45BFE;
    ASSERT_EQ(ProgramImageCompose(1, 0), 1);
    EXPECT_EQ(Defined(Images.ProgramImage),
              Merge(BytesAt(0x45BFA, {0xA0, 0xA1, 0xA2, 0xA3}), BytesAt(0x45BFE, {'M', 'T'})));
}

TEST_F(ProgramImageTest, BslSecurityWord) {
    struct Case {
        const char* what;
        int32_t enable;
        int32_t index;
        bool above64k;
        std::vector<std::pair<uint32_t, uint8_t>> code;
        ByteMap program;
    };
    const std::vector<Case> cases = {
        {"off", 0, 0, false, {}, {}},
        {"index 0: 0xAA55", 1, 0, false, {}, BytesAt(0xFFDE, {0x55, 0xAA})},
        {"index 1: 0x0000", 1, 1, false, {}, BytesAt(0xFFDE, {0x00, 0x00})},
        {"index 2: 0xFFFF, defined", 1, 2, false, {}, BytesAt(0xFFDE, {0xFF, 0xFF})},
        {"any other index: 0x0000", 1, 7, false, {}, BytesAt(0xFFDE, {0x00, 0x00})},
        {"flash above 0xFFFF: at 0xFFBE", 1, 0, true, {}, BytesAt(0xFFBE, {0x55, 0xAA})},
        {"the file's word stays",
         1,
         0,
         false,
         {{0xFFDE, 0x12}, {0xFFDF, 0x34}},
         BytesAt(0xFFDE, {0x12, 0x34})},
        {"one byte of the file's word is enough",
         1,
         0,
         false,
         {{0xFFDF, 0x34}},
         BytesAt(0xFFDF, {0x34})},
        {"a word at 0xFFDE does not keep 0xFFBE",
         1,
         1,
         true,
         {{0xFFDE, 0x12}},
         Merge(BytesAt(0xFFDE, {0x12}), BytesAt(0xFFBE, {0x00, 0x00}))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CodeImageClear();
        for (const auto& [a, b] : c.code) {
            DefineCode(a, {b});
        }
        Settings.BSLEnhSecurityEn = c.enable;
        Settings.BSLEnhSecurityIndex = c.index;
        ConnectedDevice.above64k = c.above64k ? 1 : 0;
        EXPECT_EQ(ProgramImageCompose(0, 0), 1);
        EXPECT_EQ(Defined(Images.ProgramImage), c.program);
    }
}

TEST_F(ProgramImageTest, AppendedPasswordBytesFillWhatTheCodeLeavesOpen) {
    DefineCode(0xFFE0, {0x01});
    DefineCode(0xFFFE, {0x00, 0xF0});
    AppendPasswDataFromHexText("A0A1A2A3....A6A7A8A9AAABACADAEAFB0B1B2B3B4B5B6B7B8B9BABBBCBDBEBF");
    Settings.BSLAppendPasswordEn = 0;
    ASSERT_EQ(ProgramImageCompose(0, 0), 1);
    EXPECT_EQ(Defined(Images.ProgramImage), Defined(Images.CodeImage));

    Settings.BSLAppendPasswordEn = 1;
    ASSERT_EQ(ProgramImageCompose(0, 0), 1);
    ByteMap expected = Defined(Images.CodeImage);
    for (uint32_t i = 1; i < 30; ++i) {
        if (i != 4 && i != 5) {
            expected[0xFFE0 + i] = static_cast<uint8_t>(0xA0 + i);
        }
    }
    EXPECT_EQ(Defined(Images.ProgramImage), expected);

    PasswordFromCodeImage();
    EXPECT_EQ(Passwords.CodePassword[0], 0x01);
    EXPECT_EQ(Passwords.CodePassword[1], 0xA1);
    EXPECT_EQ(Passwords.CodePassword[4], 0xFF) << "neither the code nor the setup has it";
    EXPECT_EQ(Passwords.CodePassword[31], 0xF0);
    Settings.BSLAppendPasswordEn = 0;
    PasswordFromCodeImage();
    EXPECT_EQ(Passwords.CodePassword[1], 0xFF);
}

// ---------------------------------------------------------------------------
// Checks before erasing and programming.

TEST_F(ProgramImageTest, RetainLengthAcceptsTwoTo256BytesInsideTheWindow) {
    const std::vector<std::tuple<int32_t, int32_t, int32_t>> cases = {
        {0x1000, 0x1000, 0},   {0x1000, 0x1001, 2}, {0x1000, 0x10FF, 256},
        {0x1000, 0x1100, 0},   {0x0FFF, 0x1000, 0}, {0x45BFE, 0x45BFF, 2},
        {0x45BFF, 0x45C00, 0}, {0x2000, 0x1FFF, 0}, {0x2000, 0x1000, 0},
    };
    for (const auto& [start, stop, length] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << start << ".." << stop);
        Settings.RetainDataStart = start;
        Settings.RetainDataStop = stop;
        EXPECT_EQ(RetainLength(), length);
    }
}

TEST_F(ProgramImageTest, RetainedDataCheck) {
    struct Case {
        const char* what;
        const Device* device;
        int32_t calData;
        int32_t defined;
        int32_t start, stop;
        uint32_t code; // a defined code byte, 0 = none
        int32_t serialization, sn, model, modelStart;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"nothing kept", &kSeries2, 0, 0, 0x3000, 0x3000, 0x10F9, 1, 0x10F8, 1, 0x10F8, 1},
        {"calibration bytes in the code", &kSeries2, 1, 0, 0, 0, 0x10F9, 0, 0, 0, 0, 0},
        {"calibration kept only on series 2", &kSeries1, 1, 0, 0, 0, 0x10F9, 0, 0, 0, 0, 1},
        {"calibration kept only on series 2 (5)", &kSeries5, 1, 0, 0, 0, 0x10F9, 0, 0, 0, 0, 1},
        {"code next to the calibration bytes", &kSeries2, 1, 0, 0, 0, 0x10F7, 0, 0, 0, 0, 1},
        {"serial number over the calibration", &kSeries2, 1, 0, 0, 0, 0, 1, 0x10FE, 0, 0, 2},
        {"serial number ends before it", &kSeries2, 1, 0, 0, 0, 0, 1, 0x10F4, 0, 0, 1},
        {"serial number with serialization off", &kSeries2, 1, 0, 0, 0, 0, 0, 0x10FE, 0, 0, 1},
        {"model text over the calibration", &kSeries2, 1, 0, 0, 0, 0, 1, 0x2000, 1, 0x10F0, 2},
        {"model text needs serialization too", &kSeries2, 1, 0, 0, 0, 0, 0, 0x2000, 1, 0x10F0, 1},
        {"one-byte retain range is checked", &kSeries1, 0, 1, 0x3000, 0x3000, 0x3000, 0, 0, 0, 0,
         0},
        {"256-byte range, SN at its end", &kSeries1, 0, 1, 0x3000, 0x30FF, 0, 1, 0x30FF, 0, 0, 2},
        {"257-byte range is not checked", &kSeries1, 0, 1, 0x3000, 0x3100, 0x3000, 0, 0, 0, 0, 1},
        {"range below the window is not checked", &kSeries1, 0, 1, 0x0F00, 0x1000, 0x1000, 0, 0, 0,
         0, 1},
        {"code outside the range", &kSeries1, 0, 1, 0x3000, 0x30FF, 0x3100, 0, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CoreStateReset();
        ASSERT_EQ(DeviceTableParse(kDeviceFilterAll), 1);
        UseDevice(c.device->name, c.device->id);
        Settings.RetainInfoCalData = c.calData;
        Settings.RetainDefinedData = c.defined;
        Settings.RetainDataStart = c.start;
        Settings.RetainDataStop = c.stop;
        if (c.code != 0) {
            DefineCode(c.code, {0x00});
        }
        Settings.SerializationEnable = c.serialization;
        Settings.SNStartAddress = c.sn;
        SerialData.SerialNumberCount = 4;
        Settings.ModelTextEnable = c.model;
        Settings.ModelTextStartAddr = c.modelStart;
        Settings.ModelTextSize = 16;
        EXPECT_EQ(RetainedDataCheck(), c.result);
    }
}

TEST_F(ProgramImageTest, InfoAUseBits) {
    UseDevice("2619", 0xF26F); // locked Info-A 0x10C0..0x10FF
    Settings.FlashEraseModeIndex = 1;
    EXPECT_EQ(CodeImageInfoAUse(), 0);
    DefineCode(0x10FF, {0x00});
    EXPECT_EQ(CodeImageInfoAUse(), 1);
    ASSERT_EQ(ProgramImageCompose(0, 0), 1);
    EXPECT_EQ(CodeImageInfoAUse(), 3);
    CodeImageClear();
    Define(Images.ProgramImage, 0x10C0, 0x00);
    EXPECT_EQ(CodeImageInfoAUse(), 2);
    Settings.EraseInfoA_F2xx_En = 1;
    EXPECT_EQ(CodeImageInfoAUse(), 0);
    Settings.EraseInfoA_F2xx_En = 0;
    Settings.FlashEraseModeIndex = 0;
    EXPECT_EQ(CodeImageInfoAUse(), 0);
    Settings.FlashEraseModeIndex = 1;
    UseDevice("149"); // no locked Info-A
    EXPECT_EQ(CodeImageInfoAUse(), 0);
}

TEST_F(ProgramImageTest, FitChecks) {
    UseDevice("2274"); // flash 0x8000-0xFFFF, information 0x1000-0x10FF
    EXPECT_EQ(CodeImageFitsDevice(), 1) << "an empty image fits";
    DefineCode(0x1000, {1});
    DefineCode(0x10FF, {1});
    DefineCode(0x8000, {1});
    DefineCode(0xFFFF, {1});
    EXPECT_EQ(CodeImageFitsDevice(), 1);
    for (uint32_t outside : {0x1100u, 0x7FFFu, 0x10000u}) {
        SCOPED_TRACE(outside);
        DefineCode(outside, {1});
        EXPECT_EQ(CodeImageFitsDevice(), 0);
        Images.CodeImage.used[ImageIndex(outside)] = 0;
    }

    UseDevice("2619", 0xF26F); // connected: main 0x2100-0x1FFFF
    Define(Images.ProgramImage, 0x2100, 1);
    Define(Images.ProgramImage, 0x1FFFF, 1);
    Define(Images.ProgramImage, 0x10C0, 1);
    EXPECT_EQ(ProgramImageFitsDevice(), 1);
    Define(Images.ProgramImage, 0x20FF, 1);
    EXPECT_EQ(ProgramImageFitsDevice(), 0);
}

// The write's check: the programming image against the memory the run
// programs once identified, which may start higher than the selected row
// (the F41x of the identification tables starts at 0xE000, the row 415 at
// 0xC000); bytes outside it are told apart by whether the selected row has
// memory for them.
TEST_F(ProgramImageTest, ProgramImageFitTellsTheTargetFromTheSelectedDevice) {
    struct Case {
        std::vector<uint32_t> bytes;
        ImageFit fit;
    };
    const Case cases[] = {
        {{}, ImageFit::Fits},
        {{0x1000, 0x10FF, 0xE000, 0xFFFF}, ImageFit::Fits},
        {{0xE000, 0xC000}, ImageFit::OutsideTarget},
        {{0xE000, 0xDFFF}, ImageFit::OutsideTarget},
        {{0xE000, 0x10000}, ImageFit::OutsideDevice},
        {{0x1100, 0x10000}, ImageFit::OutsideDevice},
        // One byte the selected row has memory for settles it, wherever it lies.
        {{0x1100, 0xC000}, ImageFit::OutsideTarget},
        {{0xDFFF, 0x10000}, ImageFit::OutsideTarget},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        UseDevice("415", 0xF413);
        ConnectedDevice.mainStart = 0xE000; // as identification takes it from its record
        MemoryMapBuild(1);
        ProgramImageClear();
        for (const uint32_t a : c.bytes) {
            Define(Images.ProgramImage, a, 0x12);
        }
        EXPECT_EQ(ProgramImageFit(), c.fit);
        EXPECT_EQ(ProgramImageFitsDevice(), c.fit == ImageFit::Fits ? 1 : 0);
    }
}

// ---------------------------------------------------------------------------
// Checksums.

TEST_F(ProgramImageTest, CodeImageChecksumSumsDefinedWords) {
    EXPECT_EQ(CodeImageChecksum(), 0u);
    DefineCode(0x1000, {0x34, 0x12});
    DefineCode(0x2001, {0xAB}); // low byte undefined: 0xFF
    DefineCode(0x45BFE, {0x01});
    EXPECT_EQ(CodeImageChecksum(), 0x1234u + 0xABFFu + 0xFF01u);
    EXPECT_EQ(Images.ImageChecksum, 0x1234u + 0xABFFu + 0xFF01u);
    EXPECT_EQ(CodeImageUsedCount(), 4);

    // A full image of 0xFFFF words overflows 32 bits: the sum wraps.
    std::memset(Images.CodeImage.data, 0xFF, sizeof Images.CodeImage.data);
    std::memset(Images.CodeImage.used, 1, sizeof Images.CodeImage.used);
    EXPECT_EQ(CodeImageChecksum(), static_cast<uint32_t>(140800ull * 0xFFFF));
    EXPECT_EQ(CodeImageUsedCount(), kImageSize);
}

TEST_F(ProgramImageTest, ProgramImageChecksumSumsVerifiedWordsUpToTheFlashEnd) {
    UseDevice("149"); // connected defaults: flash end 0xFFFF
    Settings.FlashEraseModeIndex = 3;
    DefineCode(0x1000, {0x01, 0x02});
    DefineCode(0xFFFE, {0x00, 0xF0});
    DefineCode(0x3000, {0x05});
    ASSERT_EQ(ProgramImagePrepare(0, 0), 1);
    EXPECT_EQ(ProgramImageChecksum(), 1);
    EXPECT_EQ(Images.ImageChecksum, 0x0201u + 0xF000u + 0xFF05u);
    // Words beyond the flash end never count.
    Define(Images.ProgramImage, 0x10000, 0x77);
    Images.VerifyMask[WordIndex(0x10000)] = 1;
    EXPECT_EQ(ProgramImageChecksum(), 1);
    EXPECT_EQ(Images.ImageChecksum, 0x0201u + 0xF000u + 0xFF05u);
}

} // namespace
} // namespace codeimage_test
