// AUTO PROGRAM end to end on the simulated library: the whole report of a
// run on three device families, the failing paths, and the rulings that
// shape the run.

#include "core/memory_map.h"
#include "core/target_connect.h"
#include "tests/gui/actions_fixture.h"
#include "tests/support/comma_locale.h"

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
        ASSERT_EQ(LoadTiTxt(0x1100, 0x200), 1);
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
    for (int32_t row : {gui::kRowAutoProgram, gui::kRowConnect, gui::kRowErase, gui::kRowBlankCheck,
                        gui::kRowWrite, gui::kRowVerify, gui::kRowChecksum}) {
        EXPECT_EQ(Lamp(row), gui::kLampPassed) << row;
    }
    EXPECT_EQ(Lamp(gui::kRowPicture), gui::kPicturePass);
}

// A run under a decimal-comma process locale reports as one in "C": the
// run time with a point.
TEST_F(ActionsTest, TheReportIsTheSameUnderACommaLocale) {
    Config("ApplicationStartEnable 1\r\nFlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
    std::string inC;
    std::string inComma;
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x200), 1);
        d.Click(1001);
        inC = d.Target().GetItemText(1026);
        const testsupport::CommaLocale comma;
        ASSERT_TRUE(comma.InForce()) << comma.Why();
        d.Click(1001);
        inComma = d.Target().GetItemText(1026);
    });
    EXPECT_NE(Masked(inC).find(kTail), std::string::npos) << inC;
    EXPECT_EQ(Masked(inComma), Masked(inC)) << inComma;
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
        ASSERT_EQ(LoadTiTxt(0x8000, 0x400), 1);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
        EXPECT_TRUE(FlashMatchesImage());
        EXPECT_EQ(sim::Sim().PeekRange(0xF000, 10),
                  std::vector<uint8_t>(sn.number.begin(), sn.number.end()));
        EXPECT_EQ(sim::Sim().PeekRange(0xF010, 7),
                  std::vector<uint8_t>(sn.model.begin(), sn.model.end()));
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
        ASSERT_EQ(LoadTiTxt(0x6000, 0x600), 1);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
        EXPECT_TRUE(FlashMatchesImage());
        EXPECT_EQ(sim::Sim().Peek(0x20000), 0x00);

        EXPECT_EQ(sim::Sim().PeekRange(0x10000, 10),
                  std::vector<uint8_t>(sn.number.begin(), sn.number.end()));
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

const std::string kFailedLine = " --------------- FAILED !!! -----------------\r\n";
const std::string kStoppedLine = "  ---------- TERMINATED BY USER ------------\r\n";

// A failing write names its segment in a box and fails the run; no history.
TEST_F(ActionsTest, WriteErrorFailsTheRun) {
    Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
    std::string report;
    FixedSerialNumber sn;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.SNStartAddress = 0xF000;
        sn.modelOn = 0;
        sn.Install();
        ASSERT_EQ(LoadTiTxt(0x1100, 0x200), 1);
        sim::Sim().FailWriteAt(0x1100);
        session().Boxes().Answer(platform::IDOK);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_TRUE(
        ui::TranscriptHas("box [Error] \" Flash Write Error !!! \\r\\n\\r\\n Segment Address - "
                          "0x1100   \" flags 0x10"));
    EXPECT_NE(report.find("Flash programming ....................\t failed\r\n"),
              std::string::npos);
    EXPECT_NE(report.find(kFailedLine), std::string::npos);
    EXPECT_FALSE(Done(report));
    EXPECT_EQ(sn.historyRecords, 0);
    EXPECT_EQ(Lamp(gui::kRowAutoProgram), gui::kLampFailed);
    EXPECT_EQ(Lamp(gui::kRowWrite), gui::kLampFailed);
    EXPECT_FALSE(ui::TranscriptHas("sound 1"));
    EXPECT_FALSE(Unattended());
}

// A verify that finds a difference names the sector.
TEST_F(ActionsTest, VerifyErrorNamesTheSector) {
    Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
    std::string report;
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x200), 1);
        // The byte is programmed, then changed on the board before the verify reads it.
        CallWatch.onCall = [](const char* entry) {
            if (std::string(entry) == "MSP430_Memory" && sim::Sim().Peek(0x12FE) != 0xFF &&
                sim::Sim().Peek(0x1200) != 0x00) {
                sim::Sim().Poke(0x1200, 0x00);
            }
        };
        d.Click(1001);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_NE(report.find(VerifyFailedAt("0x1200")), std::string::npos) << report;
    EXPECT_NE(report.find(kFailedLine), std::string::npos);
}

