// The fault sweep of AUTO PROGRAM: a clean F2274 run (serial number, model,
// DCO kept and checked) counts its debug calls N; then for every k < N the
// k-th call fails. Whatever fails, a run that says DONE has the programming
// image on every verified word, the factory DCO bytes and the serial number
// in place; a run that does not leaves no history record; and a clean run
// afterwards on the same board (the operator says so where asked) passes
// with the factory DCO bytes. Sharded by k.

#include "tests/gui/actions_fixture.h"

namespace guitest {
namespace {

constexpr int kShards = 4;

struct SweepCase {
    int32_t verifyMode; // 0 None, 2 Fast
    int shard;
};

class FaultSweepTest : public ActionsTest, public ::testing::WithParamInterface<SweepCase> {};

TEST_P(FaultSweepTest, NoFalseDone) {
    const SweepCase c = GetParam();
    Config("FlashEraseModeIndex 1\r\nEraseInfoA_F2xx_En 1\r\nRetainInfoCalData 1\r\n"
           "CheckDCOconstants_F2xx 1\r\nVerifyModeIndex " +
           std::to_string(c.verifyMode) + "\r\n");
    FixedSerialNumber sn;
    int32_t calls = 0;
    int32_t falseDone = 0;
    int32_t failedRuns = 0;
    Run([&](ui::Driver& d) {
        Device("2274");
        const std::vector<uint8_t> factory = Dco();
        core::Settings.SNStartAddress = 0xF000;
        core::Settings.ModelTextStartAddr = 0xF010;
        sn.Install();
        ASSERT_EQ(LoadTiTxt(0x8000, 0x300), 1);
        // The clean run's calls, counted from the click.
        CallWatch.count = 0;
        d.Click(1001);
        ASSERT_TRUE(Done(d.Target().GetItemText(1026)));
        calls = CallWatch.count;
        ASSERT_GT(calls, 20);
        for (int32_t k = c.shard; k < calls; k += kShards) {
            Device("2274");
            sim::Sim().ClearFaults();
            sn.historyRecords = 0;
            CallWatch.count = 0;
            CallWatch.failAt = k;
            // Every box the failure brings is answered No / OK.
            for (int i = 0; i < 8; ++i) {
                session().Boxes().Answer(platform::IDNO);
            }
            d.Click(1001);
            const std::string report = d.Target().GetItemText(1026);
            session().Boxes().Clear();
            CallWatch.failAt = -1;
            if (Done(report)) {
                const bool sound = FlashMatchesImage() && Dco() == factory &&
                                   sim::Sim().PeekRange(0xF000, 10) ==
                                       std::vector<uint8_t>(sn.number.begin(), sn.number.end());
                if (!sound) {
                    ++falseDone;
                    ADD_FAILURE() << "false DONE at call " << k << "\n" << report;
                }
            } else {
                ++failedRuns;
                EXPECT_EQ(sn.historyRecords, 0) << "call " << k;
            }
            // A clean run on the same board puts everything right: the
            // operator confirms it is the board a failed restore left
            // copies of, where one did.
            sim::Sim().ClearFaults();
            session().Boxes().Answer(platform::IDYES);
            d.Click(1001);
            session().Boxes().Clear();
            const std::string again = d.Target().GetItemText(1026);
            EXPECT_TRUE(Done(again)) << "after call " << k << "\n" << again;
            EXPECT_EQ(Dco(), factory) << "after call " << k;
        }
    });
    EXPECT_EQ(falseDone, 0);
    EXPECT_GT(failedRuns, 0);
}

std::vector<SweepCase> Cases() {
    std::vector<SweepCase> out;
    for (int32_t mode : {0, 2}) {
        for (int shard = 0; shard < kShards; ++shard) {
            out.push_back({mode, shard});
        }
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Shards, FaultSweepTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<SweepCase>& info) {
                             return std::string(info.param.verifyMode == 0 ? "VerifyNone"
                                                                           : "Fast") +
                                    "_" + std::to_string(info.param.shard);
                         });

} // namespace
} // namespace guitest
