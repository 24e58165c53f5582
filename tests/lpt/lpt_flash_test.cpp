// Flash erase and write through the RAM routines over the parallel-port
// path on the fake JTAG target: the routines really run on the simulated
// CPU against its flash controller, with the clock set by measurement;
// and on each board the run of a program after the flash work.

#include "debugif/device_id_state.h"
#include "debugif/flash_clock.h"
#include "debugif/flash_program.h"
#include "debugif/flash_routine.h"
#include "debugif/lpt_interface_path.h"
#include "debugif/lpt_routine_tables.h"
#include "debugif/lpt_state.h"
#include "tests/lpt/lpt_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace lpt_test {
namespace {

constexpr int32_t kWrite = 0;
constexpr int32_t kRead = 1;
constexpr int32_t kEraseSegment = 0;
constexpr int32_t kEraseMain = 1;
constexpr int32_t kEraseAll = 2;

std::vector<char> Pattern(size_t n, int seed) {
    std::vector<char> data(n);
    for (size_t i = 0; i < n; ++i) {
        data[i] = static_cast<char>(i * 13 + static_cast<size_t>(seed));
    }
    return data;
}

int32_t Reg(int32_t n) {
    int32_t v = 0;
    MSP430_RegisterAccess(&v, n, 1);
    return v;
}

void SetReg(int32_t n, int32_t v) {
    MSP430_RegisterAccess(&v, n, 0);
}

bool Traced(const FakeJtagTarget& fake, const std::string& line) {
    return std::find(fake.trace.begin(), fake.trace.end(), line) != fake.trace.end();
}

// A 16-bit FLL device: the clock is found by a binary search over the tap.
constexpr Board kF449 = {"449", 0x89, false, false, false, 1};

class LptFlashBoards : public ::testing::TestWithParam<Board> {};

TEST_P(LptFlashBoards, EraseWriteReadVerifyAndCheck) {
    LptBench b(GetParam());
    ASSERT_TRUE(b.ok);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    const core::IdentifyRecord& id = debugif::gDeviceId.identifyRecord;
    const uint32_t main = id.MainStart();
    const uint32_t info = id.InfoStart();
    b.target.Poke(main + 0x10, 0x00);
    b.target.Poke(info, 0x00);

    ASSERT_EQ(MSP430_Erase(kEraseMain, static_cast<int32_t>(main), 2), 0) << b.LastError();
    EXPECT_EQ(b.target.Peek(main + 0x10), 0xFF);
    EXPECT_EQ(b.target.Peek(info), 0x00) << "main erase keeps the information memory";
    ASSERT_EQ(MSP430_Erase(kEraseSegment, static_cast<int32_t>(info), 2), 0) << b.LastError();
    EXPECT_EQ(b.target.Peek(info), 0xFF);

    // An odd start and an odd length: the edges go in as their words.
    const uint32_t at = main + 0x101;
    std::vector<char> data = Pattern(41, 5);
    ASSERT_EQ(MSP430_Memory(static_cast<int32_t>(at), data.data(), 41, kWrite), 0) << b.LastError();
    EXPECT_EQ(b.target.Peek(at - 1), 0xFF);
    EXPECT_EQ(b.target.Peek(at + 41), 0xFF);
    std::vector<char> back(41);
    ASSERT_EQ(MSP430_Memory(static_cast<int32_t>(at), back.data(), 41, kRead), 0) << b.LastError();
    EXPECT_EQ(back, data);
    EXPECT_EQ(MSP430_VerifyMem(static_cast<int32_t>(at), 41, data.data()), 0) << b.LastError();
    b.target.Poke(at + 20, static_cast<uint8_t>(data[20] ^ 0x01));
    EXPECT_EQ(MSP430_VerifyMem(static_cast<int32_t>(at), 41, data.data()), -1);
    EXPECT_EQ(b.LastError(), 28);

    EXPECT_EQ(MSP430_EraseCheck(static_cast<int32_t>(main + 0x400), 0x200), 0) << b.LastError();
    EXPECT_EQ(MSP430_EraseCheck(static_cast<int32_t>(main), 0x200), -1);
    ASSERT_EQ(MSP430_Erase(kEraseAll, static_cast<int32_t>(main), 2), 0) << b.LastError();
    EXPECT_EQ(MSP430_EraseCheck(static_cast<int32_t>(main), 0x400), 0) << b.LastError();
    // The routines ran inside their RAM and parked where they should.
    EXPECT_FALSE(Traced(*b.fake, "step cap"));
    // The odd write programmed its words and nothing beside them.
    ASSERT_FALSE(b.fake->flashWrites.empty());
    EXPECT_EQ(b.fake->flashWrites.front().first, at - 1);
    EXPECT_EQ(b.fake->flashWrites.front().second, at + 40);

    // Then a program in RAM: reset, single steps, a run from a mode-9
    // address, the state, close.
    const int32_t program = debugif::JtagDeviceProfile::Current().RamStart() + 0x100;
    const std::vector<char> code = {0x35, 0x40, 0x34, 0x12, 0x16, 0x53, -1, 0x3F};
    ASSERT_EQ(MSP430_Memory(program, const_cast<char*>(code.data()), 8, kWrite), 0)
        << b.LastError();
    ASSERT_EQ(MSP430_Reset(1, 0, 0), 0) << b.LastError();
    SetReg(0, program);
    SetReg(5, 0);
    SetReg(6, 5);
    int32_t state = -1;
    int32_t cycles = 0;
    ASSERT_EQ(MSP430_RunCpu(2, 0), 0) << b.LastError();
    ASSERT_EQ(MSP430_CpuState(&state, 0, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 2);
    EXPECT_EQ(Reg(5), 0x1234);
    EXPECT_EQ(Reg(0), program + 4);
    ASSERT_EQ(MSP430_RunCpu(2, 0), 0) << b.LastError();
    ASSERT_EQ(MSP430_CpuState(&state, 0, &cycles), 0) << b.LastError();
    EXPECT_EQ(Reg(6), 6);
    SetReg(0, program);
    SetReg(5, 0);
    ASSERT_EQ(MSP430_Configure(9, program + 4), 0);
    ASSERT_EQ(MSP430_RunCpu(1, 0), 0) << b.LastError();
    b.fake->Step(5);
    ASSERT_EQ(MSP430_CpuState(&state, 1, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 0);
    EXPECT_EQ(Reg(5), 0) << "started past the first instruction";
    EXPECT_EQ(Reg(6), 7);
    EXPECT_EQ(Reg(0), program + 6) << "parked on its jump";
    EXPECT_EQ(MSP430_Close(1), 0);
}

INSTANTIATE_TEST_SUITE_P(Boards, LptFlashBoards,
                         ::testing::Values(kF149, kF2619, kF2274, kF449, kF5438),
                         [](const auto& info) { return std::string("F") + info.param.device; });

TEST(LptFlashTest, AWriteAbove64KOnA20BitCpu) {
    LptBench b(kF2619);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    const uint8_t low = b.target.Peek(0x0100);
    const std::vector<char> data = Pattern(64, 9);
    ASSERT_EQ(MSP430_Memory(0x10100, const_cast<char*>(data.data()), 64, kWrite), 0)
        << b.LastError();
    EXPECT_EQ(b.target.Peek(0x10100), static_cast<uint8_t>(data[0]));
    EXPECT_EQ(b.target.Peek(0x1013F), static_cast<uint8_t>(data[63]));
    EXPECT_EQ(b.target.Peek(0x0100), low) << "not wrapped into the first 64 KB";
    ASSERT_EQ(MSP430_Erase(kEraseSegment, 0x10100, 2), 0) << b.LastError();
    EXPECT_EQ(b.target.Peek(0x10100), 0xFF);
}

TEST(LptFlashTest, AMassEraseKeepsTheLockedInfoAOf64ByteSegments) {
    for (int32_t config5 : {0, 1}) {
        LptBench b(kF2274);
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        ASSERT_EQ(MSP430_Configure(5, config5), 0);
        for (uint32_t a : {0x1000u, 0x1040u, 0x1080u, 0x10C0u}) {
            b.target.Poke(a + 2, 0x00);
        }
        b.fake->trace.clear();
        ASSERT_EQ(MSP430_Erase(kEraseAll, 0x8000, 2), 0) << b.LastError();
        if (config5 == 0) {
            EXPECT_TRUE(Traced(*b.fake, "erase segment 1000"));
            EXPECT_TRUE(Traced(*b.fake, "erase segment 1040"));
            EXPECT_TRUE(Traced(*b.fake, "erase segment 1080"));
            EXPECT_FALSE(Traced(*b.fake, "erase segment 10C0"));
            EXPECT_EQ(b.target.Peek(0x10C2), 0x00) << "Info A and its calibration stay";
        } else {
            EXPECT_FALSE(Traced(*b.fake, "erase segment 1000"));
            EXPECT_EQ(b.target.Peek(0x10C2), 0xFF) << "opened, Info A goes with the rest";
        }
        EXPECT_EQ(b.target.Peek(0x1042), 0xFF);
        EXPECT_FALSE(b.target.InfoAUnlocked()) << "the lock is put back";
    }
}

TEST(LptFlashTest, ConfigTenKeepsRam) {
    for (int32_t keep : {1, 0}) {
        LptBench b(kF149);
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        ASSERT_EQ(MSP430_Configure(10, keep), 0);
        std::vector<uint8_t> ram(0x800);
        for (size_t i = 0; i < ram.size(); ++i) {
            ram[i] = static_cast<uint8_t>(i * 7 + 1);
        }
        b.target.PokeRange(0x0200, ram);
        const uint8_t sfr = b.target.Peek(0x0002);
        const uint8_t dco = b.target.Peek(0x0056);
        ASSERT_EQ(MSP430_Erase(kEraseMain, 0x1100, 2), 0) << b.LastError();
        EXPECT_EQ(b.target.PeekRange(0x0200, 0x800) == ram, keep == 1) << keep;
        EXPECT_EQ(b.target.Peek(0x0002), sfr) << "the SFR bytes come back";
        EXPECT_EQ(b.target.Peek(0x0056), dco) << "so does the clock";
    }
}

// Routines that misbehave: looping, parking elsewhere, started at an odd
// load address. The step cap and the poll bound end them.
TEST(LptFlashTest, ARoutineThatNeverParksAtItsEndFails) {
    struct Case {
        const char* what;
        std::vector<uint16_t> routine;
        bool capped;
        bool loaded;
    };
    const std::vector<Case> cases = {
        // inc r5; jmp back
        {"loops", {0x0200, 0x020C, 0x0210, 0, 0, 0, 0x5315, 0x3FFE, 0x3FFF}, true, true},
        // nop; parks at 0x020E while its end says 0x0210
        {"parks elsewhere", {0x0200, 0x020C, 0x0210, 0, 0, 0, 0x4303, 0x3FFF, 0x3FFF}, false, true},
        {"odd load address",
         {0x0201, 0x020C, 0x0210, 0, 0, 0, 0x4303, 0x3FFF, 0x3FFF},
         false,
         false},
    };
    for (const Case& c : cases) {
        LptBench b(kF149);
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        b.fake->stepCap = 20000;
        b.target.Poke(0x020C, 0xAA);
        b.fake->trace.clear();
        EXPECT_EQ(debugif::RunFlashRoutine(c.routine, false, true), -1) << c.what;
        EXPECT_EQ(Traced(*b.fake, "step cap"), c.capped) << c.what;
        EXPECT_EQ(b.target.Peek(0x020C) != 0xAA, c.loaded) << c.what;
        if (!c.loaded) {
            EXPECT_TRUE(b.fake->trace.empty()) << "refused before the target is touched";
        }
    }
}

TEST(LptFlashTest, VerifyModeCatchesACorruptedRoutineLoad) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    ASSERT_EQ(MSP430_Configure(0, 1), 0);
    ASSERT_EQ(MSP430_Configure(10, 0), 0);
    // A word of the write routine's code, beyond the measurement routine.
    b.fake->corruptWriteAt = 0x0260;
    const std::vector<char> data = Pattern(8, 1);
    EXPECT_EQ(MSP430_Memory(0x1100, const_cast<char*>(data.data()), 8, kWrite), -1);
    EXPECT_EQ(b.LastError(), 7);
    EXPECT_TRUE(b.fake->flashWrites.empty()) << "the corrupted routine never ran";
    b.fake->corruptWriteAt = 0;
    EXPECT_EQ(MSP430_Memory(0x1100, const_cast<char*>(data.data()), 8, kWrite), 0) << b.LastError();
}

TEST(LptFlashTest, RefusalsBeforeTheTargetIsTouched) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    const uint8_t data[4] = {1, 2, 3, 4};
    struct Case {
        const char* what;
        std::function<int32_t()> call;
        int32_t error;
    };
    const Case cases[] = {
        {"odd flash write", [&] { return debugif::FlashWrite(0x1101, data, 2); }, 7},
        {"odd flash length", [&] { return debugif::FlashWrite(0x1100, data, 3); }, 7},
        {"no room beside the write routine",
         [&] {
             debugif::gDeviceId.currentDeviceRecord.SetRamEnd(0x0200 + 2 * 54 - 1);
             return debugif::FlashWrite(0x1100, data, 4);
         },
         7},
        {"segment walk without a segment size",
         [&] {
             debugif::gDeviceId.currentDeviceRecord.SetLayoutWord2(0);
             return debugif::FlashErase(0, 0x1000, 0x100);
         },
         14},
        {"unknown erase type", [&] { return debugif::FlashErase(3, 0x1100, 2); }, 14},
    };
    for (const Case& c : cases) {
        const debugif::CurrentDeviceRecord saved = debugif::gDeviceId.currentDeviceRecord;
        b.fake->trace.clear();
        const uint32_t idReads = b.fake->idReads;
        const uint32_t executed = b.fake->executed;
        EXPECT_EQ(c.call(), -1) << c.what;
        EXPECT_EQ(b.LastError(), c.error) << c.what;
        EXPECT_TRUE(b.fake->trace.empty()) << c.what;
        EXPECT_EQ(b.fake->idReads, idReads) << c.what;
        EXPECT_EQ(b.fake->executed, executed) << c.what;
        EXPECT_EQ(b.target.Peek(0x1100), 0xFF) << c.what;
        debugif::gDeviceId.currentDeviceRecord = saved;
    }
}

TEST(LptFlashTest, AWriteThatReportsEarlyStopsWithAnError) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    b.fake->earlyR8 = true;
    // More than one block: RAM holds 1024 words, the routine 54 of them.
    const std::vector<char> data = Pattern(2400, 3);
    EXPECT_EQ(MSP430_Memory(0x2000, const_cast<char*>(data.data()), 2400, kWrite), -1);
    EXPECT_EQ(b.LastError(), 7);
    EXPECT_EQ(b.fake->flashWrites.size(), 1u);
    EXPECT_EQ(b.target.Peek(0x2000 + 2398), 0xFF) << "no block after the report";
}