// A blown fuse ends the run at the connect step.
TEST_F(ActionsTest, BlownFuseFailsTheRun) {
    Config("FlashEraseModeIndex 1\r\n");
    std::string report;
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        sim::Sim().SetFuseBlown(true);
        session().Boxes().Answer(platform::IDOK);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_NE(report.find("Verifying Security Fuse ....................\t BLOWN\r\n"),
              std::string::npos);
    EXPECT_NE(report.find(kFailedLine), std::string::npos);
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u);
}

// Each of the run's questions answered No ends it "TERMINATED BY USER"
// before the target is touched.
TEST_F(ActionsTest, NoToTheRunsQuestionsStopsIt) {
    struct Case {
        const char* name;
        std::function<void()> setup;
        const char* question;
    };
    const std::vector<Case> cases = {
        {"SN on code", [] { core::Settings.SNStartAddress = 0x1100; },
         "box [Error] \"Serial Number or Model Text location\\r\\noverlaps active code space."},
        {"code in the retain range",
         [] {
             core::Settings.RetainDefinedData = 1;
             core::Settings.RetainDataStart = 0x1100;
             core::Settings.RetainDataStop = 0x110F;
         },
         "box [Error] \"Code Data overlaps the specified location of the Retain Data."},
        {"SN in the retain range",
         [] {
             core::Settings.RetainDefinedData = 1;
             core::Settings.RetainDataStart = 0xF000;
             core::Settings.RetainDataStop = 0xF00F;
         },
         "box [Error] \"Serial Number or Model Text location overlaps the \\r\\n"},
    };
    for (const Case& c : cases) {
        Config("FlashEraseModeIndex 1\r\n");
        std::string report;
        FixedSerialNumber sn;
        sn.modelOn = 0;
        Run([&](ui::Driver& d) {
            Device("149");
            core::Settings.SNStartAddress = 0xF000;
            sn.Install();
            c.setup();
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            sim::Sim().Log().Clear();
            session().Boxes().Answer(platform::IDNO);
            d.Click(1001);
            report = d.Target().GetItemText(1026);
        });
        EXPECT_TRUE(ui::TranscriptHas(c.question)) << c.name;
        EXPECT_NE(report.find(kStoppedLine), std::string::npos) << c.name << report;
        EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u) << c.name;
        EXPECT_EQ(sim::Sim().Log().Count("MSP430_Initialize"), 0u) << c.name;
        ResetBetweenCases();
    }
}

// A port another program holds: the box after the failed open names only
// the port setup and the cable, so the report says, in the library's words,
// that the adapter is in use; once, in AUTO PROGRAM and in a single action.
// Another reason for the failed open adds no such line.
TEST_F(ActionsTest, APortHeldByAnotherProgramIsNamedInTheReport) {
    struct Case {
        const char* name;
        int button;
        int32_t error;
    };
    const Case cases[] = {
        {"AUTO PROGRAM, in use", 1001, 58},
        {"BLANK CHECK, in use", 1007, 58},
        {"AUTO PROGRAM, no adapter", 1001, 57},
    };
    const std::string inUse = "MSP-FET430UIF is already in use.\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Config("FlashEraseModeIndex 1\r\n");
        std::string report;
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            core::TargetClose();
            sim::Sim().FailOperation("MSP430_Initialize", c.error);
            session().Boxes().Answer(platform::IDOK);
            d.Click(c.button);
            report = d.Target().GetItemText(1026);
        });
        EXPECT_TRUE(ui::TranscriptHas("box [Error] \"MSP430.dll initialization error."));
        const size_t at = report.find(inUse);
        if (c.error == 58) {
            ASSERT_NE(at, std::string::npos) << report;
            EXPECT_EQ(report.find(inUse, at + 1), std::string::npos) << report;
        } else {
            EXPECT_EQ(at, std::string::npos) << report;
        }
        ResetBetweenCases();
    }
}

