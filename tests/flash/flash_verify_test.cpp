#include "tests/flash/flash_fixture.h"

#include "core/flash_state.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"

#include <algorithm>
#include <functional>

namespace {

using namespace core;
using flash_test::FlashTest;
using Transfer = std::pair<int32_t, int32_t>;

class FlashVerifyTest : public FlashTest {
protected:
    // Defines count pattern bytes at address and writes them to the target.
    void Program(int32_t address, int32_t count) {
        Define(address, Pattern(address, count));
        Prepare();
        ASSERT_EQ(TargetWriteImageBlock(address, count), kWriteOk);
    }
    static uint32_t SumOfWords(int32_t address, int32_t count) {
        uint32_t sum = 0;
        for (int32_t a = address; a < address + count; a += 2) {
            const int32_t i = ImageIndex(a);
            sum += Images.ProgramImage.data[i] + 256u * Images.ProgramImage.data[i + 1];
        }
        return sum;
    }
    static std::vector<Transfer> Verifies() {
        std::vector<Transfer> out;
        for (const sim::SimCall& c : CallsOf("MSP430_VerifyMem")) {
            out.emplace_back(c.args[0], c.args[1]);
        }
        return out;
    }
};

TEST_F(FlashVerifyTest, ARangeIsReadBackInChunksOfAtMost512Bytes) {
    Connect("149");
    Program(0x2000, 1500);
    sim::Sim().Log().Clear();
    ReadImageClear();
    EXPECT_EQ(TargetVerifyRange(0x2000, 1500), 1);
    EXPECT_EQ(Transfers(1), (std::vector<Transfer>{{0x2000, 512}, {0x2200, 512}, {0x2400, 476}}));
    EXPECT_EQ(Images.ReadImage[ImageIndex(0x25DB)], Pattern(0x25DB, 1)[0]);
    EXPECT_EQ(FlashOps.checksumTotal, SumOfWords(0x2000, 1500));

    // Chunks without a word to verify are not read.
    sim::Sim().Log().Clear();
    EXPECT_EQ(TargetVerifyRange(0x3000, 1024), 1);
    EXPECT_EQ(Transfers(1).size(), 0u);
}

TEST_F(FlashVerifyTest, RangeFailuresGiveZeroAfterTheirRetries) {
    struct Case {
        const char* what;
        std::function<void()> inject;
        int32_t result;
        std::vector<int32_t> reads; // chunk addresses read, in order
    };
    const Case cases[] = {
        {"a read failing once is retried by the second pass",
         [] { sim::Sim().FailReadAt(0x2300, 1); },
         1,
         {0x2000, 0x2200, 0x2000, 0x2200, 0x2400}},
        // Reported as a plain failure: the report knows only 1 and 0.
        {"a read that keeps failing",
         [] { sim::Sim().FailReadAt(0x2300, -1); },
         0,
         {0x2000, 0x2200, 0x2000, 0x2200}},
        {"a word that differs is read three times per pass",
         [] { sim::Sim().Poke(0x2210, 0x00); },
         0,
         {0x2000, 0x2200, 0x2200, 0x2200, 0x2000, 0x2200, 0x2200, 0x2200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect("149");
        Program(0x2000, 1500);
        c.inject();
        sim::Sim().Log().Clear();
        FlashOps.checksumTotal = 0;

        EXPECT_EQ(TargetVerifyRange(0x2000, 1500), c.result);
        std::vector<int32_t> reads;
        for (const Transfer& t : Transfers(1)) {
            reads.push_back(t.first);
        }
        EXPECT_EQ(reads, c.reads);
        // Only a pass that succeeds counts, and only once.
        EXPECT_EQ(FlashOps.checksumTotal, c.result == 1 ? SumOfWords(0x2000, 1500) : 0u);
    }
}

TEST_F(FlashVerifyTest, ChecksumRunsEndAtGapsAndAt512ByteBoundaries) {
    Connect("149");
    Define(0x1100, Pattern(0x1100, 6));
    Define(0x11F0, Pattern(0x11F0, 0x40));
    Define(0x1400, Pattern(0x1400, 1024));
    Prepare();
    ASSERT_EQ(TargetWriteImageBlock(0x1100, 0x200), kWriteOk);
    ASSERT_EQ(TargetWriteImageBlock(0x1400, 0x400), kWriteOk);
    ProgramImageChecksum();
    sim::Sim().Log().Clear();

    EXPECT_EQ(TargetVerifyChecksum(), 1);
    EXPECT_EQ(Verifies(),
              (std::vector<Transfer>{
                  {0x1100, 6}, {0x11F0, 0x10}, {0x1200, 0x30}, {0x1400, 512}, {0x1600, 512}}));
    EXPECT_EQ(FlashOps.checksumTotal, Images.ImageChecksum);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(FlashVerifyTest, ChecksumFailures) {
    struct Case {
        const char* what;
        std::function<void()> inject;
        int32_t result;
        size_t verifies;
    };
    const Case cases[] = {
        // Its words sum to 0 whether it verifies or not: the refusal must count.
        {"a run of zero words that is not on the target",
         [] {
             Define(0x2000, std::vector<uint8_t>(16, 0x00));
             Prepare();
             ProgramImageChecksum();
         },
         0, 6},
        {"a refusal once is retried by the second pass",
         [] { sim::Sim().FailOperation("MSP430_VerifyMem", 28, 1); }, 1, 4},
        {"a verify that cannot read", [] { sim::Sim().FailReadAt(0x3010, -1); }, 0, 4},
        {"a target that differs", [] { sim::Sim().Poke(0x3100, 0x00); }, 0, 4},
        // The link's failure ends the verify: nothing more is asked of a
        // closed interface, whose answers would hide the reason.
        {"the link fails under the first run",
         [] { sim::Sim().FailOperation("MSP430_VerifyMem", 35, 1); }, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect("149");
        Program(0x3000, 0x200);
        Define(0x3200, Pattern(0x3200, 0x10));
        Prepare();
        ASSERT_EQ(TargetWriteImageBlock(0x3200, 0x10), kWriteOk);
        ProgramImageChecksum();
        c.inject();
        sim::Sim().Log().Clear();
        EXPECT_EQ(TargetVerifyChecksum(), c.result);
        EXPECT_EQ(Verifies().size(), c.verifies);
        if (c.verifies == 1) {
            EXPECT_EQ(Debug_Error_Number(), 35);
        }
    }
}

} // namespace
