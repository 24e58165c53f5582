// The single actions and NEXT on the simulated library: their questions,
// lamps, reports and what reaches the target.

#include "core/code_file_names.h"
#include "core/flash_state.h"
#include "core/segment_table.h"
#include "gui/main_controls.h"
#include "gui/memory_view_dlgs.h"
#include "tests/gui/actions_fixture.h"

namespace guitest {
namespace {

const char* const kEraseQuestion =
    "box [Memory erase] \"Would you like to erase all memory contents?";

// ERASE FLASH: Yes erases everything, No the user's space (with "Update
// only" nothing), Cancel nothing at all; each clears the written flags.
TEST_F(ActionsTest, EraseYesNoCancel) {
    struct Case {
        int answer;
        size_t eraseCalls; // at least
        bool kept;         // the byte at 0xE000 survives
    };
    for (const Case& c : {Case{platform::IDYES, 1, false}, Case{platform::IDNO, 0, true},
                          Case{platform::IDCANCEL, 0, true}}) {
        Config("FlashEraseModeIndex 0\r\n");
        std::string report;
        Run([&](ui::Driver& d) {
            Device("149");
            sim::Sim().Poke(0xE000, 0x42);
            session().Boxes().Answer(c.answer);
            d.Click(1003);
            report = d.Target().GetItemText(1026);
            EXPECT_EQ(d.Target().GetItemText(1121), "ERASE FLASH");
        });
        EXPECT_TRUE(ui::TranscriptHas(kEraseQuestion)) << c.answer;
        EXPECT_TRUE(ui::TranscriptHas("flags 0x23")) << c.answer;
        EXPECT_EQ(sim::Sim().Peek(0xE000) == 0x42, c.kept) << c.answer;
        EXPECT_GE(sim::Sim().Log().Count("MSP430_Erase"), c.eraseCalls);
        if (c.answer == platform::IDCANCEL) {
            EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u);
            EXPECT_EQ(gui::Actions.FlashWrittenFlags, 3);
        } else {
            EXPECT_NE(report.find("Erasing memory ...............................\t done\r\n"),
                      std::string::npos);
            EXPECT_EQ(Lamp(gui::kRowErase), gui::kLampPassed);
            EXPECT_EQ(gui::Actions.FlashWrittenFlags, 0);
        }
        EXPECT_EQ(gui::Actions.RepeatActionCode, 3);
        ResetBetweenCases();
    }
}

// Erase where the code lies, without code: the dialog, then the box.
TEST_F(ActionsTest, EraseModeThreeNeedsACodeFile) {
    Config("FlashEraseModeIndex 3\r\n");
    Run([&](ui::Driver& d) {
        Device("149");
        session().Boxes().Answer(platform::IDNO);
        session().CancelFile();
        d.Click(1003);
    });
    EXPECT_TRUE(
        ui::TranscriptHas("box [Error] \"The selected memory erase option required a valid "));
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Erase"), 0u);
    EXPECT_FALSE(ui::TranscriptHas("JTAG communication"));
}

// BLANK CHECK: blank, only the written areas blank, not blank.
TEST_F(ActionsTest, BlankCheckLamps) {
    struct Case {
        uint32_t pokeAt; // 0: none
        int32_t lamp;
        const char* last;
    };
    for (const Case& c :
         {Case{0, gui::kLampPassed, "All memory Blank checking.............\t OK\r\n"},
          Case{0xE000, gui::kLampPassedKept, "Selected Memory Blank checking....\t OK\r\n"},
          Case{0x1100, gui::kLampFailed, "Selected Memory Blank checking....\t failed\r\n"}}) {
        Config("FlashEraseModeIndex 3\r\n");
        std::string report;
        Run([&](ui::Driver& d) {
            Device("149");
            if (c.pokeAt != 0) {
                sim::Sim().Poke(c.pokeAt, 0x00);
            }
            ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
            d.Click(1007);
            report = d.Target().GetItemText(1026);
        });
        EXPECT_EQ(Lamp(gui::kRowBlankCheck), c.lamp) << c.pokeAt;
        EXPECT_NE(report.find(c.last), std::string::npos) << report;
        ResetBetweenCases();
    }
}

// WRITE FLASH asks to erase first after program start (Cancel ends); a full
// main area goes in groups, a gap splits its group into single blocks.
TEST_F(ActionsTest, WriteQuestionsAndBlocks) {
    Config("FlashEraseModeIndex 3\r\n");
    std::vector<std::string> writes;
    Run([&](ui::Driver& d) {
        Device("149");
        // 0x1100..0xFFFF less one segment (0x2000..0x21FF).
        std::string text = TiTxt(0x1100, 0x2000 - 0x1100);
        text.erase(text.find("\n@FFFE"));
        text += "\n" + TiTxt(0x2200, 0xFFFE - 0x2200).substr(0);
        ASSERT_EQ(gui::CodeFileReadAndReport(0, CodeFile("a.txt", text)), 1);
        session().Boxes().Answer(platform::IDCANCEL);
        d.Click(1005);
        EXPECT_EQ(sim::Sim().Log().Count("MSP430_Memory"), 0u);
        session().Boxes().Answer(platform::IDOK);
        sim::Sim().Log().Clear();
        d.Click(1005);
        EXPECT_NE(
            d.Target().GetItemText(1026).find("Flash programming ....................\t done\r\n"),
            std::string::npos);
        EXPECT_TRUE(FlashMatchesImage());
    });
    EXPECT_EQ(LinesWith({"box [Warning] \"Please erase flash memory first."}).size(), 2u);
    EXPECT_TRUE(ui::TranscriptHas("flags 0x21"));
    for (const sim::SimCall& call : sim::Sim().Log().Of("MSP430_Memory")) {
        if (call.args.size() >= 3 && call.args[2] == 0) {
            writes.push_back(call.text);
        }
    }
    // The F149's 0x1100..0xFFFF: 119 main segments, total 120, groups of 12.
    // The group holding 0x2000 goes segment by segment, others whole.
    EXPECT_NE(std::find(writes.begin(), writes.end(), "MSP430_Memory(0x01E00, 512, 0) = 0"),
              writes.end())
        << ::testing::PrintToString(writes);
    EXPECT_NE(std::find(writes.begin(), writes.end(), "MSP430_Memory(0x02200, 512, 0) = 0"),
              writes.end());
    EXPECT_EQ(
        std::count_if(writes.begin(), writes.end(),
                      [](const std::string& w) { return w.find("0x02000") != std::string::npos; }),
        0);
    EXPECT_LT(writes.size(), 40u);
}

// VERIFY FLASH reads every segment back whatever the verify mode says.
TEST_F(ActionsTest, VerifyIsFullWhateverTheMode) {
    for (int32_t mode : {0, 2}) {
        Config("FlashEraseModeIndex 1\r\nVerifyModeIndex " + std::to_string(mode) + "\r\n");
        std::string report;
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x1100, 0x40), 1);
            d.Click(1001);
            sim::Sim().Poke(0x1104, 0x00);
            d.Click(1006);
            report = d.Target().GetItemText(1026);
        });
        EXPECT_NE(report.find(VerifyFailedAt("0x1100")), std::string::npos) << report;
        EXPECT_EQ(Lamp(gui::kRowVerify), gui::kLampFailed);
        EXPECT_EQ(Lamp(gui::kRowChecksum), gui::kLampFailed);
        ResetBetweenCases();
    }
}

