// The programming procedures end to end on both roads to the target: the
// same report (run time masked) and the same flash whether the library
// drives the simulated library in process or its own debug interface over
// a pseudo-terminal to the emulated adapter.

#include "api/procedure_frame.h"
#include "core/settings.h"
#include "tests/api/procedure_paths.h"

#include <vector>

namespace api_test {
namespace {

using Bytes = std::vector<uint8_t>;

// A small image: 64 bytes of information memory, 1 KiB at the main start
// and the reset vector.
struct Image {
    std::vector<std::pair<uint32_t, Bytes>> pieces;
};

Image SmallImage(uint32_t mainStart) {
    Image im;
    Bytes info(64), main(1024), vector{0x00, static_cast<uint8_t>(mainStart >> 8)};
    for (size_t i = 0; i < info.size(); ++i) {
        info[i] = static_cast<uint8_t>(0x40 + i);
    }
    for (size_t i = 0; i < main.size(); ++i) {
        main[i] = static_cast<uint8_t>(i * 13 + 5);
    }
    im.pieces = {{0x1000, info}, {mainStart, main}, {0xFFFE, vector}};
    return im;
}

void LoadImage(const Image& im) {
    F_Clr_Code_Buffer();
    for (const auto& [address, bytes] : im.pieces) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            F_Put_Byte_to_Code_Buffer(static_cast<int32_t>(address + i), bytes[i]);
        }
    }
}

class ProcedureTest : public RoadTest {
protected:
    // Every byte of the image equals the target's flash.
    void ExpectFlashHolds(const Image& im) {
        for (const auto& [address, bytes] : im.pieces) {
            EXPECT_EQ(Target().PeekRange(address, static_cast<uint32_t>(bytes.size())), bytes)
                << std::hex << address;
        }
    }
};

const std::string kOpen = "=====================================\r\n"
                          "JTAG communication initialization....\t OK\r\n"
                          "Verifying Security Fuse .................\t OK\r\n";
const std::string kJtag = "JTAG communication initialization....\t OK\r\n";
const std::string kDone = " -------- D O N E --- ( run time = X sec.)\r\n";
const std::string kFailed = " --------------- FAILED !!! -----------------\r\n";
const std::string kAutoProgram = " == Auto Program ===\r\n" + kOpen +
                                 "Erasing memory ........................\t done\r\n" + kJtag +
                                 "All memory Blank checking.............\t OK\r\n"
                                 "Flash programming ....................\t done\r\n"
                                 "Verifying check sum ...................\t OK\r\n";

TEST_P(ProcedureTest, AutoProgramByChecksumAndInFull) {
    Ready("149");
    const Image im = SmallImage(0x1100);
    LoadImage(im);
    EXPECT_EQ(F_AutoProgram(0), 1);
    EXPECT_EQ(Masked(TakeReport()), kAutoProgram + kDone);
    ExpectFlashHolds(im);
    EXPECT_EQ(api::Lib.TargetActive, 0);

    core::Settings.VerifyModeIndex = 1;
    EXPECT_EQ(F_AutoProgram(0), 1);
    EXPECT_EQ(Masked(TakeReport()),
              kAutoProgram + "Verifying Flash Memory ...................\t OK\r\n" + kDone);
    ExpectFlashHolds(im);
}

