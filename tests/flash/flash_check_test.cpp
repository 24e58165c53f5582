#include "tests/flash/flash_fixture.h"

#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/retained_data.h"

#include <functional>
#include <map>

namespace {

using namespace core;
using flash_test::FlashTest;

class FlashCheckTest : public FlashTest {
protected:
    static MemorySegment& SegmentAt(int32_t start) {
        for (int32_t k = 0; k < SegmentTable.count; ++k) {
            if (SegmentTable.segments[k].start == start) {
                return SegmentTable.segments[k];
            }
        }
        ADD_FAILURE() << "no segment at " << start;
        return SegmentTable.segments[0];
    }
};

TEST_F(FlashCheckTest, EraseVerifyFlagsTheKeptSegments) {
    struct Case {
        const char* what;
        const char* board;
        std::function<void()> setUp; // settings and data before the erase
        std::function<void()> after; // what the target holds after it
        int32_t result;
        std::map<int32_t, int32_t> states; // segment start -> state; every other segment 1
    };
    const auto retainAcrossTwoSegments = [] {
        Settings.RetainDefinedData = 1;
        Settings.RetainDataStart = 0x11F0;
        Settings.RetainDataStop = 0x120F;
        sim::Sim().PokeRange(0x11F0, Pattern(0x11F0, 0x20));
    };
    const Case cases[] = {
        {"nothing kept", "149", [] {}, [] {}, 0x01, {}},
        {"the locked Info-A", "2274", [] {}, [] {}, 0x11, {{0x10C0, 0x11}}},
        {"the DCO bytes",
         "2274",
         [] {
             Settings.EraseInfoA_F2xx_En = 1;
             Settings.RetainInfoCalData = 1;
         },
         [] {},
         0x21,
         {{0x10C0, 0x21}}},
        // Every segment the range overlaps is kept, not only those at its ends.
        {"a retain range over two segments",
         "149",
         retainAcrossTwoSegments,
         [] {},
         0x41,
         {{0x1100, 0x41}, {0x1200, 0x41}}},
        {"a retain range over three segments",
         "5438",
         [] {
             Settings.RetainDefinedData = 1;
             Settings.RetainDataStart = 0x1870;
             Settings.RetainDataStop = 0x196F;
             sim::Sim().PokeRange(0x1870, Pattern(0x1870, 0x100));
             sim::Sim().Poke(0x1990, 0x00); // Info-A holds data of its own
         },
         [] {},
         0x51,
         {{0x1800, 0x41}, {0x1880, 0x41}, {0x1900, 0x41}, {0x1980, 0x11}}},
        {"a kept segment with a stray byte",
         "149",
         retainAcrossTwoSegments,
         [] { sim::Sim().Poke(0x1300, 0x00); },
         0x40,
         {{0x1100, 0x41}, {0x1200, 0x42}}},
        {"a segment left unerased",
         "5438",
         [] {},
         [] { sim::Sim().Poke(0x8000, 0x00); },
         0x00,
         {{0x8000, 0x02}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect(c.board);
        c.setUp();
        ASSERT_EQ(RetainedDataRead(), 1);
        ASSERT_EQ(TargetEraseAll(), 1);
        ASSERT_EQ(RetainedDataRestore() & 1, 1);
        c.after();
        sim::Sim().Log().Clear();
        progress.clear();

        EXPECT_EQ(TargetEraseVerify(), c.result);
        const std::vector<MemorySegment> segments = DeviceSegments();
        for (const MemorySegment& s : segments) {
            const auto it = c.states.find(s.start);
            EXPECT_EQ(s.state, it != c.states.end() ? it->second : 1) << std::hex << s.start;
        }
        EXPECT_EQ(CallsOf("MSP430_EraseCheck").size(), segments.size());
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), 100);
    }
}

TEST_F(FlashCheckTest, BlankCheckTrustsTheStatesThenChecksWhatWillBeWritten) {
    Connect("149");
    Define(0x2000, {1, 2, 3, 4});
    Define(0x3000, {5, 6});
    Define(0x4000, {7, 8});
    Prepare();
    // 0x2000 is said to be blank, 0x3000 not; 0x4000 is unchecked.
    SegmentAt(0x2000).state = SegmentBlank;
    SegmentAt(0x3000).state = SegmentNotBlank;
    sim::Sim().Poke(0x2000, 0x00); // the state is believed
    sim::Sim().Poke(0x3100, 0x00); // nothing will be written there
    sim::Sim().Poke(0x4010, 0x00);

    EXPECT_EQ(TargetBlankCheck(), 1);
    const std::vector<sim::SimCall> checks = CallsOf("MSP430_EraseCheck");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].args, (std::vector<int32_t>{0x4000, 512}));
    EXPECT_EQ(Transfers(1),
              (std::vector<std::pair<int32_t, int32_t>>{{0x3000, 512}, {0x4000, 512}}));
    EXPECT_EQ(progress, (std::vector<int32_t>{33, 66, 100}));

    struct Case {
        const char* what;
        std::function<void()> inject;
    };
    const Case failures[] = {
        {"a byte to be written is not blank", [] { sim::Sim().Poke(0x3001, 0xFE); }},
        // The erase check and the read-back both fail.
        {"the read-back fails", [] { sim::Sim().FailReadAt(0x4010, 2); }},
    };
    for (const Case& c : failures) {
        SCOPED_TRACE(c.what);
        sim::Sim().Poke(0x3001, 0xFF);
        sim::Sim().ClearFaults();
        c.inject();
        EXPECT_EQ(TargetBlankCheck(), 0);
    }
}

// A link that fails under an erase check ends the check with its reason:
// nothing reads on through the closed interface, and a read that would
// still answer cannot turn the failure into a pass.
TEST_F(FlashCheckTest, AFailedLinkUnderTheEraseCheckEndsTheCheckWithItsReason) {
    struct Case {
        const char* what;
        std::function<int32_t()> check;
    };
    const Case cases[] = {
        {"blank check", [] { return TargetBlankCheck(); }},
        {"erase verify", [] { return TargetEraseVerify(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect("2274");
        Settings.RetainInfoCalData = 1; // the DCO segment would be read back
        Define(0x8000, {1, 2});
        Prepare();
        sim::Sim().FailOperation("MSP430_EraseCheck", 35, 1);
        sim::Sim().Log().Clear();
        EXPECT_EQ(c.check(), 0);
        EXPECT_EQ(Debug_Error_Number(), 35);
        EXPECT_EQ(sim::Sim().Log().Count("MSP430_Memory"), 0u);
        EXPECT_EQ(sim::Sim().Log().Count("MSP430_EraseCheck"), 1u);
    }
    // A check that found memory not blank still goes on to read it.
    Connect("149");
    Define(0x2000, {1, 2});
    Prepare();
    sim::Sim().Poke(0x2100, 0x00); // not blank, but nothing is written there
    sim::Sim().Log().Clear();
    EXPECT_EQ(TargetBlankCheck(), 1);
    EXPECT_GT(sim::Sim().Log().Count("MSP430_Memory"), 0u);
}

} // namespace