// READ / COPY: all memory or the user's space; a read error skipped with Yes
// fails the read and leaves those words out.
TEST_F(ActionsTest, ReadAllUserAndSkippedError) {
    Config("FlashReadModeIndex 1\r\n");
    Run([&](ui::Driver& d) {
        Device("149");
        sim::Sim().Poke(0x1100, 0x12);
        session().Boxes().Answer(platform::IDYES);
        d.Click(1008);
        EXPECT_NE(
            d.Target().GetItemText(1026).find("Reading Flash memory ....................\t done"),
            std::string::npos);
        EXPECT_EQ(core::Images.ReadImage[core::ImageIndex(0x1100)], 0x12);
        EXPECT_EQ(Lamp(gui::kRowRead), gui::kLampPassed);

        sim::Sim().FailReadAt(0x1100, 1);
        session().Boxes().Answer(platform::IDYES); // all memory
        session().Boxes().Answer(platform::IDYES); // go on past the error
        d.Click(1008);
        EXPECT_NE(
            d.Target().GetItemText(1026).find("Reading Flash memory ....................\t failed"),
            std::string::npos);
        EXPECT_EQ(core::Images.ReadImage[core::ImageIndex(0x1100)], 0xFF);
        EXPECT_EQ(core::Images.ReadMask[core::WordIndex(0x1100)], 0);
        EXPECT_EQ(Lamp(gui::kRowRead), gui::kLampFailed);
    });
    EXPECT_TRUE(ui::TranscriptHas("box [Read memory] \" Would you like to read all memory"));
    EXPECT_TRUE(ui::TranscriptHas("box [Warning] \"     Read error !!!"));
    EXPECT_FALSE(Unattended());
}

