#include "tests/flash/flash_fixture.h"

#include "core/flash_erase.h"
#include "core/flash_state.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"

#include <functional>

namespace {

using namespace core;
using flash_test::FlashTest;
using Transfer = std::pair<int32_t, int32_t>;

class FlashWriteTest : public FlashTest {
protected:
    // Writes what the image needs the way the write step does: each
    // information segment alone, runs of main segments as one block.
    static void WriteImage() {
        const MemoryMapInstance& map = MemoryMap.active;
        for (int32_t k = 0; k < SegmentTable.count;) {
            const MemorySegment& s = SegmentTable.segments[k];
            if (s.needsWrite == 0) {
                ++k;
                continue;
            }
            int32_t length = s.length;
            int32_t next = k + 1;
            while (k >= map.infoSegments && next < SegmentTable.count &&
                   SegmentTable.segments[next].needsWrite != 0) {
                length += SegmentTable.segments[next++].length;
            }
            ASSERT_EQ(TargetWriteImageBlock(s.start, length), kWriteOk) << std::hex << s.start;
            k = next;
        }
    }
    // Each device byte outside the locked Info-A: the programming image's
    // byte where it is defined, else 0xFF.
    static void ExpectFlashEqualsImage() {
        const MemoryMapInstance& map = MemoryMap.active;
        const ImageBytes& program = Images.ProgramImage;
        int32_t mismatches = 0;
        for (const MemorySegment& s : DeviceSegments()) {
            if (map.lockedInfoA != 0 && s.start == map.lockedStart) {
                continue;
            }
            for (int32_t a = s.start; a <= s.end; ++a) {
                const int32_t i = ImageIndex(a);
                const uint8_t want = program.used[i] ? program.data[i] : 0xFF;
                if (sim::Sim().Peek(static_cast<uint32_t>(a)) != want && mismatches++ < 5) {
                    ADD_FAILURE() << std::hex << "at 0x" << a;
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
};

TEST_F(FlashWriteTest, ASparseImageWrittenAndVerifiedEqualsTheFlash) {
    for (const std::string_view board : flash_test::kBoards) {
        SCOPED_TRACE(board);
        Connect(board);
        const MemoryMapInstance& map = MemoryMap.active;
        const int32_t main = map.deviceMainStart;
        const int32_t end = map.deviceFlashEnd;
        Define(map.infoStart + 5, Pattern(map.infoStart + 5, 3)); // odd start, odd length
        Define(main, Pattern(main, 16));
        Define(main + 0x5F0, Pattern(main + 0x5F0, 0x30));   // across a segment boundary
        Define(main + 0x801, {0x42});                        // one odd byte
        Define(main + 0x1000, Pattern(main + 0x1000, 6000)); // several kilobytes in a row
        Define(end - 0x1F, Pattern(end - 0x1F, 0x20));       // up to the last byte
        Define(0xFFFE, {0x00, 0x31});
        ASSERT_EQ(TargetEraseAll(), 1);
        Prepare();
        sim::Sim().Log().Clear();

        WriteImage();
        ExpectFlashEqualsImage();
        bool bigBlock = false;
        for (const Transfer& t : Transfers(0)) {
            bigBlock = bigBlock || t.second >= 6000;
        }
        EXPECT_TRUE(bigBlock) << "a run of segments goes as one transfer";

        ProgramImageChecksum();
        EXPECT_EQ(TargetVerifyChecksum(), 1);
        EXPECT_EQ(FlashOps.checksumTotal, Images.ImageChecksum);
        FlashOps.checksumTotal = 0;
        ReadImageClear();
        for (const MemorySegment& s : DeviceSegments()) {
            if (s.needsCheck != 0) {
                EXPECT_EQ(TargetVerifyRange(s.start, s.length), 1) << std::hex << s.start;
            }
        }
        EXPECT_EQ(FlashOps.checksumTotal, Images.ImageChecksum);
        EXPECT_EQ(Target.TargetErrorLog, "");
    }
}

TEST_F(FlashWriteTest, ABlockWithNothingToWriteSendsNothing) {
    struct Case {
        const char* what;
        std::function<void()> setUp;
    };
    const Case cases[] = {
        {"defined as 0xFF", [] { Define(0x2000, std::vector<uint8_t>(512, 0xFF)); }},
        {"outside the user-defined range",
         [] {
             Settings.FlashEraseModeIndex = 4;
             Settings.EraseDefMainMemEn = 1;
             Settings.EraseFlashStart = 0x3000;
             Settings.EraseFlashStop = 0x3FFF;
             Define(0x2000, Pattern(0x2000, 512));
         }},
        {"an undefined segment", [] {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect("2274");
        c.setUp();
        Prepare();
        sim::Sim().Log().Clear();
        EXPECT_EQ(TargetWriteImageBlock(0x2000, 512), kWriteOk);
        EXPECT_EQ(sim::Sim().Log().Calls().size(), 0u);
    }
}

TEST_F(FlashWriteTest, ImageBlockLimitsAndFailures) {
    Connect("149");
    Define(0x2000, Pattern(0x2000, 512));
    Prepare();
    EXPECT_EQ(TargetWriteImageBlock(0x0F00, 0x200), kWriteOutside);
    EXPECT_EQ(TargetWriteImageBlock(0xFF00, 0x101), kWriteOutside);
    EXPECT_EQ(Transfers(0).size(), 0u);

    // The write breaks off at 0x2100: what came before is in the target,
    // and nothing after that passes for written.
    sim::Sim().FailWriteAt(0x2100, 1);
    EXPECT_EQ(TargetWriteImageBlock(0x2000, 512), kWriteFailed);
    EXPECT_EQ(sim::Sim().Peek(0x20FF), Pattern(0x20FF, 1)[0]);
    EXPECT_EQ(sim::Sim().Peek(0x2100), 0xFF);
    EXPECT_EQ(TargetVerifyRange(0x2000, 512), 0);
    ProgramImageChecksum();
    EXPECT_EQ(TargetVerifyChecksum(), 0);
}

TEST_F(FlashWriteTest, EarlyF5xxPartsNeverGetTheirProtectedBytesThroughALowBlock) {
    struct Case {
        const char* what;
        bool early;
        bool throughImage;
        bool patched;
    };
    const Case cases[] = {
        {"data on an early part", true, false, true},
        {"the image on an early part", true, true, true},
        {"data on a production part", false, false, false},
    };
    const std::vector<uint8_t> bytes = Pattern(0xFF70, 16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect("5438", c.early);
        if (c.throughImage) {
            Define(0xFF70, bytes);
            Prepare();
            EXPECT_EQ(TargetWriteImageBlock(0xFF70, 16), kWriteOk);
        } else {
            EXPECT_EQ(TargetWriteData(0xFF70, 16, bytes.data()), 1);
        }
        EXPECT_EQ(Transfers(0), (std::vector<Transfer>{{0xFF70, 16}}));
        const std::vector<uint8_t> flash = sim::Sim().PeekRange(0xFF70, 16);
        for (int32_t i = 0; i < 16; ++i) {
            const bool protectedByte = 0xFF70 + i >= 0xFF7C && c.patched;
            EXPECT_EQ(flash[static_cast<size_t>(i)],
                      protectedByte ? 0xFF : bytes[static_cast<size_t>(i)])
                << i;
        }
    }
}

TEST_F(FlashWriteTest, DataIsWrittenWholeAndNeverTouchesItsNeighbours) {
    struct Case {
        int32_t address;
        int32_t length;
        std::vector<Transfer> transfers;
    };
    const Case cases[] = {
        {0x2000, 4, {{0x2000, 4}}},
        {0x2001, 4, {{0x2000, 6}}},
        {0x2000, 3, {{0x2000, 4}}},
        {0x2001, 3, {{0x2000, 4}}},
        {0x2000, 1, {{0x2000, 2}}},
        {0x2001, 1, {{0x2000, 2}}},
        // More than 256 bytes go in pieces at 256-byte boundaries, none cut off.
        {0x10F0, 300, {{0x10F0, 16}, {0x1100, 256}, {0x1200, 28}}},
        {0x2081, 700, {{0x2080, 128}, {0x2100, 256}, {0x2200, 256}, {0x2300, 62}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.address << " " << std::dec << c.length);
        Connect("149");
        // Programmed neighbours on both sides.
        sim::Sim().Poke(static_cast<uint32_t>(c.address - 1), 0x3C);
        sim::Sim().Poke(static_cast<uint32_t>(c.address + c.length), 0x3C);
        const std::vector<uint8_t> bytes = Pattern(c.address, c.length);

        EXPECT_EQ(TargetWriteData(c.address, c.length, bytes.data()), 1);
        EXPECT_EQ(Transfers(0), c.transfers);
        EXPECT_EQ(
            sim::Sim().PeekRange(static_cast<uint32_t>(c.address), static_cast<uint32_t>(c.length)),
            bytes);
        EXPECT_EQ(sim::Sim().Peek(static_cast<uint32_t>(c.address - 1)), 0x3C);
        EXPECT_EQ(sim::Sim().Peek(static_cast<uint32_t>(c.address + c.length)), 0x3C);
    }

    // The last byte of the largest flash.
    Connect("5438");
    const uint8_t last = 0x5A;
    EXPECT_EQ(TargetWriteData(0x45BFF, 1, &last), 1);
    EXPECT_EQ(sim::Sim().Peek(0x45BFF), 0x5A);
    EXPECT_EQ(sim::Sim().Peek(0x45BFE), 0xFF);
}

TEST_F(FlashWriteTest, DataOutsideTheFlashIsAFailureNotAStatus) {
    Connect("149");
    const std::vector<uint8_t> bytes(8, 0x12);
    // Results of this call reach the report as they are: only 1 or 0.
    EXPECT_EQ(TargetWriteData(0x0FFE, 4, bytes.data()), 0);
    EXPECT_EQ(TargetWriteData(0xFFFE, 4, bytes.data()), 0);
    EXPECT_EQ(TargetWriteData(0x0200, 4, bytes.data()), 0); // RAM is not flash
    EXPECT_EQ(TargetWriteData(0x2000, 4, nullptr), 0);
    EXPECT_EQ(Transfers(0).size(), 0u);
    sim::Sim().FailWriteAt(0x2204, 1);
    EXPECT_EQ(TargetWriteData(0x2000, 600, std::vector<uint8_t>(600, 0).data()), 0);
    EXPECT_EQ(Transfers(0).size(), 3u); // stopped at the piece that failed
}

TEST_F(FlashWriteTest, TheLockedInfoAIsWrittenInsideTheBracket) {
    Connect("2274");
    sim::Sim().PokeRange(0x10C0, std::vector<uint8_t>(64, 0xFF));
    const std::vector<uint8_t> bytes = Pattern(0x10C0, 4);
    ASSERT_EQ(TargetWriteData(0x10C0, 4, bytes.data()), 1);
    EXPECT_EQ(sim::Sim().PeekRange(0x10C0, 4), bytes);
    std::vector<std::vector<int32_t>> configures;
    for (const sim::SimCall& c : CallsOf("MSP430_Configure")) {
        configures.push_back(c.args);
    }
    EXPECT_EQ(configures, (std::vector<std::vector<int32_t>>{{5, 1}, {5, 0}}));
    EXPECT_FALSE(sim::Sim().InfoAUnlocked());

    sim::Sim().Log().Clear();
    ASSERT_EQ(TargetWriteData(0x1080, 4, bytes.data()), 1); // Info-B needs no bracket
    EXPECT_EQ(CallsOf("MSP430_Configure").size(), 0u);
}

} // namespace
