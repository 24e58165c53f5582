// Procedures that fail, run directly: what the report says, what the
// result is, what the target is left with, and what sounds.

#include "api/procedure_frame.h"
#include "api/procedures.h"
#include "core/flash_state.h"
#include "core/settings.h"
#include "platform/sound.h"
#include "tests/api/api_fixture.h"
#include "tests/api/procedure_paths.h"

#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace api_test {
namespace {

using Bytes = std::vector<uint8_t>;

const std::string kRule = "=====================================\r\n";
const std::string kOpen = kRule + "JTAG communication initialization....\t OK\r\n"
                                  "Verifying Security Fuse .................\t OK\r\n";
const std::string kFailed = " --------------- FAILED !!! -----------------\r\n";
const std::string kLow = "Error!: Target's DC Voltage is below Vcc min\r\n";

class RecordingSound : public platform::SoundService {
public:
    bool PlayWave(const std::string&) override { return true; }
    void Beep(uint32_t hz, uint32_t ms) override { beeps.emplace_back(hz, ms); }
    std::vector<std::pair<uint32_t, uint32_t>> beeps;
};

class FailureTest : public ApiTest {
protected:
    void SetUp() override {
        ApiTest::SetUp();
        ASSERT_EQ(SelectAndInitialize(), 1);
        UseDevice("149");
        ASSERT_EQ(F_SetConfig(2, 1), 1);
        ASSERT_EQ(F_SetConfig(30, 2), 1);
        platform::SetSoundService(&sound);
        TakeReport();
    }
    void TearDown() override {
        platform::SetSoundService(nullptr);
        ApiTest::TearDown();
    }
    // 2 KiB of code at 0x1100.
    static void LoadCode(int32_t start = 0x1100) {
        F_Clr_Code_Buffer();
        for (int32_t a = start; a < start + 0x800; ++a) {
            F_Put_Byte_to_Code_Buffer(a, static_cast<uint8_t>(a * 7));
        }
    }
    RecordingSound sound;
};

TEST_F(FailureTest, LowSupplyStopsBeforeAnyStep) {
    LoadCode();
    sim::Sim().SetSupplyReading(1500);
    EXPECT_EQ(F_AutoProgram(0), 32);
    EXPECT_EQ(TakeReport(), " == Auto Program ===\r\n" + kRule + kLow +
                                "  ------- TERMINATED - Vcc < 2.7V ---------\r\n");
    // A single procedure ends without the finish step's line.
    EXPECT_EQ(F_Memory_Erase(1), 32);
    EXPECT_EQ(TakeReport(), kRule + kLow);
    EXPECT_EQ(F_Memory_Write(0), 32);
    EXPECT_EQ(TakeReport(), kRule + kLow);
    EXPECT_EQ(api::Lib.TargetActive, 0);
}

// Every road to a run without code: the report says so before the verdict.
TEST_F(FailureTest, NoCodeOrAnEmptyImageProgramsNothing) {
    sim::Sim().PokeRange(0x1100, Bytes(4, 0x12));
    const std::string noCode =
        "  No code loaded: read a code file or fill the code buffer first.\r\n";
    const std::string zeroBytes = dir.File("zero.txt");
    testsupport::WriteFile(zeroBytes, "");
    const std::string noData = dir.File("nodata.txt");
    testsupport::WriteFile(noData, "q\r\n");
    const std::string setup = dir.File("setup.cfg");
    testsupport::WriteFile(setup, ";  a setup and no code\r\nVccIndex 5\r\n");
    struct Road {
        const char* name;
        std::function<void()> take;
    };
    const Road roads[] = {
        {"nothing read yet", [] {}},
        {"a file of 0 bytes",
         [&] {
             LoadCode();
             F_ReadCodeFile(1, zeroBytes.c_str());
         }},
        {"a file without data",
         [&] {
             LoadCode();
             EXPECT_EQ(F_ReadCodeFile(1, noData.c_str()), 1);
         }},
        {"a setup file only",
         [&] {
             LoadCode();
             EXPECT_EQ(F_ConfigFileLoad(setup.c_str()), 1);
         }},
        {"a code image flagged but empty",
         [] {
             F_Clr_Code_Buffer();
             core::Images.CodeImageHasData = 1;
         }},
    };
    for (const Road& road : roads) {
        road.take();
        TakeReport();
        EXPECT_EQ(F_AutoProgram(0), 0) << road.name;
        EXPECT_EQ(TakeReport(), " == Auto Program ===\r\n" + kRule + noCode + kFailed) << road.name;
        EXPECT_EQ(F_Memory_Write(0), 0) << road.name;
        EXPECT_EQ(TakeReport(), kRule + noCode + kFailed) << road.name;
    }
    // Nothing was erased.
    EXPECT_EQ(sim::Sim().PeekRange(0x1100, 4), Bytes(4, 0x12));
    EXPECT_FALSE(sim::Sim().Powered());
}

TEST_F(FailureTest, AWriteFaultNamesItsSegment) {
    LoadCode();
    sim::Sim().FailWriteAt(0x1600);
    EXPECT_EQ(F_AutoProgram(0), 0);
    const std::string report = TakeReport();
    EXPECT_NE(report.find("Flash programming ................."
                          "Error\r\n Flash Write Error !!! \r\n\r\n Segment Address - 0x1600   "
                          "...\t failed\r\n" +
                          kFailed),
              std::string::npos)
        << report;
    EXPECT_EQ(api::Procedure.MessageText,
              " Flash Write Error !!! \r\n\r\n Segment Address - 0x1600   ");
}

TEST_F(FailureTest, AReadFaultFailsTheDirectRead) {
    LoadCode();
    ASSERT_EQ(F_AutoProgram(0), 1);
    TakeReport();
    sim::Sim().FailReadAt(0x1400, 1);
    Bytes memory(QUILLCORE_MEMORY_READ_SIZE);
    EXPECT_EQ(F_Memory_Read(memory.data()), 0);
    EXPECT_EQ(TakeReport(),
              kOpen + "Reading Flash memory ....................\t failed\r\n" + kFailed);
    // Nothing past the failed block is taken for read.
    EXPECT_EQ(memory[0x1400 - 0x1000], 0xFF);
}

TEST_F(FailureTest, AnEnabledDcoEntryFailsAutoProgram) {
    LoadCode();
    ASSERT_EQ(F_SetConfig(45, 1), 1);    // entry 3
    ASSERT_EQ(F_SetConfig(53, 4000), 1); // its frequency, kHz
    EXPECT_EQ(F_AutoProgram(0), 0);
    const std::string report = TakeReport();
    EXPECT_NE(report.find("Verifying check sum ...................\t OK\r\n"
                          "DCO calibrating .......................\t failed\r\n"
                          "  DCO3- 4.000 MHz  Result= 0.0000...\t failed\r\n" +
                          kFailed),
              std::string::npos)
        << report;
}

TEST_F(FailureTest, DcoConstantsThatCannotBeReadFail) {
    UseDevice("2274");
    LoadCode(0x8000);
    core::Settings.CheckDCOconstants_F2xx = 1;
    api::LibSettings.DcoRecalibration = 0;
    sim::Sim().PokeRange(0x10F8, Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(F_AutoProgram(0), 1);
    TakeReport();
    // Erased constants, then good ones that cannot be read.
    sim::Sim().PokeRange(0x10F8, Bytes(8, 0xFF));
    EXPECT_EQ(F_AutoProgram(0), 0);
    EXPECT_NE(TakeReport().find("DCO constants verification.......\t failed\r\n"),
              std::string::npos);
    sim::Sim().PokeRange(0x10F8, Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    // Good constants that cannot be read: the check never judges the bytes
    // an earlier read left behind.
    sim::Sim().PokeRange(0x10F8, Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_EQ(F_Open_Target_Device(), 1);
    std::memcpy(core::Images.ReadImage + 0xF8, sim::Sim().PeekRange(0x10F8, 8).data(), 8);
    sim::Sim().FailReadAt(0x10F8);
    TakeReport();
    EXPECT_EQ(api::DcoStep(0), 0);
    EXPECT_EQ(TakeReport(), "DCO constants verification.......\t failed\r\n");
}

TEST_F(FailureTest, NoAdapterVerifiesNoFuse) {
    F_Close_All();
    api::LibraryStateReset();
    core::CoreStateReset();
    ASSERT_EQ(F_Initialization(), 4);
    ASSERT_EQ(F_SetConfig(30, 2), 1);
    EXPECT_EQ(F_VerifyFuseOrPassword(), 0);
    EXPECT_NE(TakeReport().find("Programming adapter is not present."), std::string::npos);
}

TEST_F(FailureTest, AnEraseRestoresNothingItDidNotReadItself) {
    // A run on a series-2 device keeps its DCO bytes ...
    UseDevice("2274");
    LoadCode();
    core::Settings.RetainInfoCalData = 1;
    core::Settings.EraseInfoA_F2xx_En = 1;
    const Bytes dco{1, 2, 3, 4, 5, 6, 7, 8};
    sim::Sim().PokeRange(0x10F8, dco);
    ASSERT_EQ(F_Memory_Erase(1), 1);
    TakeReport();
    ASSERT_EQ(sim::Sim().PeekRange(0x10F8, 8), dco);
    // ... an erase of the F149 after it has nothing to keep and puts back
    // nothing of the other device's bytes.
    UseDevice("149");
    sim::Sim().PokeRange(0x10F8, Bytes(8, 0x00));
    EXPECT_EQ(F_Memory_Erase(1), 1);
    EXPECT_EQ(TakeReport().find("Retain"), std::string::npos);
    EXPECT_EQ(sim::Sim().PeekRange(0x10F8, 8), Bytes(8, 0xFF));
}

TEST_F(FailureTest, AutoProgramBlowsTheFuseOnlyWithBothBits) {
    LoadCode();
    core::Settings.BlowFuseEnable = 1; // the blow itself allowed, not in AUTO PROGRAM
    EXPECT_EQ(F_AutoProgram(0), 1);
    EXPECT_FALSE(sim::Sim().FuseBlown());
    EXPECT_EQ(TakeReport().find("Blowing"), std::string::npos);
    core::Settings.BlowFuseEnable = 3;
    EXPECT_EQ(F_AutoProgram(0), 1);
    EXPECT_TRUE(sim::Sim().FuseBlown());
    const std::string report = TakeReport();
    EXPECT_NE(report.find("Verifying check sum ...................\t OK\r\n"
                          "Blowing Security Fuse .....................\t done\r\n"
                          " -------- D O N E --- "),
              std::string::npos)
        << report;
}

TEST_F(FailureTest, BeepsSayHowTheRunEnded) {
    using Beeps = std::vector<std::pair<uint32_t, uint32_t>>;
    ASSERT_EQ(F_SetConfig(18, 1), 1); // BeepEnable
    LoadCode();
    EXPECT_EQ(F_AutoProgram(0), 1);
    EXPECT_EQ(sound.beeps, (Beeps{{600, 60}, {800, 70}, {1100, 70}, {1400, 70}}));
    sound.beeps.clear();
    F_Clr_Code_Buffer();
    EXPECT_EQ(F_AutoProgram(0), 0);
    EXPECT_EQ(sound.beeps, (Beeps{{600, 60}, {450, 60}}));
    sound.beeps.clear();
    EXPECT_EQ(F_Memory_Blank_Check(), 1);
    EXPECT_EQ(sound.beeps, (Beeps{{600, 60}}));
}

} // namespace
} // namespace api_test
