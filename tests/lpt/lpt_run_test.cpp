// Reset, single steps with their cycle counts, runs, breakpoints and the
// state query over the parallel-port path on the fake JTAG target, and the
// cycle rules of the stepped instructions.

#include "debugif/device_id_state.h"
#include "debugif/instruction_cycles.h"
#include "debugif/lpt_state.h"
#include "tests/lpt/lpt_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace lpt_test {
namespace {

constexpr int32_t kWrite = 0;
constexpr int32_t kProgram = 0x0300;

// MOV #0x1234, R5; ADD #1, R6; JMP $
void LoadProgram(LptBench& b) {
    const std::vector<uint8_t> code = {0x35, 0x40, 0x34, 0x12, 0x16, 0x53, 0xFF, 0x3F};
    b.target.PokeRange(kProgram, code);
}

int32_t Reg(int32_t n) {
    int32_t v = 0;
    MSP430_RegisterAccess(&v, n, 1);
    return v;
}

void SetReg(int32_t n, int32_t v) {
    MSP430_RegisterAccess(&v, n, 0);
}

TEST(LptRunTest, SingleStepsCountTheirCycles) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    LoadProgram(b);
    SetReg(0, kProgram);
    SetReg(1, 0x0A00);
    SetReg(6, 5);
    ASSERT_EQ(MSP430_RunCpu(2, 0), 0) << b.LastError();
    int32_t state = 0;
    int32_t cycles = 0;
    ASSERT_EQ(MSP430_CpuState(&state, 0, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 2);
    EXPECT_EQ(cycles, 2) << "MOV #imm, Rn";
    EXPECT_EQ(Reg(5), 0x1234);
    EXPECT_EQ(Reg(0), kProgram + 4);
    ASSERT_EQ(MSP430_RunCpu(2, 0), 0) << b.LastError();
    ASSERT_EQ(MSP430_CpuState(&state, 0, &cycles), 0) << b.LastError();
    EXPECT_EQ(cycles, 3) << "ADD #1 is a constant: one more";
    EXPECT_EQ(Reg(6), 6);
    // A run clears the count; a reset too.
    ASSERT_EQ(MSP430_Reset(1, 0, 0), 0) << b.LastError();
    EXPECT_EQ(debugif::gLpt.cycleCount, -1);
}

TEST(LptRunTest, AStepOfASleepingCpuFailsBeforeTheTargetIsTouched) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    SetReg(2, 0x0010);
    const size_t traced = b.fake->trace.size();
    EXPECT_EQ(MSP430_RunCpu(2, 0), -1);
    EXPECT_EQ(b.LastError(), 16);
    EXPECT_EQ(b.fake->trace.size(), traced);
}

TEST(LptRunTest, ARunStartsAtThePendingAddressOnce) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    LoadProgram(b);
    SetReg(0, kProgram);
    SetReg(6, 0);
    ASSERT_EQ(MSP430_Configure(9, kProgram + 4), 0);
    ASSERT_EQ(MSP430_RunCpu(1, 0), 0) << b.LastError();
    EXPECT_TRUE(b.fake->Running());
    EXPECT_EQ(debugif::gLpt.runToSet, 0);
    int32_t state = 0;
    int32_t cycles = 0;
    ASSERT_EQ(MSP430_CpuState(&state, 1, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 0);
    EXPECT_EQ(Reg(5), 0) << "the first instruction was skipped";
    EXPECT_EQ(Reg(6), 1);
    EXPECT_EQ(Reg(0), kProgram + 6) << "parked on its jump";
    // 0xFFFF withdraws a pending address and keeps the stored one.
    ASSERT_EQ(MSP430_Configure(9, 0x1234), 0);
    ASSERT_EQ(MSP430_Configure(9, 0xFFFF), 0);
    EXPECT_EQ(debugif::gLpt.runToSet, 0);
    EXPECT_EQ(debugif::gLpt.runToAddress, 0x1234);
    EXPECT_EQ(MSP430_Close(1), 0);
    EXPECT_EQ(b.target.AdapterSupply(), 0);
}

TEST(LptRunTest, BreakpointsThroughTheTable) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    const debugif::DeviceAccessTable& t = debugif::gLpt.access;
    EXPECT_EQ(t.JtagSetBreakpoint(-1, 0x1100), -1);
    EXPECT_EQ(b.LastError(), 3);
    EXPECT_EQ(t.JtagSetBreakpoint(2, 0x1100), -1) << "F149 has two";
    EXPECT_EQ(b.LastError(), 3);
    EXPECT_EQ(t.JtagSetBreakpoint(0, 0x10000), -1);
    EXPECT_EQ(b.LastError(), 3);
    EXPECT_EQ(t.JtagSetBreakpoint(1, kProgram + 4), 0) << b.LastError();
    // The fuse of a device that can have it blown, through the table.
    EXPECT_EQ(t.JtagBlowFuse(), -1) << "the fake's fuse holds";
    EXPECT_EQ(b.LastError(), 29);
}