TEST(LptFlashTest, TheDcoSearchFindsTheWindowFromEitherSide) {
    for (uint32_t scale : {600u, 1000u, 1700u}) {
        LptBench b(kF149);
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        b.fake->dcoScalePermille = scale;
        const std::vector<char> data = Pattern(16, 2);
        ASSERT_EQ(MSP430_Memory(0x1100, const_cast<char*>(data.data()), 16, kWrite), 0)
            << scale << " error " << b.LastError();
        EXPECT_EQ(b.target.Peek(0x110F), static_cast<uint8_t>(data[15]));
    }
}

TEST(LptFlashTest, ADcoThatJumpsOverTheWindowFailsInsteadOfSwinging) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    b.fake->dcoCurve = [](uint32_t, uint32_t step) { return step < 4 ? 1000000u : 2600000u; };
    b.fake->stepCap = 400000;
    b.target.Poke(0x1100, 0x00);
    const uint8_t sfr = b.target.Peek(0x0002);
    const uint8_t dco = b.target.Peek(0x0056);
    EXPECT_EQ(MSP430_Erase(kEraseMain, 0x1100, 2), -1);
    EXPECT_EQ(b.LastError(), 13);
    EXPECT_EQ(b.target.Peek(0x1100), 0x00) << "nothing erased with the clock off";
    // Two time stamps a measurement: step 3 is too slow, step 4 too fast,
    // so each try ends on its first repeat.
    EXPECT_EQ(b.fake->timeStamps.size(), 3u * 2u * 2u);
    // The failed clock leaves the target as it found it.
    EXPECT_EQ(b.target.Peek(0x0002), sfr);
    EXPECT_EQ(b.target.Peek(0x0056), dco);
}