// The board is not the type selected: No to "continue anyway?" stops the
// run as the operator's choice, whichever step identified the board first
// (the label read, the retained data's read, the erase), and the report
// names the mismatch; nothing is erased. Yes goes on to DONE.
TEST_F(ActionsTest, NoToTheTypeQuestionStopsTheRunAndSaysWhy) {
    struct Case {
        const char* name;
        std::function<void(FixedSerialNumber&)> setup;
        int answer;
    };
    const Case cases[] = {
        {"first identified by the label read", [](FixedSerialNumber& sn) { sn.Install(); },
         platform::IDNO},
        {"first identified for the retained data",
         [](FixedSerialNumber&) { core::Settings.RetainDefinedData = 1; }, platform::IDNO},
        {"first identified by the erase", [](FixedSerialNumber&) {}, platform::IDNO},
        {"yes", [](FixedSerialNumber&) {}, platform::IDYES},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Config("FlashEraseModeIndex 1\r\n");
        std::string report;
        FixedSerialNumber sn;
        sn.modelOn = 0;
        Run([&](ui::Driver& d) {
            Device("149");
            core::Settings.SelectedProcessorIndex = DeviceRowNamed("1232");
            core::Settings.SNStartAddress = 0xF000;
            core::Settings.RetainDataStart = 0xE000;
            core::Settings.RetainDataStop = 0xE00F;
            c.setup(sn);
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            sim::Sim().Log().Clear();
            session().Boxes().Answer(c.answer);
            d.Click(1001);
            report = d.Target().GetItemText(1026);
        });
        EXPECT_TRUE(ui::TranscriptHas(
            "box [Warning] \"The target microcontroller type does not match selection:"))
            << ui::TranscriptText();
        const std::string mismatch = "The target microcontroller type does not match selection:\r\n"
                                     "Selected microcontroller type: MSP430F1232\r\n"
                                     "Target microcontroller type:    MSP430F149\r\n";
        if (c.answer == platform::IDNO) {
            EXPECT_NE(report.find(mismatch + kStoppedLine), std::string::npos) << report;
            EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u);
            EXPECT_EQ(Lamp(gui::kRowAutoProgram), gui::kLampFailed);
            EXPECT_EQ(Lamp(gui::kRowPicture), gui::kPictureBlank);
            EXPECT_FALSE(ui::TranscriptHas("sound 2"));
        } else {
            EXPECT_EQ(report.find(mismatch), std::string::npos) << report;
            EXPECT_TRUE(Done(report)) << report;
        }
        ResetBetweenCases();
    }
}

// Info-A locked and holding code: No stops; Yes programs the rest and
// leaves Info-A as it was, still locked.
TEST_F(ActionsTest, ProtectedInfoAQuestion) {
    for (int answer : {platform::IDNO, platform::IDYES}) {
        Config("FlashEraseModeIndex 1\r\nEraseInfoA_F2xx_En 0\r\nVerifyModeIndex 1\r\n");
        std::string report;
        std::vector<uint8_t> infoA;
        Run([&](ui::Driver& d) {
            Device("2274");
            infoA = sim::Sim().PeekRange(0x10C0, 64);
            ASSERT_EQ(gui::CodeFileReadAndReport(
                          0, CodeFile("a.txt", "@10C0\n01 02\n@8000\n03 04\n@FFFE\n00 80\nq\n")),
                      1);
            session().Boxes().Answer(answer);
            d.Click(1001);
            report = d.Target().GetItemText(1026);
        });
        EXPECT_TRUE(ui::TranscriptHas("Check code data in locations 0x10C0 to 0x10FF"))
            << ui::TranscriptText();
        EXPECT_EQ(sim::Sim().PeekRange(0x10C0, 64), infoA);
        EXPECT_FALSE(sim::Sim().InfoAUnlocked());
        if (answer == platform::IDNO) {
            EXPECT_NE(report.find(kStoppedLine), std::string::npos);
        } else {
            EXPECT_TRUE(Done(report)) << report;
            EXPECT_EQ(sim::Sim().Peek(0x8000), 0x03);
        }
        ResetBetweenCases();
    }
}