TEST(LptRunTest, ARunToABreakpointStopsThereAndSaysSo) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    LoadProgram(b);
    SetReg(0, kProgram);
    SetReg(6, 0);
    ASSERT_EQ(debugif::gLpt.access.JtagSetBreakpoint(1, kProgram + 4), 0) << b.LastError();
    ASSERT_EQ(MSP430_RunCpu(3, 0), 0) << b.LastError();
    int32_t state = -1;
    int32_t cycles = 0;
    // Running: the armed breakpoint is not hit yet.
    ASSERT_EQ(MSP430_CpuState(&state, 0, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 1);
    b.fake->Step(5);
    ASSERT_EQ(MSP430_CpuState(&state, 0, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 3);
    EXPECT_EQ(Reg(0), kProgram + 4) << "stopped before the breakpoint's instruction";
    EXPECT_EQ(Reg(5), 0x1234);
    EXPECT_EQ(Reg(6), 0);
}

TEST(LptRunTest, ConfigureFollowsItsModeTable) {
    LptBench b(kF149);
    int32_t version = 0;
    ASSERT_EQ(MSP430_Initialize("LPT1", &version), 0);
    EXPECT_EQ(MSP430_Configure(1, 0x7FFF), -1) << "type 13 only";
    EXPECT_EQ(b.LastError(), 3);
    EXPECT_EQ(MSP430_Configure(12, 0), -1);
    EXPECT_EQ(MSP430_Configure(3, 0x12345), 0);
    EXPECT_EQ(debugif::gLpt.moduleClockControl, 0x2345);
    EXPECT_EQ(MSP430_Configure(10, 0), 0);
    EXPECT_EQ(debugif::gLpt.config10, 0);
    EXPECT_EQ(MSP430_Configure(8, 2), 0);
    EXPECT_EQ(debugif::Api.ProtocolSetting, 2);
    EXPECT_EQ(MSP430_VCC(3601), -1);
    EXPECT_EQ(b.LastError(), 3);
    EXPECT_EQ(MSP430_VCC(0), 0);
}

struct CycleCase {
    uint16_t w;
    bool cpux;
    int32_t cycles;
};

TEST(InstructionCyclesTest, InstructionWords) {
    const CycleCase cases[] = {
        {0x4305, false, 1}, // MOV #0, R5: R3 is a constant
        {0x4430, false, 3}, // MOV @R4+, PC
        {0x1434, true, 10}, // PUSHM.A with n = 3
        {0x1300, false, 5}, // RETI
        {0x1300, true, 3},
        // R2 is a constant in every mode but the absolute one.
        {0x4215, false, 3}, // MOV &abs, R5: As 1 on R2 counts
        {0x4225, false, 1}, // MOV #4, R5
        {0x4235, false, 1}, // MOV #8, R5
        {0x4315, false, 1}, // MOV #1, R5
        {0x4335, false, 1}, // MOV #-1, R5
        {0x1205, false, 3}, // PUSH R5
        {0x1215, true, 4},  // PUSH x(R5) on CPUX
        {0x1211, true, 5},  // PUSH x(SP) on CPUX: one more
        {0x1290, false, 5}, // CALL x(PC)
        {0x1105, false, 1}, // RRA R5
        {0x3C00, false, 2}, // JMP
        {0x4030, false, 3}, // MOV #imm, PC
        {0x4500, false, 2}, // MOV R5, PC
        {0x45B5, false, 5}, // MOV @R5+, x(R5)
        {0x45B5, true, 4},  // the same on CPUX: one less
        {0x55B5, true, 5},  // ADD keeps its cost
        {0x0045, true, 1},  // the 0x0040 forms: 1 + bits 10 and 11
        {0x0010, true, 3},  // MOVA @R0+, ...
        {0x0080, true, 3},  // MOVA #imm20, PC
        {0x0085, true, 2},
        {0x00C0, true, 2},
        {0x00C5, true, 1},
        {0x1350, true, 6},
        {0x1351, true, 7},
        {0x13B0, true, 4},
        {0x13A0, true, 0},
        {0x1500, true, 3},
        {0x0100, true, 3}, // MOVA @R1, R0
    };
    for (const CycleCase& c : cases) {
        uint32_t counter = 10;
        EXPECT_EQ(debugif::InstructionCycles(c.w, c.cpux, counter), c.cycles)
            << std::hex << c.w << " cpux " << c.cpux;
        EXPECT_EQ(counter, 10u + static_cast<uint32_t>(c.cycles));
    }
}

TEST(InstructionCyclesTest, ExtensionWords) {
    struct Case {
        uint16_t x;
        uint16_t w;
        int32_t cycles;
    };
    const Case cases[] = {
        {0x1800, 0x4505, 1}, // register form: one more
        {0x1800, 0x4520, 1}, // MOV @R5, R0: indirect
        {0x1800, 0x4030, 1}, // #imm to PC: +1 -1, then the indirect-mode cost
        {0x1800, 0x4595, 3}, // Ad 1 and As 1: two more
        {0x1803, 0x4505, 4}, // repeat count 3
        {0x1883, 0x4505, 1}, // repeat by register: no count
        {0x1840, 0x45A5, 1}, // address-word form: no memory cost
        {0x1800, 0x1245, 2}, // PUSHX.B R5: the 0x1240 rule
    };
    for (const Case& c : cases) {
        uint32_t counter = 0;
        EXPECT_EQ(debugif::ExtensionCycles(c.x, c.w, counter), c.cycles) << std::hex << c.w;
    }
}

TEST(InstructionCyclesTest, TheCountStaysUnsignedNearItsTop) {
    EXPECT_EQ(debugif::CycleCountBeforeStep(-1), 0u);
    EXPECT_EQ(debugif::CycleCountBeforeStep(static_cast<int32_t>(0x80000005u)), 5u);
    uint32_t counter = debugif::CycleCountBeforeStep(0x7FFFFFFF);
    debugif::InstructionCycles(0x45B5, false, counter);
    EXPECT_EQ(counter, 0x80000004u);
    counter = 0xFFFFFFFFu;
    debugif::InstructionCycles(0x3C00, false, counter);
    EXPECT_EQ(counter, 1u) << "additions wrap";
}

} // namespace
} // namespace lpt_test