// WRITE SN on flash already holding other bits: AND-written, the read-back
// differs, the action fails without history or next number.
TEST_F(ActionsTest, WriteSnVerifiesItsReadBack) {
    Config("");
    FixedSerialNumber sn;
    sn.modelOn = 0;
    std::string report;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.SNStartAddress = 0xF000;
        sn.Install();
        sim::Sim().PokeRange(0xF000, std::vector<uint8_t>(10, 0x0F));
        session().Boxes().Answer(platform::IDOK); // erase first? go on
        d.Click(1009);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_NE(report.find("Writing Serial Number - 0000012345"), std::string::npos) << report;
    EXPECT_EQ(sn.historyRecords, 0);
    EXPECT_EQ(Lamp(gui::kRowSerialNumber), gui::kLampFailed);
    EXPECT_NE(report.find(" --------------- FAILED !!! -----------------"), std::string::npos);

    // On erased flash it passes and is recorded.
    ResetBetweenCases();
    Config("");
    FixedSerialNumber good;
    good.modelOn = 0;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.SNStartAddress = 0xF000;
        good.Install();
        session().Boxes().Answer(platform::IDOK);
        d.Click(1009);
        EXPECT_EQ(d.Target().GetItemText(1055), "0000012345");
    });
    EXPECT_EQ(good.historyRecords, 1);
    EXPECT_EQ(Lamp(gui::kRowSerialNumber), gui::kLampPassed);
}

// Read SN, the fuse check, POWER, RESET.
TEST_F(ActionsTest, ReadSnFuseCheckPowerReset) {
    Config("");
    FixedSerialNumber sn;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.SNStartAddress = 0xF000;
        sn.Install();
        sim::Sim().PokeRange(0xF000, std::vector<uint8_t>(sn.number.begin(), sn.number.end()));
        d.Click(1012);
        EXPECT_EQ(d.Target().GetItemText(1055), "0000012345");
        EXPECT_NE(
            d.Target().GetItemText(1026).find("Reading Target Label....................\t done"),
            std::string::npos);
        d.Click(1004);
        EXPECT_EQ(d.Target().GetItemText(1121), "Verify Security Fuse");
        EXPECT_NE(
            d.Target().GetItemText(1026).find("Verifying Security Fuse ....................\t OK"),
            std::string::npos);
        sim::Sim().Log().Clear();
        core::Settings.PowerFromPODEnable = 1;
        gui::ControlsEnableByLock();
        d.Click(1002);
        EXPECT_EQ(gui::Frame.PowerButtonOn, 1);
        EXPECT_EQ(sim::Sim().AdapterSupply(), 3000);
        d.Click(1002);
        EXPECT_EQ(gui::Frame.PowerButtonOn, 0);
        EXPECT_EQ(sim::Sim().AdapterSupply(), 0);
        d.Click(1019);
        EXPECT_EQ(sim::Sim().Log().Count("MSP430_Reset"), 1u);
    });
    EXPECT_EQ(LinesWith({"debug MSP430_VCC(3000)"}).size() >= 2, true);
}

// NEXT repeats the last single action; with the setup locked it is always
// AUTO PROGRAM.
TEST_F(ActionsTest, NextRepeatsOrRunsAutoProgramWhenLocked) {
    Config("FlashEraseModeIndex 1\r\n");
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        d.Click(1007);
        ui::TranscriptClear();
        d.Click(1017);
        EXPECT_EQ(gui::Actions.RepeatActionCode, 4);
        EXPECT_NE(d.Target().GetItemText(1026).find("All memory Blank checking"),
                  std::string::npos);
        gui::SetupRunner.SetupUnlocked = 0;
        d.Click(1007);
        EXPECT_EQ(d.Target().GetItemText(1121), "AUTO PROGRAM");
        EXPECT_EQ(gui::Actions.RepeatActionCode, 1);
        d.Click(1017);
        EXPECT_TRUE(Done(d.Target().GetItemText(1026)));
        EXPECT_NE(d.Target().GetItemText(1026).find("Flash programming"), std::string::npos);
    });
}

