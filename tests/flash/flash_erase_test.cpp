#include "tests/flash/flash_fixture.h"

#include "core/flash_erase.h"
#include "core/flash_state.h"

#include <functional>
#include <string>

namespace {

using namespace core;
using flash_test::FlashTest;

class FlashEraseTest : public FlashTest {
protected:
    // Code in the lowest information segment and near both ends of main flash.
    void DefineSpreadCode() {
        const MemoryMapInstance& map = MemoryMap.active;
        Define(map.infoStart + 2, {0x11, 0x22});
        Define(map.deviceMainStart + 0x10, {0x33, 0x44, 0x55});
        Define(map.deviceFlashEnd - 0x20, {0x66});
    }
    static bool Holds(const MemorySegment& s, int32_t a) { return a >= s.start && a <= s.end; }
};

TEST_F(FlashEraseTest, EveryModeErasesExactlyItsSegments) {
    // Which segment a mode erases: k counts from the lowest information
    // segment; info says whether it is one.
    using Expect = std::function<bool(const MemorySegment&, int32_t k, bool info)>;
    struct Case {
        const char* what;
        int32_t mode;
        int32_t eraseInfoA; // EraseInfoA_F2xx_En
        int32_t keys[4];    // EraseInfoSegmA..D (mode 4)
        Expect erased;
    };
    const auto locked = [](const MemorySegment& s) {
        return MemoryMap.active.lockedInfoA != 0 && s.start == MemoryMap.active.lockedStart;
    };
    const auto code = [](const MemorySegment& s) {
        const MemoryMapInstance& map = MemoryMap.active;
        return Holds(s, map.infoStart + 2) || Holds(s, map.deviceMainStart + 0x10) ||
               Holds(s, map.deviceMainStart + 0x12) || Holds(s, map.deviceFlashEnd - 0x20);
    };
    const auto userRange = [](const MemorySegment& s) {
        return s.start <= Settings.EraseFlashStop && Settings.EraseFlashStart <= s.end;
    };
    const Case cases[] = {
        {"none", 0, 0, {1, 1, 1, 1}, [](auto&, int32_t, bool) { return false; }},
        {"all but a locked Info-A",
         1,
         0,
         {0, 0, 0, 0},
         [&](auto& s, int32_t, bool) { return !locked(s); }},
        {"all with Info-A", 1, 1, {0, 0, 0, 0}, [](auto&, int32_t, bool) { return true; }},
        {"main only", 2, 1, {1, 1, 1, 1}, [](auto&, int32_t, bool info) { return !info; }},
        {"where the code lies",
         3,
         0,
         {0, 0, 0, 0},
         [&](auto& s, int32_t, bool) { return code(s); }},
        // Segment j from the lowest has letter (count - j): with two
        // segments B and A, with four D, C, B, A.
        {"user defined, B and D",
         4,
         0,
         {0, 1, 0, 1},
         [&](auto& s, int32_t k, bool info) {
             const int32_t letter = MemoryMap.active.infoSegments - k; // 1 = A
             return info ? (letter == 2 || letter == 4) : userRange(s);
         }},
        {"user defined, A chosen",
         4,
         0,
         {1, 0, 0, 0},
         [&](auto& s, int32_t k, bool info) {
             return info ? MemoryMap.active.infoSegments - k == 1 : userRange(s);
         }},
    };
    for (const std::string_view board : flash_test::kBoards) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << board << ": " << c.what);
            Connect(board);
            Settings.FlashEraseModeIndex = c.mode;
            Settings.EraseInfoA_F2xx_En = c.eraseInfoA;
            Settings.EraseInfoSegmA = c.keys[0];
            Settings.EraseInfoSegmB = c.keys[1];
            Settings.EraseInfoSegmC = c.keys[2];
            Settings.EraseInfoSegmD = c.keys[3];
            Settings.EraseDefMainMemEn = 1;
            Settings.EraseFlashStart = MemoryMap.active.deviceMainStart + 0x400;
            Settings.EraseFlashStop = MemoryMap.active.deviceMainStart + 0x7FF;
            DefineSpreadCode();
            Prepare();
            FillFlash(0x00);