// Every erase mode with retaining on and off on the F2274: the DCO bytes
// (kept by retaining) and the user's retain range (kept by retaining, or
// outside what the mode erases) are as before; the run passes.
TEST_F(ActionsTest, EraseModesKeepWhatTheyMust) {
    for (int32_t mode = 0; mode <= 4; ++mode) {
        for (int32_t retain : {0, 1}) {
            Config("FlashEraseModeIndex " + std::to_string(mode) +
                   "\r\nEraseInfoA_F2xx_En 1\r\nVerifyModeIndex 1\r\nCheckDCOconstants_F2xx 1\r\n"
                   "EraseDefMainMemEn 1\r\n");
            const std::vector<uint8_t> kept = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
            std::vector<uint8_t> factory;
            std::string report;
            Run([&](ui::Driver& d) {
                Device("2274");
                factory = Dco();
                core::Settings.RetainInfoCalData = retain;
                core::Settings.RetainDefinedData = retain;
                core::Settings.RetainDataStart = 0xC000;
                core::Settings.RetainDataStop = 0xC007;
                core::Settings.EraseFlashStart = 0x8000;
                core::Settings.EraseFlashStop = 0x81FF;
                sim::Sim().PokeRange(0xC000, kept);
                ASSERT_EQ(LoadTiTxt(0x8000, 0x100), 1);
                d.Click(1001);
                report = d.Target().GetItemText(1026);
            });
            const std::string what =
                "mode " + std::to_string(mode) + " retain " + std::to_string(retain);
            // Without retaining, erasing everything takes the DCO bytes, and
            // the run's DCO check then fails it: the only failing combination.
            const bool dcoErased = retain == 0 && mode == 1;
            EXPECT_EQ(Done(report), !dcoErased) << what << "\n" << report;
            if (!dcoErased) {
                EXPECT_EQ(Dco(), factory) << what;
            } else {
                EXPECT_NE(report.find("DCO constants verification.......\t failed"),
                          std::string::npos)
                    << report;
            }
            const bool rangeErased = retain == 0 && (mode == 1 || mode == 2);
            EXPECT_EQ(sim::Sim().PeekRange(0xC000, 8) == kept, !rangeErased) << what;
            EXPECT_EQ(sim::Sim().Peek(0x8000), Byte(0)) << what;
            ResetBetweenCases();
        }
    }
}

// "Update only" erases nothing: what was on the board stays beside the code.
TEST_F(ActionsTest, UpdateOnlyErasesNothing) {
    Config("FlashEraseModeIndex 0\r\nVerifyModeIndex 1\r\n");
    std::string report;
    Run([&](ui::Driver& d) {
        Device("149");
        sim::Sim().Poke(0xE000, 0x42);
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u);
    EXPECT_EQ(sim::Sim().Peek(0xE000), 0x42);
    EXPECT_TRUE(Done(report)) << report;
    EXPECT_EQ(Lamp(gui::kRowBlankCheck), gui::kLampPassedKept);
}

// The DCO copy survives a failed restore: the next run on the same board
// (the operator confirms it is) puts the factory bytes back, not the
// erased ones it reads, and says so.
TEST_F(ActionsTest, FailedRestoreKeepsTheFactoryDco) {
    Config("FlashEraseModeIndex 1\r\nEraseInfoA_F2xx_En 1\r\nRetainInfoCalData 1\r\n"
           "CheckDCOconstants_F2xx 1\r\nVerifyModeIndex 1\r\n");
    std::vector<uint8_t> factory;
    std::string first;
    std::string second;
    Run([&](ui::Driver& d) {
        Device("2274");
        factory = Dco();
        ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
        sim::Sim().FailWriteAt(0x10F8, 1);
        d.Click(1001);
        first = d.Target().GetItemText(1026);
        EXPECT_EQ(sim::Sim().Peek(0x10F8), 0xFF);
        session().Boxes().Answer(platform::IDYES);
        d.Click(1001);
        second = d.Target().GetItemText(1026);
    });
    EXPECT_NE(second.find("  Copies kept from the failed restore written back: "
                          "0x10F8 - 0x10FF\r\n"),
              std::string::npos)
        << second;
    EXPECT_NE(first.find("Retain Data ......................\t failed\r\n"), std::string::npos)
        << first;
    EXPECT_FALSE(Done(first));
    EXPECT_TRUE(Done(second)) << second;
    EXPECT_EQ(Dco(), factory);
}

// Yes to the code in the retain range: the kept bytes are neither written
// over nor compared, and the run passes with them in place.
TEST_F(ActionsTest, AcceptedRetainOverlapKeepsTheRetainedBytes) {
    Config("FlashEraseModeIndex 1\r\nRetainDefinedData 1\r\nVerifyModeIndex 1\r\n");
    std::string report;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.RetainDataStart = 0x1100;
        core::Settings.RetainDataStop = 0x110F;
        sim::Sim().PokeRange(0x1100, std::vector<uint8_t>(16, 0xA5));
        ASSERT_EQ(LoadTiTxt(0x1100, 0x40), 1);
        session().Boxes().Answer(platform::IDYES);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_TRUE(Done(report)) << report;
    EXPECT_EQ(sim::Sim().PeekRange(0x1100, 16), std::vector<uint8_t>(16, 0xA5));
    EXPECT_EQ(sim::Sim().Peek(0x1110), Byte(0x10));
}

// An accepted SN overlap: the run places the number over the code in every
// preparation, and the board holds it.
TEST_F(ActionsTest, AcceptedSnOverlapWritesTheNumber) {
    Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
    std::string report;
    FixedSerialNumber sn;
    sn.modelOn = 0;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.SNStartAddress = 0x1100;
        sn.Install();
        ASSERT_EQ(LoadTiTxt(0x1100, 0x40), 1);
        session().Boxes().Answer(platform::IDYES);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_TRUE(Done(report)) << report;
    EXPECT_EQ(sim::Sim().PeekRange(0x1100, 10),
              std::vector<uint8_t>(sn.number.begin(), sn.number.end()));
    EXPECT_EQ(sn.historyRecords, 1);
    EXPECT_EQ(session().Boxes().Pending(), 0u);
}

// The label cannot be read: the SN step ends the run before anything is
// erased or written, and no history record is made.
TEST_F(ActionsTest, LabelReadErrorEndsTheRunBeforeWriting) {
    Config("FlashEraseModeIndex 1\r\n");
    FixedSerialNumber sn;
    sn.readBackResult = 4;
    std::string report;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.SNStartAddress = 0xF000;
        sn.Install();
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        session().Boxes().Answer(platform::IDOK);
        d.Click(1001);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_TRUE(ui::TranscriptHas("box [Error] \"Read error!!\" flags 0x10"));
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u);
    EXPECT_NE(report.find(kFailedLine), std::string::npos);
    EXPECT_EQ(sn.historyRecords, 0);
}