TEST(LptFlashTest, MeasureClockAcrossTheTimeStampWrapAndWithNoTimePassing) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    // A first measurement shows when the routine starts counting; the
    // second starts 50 ms before the time stamp wraps.
    b.fake->SetTime(0);
    debugif::MeasureClock(3 << 5, 0x87, 0, 0, 0);
    ASSERT_EQ(b.fake->timeStamps.size(), 2u);
    const uint32_t loading = b.fake->timeStamps[0];
    b.fake->timeStamps.clear();
    b.fake->SetTime(0u - loading - 50);
    const uint32_t f = debugif::MeasureClock(3 << 5, 0x87, 0, 0, 0);
    ASSERT_EQ(b.fake->timeStamps.size(), 2u);
    EXPECT_GT(b.fake->timeStamps[0], b.fake->timeStamps[1]) << "the stamps wrapped";
    const uint32_t mclk = b.fake->MclkHz();
    EXPECT_NEAR(static_cast<double>(f), static_cast<double>(mclk), mclk * 0.05) << f;
    b.fake->clockFrozen = true;
    EXPECT_EQ(debugif::MeasureClock(3 << 5, 0x87, 0, 0, 0), 0u);
    b.target.Poke(0x1100, 0x00);
    EXPECT_EQ(MSP430_Erase(kEraseMain, 0x1100, 2), -1);
    EXPECT_EQ(b.LastError(), 13);
}

