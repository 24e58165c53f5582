// An adapter that stalls (takes nothing in for a while, then answers
// everything that arrived, in order) at every request of a program-and-read
// cycle, for stalls around the link's read time-out, on both transports: a
// read never succeeds with bytes other than the board's, and afterwards a
// clean cycle passes. Then whole program cycles as AUTO PROGRAM runs them,
// stalled at each of their requests in turn: a stall below three of the
// link's time-outs is absorbed, and no cycle passes with other flash than
// the image.

#include "core/code_image.h"
#include "core/device_table.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/flash_read.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"
#include "core/memory_map.h"
#include "core/program_image.h"
#include "core/retained_data.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "debugif/api_state.h"
#include "debugif/link_timing.h"
#include "sim/emu_board.h"
#include "tests/debugapi/debugapi_fixture.h"
#include "tests/debugapi/program_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace debugapi_test {
namespace {

constexpr uint32_t kStart = 0x1100;
constexpr uint32_t kCount = 1500; // several memory chunks on both transports

// The serial stalls are real time: time-outs of tens of milliseconds (a
// 2-byte read waits 40 + 2 x 10 ms). Set once the bench has reset the
// link's state, before the port opens.
void ShortenLinkTimeouts() {
    debugif::LinkTiming.serial_read_total_ms = 40;
    debugif::LinkTiming.serial_read_interval_ms = 20;
    debugif::LinkTiming.quiet_gap_ms = 20;
    debugif::LinkTiming.quiet_limit_ms = 400;
    debugif::LinkTiming.bootloader_probe_delay_ms = 1;
}

class StallSweepTest : public ::testing::TestWithParam<Route> {
protected:
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
    ShortenLinkTimeouts();
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
    ShortenLinkTimeouts();
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

// Whole program cycles (program_cycle.h) stalled at each of their requests.
struct CycleShard {
    Route route;
    VerifyMode verify;
    uint32_t stall_ms;
};

constexpr uint8_t kRead = 13;
constexpr uint8_t kBlockWrite = 15;
constexpr uint8_t kVerify = 20;
constexpr uint8_t kAnnounce = 45;

std::string ShardName(const ::testing::TestParamInfo<CycleShard>& info) {
    const CycleShard& s = info.param;
    return std::string(s.route == Route::kInProcessHid ? "Hid" : "Serial") +
           (s.verify == VerifyMode::kFast ? "_Fast_" : "_Standard_") + std::to_string(s.stall_ms) +
           "ms";
}

class ProgramCycleStallTest : public ::testing::TestWithParam<CycleShard> {
protected:
    void TearDown() override { debugif::LinkTiming.Reset(); }
};

TEST_P(ProgramCycleStallTest, NoPassWithWrongFlashAndStallsBelowThreeTimeoutsAreAbsorbed) {
    const CycleShard s = GetParam();
    ApiBench b(s.route, kCycleBoard);
    ASSERT_TRUE(b.ok()) << b.error();
    ShortenLinkTimeouts();
    const bool hid = s.route == Route::kInProcessHid;
    if (hid) {
        b.bench.peer.read_wait_ms = 600;
        ASSERT_TRUE(b.UseManualClock());
    }
    ASSERT_TRUE(ProgramCycleSetup(b));

    b.emu().ClearTrace();
    ASSERT_EQ(ProgramCycle(s.verify), "");
    ASSERT_EQ(ProgramCycleFlashDifference(b), "");
    const std::vector<sim::EmuRequest> clean = b.emu().Requests();
    // The cycle holds what the sweep is about.
    auto count = [&](uint8_t id) {
        size_t n = 0;
        for (const sim::EmuRequest& r : clean) {
            n += r.id == id ? 1 : 0;
        }
        return n;
    };
    ASSERT_GT(count(kVerify), 3u);
    if (!hid) {
        ASSERT_EQ(count(kAnnounce), count(kVerify));
        ASSERT_GT(count(kBlockWrite), 0u);
    }
    if (s.verify == VerifyMode::kStandard) {
        ASSERT_GT(count(kRead), 0u);
    }

    // One time-out: a try's wait for a reply's length (40 ms and 10 ms a
    // byte on serial, one report read on HID).
    const uint32_t timeout_ms = hid ? 600 : 60;
    for (size_t at = 0; at < clean.size(); ++at) {
        SCOPED_TRACE("stall of " + std::to_string(s.stall_ms) + " ms at request " +
                     std::to_string(at) + " (command " + std::to_string(clean[at].id) + ")");
        sim::EmuFaults f;
        f.stall_ms = s.stall_ms;
        f.stall_at = static_cast<uint32_t>(at);
        f.stall_spacing_ms = hid ? 600 : 5;
        b.emu().SetFaults(f);
        const std::string failed = ProgramCycle(s.verify);
        const std::string wrong = ProgramCycleFlashDifference(b);
        ASSERT_TRUE(!failed.empty() || wrong.empty()) << "passed with " << wrong;
        if (s.stall_ms < 3 * timeout_ms) {
            EXPECT_EQ(failed, "");
            EXPECT_EQ(wrong, "");
            EXPECT_EQ(b.emu().adapter.StallMs(), 0u);
        }
    }
}

std::vector<CycleShard> CycleShards() {
    std::vector<CycleShard> out;
    for (const VerifyMode v : {VerifyMode::kFast, VerifyMode::kStandard}) {
        // Just past one and two time-outs, and one beyond three.
        for (const uint32_t ms : {70u, 130u, 250u}) {
            out.push_back({Route::kInProcessPty, v, ms});
        }
        for (const uint32_t ms : {700u, 1300u, 1700u, 2500u, 7000u}) {
            out.push_back({Route::kInProcessHid, v, ms});
        }
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Stalls, ProgramCycleStallTest, ::testing::ValuesIn(CycleShards()),
                         ShardName);

// The read-back verify stalled just past every try of one of its reads, at
// each read in turn: the link is given up, and the verify ends with that
// reason (35, "Could not communicate with FET"), as a stall anywhere else
// does. A second pass would only ask the interface the library closed and
// leave its own reason (34) in the place of the first. The core asks the
// library for its error number, as through the debug library bound by name.
TEST(ReadBackStallTest, AStallPastEveryTryOfAReadReportsTheLink) {
    ApiBench b(Route::kInProcessPty, kCycleBoard);
    ASSERT_TRUE(b.ok()) << b.error();
    ShortenLinkTimeouts();
    core::DebugApi table = b.api();
    table.Error_Number = [] { return debugif::Api.LastErrorNumber; };
    core::DebugApiUse(&table);
    ASSERT_TRUE(ProgramCycleSetup(b));
    ASSERT_EQ(ProgramCycle(VerifyMode::kStandard), "");

    // Identification builds the segments anew: the image marks them again.
    auto connect = [] {
        core::TargetClose();
        return core::TargetOpen() == 1 && core::TargetPowerSet(1) == 1 &&
               core::TargetIdentify() == 1 && core::ProgramImagePrepare(0, 0) == 1;
    };
    // 1 when every segment reads back as the image.
    auto read_back = [] {
        core::ReadImageClear();
        for (int32_t k = 0; k < core::SegmentTable.count; ++k) {
            const core::MemorySegment& s = core::SegmentTable.segments[k];
            if (s.needsCheck != 0 && core::TargetVerifyRange(s.start, s.length) != 1) {
                return 0;
            }
        }
        return 1;
    };
    ASSERT_TRUE(connect());
    b.emu().ClearTrace();
    ASSERT_EQ(read_back(), 1);
    const size_t reads = b.emu().Requests().size();
    ASSERT_GE(reads, 3u);
    for (const sim::EmuRequest& r : b.emu().Requests()) {
        ASSERT_EQ(r.id, kRead);
    }
    // Just past three of a serial try's waits (60 ms for a reply's length).
    for (size_t at = 0; at < reads; ++at) {
        SCOPED_TRACE("stall at read " + std::to_string(at));
        bool connected = false;
        for (int attempt = 0; attempt < 4 && !connected; ++attempt) {
            connected = connect();
        }
        ASSERT_TRUE(connected);
        sim::EmuFaults f;
        f.stall_ms = 250;
        f.stall_at = static_cast<uint32_t>(at);
        f.stall_spacing_ms = 5;
        b.emu().SetFaults(f);
        EXPECT_EQ(read_back(), 0);
        EXPECT_EQ(core::Debug_Error_Number(), 35);
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, StallSweepTest,
                         ::testing::Values(Route::kInProcessPty, Route::kInProcessHid),
                         [](const ::testing::TestParamInfo<Route>& info) {
                             return info.param == Route::kInProcessHid ? "Hid" : "Serial";
                         });

} // namespace
} // namespace debugapi_test