// With the fuse option on the run blows it; the next run finds it BLOWN.
TEST_F(ActionsTest, FuseBlownByTheRunThenFoundBlown) {
    Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
    std::string first;
    std::string second;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.BlowFuseEnable = 1;
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        d.Click(1001);
        first = d.Target().GetItemText(1026);
        session().Boxes().Answer(platform::IDOK);
        d.Click(1001);
        second = d.Target().GetItemText(1026);
    });
    EXPECT_NE(first.find("Blowing Security Fuse .....................\t done\r\n"),
              std::string::npos)
        << first;
    EXPECT_TRUE(Done(first));
    EXPECT_TRUE(sim::Sim().FuseBlown());
    EXPECT_NE(second.find("\t BLOWN\r\n"), std::string::npos) << second;
    EXPECT_FALSE(Done(second));
}

// No code loaded: the run opens the file dialog, and a cancelled dialog
// fails it without touching flash.
TEST_F(ActionsTest, NoCodeOpensTheDialogAndCancelFails) {
    Config("FlashEraseModeIndex 1\r\n");
    std::string report;
    Run([&](ui::Driver& d) {
        Device("149");
        session().CancelFile();
        d.Click(1001);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_NE(report.find(kFailedLine), std::string::npos) << report;
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u);
}

// Reload on: a changed file is read again and programmed; a file that
// became a project switches reloading off.
TEST_F(ActionsTest, ReloadReadsTheChangedFile) {
    Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\nCodeFileReload 1\r\n");
    Run([&](ui::Driver& d) {
        Device("149");
        const std::string path = CodeFile("a.txt", TiTxt(0x1100, 0x20));
        ASSERT_EQ(gui::CodeFileReadAndReport(0, path), 1);
        core::Settings.CodeFileReload = 1;
        CodeFile("a.txt", "@1100\n77 66\n@FFFE\n00 11\nq\n");
        d.Click(1001);
        EXPECT_TRUE(Done(d.Target().GetItemText(1026)));
        EXPECT_EQ(sim::Sim().Peek(0x1100), 0x77);
        EXPECT_EQ(sim::Sim().Peek(0x1102), 0xFF);
    });
}

// F5 three times and a click while a run is going: one run.
TEST_F(ActionsTest, InputQueuedDuringARunIsDropped) {
    Config("FlashEraseModeIndex 1\r\n");
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        bool sent = false;
        CallWatch.onCall = [&](const char* entry) {
            if (!sent && std::string(entry) == "MSP430_Erase") {
                sent = true;
                d.Key(ui::VK_F5);
                d.Key(ui::VK_F5);
                d.Key(ui::VK_F5);
                d.Click(1001);
            }
        };
        d.Click(1001);
        CallWatch.onCall = nullptr;
    });
    EXPECT_EQ(LinesWith({"run 1001"}).size(), 1u);
    EXPECT_EQ(LinesWith({"dropped"}).size(), 4u) << ui::TranscriptText();
    EXPECT_EQ(LinesWith({"sound 1"}).size(), 1u);
}

} // namespace
} // namespace guitest
