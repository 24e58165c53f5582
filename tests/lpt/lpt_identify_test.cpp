// Identification, memory, reset and verify over the parallel-port path on
// the fake JTAG target, through the MSP430_* entries.

#include "debugif/device_id_state.h"
#include "debugif/lpt_interface_path.h"
#include "debugif/lpt_state.h"
#include "tests/lpt/lpt_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace lpt_test {
namespace {

constexpr int32_t kWrite = 0;
constexpr int32_t kRead = 1;

TEST(LptIdentifyTest, F149IsFoundWithItsRowAndRecord) {
    LptBench b(kF149);
    ASSERT_TRUE(b.ok);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    EXPECT_EQ(debugif::gDeviceId.currentDeviceIndex, 7);
    EXPECT_EQ(debugif::gDeviceId.identifyRecord.Name(), "MSP430F149");
    EXPECT_EQ(debugif::gDeviceId.identifyRecord.RamEnd(), 0x09FF);
    EXPECT_EQ(debugif::gLpt.jtagId, 0x89);
    EXPECT_EQ(debugif::gLpt.cpuState, 0);
    EXPECT_EQ(debugif::gLpt.cycleCount, -1);
}

TEST(LptIdentifyTest, RamReadsBackWhatWasWritten) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    std::vector<char> data = {1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(MSP430_Memory(0x0301, data.data(), 7, kWrite), 0) << b.LastError();
    EXPECT_EQ(b.target.Peek(0x0301), 1);
    EXPECT_EQ(b.target.Peek(0x0307), 7);
    std::vector<char> back(7);
    ASSERT_EQ(MSP430_Memory(0x0301, back.data(), 7, kRead), 0) << b.LastError();
    EXPECT_EQ(back, data);
}

} // namespace
} // namespace lpt_test

namespace lpt_test {
namespace {

TEST(LptIdentifyTest, TheJtagIdChoosesTheRoutineFamily) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    // A 0x91 target puts the other family in place; a 0x8D target after it
    // is served by the 0x89 family again.
    b.fake->jtagId = 0x91;
    char id[80] = {};
    MSP430_Identify(id, 80, 0);
    EXPECT_EQ(debugif::gLpt.jtagId, 0x91);
    EXPECT_NE(debugif::gLpt.access.JtagMemory, debugif::Family89Table().JtagMemory);
    b.fake->jtagId = 0x8D;
    ASSERT_EQ(MSP430_Identify(id, 80, 0), 0) << b.LastError();
    EXPECT_EQ(debugif::gLpt.jtagId, 0x8D);
    EXPECT_EQ(debugif::gLpt.access.JtagMemory, debugif::Family89Table().JtagMemory);
    EXPECT_EQ(debugif::gDeviceId.currentDeviceIndex, 7);
}

TEST(LptIdentifyTest, ATargetWithoutIdIsGivenUpAfterBoundedTries) {
    LptBench b(kF149);
    b.fake->noId = true;
    ASSERT_EQ(b.Connect(), -1);
    EXPECT_EQ(b.LastError(), 4);
    EXPECT_EQ(b.fake->idReads, 28u) << "7 queries of 4 entries";
    EXPECT_EQ(debugif::gDeviceId.currentDeviceIndex, 0);
}

TEST(LptIdentifyTest, AForcedRowIsCheckedAgainstTheTarget) {
    struct Case {
        const char* what;
        int32_t setId;
        bool silent;
        bool fuseBlown;
        int32_t error;
    };
    const Case cases[] = {
        {"answering", 7, false, false, 0},
        {"fuse blown", 7, true, true, 30},
        {"silent", 7, true, false, 4},
        {"beyond the table", 127, false, false, 5},
    };
    for (const Case& c : cases) {
        LptBench b(kF149);
        int32_t version = 0;
        ASSERT_EQ(MSP430_Initialize("LPT1", &version), 0);
        b.fake->answerOnlyAtEntry = c.silent;
        b.target.SetFuseBlown(c.fuseBlown);
        char id[80] = {};
        const uint32_t idReads = b.fake->idReads;
        EXPECT_EQ(MSP430_Identify(id, 80, c.setId), c.error == 0 ? 0 : -1) << c.what;
        EXPECT_EQ(b.LastError(), c.error) << c.what;
        if (c.error == 5) {
            EXPECT_EQ(b.fake->idReads, idReads) << "refused before the target is asked";
        }
    }
}

TEST(LptIdentifyTest, TheWatchdogByteStaysOnTheHostYetReadsBack) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    const uint8_t targetByte = b.target.Peek(0x0120);
    EXPECT_EQ(targetByte & 0x80, 0x80) << "held after the reset";
    char data[4] = {0x11, 0x22, 0x33, 0x44};
    ASSERT_EQ(MSP430_Memory(0x011E, data, 4, kWrite), 0) << b.LastError();
    EXPECT_EQ(b.target.Peek(0x0120), targetByte);
    EXPECT_EQ(b.target.Peek(0x011E), 0x11);
    char back[4] = {};
    ASSERT_EQ(MSP430_Memory(0x011E, back, 4, kRead), 0) << b.LastError();
    EXPECT_EQ(back[2], 0x33) << "the byte written, from the host";
    EXPECT_EQ(back[0], 0x11);
}