namespace lpt_test {
namespace {

// MOV #0x1234, R5; ADD #1, R6; JMP $ in the RAM of an F5438.
constexpr int32_t kProgram5438 = 0x2000;

TEST(LptRun91Test, StepsRunsAndStopsOnAnF5438) {
    LptBench b(kF5438);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    EXPECT_EQ(debugif::gDeviceId.identifyRecord.Name(), "MSP430F5438");
    const std::vector<char> code = {0x35, 0x40, 0x34, 0x12, 0x16, 0x53, -1, 0x3F};
    ASSERT_EQ(MSP430_Memory(kProgram5438, const_cast<char*>(code.data()), 8, kWrite), 0)
        << b.LastError();
    ASSERT_EQ(MSP430_Reset(1, 0, 0), 0) << b.LastError();
    SetReg(0, kProgram5438);
    SetReg(6, 5);
    ASSERT_EQ(MSP430_RunCpu(2, 0), 0) << b.LastError();
    int32_t state = -1;
    int32_t cycles = 0;
    ASSERT_EQ(MSP430_CpuState(&state, 0, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 2);
    EXPECT_EQ(Reg(5), 0x1234);
    EXPECT_EQ(Reg(6), 5);
    EXPECT_EQ(Reg(0), kProgram5438 + 4);
    ASSERT_EQ(MSP430_RunCpu(2, 0), 0) << b.LastError();
    ASSERT_EQ(MSP430_CpuState(&state, 0, &cycles), 0) << b.LastError();
    EXPECT_EQ(Reg(6), 6);
    // From a mode-9 address: the first instruction is skipped.
    SetReg(0, kProgram5438);
    SetReg(5, 0);
    ASSERT_EQ(MSP430_Configure(9, kProgram5438 + 4), 0);
    ASSERT_EQ(MSP430_RunCpu(3, 0), 0) << b.LastError();
    EXPECT_EQ(debugif::gLpt.runToSet, 0);
    b.fake->Step(5);
    ASSERT_EQ(MSP430_CpuState(&state, 1, &cycles), 0) << b.LastError();
    EXPECT_EQ(state, 0);
    EXPECT_EQ(Reg(5), 0);
    EXPECT_EQ(Reg(6), 7);
    EXPECT_EQ(Reg(0), kProgram5438 + 6) << "parked on its jump";
    EXPECT_EQ(MSP430_Close(1), 0);
}

TEST(LptRun91Test, BreakpointIndexesAndTheFamily) {
    for (const Board& board : {kF149, kF5438}) {
        LptBench b(board);
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        const debugif::DeviceAccessTable& t = debugif::gLpt.access;
        EXPECT_EQ(t.JtagSetBreakpoint(-1, 0x1234), -1) << board.device;
        EXPECT_EQ(b.LastError(), 3);
        EXPECT_EQ(t.JtagSetBreakpoint(0, -2), -1) << board.device;
        EXPECT_EQ(b.LastError(), 3);
    }
}

} // namespace
} // namespace lpt_test

namespace lpt_test {
namespace {

// The 0x91 fuse needs its key in the BSL flash, which this board's BSL
// area (read-only here) does not take: the fuse holds, and says so.
TEST(LptRun91Test, AFuseThatHoldsIsReportedThroughTheTable) {
    LptBench b(kF5438);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    EXPECT_EQ(debugif::gLpt.access.JtagBlowFuse(), -1);
    EXPECT_EQ(b.LastError(), 29);
    EXPECT_FALSE(b.target.FuseBlown());
    EXPECT_EQ(debugif::gLpt.bslUnlocked, 0) << "the unlock is withdrawn";
}

} // namespace
} // namespace lpt_test
