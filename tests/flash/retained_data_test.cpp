#include "tests/flash/flash_fixture.h"

#include "core/flash_erase.h"
#include "core/flash_state.h"
#include "core/retained_data.h"

#include <functional>

namespace {

using namespace core;
using flash_test::FlashTest;
using Transfer = std::pair<int32_t, int32_t>;

class RetainedDataTest : public FlashTest {
protected:
    // Keeps first..last, which the board holds as a pattern.
    static void KeepRange(int32_t first, int32_t last) {
        Settings.RetainDefinedData = 1;
        Settings.RetainDataStart = first;
        Settings.RetainDataStop = last;
        sim::Sim().PokeRange(static_cast<uint32_t>(first), Pattern(first, last - first + 1));
    }
    static std::vector<uint8_t> Flash(int32_t first, int32_t count) {
        return sim::Sim().PeekRange(static_cast<uint32_t>(first), static_cast<uint32_t>(count));
    }
};

TEST_F(RetainedDataTest, DcoBytesAndTheRetainRangeSurviveAnEraseAll) {
    struct Case {
        const char* board;
        int32_t first, last; // odd start and odd length where the board allows
        bool dco;            // the DCO bytes are kept
    };
    const Case cases[] = {
        {"149", 0x2101, 0x2141, false},
        {"2274", 0x8101, 0x8141, true},
        {"5438", 0x1881, 0x1901, false}, // two information segments
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.board);
        Connect(c.board);
        Settings.EraseInfoA_F2xx_En = 1; // the DCO bytes go with the erase
        KeepRange(c.first, c.last);
        sim::Sim().Poke(static_cast<uint32_t>(c.first - 1), 0x00); // neighbours not kept
        sim::Sim().Poke(static_cast<uint32_t>(c.last + 1), 0x00);
        const std::vector<uint8_t> dco = Flash(0x10F8, 8);
        const std::vector<uint8_t> kept = Flash(c.first, c.last - c.first + 1);

        ASSERT_EQ(RetainedDataRead(), 1);
        EXPECT_EQ(FlashOps.dcoCopyValid, c.dco ? 1 : 0);
        ASSERT_EQ(TargetEraseAll(), 1);
        ASSERT_TRUE(AllBytes(c.first, c.last, 0xFF));
        EXPECT_EQ(RetainedDataRestore(), 0x11);

        EXPECT_EQ(Flash(c.first, c.last - c.first + 1), kept);
        EXPECT_EQ(sim::Sim().Peek(static_cast<uint32_t>(c.first - 1)), 0xFF);
        EXPECT_EQ(sim::Sim().Peek(static_cast<uint32_t>(c.last + 1)), 0xFF);
        if (c.dco) {
            EXPECT_EQ(Flash(0x10F8, 8), dco);
            EXPECT_NE(dco, std::vector<uint8_t>(8, 0xFF));
        }
    }
}

TEST_F(RetainedDataTest, ARestoreWithNothingToDoWritesNothing) {
    Connect("2274");
    KeepRange(0x8100, 0x81FF);
    ASSERT_EQ(RetainedDataRead(), 1);
    sim::Sim().Log().Clear();
    EXPECT_EQ(RetainedDataRestore(), 1);
    EXPECT_EQ(Transfers(0).size(), 0u);

    // Nothing kept at all.
    Connect("149");
    Settings.RetainInfoCalData = 1; // not a series-2 part: no DCO bytes to keep
    ASSERT_EQ(RetainedDataRead(), 1);
    EXPECT_EQ(Transfers(1).size(), 0u);
    EXPECT_EQ(RetainedDataRestore(), 1);
}

TEST_F(RetainedDataTest, OnlyTheRunsTheEraseTookAreWrittenBack) {
    Connect("149");
    KeepRange(0x8101, 0x8141);
    ASSERT_EQ(RetainedDataRead(), 1);
    ASSERT_EQ(TargetEraseAll(), 1);
    // One word of the range survived the erase.
    sim::Sim().PokeRange(0x8115, Pattern(0x8115, 2));
    sim::Sim().Log().Clear();
    EXPECT_EQ(RetainedDataRestore(), 0x11);
    EXPECT_EQ(Transfers(0), (std::vector<Transfer>{{0x8100, 22}, {0x8116, 44}}));
    EXPECT_EQ(Flash(0x8101, 0x41), Pattern(0x8101, 0x41));
}

TEST_F(RetainedDataTest, FailuresAreNeverPassed) {
    struct Case {
        const char* what;
        std::function<void()> before; // before the read
        std::function<void()> after;  // between the erase and the restore
        int32_t read;
        int32_t restore; // -1: not run
    };
    const Case cases[] = {
        {"the DCO bytes cannot be read", [] { sim::Sim().FailReadAt(0x10FA, 1); }, [] {}, 4, -1},
        {"the retain range cannot be read", [] { sim::Sim().FailReadAt(0x8110, 1); }, [] {}, 4, -1},
        {"the retain range is not a range",
         [] {
             Settings.RetainDataStart = 0x8200;
             Settings.RetainDataStop = 0x81FF;
         },
         [] {}, 0, -1},
        {"the DCO bytes cannot be written back", [] {}, [] { sim::Sim().FailWriteAt(0x10F8, 1); },
         1, 0},
        {"the range cannot be written back", [] {}, [] { sim::Sim().FailWriteAt(0x8120, 1); }, 1,
         0x10},
        {"a word the erase left changed", [] {}, [] { sim::Sim().Poke(0x8110, 0x00); }, 1, 0x10},
        // The DCO bytes went back before the range could not be read.
        {"the range cannot be read again", [] {}, [] { sim::Sim().FailReadAt(0x8100, 1); }, 1,
         0x10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect("2274");
        Settings.EraseInfoA_F2xx_En = 1;
        KeepRange(0x8100, 0x813F);
        c.before();
        EXPECT_EQ(RetainedDataRead(), c.read);
        if (c.restore < 0) {
            continue;
        }
        ASSERT_EQ(TargetEraseAll(), 1);
        c.after();
        EXPECT_EQ(RetainedDataRestore(), c.restore);
    }
}

} // namespace