TEST_P(ProcedureTest, AutoProgramSeries2KeepsTheDcoConstants) {
    Ready("2274");
    const Bytes dco{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    Target().PokeRange(0x10F8, dco);
    core::Settings.RetainInfoCalData = 1;
    core::Settings.CheckDCOconstants_F2xx = 1;
    const Image im = SmallImage(0x8000);
    LoadImage(im);
    EXPECT_EQ(F_AutoProgram(0), 1);
    EXPECT_EQ(Masked(TakeReport()), " == Auto Program ===\r\n" + kOpen +
                                        "Reading Retain Data ......................\t done\r\n"
                                        "Erasing memory ........................\t done\r\n"
                                        "Verifying Retain Data ......................\t done\r\n" +
                                        kJtag +
                                        "All memory Blank checking.............\t failed\r\n"
                                        "   --,,-- without protected area......\t OK\r\n"
                                        "Flash programming ....................\t done\r\n"
                                        "Verifying check sum ...................\t OK\r\n"
                                        "DCO constants verification.......\t done\r\n" +
                                        kDone);
    ExpectFlashHolds(im);
    EXPECT_EQ(Target().PeekRange(0x10F8, 8), dco);

    // Erasing everything takes the DCO bytes with it; they come back.
    core::Settings.EraseInfoA_F2xx_En = 1;
    EXPECT_EQ(F_Memory_Erase(1), 1);
    EXPECT_EQ(Masked(TakeReport()), kOpen +
                                        "Reading Retain Data ......................\t done\r\n"
                                        "Erasing memory ........................\t done\r\n"
                                        "Restoring Retain Data ......................\t done\r\n" +
                                        kDone);
    EXPECT_EQ(Target().PeekRange(0x10F8, 8), dco);
}

TEST_P(ProcedureTest, SingleStepsOneAfterAnother) {
    Ready("149");
    const Image im = SmallImage(0x1100);
    LoadImage(im);
    Target().PokeRange(0x2000, Bytes(16, 0x00));

    // Erase by mode (main and information memory by default) and all.
    EXPECT_EQ(F_Memory_Erase(0), 1);
    EXPECT_EQ(Masked(TakeReport()),
              kOpen + "Erasing memory ........................\t done\r\n" + kDone);
    EXPECT_EQ(Target().PeekRange(0x2000, 16), Bytes(16, 0xFF));
    EXPECT_EQ(F_Memory_Erase(1), 1);
    EXPECT_EQ(Masked(TakeReport()),
              kOpen + "Erasing memory ........................\t done\r\n" + kDone);

    EXPECT_EQ(F_Memory_Blank_Check(), 1);
    EXPECT_EQ(Masked(TakeReport()),
              kOpen + "All memory Blank checking.............\t OK\r\n" + kDone);
    EXPECT_EQ(F_Memory_Write(0), 1);
    EXPECT_EQ(Masked(TakeReport()),
              kOpen + "Flash programming ....................\t done\r\n" + kDone);
    ExpectFlashHolds(im);
    EXPECT_EQ(F_Memory_Verify(0), 1);
    EXPECT_EQ(Masked(TakeReport()), kOpen +
                                        "Verifying check sum ...................\t OK\r\n"
                                        "Verifying Flash Memory ...................\t OK\r\n" +
                                        kDone);

    // Not blank any more: both rounds run and fail.
    EXPECT_EQ(F_Memory_Blank_Check(), 0);
    EXPECT_EQ(Masked(TakeReport()), kOpen +
                                        "All memory Blank checking.............\t failed\r\n"
                                        "Selected Memory Blank checking....\t failed\r\n"
                                        "All memory Blank checking.............\t failed\r\n"
                                        "Selected Memory Blank checking....\t failed\r\n" +
                                        kFailed);

    // Read back: both copies equal the image.
    Bytes memory(QUILLCORE_MEMORY_READ_SIZE);
    EXPECT_EQ(F_Memory_Read(memory.data()), 1);
    EXPECT_EQ(Masked(TakeReport()),
              kOpen + "Reading Flash memory ....................\t done\r\n" + kDone);
    EXPECT_EQ(F_Copy_All_Flash_to_Buffer(), 1);
    TakeReport();
    for (const auto& [address, bytes] : im.pieces) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            ASSERT_EQ(memory[address - 0x1000 + i], bytes[i]) << std::hex << address + i;
            ASSERT_EQ(F_Get_Byte_from_Buffer(static_cast<int32_t>(address + i)), bytes[i]);
        }
    }
    EXPECT_EQ(memory[0x1100 + 2000 - 0x1000], 0xFF);
}

TEST_P(ProcedureTest, ApplicationStartAfterAutoProgram) {
    Ready("149");
    LoadImage(SmallImage(0x1100));
    struct Case {
        int32_t mode;
        int32_t seconds;
        const char* tail;
    };
    const Case cases[] = {
        {1, 0, " --- Resetting Target device --- \r\n --- Start application program ---\r\n"},
        {2, 0, " --- Toggling Vcc and Reset --- \r\n --- Start application program ---\r\n"},
        {3, 0,
         " --- Soft Reset ---............................\t done\r\n"
         " --- Start application program ---\r\n"},
        {1, 2,
         " --- Resetting Target device --- \r\n --- Start application program ---\r\n"
         " --- Stop application program ---\r\n"},
    };
    for (const Case& c : cases) {
        core::Settings.ApplicationStartEnable = c.mode;
        api::LibSettings.ApplicationRunTime = c.seconds;
        EXPECT_EQ(F_AutoProgram(0), 1);
        const std::string report = Masked(TakeReport());
        EXPECT_EQ(report.substr(report.find(kDone)), kDone + c.tail) << c.mode << " " << c.seconds;
        EXPECT_EQ(Target().Powered(), c.seconds == 0) << c.mode << " " << c.seconds;
    }
}

TEST_P(ProcedureTest, FuseBlowClosesTheTarget) {
    Ready("149");
    core::Settings.BlowFuseEnable = 1;
    EXPECT_EQ(F_Blow_Fuse(), 1);
    EXPECT_EQ(Masked(TakeReport()),
              kOpen + "Blowing Security Fuse .....................\t done\r\n" + kDone);
    EXPECT_TRUE(Target().FuseBlown());
    EXPECT_EQ(F_Open_Target_Device(), 2);
    TakeReport();
    EXPECT_EQ(F_VerifyFuseOrPassword(), 0);
    EXPECT_EQ(Masked(TakeReport()),
              "=====================================\r\n"
              "JTAG communication initialization....\t failed\r\n"
              "Verifying Security Fuse .................\t BLOWN\r\n"
              "Error\r\n     Security Fuse is BLOWN !!! \r\n\r\n"
              "Access to the target microcontroller       \r\nvia JTAG interface is denied.\r\n\r\n"
              "Access to the target microcontroller\r\nis accesible only via BSL interface.\r\n" +
                  kFailed);
    EXPECT_FALSE(Target().Powered());
}

INSTANTIATE_TEST_SUITE_P(Roads, ProcedureTest, ::testing::Values(Road::InProcess, Road::Pty),
                         RoadName);

} // namespace
} // namespace api_test
