// One session with the target, start to end, by each route and for a
// device of series 1, 2 and 5: initialise, supply, identify, erase, write
// at an odd address, read back, verify (and fail after a byte of the
// flash changed), erase check, reset, run and the throttled state query,
// close.

#include "core/identify_record.h"
#include "tests/debugapi/debugapi_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <tuple>

namespace debugapi_test {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr int32_t kEraseMain = 1;
constexpr int32_t kWrite = 0;
constexpr int32_t kRead = 1;
constexpr int32_t kVerificationError = 28;

struct Board {
    const char* row;  // device-list row
    const char* name; // what identification reports
    bool f5;          // its cycle counter counts in the encoded digits
};

class SequenceTest : public ::testing::TestWithParam<std::tuple<Route, Board>> {};

char* Chars(Bytes& b) {
    return reinterpret_cast<char*>(b.data());
}

TEST_P(SequenceTest, ProgramsVerifiesRunsAndCloses) {
    const Route route = std::get<0>(GetParam());
    const Board board = std::get<1>(GetParam());
    ApiBench b(route, board.row);
    ASSERT_TRUE(b.ok()) << b.error();
    const bool manual_clock = b.UseManualClock();
    const core::DebugApi& api = b.api();
    commands_test::Emu& emu = b.emu();
    const std::string port = b.Port();

    int32_t version = 7;
    ASSERT_EQ(api.Initialize(port.c_str(), &version), 0) << b.LastError();
    EXPECT_EQ(version, -1) << "only a bootloader's version is passed on";
    ASSERT_EQ(api.VCC(3000), 0) << b.LastError();
    EXPECT_EQ(emu.Locked([&] { return emu.target.AdapterSupply(); }), 3000);

    char record[96];
    std::memset(record, 0x5A, sizeof record);
    ASSERT_EQ(api.Identify(record, 100, 0), 0) << b.LastError();
    EXPECT_EQ(static_cast<uint8_t>(record[80]), 0x5A) << "80 bytes at most";
    core::IdentifyRecord id;
    std::memcpy(id.MutableBytes().data(), record, 80);
    EXPECT_EQ(id.Marker(), core::IdentifyRecord::kMarker);
    EXPECT_EQ(std::string(id.Name()), board.name);
    const uint32_t main = id.MainStart();
    const uint32_t end = id.MainEnd();
    ASSERT_GT(end, main + 0x1000);

    ASSERT_EQ(
        api.Erase(kEraseMain, static_cast<int32_t>(main), static_cast<int32_t>(end - main + 1)), 0)
        << b.LastError();
    EXPECT_EQ(api.EraseCheck(static_cast<int32_t>(main), 0x1000), 0) << b.LastError();

    // An odd start and an odd end: both edge bytes go by word, the rest
    // (more than one memory command holds) as a block.
    const uint32_t at = main + 0x201;
    Bytes data = Pattern(600, 3);
    ASSERT_EQ(api.Memory(static_cast<int32_t>(at), Chars(data), 600, kWrite), 0) << b.LastError();
    Bytes expected(602, 0xFF);
    std::copy(data.begin(), data.end(), expected.begin() + 1);
    EXPECT_EQ(b.Peek(at - 1, 602), expected) << "the bytes beside the range stay erased";

    Bytes back(600, 0);
    ASSERT_EQ(api.Memory(static_cast<int32_t>(at), Chars(back), 600, kRead), 0) << b.LastError();
    EXPECT_EQ(back, data);
    EXPECT_EQ(api.VerifyMem(static_cast<int32_t>(at), 600, Chars(data)), 0) << b.LastError();
    EXPECT_EQ(api.EraseCheck(static_cast<int32_t>(at), 600), -1);

    // A changed byte inside the signature's range, then one at an edge.
    for (const uint32_t offset : {300u, 0u, 599u}) {
        SCOPED_TRACE(offset);
        b.Poke(at + offset, {static_cast<uint8_t>(data[offset] ^ 0x01)});
        EXPECT_EQ(api.VerifyMem(static_cast<int32_t>(at), 600, Chars(data)), -1);
        EXPECT_EQ(b.LastError(), kVerificationError);
        b.Poke(at + offset, {data[offset]});
        EXPECT_EQ(api.VerifyMem(static_cast<int32_t>(at), 600, Chars(data)), 0) << b.LastError();
    }
    EXPECT_EQ(api.EraseCheck(static_cast<int32_t>(at + 600), 0x100), 0) << b.LastError();

    ASSERT_EQ(api.Reset(7, 0, 0), 0) << b.LastError();
    ASSERT_EQ(api.RunCpu(1, 0), 0) << b.LastError();
    EXPECT_TRUE(emu.Locked([&] { return emu.target.running; }));

    int32_t state = 0;
    int32_t cycles = 0;
    ASSERT_EQ(api.CpuState(&state, 0, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 1);
    // The emulator counts 1000 cycles a query; the 0x91 family's counter
    // holds them in its encoded digits (0x3E8 reads 14 + 12 * 15 + 7 * 225).
    EXPECT_EQ(cycles, board.f5 ? 1769 : 1000);

    // The caller polls with the last answer (running) in state.
    emu.ClearTrace();
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(api.CpuState(&state, 0, &cycles), 0);
    EXPECT_THAT(emu.Requests(), SizeIs(1)) << "the first poll reaches the adapter";
    emu.ClearTrace();
    state = 1;
    cycles = -7;
    if (manual_clock) {
        b.clock.Advance(50);
    }
    ASSERT_EQ(api.CpuState(&state, 0, &cycles), 0);
    const auto elapsed = std::chrono::steady_clock::now() - t0;
    if (manual_clock || elapsed < std::chrono::milliseconds(100)) {
        EXPECT_THAT(emu.Requests(), IsEmpty()) << "a poll within 101 ms is answered at once";
        EXPECT_EQ(state, 1);
        EXPECT_EQ(cycles, -7) << "left as it was";
    }
    if (manual_clock) {
        b.clock.Advance(50);
        ASSERT_EQ(api.CpuState(&state, 0, &cycles), 0);
        EXPECT_THAT(emu.Requests(), IsEmpty()) << "100 ms after the poll that went out";
        b.clock.Advance(1);
    } else {
        std::this_thread::sleep_until(t0 + std::chrono::milliseconds(120));
    }
    ASSERT_EQ(api.CpuState(&state, 0, &cycles), 0);
    EXPECT_THAT(emu.Requests(), SizeIs(1)) << "101 ms on, the poll reaches the adapter";

    ASSERT_EQ(api.CpuState(&state, 1, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 0);
    EXPECT_FALSE(emu.Locked([&] { return emu.target.running; }));

    ASSERT_EQ(api.Close(1), 0) << b.LastError();
    EXPECT_EQ(emu.Locked([&] { return emu.target.AdapterSupply(); }), 0);
}

std::string Name(const ::testing::TestParamInfo<std::tuple<Route, Board>>& info) {
    static const char* const routes[] = {"Library", "InProcessPty", "InProcessHid"};
    return std::string(routes[static_cast<int>(std::get<0>(info.param))]) + "F" +
           std::get<1>(info.param).row;
}

INSTANTIATE_TEST_SUITE_P(Routes, SequenceTest,
                         ::testing::Combine(::testing::Values(Route::kLibraryPty,
                                                              Route::kInProcessPty,
                                                              Route::kInProcessHid),
                                            ::testing::Values(Board{"149", "MSP430F149", false},
                                                              Board{"2274", "MSP430F2274", false},
                                                              Board{"5438", "MSP430F5438", true})),
                         Name);

} // namespace
} // namespace debugapi_test