TEST(LptIdentifyTest, WithoutTheEemContextFlagTheByteAt0048GoesToTheTarget) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    char data[3] = {0x5A, 0x6B, 0x7C};
    ASSERT_EQ(MSP430_Memory(0x0047, data, 3, kWrite), 0) << b.LastError();
    EXPECT_EQ(b.target.Peek(0x0048), 0x6B) << "nothing on the host would write it back";
    char back[3] = {};
    ASSERT_EQ(MSP430_Memory(0x0047, back, 3, kRead), 0) << b.LastError();
    EXPECT_EQ(back[1], 0x6B);
}

TEST(LptIdentifyTest, SfrBytesAreMaskedOnRead) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    debugif::gDeviceId.currentDeviceRecord.SetBytePairLow(1, 0x0F);
    for (uint32_t a = 0; a < 6; ++a) {
        b.target.Poke(a, 0xFF);
    }
    char back[6] = {};
    ASSERT_EQ(MSP430_Memory(0, back, 6, kRead), 0) << b.LastError();
    EXPECT_EQ(static_cast<uint8_t>(back[1]), 0x0F);
    EXPECT_EQ(static_cast<uint8_t>(back[0]), debugif::gDeviceId.currentDeviceRecord.BytePairLow(0));
}

TEST(LptIdentifyTest, VerifyPassesThenCatchesOneChangedByte) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    std::vector<char> data(41);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7 + 3);
    }
    ASSERT_EQ(MSP430_Memory(0x0401, data.data(), 41, kWrite), 0) << b.LastError();
    EXPECT_EQ(MSP430_VerifyMem(0x0401, 41, data.data()), 0) << b.LastError();
    for (uint32_t at : {0x0401u, 0x0414u, 0x0429u}) {
        const uint8_t old = b.target.Peek(at);
        b.target.Poke(at, static_cast<uint8_t>(old ^ 0x10));
        EXPECT_EQ(MSP430_VerifyMem(0x0401, 41, data.data()), -1) << std::hex << at;
        EXPECT_EQ(b.LastError(), 28);
        b.target.Poke(at, old);
    }
    EXPECT_EQ(MSP430_EraseCheck(0x1100, 0x200), 0) << "the board starts erased";
    b.target.Poke(0x1234, 0);
    EXPECT_EQ(MSP430_EraseCheck(0x1100, 0x200), -1);
}

TEST(LptIdentifyTest, VerifyLengthsThatLeaveNoInnerRange) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    b.target.Poke(0x0401, 0xAB);
    EXPECT_EQ(debugif::LptVerifyMem(0x0400, 0, 0, 0), 0);
    EXPECT_EQ(debugif::LptVerifyMem(0x0401, 1, 0, 0xAB), 0);
    EXPECT_EQ(debugif::LptVerifyMem(0x0401, 1, 0, 0xAC), -1);
    EXPECT_EQ(b.LastError(), 28);
    // Two bytes from an odd start: both edges are checked and nothing is
    // left for the signature, so a wrong one does not matter.
    b.target.Poke(0x0402, 0xCD);
    EXPECT_EQ(debugif::LptVerifyMem(0x0401, 2, 0x1234, 0xCDAB), 0) << b.LastError();
    EXPECT_EQ(debugif::LptVerifyMem(0x0401, 2, 0x1234, 0xCEAB), -1);
    EXPECT_EQ(b.LastError(), 28);
    EXPECT_EQ(debugif::LptVerifyMem(0x0400, -2, 0x1234, 0), 0)
        << "a negative length checks nothing";
}

TEST(LptIdentifyTest, AWriteOutsideEveryRangeIsRefused) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    char data[2] = {0x12, 0x34};
    EXPECT_EQ(debugif::LptMemory(0x0A00, reinterpret_cast<uint8_t*>(data), 2, kWrite), -1);
    EXPECT_EQ(b.LastError(), 7);
}

TEST(LptIdentifyTest, ARefusedRamWriteIsAWriteError) {
    LptBench b(kF149);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    b.fake->ramWriteFault = true;
    char data[2] = {1, 2};
    EXPECT_EQ(MSP430_Memory(0x0300, data, 2, kWrite), -1);
    EXPECT_EQ(b.LastError(), 7);
}

} // namespace
} // namespace lpt_test