// BLOW FUSE: two questions; a No to either changes nothing.
TEST_F(ActionsTest, BlowFuseTwoQuestions) {
    for (int second : {platform::IDNO, platform::IDYES}) {
        Config("");
        Run([&](ui::Driver& d) {
            Device("149");
            core::Settings.BlowFuseEnable = 1;
            gui::FuseControlsUpdate();
            session().Boxes().Answer(platform::IDYES);
            session().Boxes().Answer(second);
            d.Click(1018);
        });
        EXPECT_TRUE(ui::TranscriptHas("Do you still wish to blow the Security Fuse?"))
            << ui::TranscriptText();
        EXPECT_TRUE(ui::TranscriptHas("box [Warning] \"Are You sure?  \" flags 0x34"));
        EXPECT_EQ(sim::Sim().FuseBlown(), second == platform::IDYES);
        ResetBetweenCases();
    }
}

// BLOW FUSE on a target that cannot be identified: the run is finished as
// failed, nothing blown.
TEST_F(ActionsTest, BlowFuseOnAnUnreadyTargetFails) {
    Config("");
    std::string report;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.BlowFuseEnable = 1;
        gui::FuseControlsUpdate();
        sim::Sim().FailOperation("MSP430_Identify", 5);
        session().Boxes().Answer(platform::IDYES);
        session().Boxes().Answer(platform::IDYES);
        session().Boxes().Answer(platform::IDOK);
        d.Click(1018);
        report = d.Target().GetItemText(1026);
    });
    EXPECT_NE(report.find(" --------------- FAILED !!! -----------------"), std::string::npos)
        << report;
    EXPECT_FALSE(sim::Sim().FuseBlown());
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Secure"), 0u);
}

// READ / COPY saved in the viewer: the file becomes the current code file,
// everything-erase is selected and serialization switched off, with the box.
TEST_F(ActionsTest, ReadCopySavedBecomesTheCodeFile) {
    Config("FlashReadModeIndex 0\r\n");
    FixedSerialNumber sn;
    sn.modelOn = 0;
    Run([&](ui::Driver& d) {
        Device("149");
        core::Settings.SNStartAddress = 0xF000;
        sn.Install();
        sim::Sim().Poke(0x1100, 0x12);
        const std::string saved = CodeFile("copy.txt", "@1100\n12\nq\n");
        gui::MemoryView.ReadCopyPath = "stale.txt";
        session().OnDialog(198, [&](ui::Driver&) { gui::MemoryView.ReadCopyPath = saved; });
        session().Boxes().Answer(platform::IDOK);
        d.Click(1008);
        EXPECT_EQ(core::CodeFileNames.CodeFile.name, "copy.txt");
    });
    EXPECT_EQ(core::Settings.FlashEraseModeIndex, 1);
    EXPECT_EQ(core::Settings.SerializationEnable, 0);
    EXPECT_TRUE(ui::TranscriptHas(
        "box [Copy Flash] \"Contents of the Flash Memory has been saved in the file"));
    EXPECT_TRUE(ui::TranscriptHas(" * Serialization feature has been disabled."));
}

// Code against flash reads the target first only when asked to; two code
// files compare the current image with the chosen file, read into the
// programming image.
TEST_F(ActionsTest, ComparisonsReadWhenAskedAndOpenTheirViews) {
    for (int answer : {platform::IDYES, platform::IDNO}) {
        Config("");
        Run([&](ui::Driver& d) {
            Device("149");
            sim::Sim().Log().Clear();
            session().Boxes().Answer(answer);
            d.Menu(214);
            EXPECT_EQ(sim::Sim().Log().Count("MSP430_Memory") > 0, answer == platform::IDYES);
        });
        EXPECT_TRUE(
            ui::TranscriptHas("Would you like to upload data from the target device first?"));
        EXPECT_TRUE(ui::TranscriptHas("[213]")) << ui::TranscriptText();
    }
    Config("");
    const std::string other = CodeFile("other.txt", "@1200\n56\nq\n");
    Run([&](ui::Driver& d) {
        Device("149");
        session().AnswerFile(other);
        d.Menu(232);
    });
    EXPECT_EQ(core::Images.ProgramImage.data[core::ImageIndex(0x1200)], 0x56);
    EXPECT_TRUE(ui::TranscriptHas("[224]")) << ui::TranscriptText();
}

} // namespace
} // namespace guitest
