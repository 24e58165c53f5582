// Reading code files from the main window: every format with its report
// lines and "Source:" checksum, the failures, the programming-image mode and
// ".out" files through a converter script.

#include "core/code_file_names.h"
#include "core/code_store.h"
#include "tests/gui/actions_fixture.h"
#include "tests/support/image_bytes.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>

namespace guitest {
namespace {

using testsupport::ByteMap;

// The two bytes 0x12 0x34 at 0x1100 and the reset vector 0x1100, per format.
struct FormatCase {
    const char* name;
    const char* text;
};

TEST_F(ActionsTest, EveryFormatReadsWithItsReport) {
    const std::vector<FormatCase> cases = {
        {"a.txt", "@1100\n12 34\n@FFFE\n00 11\nq\n"},
        {"a.s19", "S10511001234A3\nS105FFFE0011EC\nS9030000FC\n"},
        {"a.hex", ":021100001234A7\n:02FFFE000011F0\n:00000001FF\n"},
        {"a.a43", ":021100001234A7\n:00000001FF\n"},
    };
    for (const FormatCase& c : cases) {
        Config();
        std::string report;
        std::string source;
        int32_t r = -5;
        Run([&](ui::Driver& d) {
            r = gui::CodeFileReadAndReport(0, CodeFile(c.name, c.text));
            report = d.Target().GetItemText(1026);
            source = d.Target().GetItemText(1047);
            EXPECT_EQ(d.Target().GetItemText(1022), c.name);
        });
        EXPECT_EQ(r, 1) << c.name << report << ui::TranscriptText();
        EXPECT_EQ(core::Images.CodeImage.data[core::ImageIndex(0x1100)], 0x12) << c.name;
        EXPECT_NE(report.find("Reading Code File ........................"), std::string::npos);
        EXPECT_NE(report.find("-- Code size = 0x000"), std::string::npos) << report;
        EXPECT_EQ(source.rfind("0x", 0), 0u) << c.name;
        EXPECT_EQ(source.size(), 10u);
        EXPECT_EQ(core::Images.CodeImageHasData, 1);
        ResetBetweenCases();
    }
}

// Failures: a bad line leaves no code; an unknown extension says so and
// leaves no code; a project is not read; a file that does not open changes
// nothing; an empty file loads but leaves nothing to program.
TEST_F(ActionsTest, CodeFileFailures) {
    Config();
    Run([&](ui::Driver& d) {
        const std::string good = CodeFile("good.txt", "@1100\n12 34\nq\n");
        ASSERT_EQ(gui::CodeFileReadAndReport(0, good), 1);

        session().Boxes().Answer(platform::IDOK);
        EXPECT_EQ(gui::CodeFileReadAndReport(0, CodeFile("bad.txt", "@1100\n12 3G\nq\n")), 0);
        EXPECT_EQ(core::Images.CodeImageHasData, 0);
        EXPECT_EQ(core::Images.CodeImage.used[core::ImageIndex(0x1100)], 0);
        EXPECT_TRUE(ui::TranscriptHas("is invalid. Reading terminated !!"));

        // A refused UBROF file gives the reader's reason in the box, under
        // that line, and in the report.
        ASSERT_EQ(gui::CodeFileReadAndReport(0, good), 1);
        session().Boxes().Answer(platform::IDOK);
        const std::string d43 = CodeFile("bad.d43", std::string("\x51\x00\x00\x00\x10\x00\x39"
                                                                "\x01\xAA\x3F\x12\x34\xFF",
                                                                13));
        EXPECT_EQ(gui::CodeFileReadAndReport(0, d43), 0);
        EXPECT_EQ(core::Images.CodeImageHasData, 0);
        EXPECT_TRUE(ui::TranscriptHas(
            "is invalid. Reading terminated !!\\r\\n\\r\\nUBROF checksum error at offset 9"))
            << ui::TranscriptText();
        EXPECT_NE(d.Target().GetItemText(1026).find("   UBROF checksum error at offset 9\r\n"),
                  std::string::npos);

        ASSERT_EQ(gui::CodeFileReadAndReport(0, good), 1);
        session().Boxes().Answer(platform::IDOK);
        EXPECT_EQ(gui::CodeFileReadAndReport(0, CodeFile("x.bin", "@1100\n12\nq\n")), 0);
        EXPECT_TRUE(ui::TranscriptHas("This in not a valid Code File\" flags 0x30"));
        EXPECT_EQ(core::Images.CodeImageHasData, 0);

        ASSERT_EQ(gui::CodeFileReadAndReport(0, good), 1);
        EXPECT_EQ(gui::CodeFileReadAndReport(0, CodeFile("p.PRJ", "x")), -1);
        EXPECT_EQ(core::Images.CodeImageHasData, 1);

        session().Boxes().Answer(platform::IDOK);
        EXPECT_EQ(gui::CodeFileReadAndReport(0, dir_.File("missing.txt")), 0);
        EXPECT_TRUE(ui::TranscriptHas("box [Error] \"Open File or Read File Error"));
        EXPECT_EQ(core::Images.CodeImageHasData, 1);
        EXPECT_EQ(core::CodeFileNames.CodeFile.name, "good.txt");
        EXPECT_EQ(d.Target().GetItemText(1022), "good.txt");

        EXPECT_EQ(gui::CodeFileReadAndReport(0, CodeFile("empty.txt", "q\n")), 1);
        EXPECT_EQ(core::Images.CodeImageHasData, 0);
    });
}

// A refused text file names its bad line and the fault, in every format:
// in the box under "is invalid" and in the report under the verdict.
TEST_F(ActionsTest, ABadLineIsNamedInTheBoxAndTheReport) {
    Config();
    const std::vector<std::pair<FormatCase, std::string>> cases = {
        {{"bad.txt", "@1100\r\n01 02 03 04; 05 06\r\n07 08\r\nq\r\n"},
         "Line 2: a comment on a line of data bytes"},
        {{"bad.hex", ":0410000001020304E2\n\n:041000000102030400\n:00000001FF\n"},
         "Line 3: checksum error"},
        {{"bad.s19", "S1061000AABBCCB8\nS6030000FC\nS9030000FC\n"}, "Line 2: unknown record type"},
        {{"bad.a43", "header\n:0400000400010203F2\n:00000001FF\n"},
         "Line 2: type 04 record length must be 2"},
    };
    Run([&](ui::Driver& d) {
        for (const auto& [file, why] : cases) {
            SCOPED_TRACE(file.name);
            ui::TranscriptClear();
            session().Boxes().Answer(platform::IDOK);
            EXPECT_EQ(gui::CodeFileReadAndReport(0, CodeFile(file.name, file.text)), 0);
            EXPECT_TRUE(
                ui::TranscriptHas("is invalid. Reading terminated !!\\r\\n\\r\\n" + why + "\""))
                << ui::TranscriptText();
            EXPECT_NE(d.Target().GetItemText(1026).find("...\t failed\r\n-- Code size = 0x0000 ( "
                                                        "0 ) bytes\r\n   " +
                                                        why + "\r\n"),
                      std::string::npos)
                << d.Target().GetItemText(1026);
            EXPECT_EQ(core::Images.CodeImageHasData, 0);
        }
    });
}

// Tools > Combine Code Files over a current code file: the combination is
// built beside it, so a failed add, two of them, nothing added or all
// cleared leave the code, its names and its "Source:" checksum as they were
// and ask nothing; a combination that holds a file replaces the code on
// Exit, whole, with the earlier file of a failed add kept.
TEST_F(ActionsTest, CombineChangesTheCurrentCodeOnlyWithAFileAdded) {
    Config();
    const std::string code1 = CodeFile("code1.txt", "@1100\n12 34\n@FFFE\n00 11\nq\n");
    const std::string bad = CodeFile("bad.txt", "@2000\n01 02\nzz\nq\n");
    const std::string bad2 = CodeFile("bad2.hex", ":01200000AA36\n:00000001FF\n");
    const std::string good = CodeFile("good.txt", "@3000\n5A A5\nq\n");
    struct Case {
        const char* what;
        std::vector<std::string> files; // the Add Code File answers, in order
        bool clearAll;                  // Clear All (answered Yes) before Exit
        ByteMap combined;               // empty: the current code stays
    };
    const std::vector<Case> cases = {
        {"a first file that is invalid", {bad}, false, {}},
        {"a second file that is invalid too", {bad, bad2}, false, {}},
        {"nothing added", {}, false, {}},
        {"all cleared", {good}, true, {}},
        {"a good file, then an invalid one",
         {good, bad},
         false,
         ByteMap{{0x3000, 0x5A}, {0x3001, 0xA5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetBetweenCases();
        Config();
        Run([&](ui::Driver& d) {
            ASSERT_EQ(gui::CodeFileReadAndReport(0, code1), 1);
            const ByteMap before = testsupport::Defined(core::Images.CodeImage);
            const std::string sum = d.Target().GetItemText(1047);
            const std::string path = d.Target().GetItemText(1020);
            ASSERT_EQ(sum.size(), 10u);
            ui::TranscriptClear();
            for (const std::string& f : c.files) {
                session().AnswerFile(f);
            }
            session().OnDialog(214, [&](ui::Driver& combine) {
                for (size_t i = 0; i < c.files.size(); ++i) {
                    combine.Click(1127);
                    // The current code is untouched while the dialog is open.
                    EXPECT_EQ(testsupport::Defined(core::Images.CodeImage), before);
                }
                if (c.clearAll) {
                    session().Boxes().Answer(platform::IDYES);
                    combine.Click(1119);
                }
                combine.Click(1129);
            });
            session().OnDialog(196, [](ui::Driver& view) { view.Click(1092); });
            d.Menu(216); // boxes unanswered: OK, and No to the save

            const bool asked = ui::TranscriptHas("box [Save Combine Code Files]");
            if (c.combined.empty()) {
                EXPECT_EQ(testsupport::Defined(core::Images.CodeImage), before);
                EXPECT_EQ(core::Images.CodeImageHasData, 1);
                EXPECT_EQ(core::CodeFileNames.CodeFile.name, "code1.txt");
                EXPECT_EQ(d.Target().GetItemText(1022), "code1.txt");
                EXPECT_EQ(d.Target().GetItemText(1020), path);
                EXPECT_EQ(d.Target().GetItemText(1047), sum);
                EXPECT_FALSE(asked) << ui::TranscriptText();
            } else {
                EXPECT_EQ(testsupport::Defined(core::Images.CodeImage), c.combined);
                EXPECT_TRUE(core::CodeFileNames.CodeFile.Empty());
                EXPECT_EQ(d.Target().GetItemText(1022), "");
                EXPECT_EQ(d.Target().GetItemText(1020), "");
                char combinedSum[16];
                std::snprintf(combinedSum, sizeof combinedSum, "0x%8.8X", 0xA55Au);
                EXPECT_EQ(d.Target().GetItemText(1047), combinedSum);
                EXPECT_TRUE(asked);
            }
            EXPECT_EQ(session().PendingFileAnswers(), 0u);
        });
    }
}

// An empty image is refused by WRITE FLASH: the file dialog, then nothing.
TEST_F(ActionsTest, EmptyImageIsNotWritten) {
    Config("FlashEraseModeIndex 1\r\n");
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(gui::CodeFileReadAndReport(0, CodeFile("empty.txt", "q\n")), 1);
        session().Boxes().Answer(platform::IDOK);
        session().CancelFile();
        d.Click(1005);
        EXPECT_NE(d.Target().GetItemText(1026).find(" --------------- FAILED !!! ---"),
                  std::string::npos);
    });
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Memory"), 0u);
}

// Mode 1 loads into the programming image and keeps the current file.
TEST_F(ActionsTest, ModeOneKeepsTheCurrentFile) {
    Config();
    Run([&](ui::Driver& d) {
        ASSERT_EQ(gui::CodeFileReadAndReport(0, CodeFile("a.txt", "@1100\n12 34\nq\n")), 1);
        ASSERT_EQ(gui::CodeFileReadAndReport(1, CodeFile("b.txt", "@1200\n56\nq\n")), 1);
        EXPECT_EQ(core::CodeFileNames.CodeFile.name, "a.txt");
        EXPECT_EQ(d.Target().GetItemText(1022), "a.txt");
        EXPECT_EQ(core::Images.ProgramImage.data[core::ImageIndex(0x1200)], 0x56);
        EXPECT_EQ(core::Images.CodeImage.used[core::ImageIndex(0x1200)], 0);
    });
}

// ".out" through the converter: converted and read as HEX, the ".out"
// stays current and a changed one is converted again by the reload; a
// missing converter is an error box.
TEST_F(ActionsTest, OutFilesThroughTheConverter) {
    Config("FlashEraseModeIndex 1\r\nVerifyModeIndex 1\r\n");
    const std::string tool = dir_.File("hexconv.sh");
    testsupport::WriteFile(tool, "#!/bin/sh\nout=${4#-o=}\ncp \"$5\" \"$out\"\n");
    ::chmod(tool.c_str(), 0755);
    Run([&](ui::Driver& d) {
        Device("149");
        core::CodeLoad.TOOL1_filename = tool;
        const std::string out = CodeFile("prog.out", ":021100001234A7\n:00000001FF\n");
        ASSERT_EQ(gui::CodeFileReadAndReport(0, out), 1) << ui::TranscriptText();
        EXPECT_NE(d.Target().GetItemText(1026).find("Converting file prog.out...\t done"),
                  std::string::npos)
            << d.Target().GetItemText(1026);
        EXPECT_EQ(core::CodeFileNames.CodeFile.name, "prog.out");
        EXPECT_EQ(core::Images.CodeImage.data[core::ImageIndex(0x1100)], 0x12);

        core::Settings.CodeFileReload = 1;
        // The first output an hour older, so the reload's own output is
        // told from it by its time (no waiting for the clock to move).
        const std::string hex = dir_.File("prog.hex");
        std::filesystem::last_write_time(hex, std::filesystem::last_write_time(hex) -
                                                  std::chrono::hours(1));
        CodeFile("prog.out", ":0211000056781F\n:00000001FF\n");
        d.Click(1001);
        EXPECT_EQ(sim::Sim().Peek(0x1100), 0x56) << d.Target().GetItemText(1026);

        core::CodeLoad.TOOL1_filename = dir_.File("nothere");
        session().Boxes().Answer(platform::IDOK);
        EXPECT_EQ(gui::CodeFileReadAndReport(0, out), 0);
        EXPECT_TRUE(ui::TranscriptHas("Error - hex430.exe file not found"));
    });
}

} // namespace
} // namespace guitest
