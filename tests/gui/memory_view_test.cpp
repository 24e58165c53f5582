// The viewer dialogs headless: the text they show, "Skip blank", the viewer
// files in the working directory (read back by srec_cat), and the saved
// read-back that READ / COPY picks up.

#include "core/flash_read.h"
#include "gui/main_actions.h"
#include "gui/memory_texts.h"
#include "gui/memory_view_dlgs.h"
#include "tests/gui/dialogs_fixture.h"
#include "tests/support/srec_cat.h"

namespace guitest {
namespace {

using testsupport::ByteMap;

class MemoryViewTest : public DialogTest {
protected:
    // The viewer was started on the working directory's file name.
    void ExpectViewerOn(const std::string& name) {
        ASSERT_FALSE(launcher_.started.empty());
        EXPECT_EQ(launcher_.started.back().back(), dir_.File(name));
    }

    // An F149 board with data read back into ReadImage over three ranges.
    ByteMap ReadBack() {
        Connect("149");
        sim::Sim().PokeRange(0x1000, {0x01, 0x02, 0x03});
        sim::Sim().PokeRange(0x8000, {0x10, 0x20, 0x30, 0x40});
        sim::Sim().PokeRange(0xFFFE, {0x00, 0x80});
        ByteMap expected;
        for (auto [start, length] : {std::pair{0x1000, 0x40}, {0x8000, 0x10}, {0xFFF0, 0x10}}) {
            MaskRead(start, length);
            EXPECT_EQ(core::TargetReadRange(start, length), 1);
            for (int32_t a = start; a < start + length; ++a) {
                expected[static_cast<uint32_t>(a)] = core::Images.ReadImage[core::ImageIndex(a)];
            }
        }
        EXPECT_EQ(expected[0x8001], 0x20);
        return expected;
    }
};

TEST_F(MemoryViewTest, CodeViewShowsItsTextAndWritesItsFiles) {
    Select("149");
    PutCode(0x1100, {0xDE, 0xAD});
    PutCode(0xFFFE, {0x00, 0x11});
    core::Settings.DispSkipBlankLines = 1;
    ui::TestSession session;
    session.OnDialog(196, [&](ui::Driver& d) {
        EXPECT_EQ(d.Target().GetItemText(gui::kDumpEditId), gui::CodeDumpText(1));
        EXPECT_EQ(d.Target().GetItemText(gui::kDumpCaptionId), gui::kMemoryDumpCaption);
        EXPECT_EQ(d.Target().IsDlgButtonChecked(1210), 1);
        d.Click(1210);
        EXPECT_EQ(core::Settings.DispSkipBlankLines, 0);
        EXPECT_EQ(d.Target().GetItemText(gui::kDumpEditId), gui::CodeDumpText(0));
        d.Click(1091);
        ExpectViewerOn("code_mem.txt");
        d.Click(1093);
        ExpectViewerOn("MemView.txt");
        EXPECT_EQ(testsupport::ReadFile(dir_.File("MemView.txt")), gui::CodeDumpText(0));
        d.Click(1092);
    });
    gui::OnCodeFileData(); // the main window's menu 180
    EXPECT_TRUE(ui::TranscriptHas("[196] open \"File Code Data\""));
    EXPECT_TRUE(ui::TranscriptHas("[196] end 2"));
    EXPECT_EQ(session.PendingScripts(), 0u);
    EXPECT_EQ(testsupport::SrecCatBytes(dir_.path().string(), "code_mem.txt", "-ti-txt"),
              (ByteMap{{0x1100, 0xDE}, {0x1101, 0xAD}, {0xFFFE, 0x00}, {0xFFFF, 0x11}}));
}

TEST_F(MemoryViewTest, FlashViewFilesHoldTheBytesOfTheReadMask) {
    const ByteMap expected = ReadBack();
    const std::string copy = dir_.File("saved/copy.txt");
    std::filesystem::create_directory(dir_.File("saved"));
    ui::TestSession session;
    session.AnswerFile(copy);
    session.OnDialog(198, [&](ui::Driver& d) {
        EXPECT_EQ(d.Target().GetItemText(gui::kDumpEditId),
                  gui::FlashDumpText(core::Settings.DispSkipBlankLines));
        EXPECT_TRUE(d.Target().IsItemEnabled(1089));
        d.Click(1086);
        ExpectViewerOn("Target_m.txt");
        d.Click(1270);
        ExpectViewerOn("Target_m.hex");
        d.Click(1087);
        ExpectViewerOn("MemView.txt");
        d.Click(1089);
        d.Click(1088);
    });
    gui::TargetMemViewDlg view(true);
    EXPECT_EQ(view.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(ui::TranscriptHas("[198] open \"Flash Memory Data\""));
    EXPECT_TRUE(
        ui::TranscriptHas("file save \"Texas Instruments format (*.txt)|*.txt||\" -> \"" + copy));
    const std::string dir = dir_.path().string();
    EXPECT_EQ(testsupport::SrecCatBytes(dir, "Target_m.txt", "-ti-txt"), expected);
    EXPECT_EQ(testsupport::SrecCatBytes(dir, "Target_m.hex", "-intel"), expected);
    EXPECT_EQ(testsupport::SrecCatBytes(dir, "saved/copy.txt", "-ti-txt"), expected);
    EXPECT_EQ(gui::MemoryView.ReadCopyPath, copy);
}

TEST_F(MemoryViewTest, CopyNeedsAReadResultAndACancelledSaveLeavesNoPath) {
    ReadBack();
    gui::MemoryView.ReadCopyPath = "from an earlier run";
    ui::TestSession session;
    session.OnDialog(198, [](ui::Driver& d) { d.Click(1089); });
    gui::OnFlashMemoryData(); // the menu has no read result
    EXPECT_TRUE(ui::TranscriptHas("[198] refused click 1089: disabled")) << ui::TranscriptText();
    EXPECT_EQ(gui::MemoryView.ReadCopyPath, "");

    session.CancelFile();
    session.OnDialog(198, [](ui::Driver& d) { d.Click(1089); });
    gui::TargetMemViewDlg view(true);
    view.DoModal();
    EXPECT_TRUE(ui::TranscriptHas("-> cancelled"));
    EXPECT_EQ(gui::MemoryView.ReadCopyPath, "");
}

TEST_F(MemoryViewTest, ComparisonsPasteTheirTexts) {
    Select("149");
    PutCode(0x2000, {0x01});
    Put(core::Images.ProgramImage, 0x2000, {0x02});
    ui::TestSession session;
    session.OnDialog(213, [](ui::Driver& d) {
        d.Click(1091);
        d.Click(1092);
    });
    session.OnDialog(224, [](ui::Driver& d) {
        d.Click(1091);
        d.Click(1092);
    });
    gui::CompareMemViewDlg code;
    code.DoModal();
    gui::CompareCodesViewDlg files;
    files.DoModal();
    EXPECT_TRUE(ui::TranscriptHas("[213] open \"Comparation Code and Flash Memory Data\""));
    EXPECT_TRUE(ui::TranscriptHas("[224] open \"Two Code Data Files Comparation Result\""));
    EXPECT_EQ(testsupport::ReadFile(dir_.File("MemView.txt")), gui::CodeFlashCompareText());
    EXPECT_EQ(testsupport::ReadFile(dir_.File("CodesView.txt")), gui::CodeFilesCompareText());
    ASSERT_EQ(launcher_.started.size(), 2u);
    EXPECT_EQ(launcher_.started[1].back(), dir_.File("CodesView.txt"));
}

} // namespace
} // namespace guitest
