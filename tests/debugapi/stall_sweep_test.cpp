// An adapter that stalls (takes nothing in for a while, then answers
// everything that arrived, in order) at every request of a program-and-read
// cycle, for stalls around the link's read time-out, on both transports: a
// read never succeeds with bytes other than the board's, and afterwards a
// clean cycle passes.

#include "debugif/api_state.h"
#include "debugif/link_timing.h"
#include "tests/debugapi/debugapi_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace debugapi_test {
namespace {

constexpr uint32_t kStart = 0x1100;
constexpr uint32_t kCount = 1500; // several memory chunks on both transports

class StallSweepTest : public ::testing::TestWithParam<Route> {
protected:
    void SetUp() override {
        // Time-outs of tens of milliseconds: the serial stalls are real time.
        debugif::LinkTiming.serial_read_total_ms = 40;
        debugif::LinkTiming.serial_read_interval_ms = 20;
        debugif::LinkTiming.quiet_gap_ms = 20;
        debugif::LinkTiming.quiet_limit_ms = 400;
        debugif::LinkTiming.bootloader_probe_delay_ms = 1;
    }
    void TearDown() override { debugif::LinkTiming.Reset(); }

    // Connects, erases, writes the pattern and reads it back. Every read
    // that reports success must hold the board's bytes. True when every
    // step succeeded.
    static bool Cycle(ApiBench& b, const Bytes& image, std::string* wrong) {
        const core::DebugApi& api = b.api();
        char record[80] = {};
        int32_t version = 0;
        if (api.Initialize(b.Port().c_str(), &version) != 0 || api.VCC(3000) != 0 ||
            api.Identify(record, 80, 0) != 0 || api.Erase(1, 0xFFFE, 2) != 0) {
            return false;
        }
        Bytes data = image;
        if (api.Memory(kStart, reinterpret_cast<char*>(data.data()), kCount, 0) != 0) {
            return false;
        }
        Bytes read(kCount, 0);
        if (api.Memory(kStart, reinterpret_cast<char*>(read.data()), kCount, 1) != 0) {
            return false;
        }
        if (read != b.Peek(kStart, kCount)) {
            *wrong = "a read reported success with bytes the board does not hold";
        }
        return true;
    }
};

TEST_P(StallSweepTest, NoReadSucceedsWithWrongBytesAndACleanCycleFollows) {
    ApiBench b(GetParam(), "149");
    ASSERT_TRUE(b.ok()) << b.error();
    // The fake HID layer lets time pass only in the host's report waits.
    b.bench.peer.read_wait_ms = 600;
    std::string wrong;
    ASSERT_TRUE(Cycle(b, Pattern(kCount, 1), &wrong));
    ASSERT_EQ(wrong, "");
    const size_t requests = b.emu().Requests().size();
    ASSERT_GT(requests, 8u);

    // Around one try's wait for a reply, on each side of it and beyond
    // every try of one request.
    const bool hid = GetParam() == Route::kInProcessHid;
    const std::vector<uint32_t> stalls =
        hid ? std::vector<uint32_t>{300, 1300, 2500, 3000, 7000} : std::vector<uint32_t>{70, 160};
    uint8_t seed = 2;
    for (const uint32_t stall : stalls) {
        for (size_t at = 0; at < requests; ++at) {
            SCOPED_TRACE("stall of " + std::to_string(stall) + " ms at request " +
                         std::to_string(at));
            b.emu().ClearTrace();
            sim::EmuFaults f;
            f.stall_ms = stall;
            f.stall_at = static_cast<uint32_t>(at);
            f.stall_spacing_ms = hid ? 600 : 5;
            b.emu().SetFaults(f);
            Cycle(b, Pattern(kCount, seed++), &wrong);
            ASSERT_EQ(wrong, "");
            // A clean cycle passes once the adapter answers again; it may
            // have to connect anew.
            bool clean = false;
            for (int attempt = 0; attempt < 4 && !clean; ++attempt) {
                clean = Cycle(b, Pattern(kCount, seed++), &wrong);
                ASSERT_EQ(wrong, "");
            }
            EXPECT_TRUE(clean);
            EXPECT_EQ(b.emu().adapter.StallMs(), 0u);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, StallSweepTest,
                         ::testing::Values(Route::kInProcessPty, Route::kInProcessHid),
                         [](const ::testing::TestParamInfo<Route>& info) {
                             return info.param == Route::kInProcessHid ? "Hid" : "Serial";
                         });

} // namespace
} // namespace debugapi_test