            EXPECT_EQ(TargetErase(), 1);
            const std::vector<MemorySegment> segments = DeviceSegments();
            int32_t erasedCount = 0;
            for (size_t k = 0; k < segments.size(); ++k) {
                const MemorySegment& s = segments[k];
                const bool info = static_cast<int32_t>(k) < MemoryMap.active.infoSegments;
                const bool expected = c.erased(s, static_cast<int32_t>(k), info);
                SCOPED_TRACE(testing::Message() << std::hex << "segment 0x" << s.start);
                EXPECT_TRUE(AllBytes(s.start, s.end, expected ? 0xFF : 0x00));
                erasedCount += expected ? 1 : 0;
            }
            if (c.mode == 0) {
                EXPECT_EQ(sim::Sim().Log().Calls().size(), 0u); // not even a read
            }
            EXPECT_GT(erasedCount + (c.mode == 0 ? 1 : 0), 0);
            EXPECT_FALSE(sim::Sim().InfoAUnlocked()); // the bracket is closed again
            EXPECT_EQ(FlashOps.lockedAccess, 0);
            EXPECT_EQ(Target.TargetErrorLog, "");
        }
    }
}

TEST_F(FlashEraseTest, TheLockOpensOnlyAroundAnInfoASegmentErase) {
    Connect("2274");
    Settings.EraseInfoA_F2xx_En = 1;
    ASSERT_EQ(TargetEraseAll(), 1);
    std::vector<std::string> sequence;
    for (const sim::SimCall& c : sim::Sim().Log().Calls()) {
        sequence.push_back(c.text);
    }
    const std::vector<std::string> expected = {
        "MSP430_Memory(0x01000, 2, 1) = 0", "MSP430_Erase(0, 0x01000, 4) = 0",
        "MSP430_Memory(0x01040, 2, 1) = 0", "MSP430_Erase(0, 0x01040, 4) = 0",
        "MSP430_Memory(0x01080, 2, 1) = 0", "MSP430_Erase(0, 0x01080, 4) = 0",
        "MSP430_Configure(5, 1) = 0",       "MSP430_Memory(0x010C0, 2, 1) = 0",
        "MSP430_Erase(0, 0x010C0, 4) = 0",  "MSP430_Configure(5, 0) = 0",
        "MSP430_Memory(0x0FF00, 2, 1) = 0", "MSP430_Erase(1, 0x0FF00, 4) = 0",
    };
    EXPECT_EQ(sequence, expected);
    EXPECT_TRUE(AllBytes(0x10C0, 0x10FF, 0xFF)); // calibration gone: it was enabled
}

TEST_F(FlashEraseTest, AFailedEraseIsAFailure) {
    struct Case {
        const char* what;
        int32_t mode;
        int32_t faultAt;
    };
    const Case cases[] = {
        {"information segment of an erase-all", 1, 0x1000},
        {"the main erase", 1, 0xF000},
        {"the main-only erase", 2, 0x8000},
        {"a segment of a by-code erase", 3, 0x8200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect("2274");
        Settings.FlashEraseModeIndex = c.mode;
        Define(0x8000, {1, 2});
        Define(0x8200, {3, 4});
        Define(0x8400, {5, 6});
        Prepare();
        FillFlash(0x00);
        sim::Sim().FailEraseAt(static_cast<uint32_t>(c.faultAt), 1);
        EXPECT_EQ(TargetErase(), 0);
        EXPECT_EQ(Debug_Error_Number(), 14); // the library's reason stays with it
        // The failure stops the erase: what comes after it stays as it was.
        EXPECT_TRUE(AllBytes(0x8400, 0x85FF, 0x00));
        EXPECT_FALSE(sim::Sim().InfoAUnlocked());
    }

    // A target that does not answer is not erased.
    Connect("149");
    sim::Sim().FailReadAt(0xFF00, 1);
    EXPECT_EQ(TargetEraseMain(), 0);
    EXPECT_EQ(CallsOf("MSP430_Erase").size(), 0u);
}

TEST_F(FlashEraseTest, ProgressRisesPerSegmentAndEndsTheMainErase) {
    Connect("149");
    Settings.FlashEraseModeIndex = 3;
    Define(0x2000, {1});
    Define(0x3000, {1});
    Define(0x4000, {1});
    Prepare();
    ASSERT_EQ(TargetErase(), 1);
    EXPECT_EQ(progress, (std::vector<int32_t>{25, 50, 75}));

    progress.clear();
    ASSERT_EQ(TargetEraseMain(), 1);
    EXPECT_EQ(progress, (std::vector<int32_t>{0, 100}));
}

} // namespace