// The routines report what the flash controller said: a refused erase or
// write is a failure on every board, 16-bit CPUs included.
TEST(LptFlashTest, AFlashControllerFailureFailsTheEraseAndTheWrite) {
    for (const Board& board : {kF149, kF2619, kF5438}) {
        LptBench b(board);
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        const uint32_t main = debugif::gDeviceId.identifyRecord.MainStart();
        b.target.Poke(main, 0x00);
        b.fake->flashFails = true;
        EXPECT_EQ(MSP430_Erase(kEraseMain, static_cast<int32_t>(main), 2), -1) << board.device;
        EXPECT_EQ(b.LastError(), 14) << board.device;
        EXPECT_EQ(b.target.Peek(main), 0x00);
        const std::vector<char> data = Pattern(8, 6);
        EXPECT_EQ(MSP430_Memory(static_cast<int32_t>(main + 0x200), const_cast<char*>(data.data()),
                                8, kWrite),
                  -1)
            << board.device;
        EXPECT_EQ(b.LastError(), 7) << board.device;
    }
}

// Of the segment erases after a mass erase, any failure fails the erase,
// not only the last one.
TEST(LptFlashTest, AFailedInformationSegmentEraseIsAFailedErase) {
    LptBench b(kF2274);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    b.target.FailEraseAt(0x1040, 1);
    EXPECT_EQ(MSP430_Erase(kEraseAll, 0x8000, 2), -1);
    EXPECT_EQ(b.LastError(), 14);
    EXPECT_TRUE(Traced(*b.fake, "erase segment 1080")) << "the others still ran";
}

