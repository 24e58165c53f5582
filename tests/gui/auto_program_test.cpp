// AUTO PROGRAM end to end on the simulated library: the whole report of a
// run on three device families, the failing paths, and the rulings that
// shape the run.

#include "core/memory_map.h"
#include "tests/gui/actions_fixture.h"

namespace guitest {
namespace {

const std::string kHead = "=====================================\r\n"
                          "JTAG communication initialization....\t OK\r\n"
                          "Verifying Security Fuse ....................\t OK\r\n";
const std::string kTail = " -------- D O N E --- ( run time = * sec.)\r\n"
                          " --- Resetting Target device --- \r\n"
                          " --- Start application program ---\r\n";

TEST_F(ActionsTest, GoldenF149WithoutSerialNumber) {
    Config("ApplicationStartEnable 1\r\nFlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
    std::string report;
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(gui::CodeFileReadAndReport(0, CodeFile("a.txt", TiTxt(0x1100, 0x200))), 1);
        ui::TranscriptClear();
        d.Click(1001);
        report = d.Target().GetItemText(1026);
        EXPECT_TRUE(FlashMatchesImage());
        EXPECT_EQ(sim::Sim().Peek(0x1100), Byte(0));
    });
    EXPECT_EQ(Masked(report), kHead +
                                  "Erasing memory ...............................\t done\r\n"
                                  "JTAG communication initialization....\t OK\r\n"
                                  "All memory Blank checking.............\t OK\r\n"
                                  "Flash programming ....................\t done\r\n"
                                  "Verifying Flash Memory ...................\t OK\r\n" +
                                  kTail);
    EXPECT_TRUE(ui::TranscriptHas("sound 1"));
    EXPECT_FALSE(Unattended());
    for (int32_t row : {gui::kRowAutoProgram, gui::kRowConnect, gui::kRowErase,
                        gui::kRowBlankCheck, gui::kRowWrite, gui::kRowVerify, gui::kRowChecksum}) {
        EXPECT_EQ(Lamp(row), gui::kLampPassed) << row;
    }
    EXPECT_EQ(Lamp(gui::kRowPicture), gui::kPicturePass);
}

// Serial number and model, Info-A erased with the DCO bytes kept and
// checked, checksum verify: the kept area fails the first blank check.
TEST_F(ActionsTest, GoldenF2274SerializedWithDcoKept) {
    Config("ApplicationStartEnable 1\r\nFlashEraseModeIndex 1\r\nVerifyModeIndex 2\r\n"
           "EraseInfoA_F2xx_En 1\r\nRetainInfoCalData 1\r\nCheckDCOconstants_F2xx 1\r\n");
    std::string report;
    FixedSerialNumber sn;
    std::vector<uint8_t> factory;
    Run([&](ui::Driver& d) {
        Device("2274");
        factory = Dco();
        sim::Sim().Poke(0x10C0, 0x12); // Info-A data besides the DCO bytes: erased
        core::Settings.SNStartAddress = 0xF000;
        core::Settings.ModelTextStartAddr = 0xF010;
        sn.Install();
        ASSERT_EQ(gui::CodeFileReadAndReport(0, CodeFile("a.txt", TiTxt(0x8000, 0x400))), 1);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
        EXPECT_TRUE(FlashMatchesImage());
        EXPECT_EQ(sim::Sim().PeekRange(0xF000, 10), std::vector<uint8_t>(sn.number.begin(), sn.number.end()));
        EXPECT_EQ(sim::Sim().PeekRange(0xF010, 7), std::vector<uint8_t>(sn.model.begin(), sn.model.end()));
        EXPECT_EQ(sim::Sim().Peek(0x10C0), 0xFF);
    });
    EXPECT_EQ(Dco(), factory);
    EXPECT_EQ(Masked(report), kHead +
                                  "Reading Target Label....................\t done\r\n"
                                  "Reading Retain Data .............\t done\r\n"
                                  "Erasing memory ...............................\t done\r\n"
                                  "Restoring Retain Data ......................\t done\r\n"
                                  "JTAG communication initialization....\t OK\r\n"
                                  "All memory Blank checking.............\t failed\r\n"
                                  "   --,,-- without protected area......\t OK\r\n"
                                  "Flash programming ....................\t done\r\n"
                                  "Writing SN - ... 0000012345 ......\t done\r\n"
                                  "Verifying check sum .........................\t OK\r\n"
                                  "Verifying SN and Label ...........\t done\r\n"
                                  "DCO constants verification.......\t done\r\n"
                                  "Reading Target Label....................\t done\r\n" +
                                  kTail);
    EXPECT_EQ(sn.historyRecords, 1);
    EXPECT_EQ(Lamp(gui::kRowSerialNumber), gui::kLampPassed);
    EXPECT_EQ(Lamp(gui::kRowChecksum), gui::kLampPassed);
    EXPECT_FALSE(Unattended());
}

// Serial number above 64 KiB, the user's erase range, Standard verify.
TEST_F(ActionsTest, GoldenF5438UserRange) {
    Config("ApplicationStartEnable 1\r\nFlashEraseModeIndex 4\r\nVerifyModeIndex 1\r\n"
           "EraseDefMainMemEn 1\r\n");
    std::string report;
    FixedSerialNumber sn;
    sn.modelOn = 0;
    Run([&](ui::Driver& d) {
        Device("5438");
        core::Settings.EraseFlashStart = 0x6000;
        core::Settings.EraseFlashStop = 0x107FF;
        sim::Sim().Poke(0x20000, 0x00); // outside the range: stays
        core::Settings.SNStartAddress = 0x10000;
        sn.Install();
        ASSERT_EQ(gui::CodeFileReadAndReport(0, CodeFile("a.txt", TiTxt(0x6000, 0x600))), 1);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
        EXPECT_TRUE(FlashMatchesImage());
        EXPECT_EQ(sim::Sim().Peek(0x20000), 0x00);

        EXPECT_EQ(sim::Sim().PeekRange(0x10000, 10), std::vector<uint8_t>(sn.number.begin(), sn.number.end()));
    });
    EXPECT_EQ(Masked(report), kHead +
                                  "Reading Target Label....................\t done\r\n"
                                  "Erasing memory ...............................\t done\r\n"
                                  "JTAG communication initialization....\t OK\r\n"
                                  "All memory Blank checking.............\t failed\r\n"
                                  "Selected Memory Blank checking....\t OK\r\n"
                                  "Flash programming ....................\t done\r\n"
                                  "Writing SN - ... 0000012345 ......\t done\r\n"
                                  "Verifying Flash Memory ...................\t OK\r\n"
                                  "Verifying SN ................\t done\r\n"
                                  "Reading Target Label....................\t done\r\n" +
                                  kTail);
    EXPECT_FALSE(Unattended());
}

} // namespace
} // namespace guitest
