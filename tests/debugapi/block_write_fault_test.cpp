// A block write that fails between its command and its last acknowledgement
// on the serial link, inside a whole program cycle: the block-write
// command's answer damaged or lost, or a block's acknowledgement damaged
// or lost, at the first, a middle and the last place of the cycle where
// that can happen. The adapter carried the command out, so it takes the
// blocks whatever became of the answer. The write must fail; the board's
// flash, read back past the link, holds nothing but the image's bytes and
// erased ones; the target supply is off, also for the next session that
// asks; and the next cycle passes with the flash exact.

#include "core/settings.h"
#include "debugif/link_timing.h"
#include "sim/emu_adapter.h"
#include "tests/debugapi/debugapi_fixture.h"
#include "tests/debugapi/program_cycle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace debugapi_test {
namespace {

constexpr uint8_t kBlockWrite = 15;

enum class Spoil { kAnswerDamaged, kAnswerLost, kAckDamaged, kAckLost };
enum class Where { kFirst, kMiddle, kLast };

struct Case {
    Route route;
    Spoil spoil;
    Where where;
};

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    const Case& c = info.param;
    static const char* const kSpoils[] = {"AnswerDamaged", "AnswerLost", "AckDamaged", "AckLost"};
    static const char* const kWheres[] = {"First", "Middle", "Last"};
    return std::string(c.route == Route::kLibraryPty ? "Library_" : "InProcess_") +
           kSpoils[static_cast<int>(c.spoil)] + "_" + kWheres[static_cast<int>(c.where)];
}

// The spoil, let through `skip` times first (counted over the block-write
// command's answers, or over all bulk acknowledgements).
sim::EmuFaults FaultsFor(Spoil spoil, uint32_t skip) {
    sim::EmuFaults f;
    f.skip = skip;
    switch (spoil) {
    case Spoil::kAnswerDamaged:
        f.only_command = kBlockWrite;
        f.corrupt = 1;
        break;
    case Spoil::kAnswerLost:
        f.only_command = kBlockWrite;
        f.drop = 1;
        break;
    case Spoil::kAckDamaged:
        f.bulk_corrupt = 1;
        break;
    case Spoil::kAckLost:
        f.bulk_drop = 1;
        break;
    }
    return f;
}

uint32_t Place(Where where, size_t count) {
    switch (where) {
    case Where::kFirst:
        return 0;
    case Where::kMiddle:
        return static_cast<uint32_t>(count / 2);
    case Where::kLast:
        break;
    }
    return static_cast<uint32_t>(count - 1);
}

class BlockWriteFaultTest : public ::testing::TestWithParam<Case> {
protected:
    void TearDown() override { debugif::LinkTiming.Reset(); }
};

TEST_P(BlockWriteFaultTest, TheWriteFailsWithNothingButItsDataAndTheSupplyOff) {
    const Case c = GetParam();
    ApiBench b(c.route, kCycleBoard);
    ASSERT_TRUE(b.ok()) << b.error();
    // In process a lost answer costs tens of milliseconds; the library
    // keeps its own waits, and gets only the faults that cost none.
    debugif::LinkTiming.serial_read_total_ms = 40;
    debugif::LinkTiming.serial_read_interval_ms = 20;
    debugif::LinkTiming.quiet_gap_ms = 20;
    debugif::LinkTiming.quiet_limit_ms = 400;
    ASSERT_TRUE(ProgramCycleSetup(b));

    b.emu().ClearTrace();
    ASSERT_EQ(ProgramCycle(VerifyMode::kFast), "");
    const sim::EmuTrace clean = b.emu().adapter.trace();
    size_t commands = 0;
    for (const sim::EmuRequest& r : clean.requests) {
        commands += r.id == kBlockWrite ? 1 : 0;
    }
    ASSERT_GE(commands, 3u) << "a first, a middle and a last block write";
    const bool ack = c.spoil == Spoil::kAckDamaged || c.spoil == Spoil::kAckLost;
    const size_t places = ack ? clean.bulk_blocks.size() : commands;

    b.emu().SetFaults(FaultsFor(c.spoil, Place(c.where, places)));
    const std::string failed = ProgramCycle(VerifyMode::kFast);
    EXPECT_EQ(failed.rfind("write = ", 0), 0u) << failed;
    EXPECT_EQ(ProgramCycleFlashDifference(b, false), "");
    EXPECT_EQ(b.emu().Locked([&] { return b.emu().target.AdapterSupply(); }), 0);
    const sim::EmuFaults left = b.emu().adapter.faults();
    ASSERT_EQ(left.corrupt + left.drop + left.bulk_corrupt + left.bulk_drop, 0u)
        << "the spoil was spent";
    b.emu().SetFaults({});

    // The next session finds the target unpowered, then programs it.
    int32_t version = 0;
    int32_t millivolts = -1;
    ASSERT_EQ(b.api().Initialize(b.Port().c_str(), &version), 0) << b.LastError();
    ASSERT_EQ(b.api().ReadSupply(&millivolts), 0) << b.LastError();
    EXPECT_EQ(millivolts, 0);
    EXPECT_EQ(ProgramCycle(VerifyMode::kFast), "");
    EXPECT_EQ(ProgramCycleFlashDifference(b), "");
}

std::vector<Case> Cases() {
    std::vector<Case> out;
    for (const Where w : {Where::kFirst, Where::kMiddle, Where::kLast}) {
        for (const Spoil s :
             {Spoil::kAnswerDamaged, Spoil::kAnswerLost, Spoil::kAckDamaged, Spoil::kAckLost}) {
            out.push_back({Route::kInProcessPty, s, w});
        }
        // Quillbay's road: the debug library bound by name, whose waits are
        // the product's.
        out.push_back({Route::kLibraryPty, Spoil::kAnswerDamaged, w});
        out.push_back({Route::kLibraryPty, Spoil::kAckDamaged, w});
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Serial, BlockWriteFaultTest, ::testing::ValuesIn(Cases()), CaseName);

} // namespace
} // namespace debugapi_test