// The 0x91 family's RAM routines talk through the mailbox.
TEST(LptFlash91Test, AMailboxThatNeverTakesAWordEndsTheWrite) {
    LptBench b(kF5438);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    b.fake->mailboxNeverReady = true;
    const std::vector<char> data = Pattern(8, 4);
    EXPECT_EQ(MSP430_Memory(0x5C00, const_cast<char*>(data.data()), 8, kWrite), -1);
    EXPECT_EQ(b.LastError(), 7);
    EXPECT_EQ(b.target.Peek(0x5C00), 0xFF);
    b.fake->mailboxNeverReady = false;
    EXPECT_EQ(MSP430_Memory(0x5C00, const_cast<char*>(data.data()), 8, kWrite), 0) << b.LastError();
    EXPECT_EQ(b.target.Peek(0x5C07), static_cast<uint8_t>(data[7]));
}

TEST(LptFlash91Test, EraseByTypeKeepsInfoAAndRefusesAZeroSegment) {
    LptBench b(kF5438);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    for (uint32_t a : {0x1800u, 0x1880u, 0x1900u, 0x1980u, 0x5C00u, 0x35C00u}) {
        b.target.Poke(a, 0x00);
    }
    b.fake->trace.clear();
    ASSERT_EQ(MSP430_Erase(kEraseAll, 0x5C00, 2), 0) << b.LastError();
    for (uint32_t a : {0x1800u, 0x1880u, 0x1900u, 0x5C00u, 0x35C00u}) {
        EXPECT_EQ(b.target.Peek(a), 0xFF) << std::hex << a;
    }
    EXPECT_EQ(b.target.Peek(0x1980), 0x00) << "Info A only when opened";
    EXPECT_FALSE(Traced(*b.fake, "erase segment 1980"));

    debugif::gDeviceId.currentDeviceRecord.SetLayoutWord2(0);
    b.fake->trace.clear();
    EXPECT_EQ(MSP430_Erase(kEraseSegment, 0x1800, 0x80), -1);
    EXPECT_EQ(b.LastError(), 14);
    EXPECT_TRUE(b.fake->trace.empty()) << "refused before the target is touched";
}

TEST(LptFlash91Test, ABslWriteNeedsTheUnlock) {
    LptBench b(kF5438);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    uint8_t data[2] = {1, 2};
    EXPECT_EQ(debugif::LptMemory(0x1000, data, 2, kWrite), -1);
    EXPECT_EQ(b.LastError(), 62);
}

} // namespace
} // namespace lpt_test
