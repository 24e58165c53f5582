// An adapter that stalls (takes nothing in for a while, then answers
// everything that arrived, in order) at every request of a program-and-read
// cycle, for stalls around the link's read time-out, on both transports: a
// read never succeeds with bytes other than the board's, and afterwards a
// clean cycle passes.

#include "core/device_table.h"
#include "core/retained_data.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
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

// The data an erase must keep (the DCO constants and a retain range of the
// same length, so that their reads look alike on the link), read under a
// stall at each of its requests: what is restored afterwards is what the
// board held, or nothing is restored because the read failed.
TEST_P(StallSweepTest, RetainedDataReadUnderAStallNeverRestoresOtherBytes) {
    using namespace core;
    ApiBench b(GetParam(), "2274");
    ASSERT_TRUE(b.ok()) << b.error();
    b.bench.peer.read_wait_ms = 600;
    ASSERT_EQ(DeviceTableParse(kDeviceFilterAll), 1);
    Settings.Reset();
    Settings.CommPortIndex = 3;
    Settings.Selected_UIF = b.Port();
    Settings.SelectedProcessorIndex = 0;
    Settings.RetainInfoCalData = 1;
    Settings.RetainDefinedData = 1;
    Settings.RetainDataStart = 0x8100;
    Settings.RetainDataStop = 0x8107;
    auto connect = [] {
        TargetClose();
        return TargetOpen() == 1 && TargetPowerSet(1) == 1 && TargetIdentify() == 1;
    };
    ASSERT_TRUE(connect());
    const Bytes dco = b.Peek(0x10F8, 8);
    const Bytes kept = Pattern(8, 0x31);
    b.Poke(0x8100, kept);
    ASSERT_NE(dco, Bytes(8, 0xFF));
    b.emu().ClearTrace();
    ASSERT_EQ(RetainedDataRead(), 1);
    const size_t requests = b.emu().Requests().size();
    ASSERT_GE(requests, 2u);

    const bool hid = GetParam() == Route::kInProcessHid;
    const std::vector<uint32_t> stalls =
        hid ? std::vector<uint32_t>{1300, 2500, 7000} : std::vector<uint32_t>{70, 160};
    for (const uint32_t stall : stalls) {
        for (size_t at = 0; at < requests; ++at) {
            SCOPED_TRACE("stall of " + std::to_string(stall) + " ms at request " +
                         std::to_string(at));
            sim::EmuFaults f;
            f.stall_ms = stall;
            f.stall_at = static_cast<uint32_t>(at);
            f.stall_spacing_ms = hid ? 600 : 5;
            b.emu().SetFaults(f);
            const int32_t read = RetainedDataRead();
            // The erase's work on the kept areas, then back on a clean link.
            b.Poke(0x10F8, Bytes(8, 0xFF));
            b.Poke(0x8100, Bytes(8, 0xFF));
            bool clean = false;
            for (int attempt = 0; attempt < 4 && !clean; ++attempt) {
                clean = connect();
            }
            ASSERT_TRUE(clean);
            EXPECT_EQ(b.emu().adapter.StallMs(), 0u);
            if (read == 1) {
                EXPECT_EQ(RetainedDataRestore() & 1, 1);
                EXPECT_EQ(b.Peek(0x10F8, 8), dco);
                EXPECT_EQ(b.Peek(0x8100, 8), kept);
            }
            // The board as it was, for the next round.
            b.Poke(0x10F8, dco);
            b.Poke(0x8100, kept);
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
