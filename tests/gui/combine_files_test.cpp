// Combine Files headless: code files made by srec_cat and a raw file joined
// into one image that srec_cmp finds equal to srec_cat's own merge; overlaps,
// a broken file, the file limit and Clear All.

#include "core/code_file_names.h"
#include "core/code_file_save.h"
#include "core/passwords.h"
#include "gui/combine_files_dlg.h"
#include "gui/main_actions.h"
#include "tests/gui/dialogs_fixture.h"
#include "tests/support/srec_cat.h"

namespace guitest {
namespace {

using testsupport::ByteMap;
using testsupport::Defined;

class CombineFilesTest : public DialogTest {
protected:
    std::string Dir() const { return dir_.path().string(); }

    // A binary of n bytes from seed, turned by srec_cat into name at address.
    std::string Made(const std::string& name, const char* format, uint32_t address, int n,
                     int seed) {
        std::string bytes;
        for (int i = 0; i < n; ++i) {
            bytes += static_cast<char>(seed + i * 7);
        }
        testsupport::WriteFile(dir_.File(name + ".bin"), bytes);
        char offset[16];
        std::snprintf(offset, sizeof offset, "0x%X", address);
        testsupport::SrecCatRun(Dir(),
                                {name + ".bin", "-binary", "-offset", offset, "-o", name, format});
        return dir_.File(name);
    }
};

TEST_F(CombineFilesTest, TheCombinedImageIsSrecCatsMerge) {
    Select("5438");
    const std::string hex = Made("a.hex", "-intel", 0x5C00, 100, 1);
    const std::string s19 = Made("b.s19", "-motorola", 0x8000, 64, 2);
    const std::string txt = Made("c.txt", "-ti-txt", 0x1FFF0, 40, 3); // across 0x20000
    std::string raw;
    for (int i = 0; i < 300; ++i) {
        raw += static_cast<char>(255 - i);
    }
    testsupport::WriteFile(dir_.File("d.bin"), raw);
    PutCode(0x9000, {0x99}); // the first file starts a new image

    ui::TestSession session;
    for (const std::string& f : {hex, s19, txt, dir_.File("d.bin")}) {
        session.AnswerFile(f);
    }
    session.OnDialog(214, [](ui::Driver& d) {
        EXPECT_EQ(d.Target().GetItemText(1130), "0x1000");
        d.Click(1127);
        d.Click(1127);
        d.Click(1127);
        d.Type(1130, "0x30000");
        d.Click(1128);
        EXPECT_EQ(d.Target().GetItemText(1131),
                  "File 1 - OK   : a.hex\r\nFile 2 - OK   : b.s19\r\nFile 3 - OK   : c.txt\r\n"
                  "File 4 - OK   : d.bin  -,,- Address: 0x30000 - 0x3012C\r\n");
        EXPECT_EQ(static_cast<gui::CombineFiles&>(d.Target()).FileCount(), 4);
        d.Click(1129);
    });
    gui::CombineFiles dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(ui::TranscriptHas("[214] open \"Combine Files\""));
    EXPECT_TRUE(ui::TranscriptHas("file open \"APPEND: ASCII/Binary File    (*.*)|*.*||\""));
    // Built beside the code, which the dialog leaves alone.
    EXPECT_EQ(Defined(core::Images.CodeImage), (ByteMap{{0x9000, 0x99}}));

    dialog.Combination().Put();
    ASSERT_EQ(core::CodeFileSaveAs(dir_.File("combined.hex")), 1);
    ASSERT_TRUE(testsupport::SrecCatRun(Dir(), {"a.hex", "-intel", "b.s19", "-motorola", "c.txt",
                                                "-ti-txt", "d.bin", "-binary", "-offset", "0x30000",
                                                "-o", "merged.hex", "-intel"}));
    const std::vector<std::string> cmp = {"srec_cmp", "combined.hex", "-intel", "merged.hex",
                                          "-intel"};
    const platform::RunResult r = platform::RunAndWait(cmp, Dir());
    ASSERT_TRUE(r.started) << "srec_cmp is not installed (Debian package srecord)";
    EXPECT_EQ(r.exitStatus, 0) << "the combined image differs from srec_cat's merge";
}

TEST_F(CombineFilesTest, OverlapsBrokenFilesAndEmptyRawFiles) {
    Select("149");
    const std::string first = Made("first.hex", "-intel", 0x2000, 16, 0x10);
    testsupport::WriteFile(dir_.File("later.txt"), "@2008\r\nAB CD\r\nq\r\n");
    // Good records first, then one whose checksum is wrong.
    testsupport::WriteFile(dir_.File("broken.hex"),
                           ":0130000011BE\r\n:01200000AA36\r\n:00000001FF\r\n");
    testsupport::WriteFile(dir_.File("empty.bin"), "");
    ui::TestSession session;
    for (const char* f : {"later.txt", "broken.hex"}) {
        session.AnswerFile(dir_.File(f));
    }
    session.AnswerFile(dir_.File("empty.bin"));
    ByteMap afterLater;
    session.OnDialog(214, [&](ui::Driver& d) {
        session.AnswerFile(first); // answers are taken in order: first goes last
        d.Click(1127);             // later.txt as file 1
        d.Click(1127);             // broken.hex
        d.Click(1128);             // empty.bin
        d.Click(1127);             // first.hex over later.txt
        EXPECT_EQ(static_cast<gui::CombineFiles&>(d.Target()).FileCount(), 2);
        EXPECT_EQ(d.Target().GetItemText(1131),
                  "File 1 - OK   : later.txt\r\nFile 2 - ERROR: first.hex\r\n");
        d.Click(1129);
    });
    gui::CombineFiles dialog;
    dialog.DoModal();
    EXPECT_EQ(LinesWith({"box "}),
              std::vector<std::string>{
                  "box [Error] \"The Code File \\r\\n\\r\\nbroken.hex \\r\\n\\r\\nis "
                  "invalid. Reading terminated !!\\r\\n\\r\\nLine 2: checksum error\" flags 0x10 "
                  "-> IDOK (unattended)"});
    // The later file's bytes over the earlier ones; nothing of the broken file.
    ByteMap expected;
    for (uint32_t i = 0; i < 16; ++i) {
        expected[0x2000 + i] = static_cast<uint8_t>(0x10 + i * 7);
    }
    dialog.Combination().Put();
    EXPECT_EQ(Defined(core::Images.CodeImage), expected);
}

TEST_F(CombineFilesTest, ABrokenFileLeavesTheImageAsItWas) {
    Select("149");
    testsupport::WriteFile(dir_.File("good.txt"), "@1100\r\n01 02 03\r\n@FFFE\r\n00 11\r\nq\r\n");
    testsupport::WriteFile(dir_.File("bad.txt"), "@1100\r\n09 09\r\n@1200\r\n44\r\nzz\r\nq\r\n");
    ui::TestSession session;
    session.AnswerFile(dir_.File("good.txt"));
    session.AnswerFile(dir_.File("bad.txt"));
    session.OnDialog(214, [](ui::Driver& d) {
        d.Click(1127);
        d.Click(1127);
        EXPECT_EQ(static_cast<gui::CombineFiles&>(d.Target()).FileCount(), 1);
        EXPECT_EQ(d.Target().GetItemText(1131), "File 1 - OK   : good.txt\r\n");
    });
    gui::CombineFiles dialog;
    dialog.DoModal();
    dialog.Combination().Put();
    EXPECT_EQ(Defined(core::Images.CodeImage),
              (ByteMap{{0x1100, 1}, {0x1101, 2}, {0x1102, 3}, {0xFFFE, 0}, {0xFFFF, 0x11}}));
}

TEST_F(CombineFilesTest, TheFortyFirstFileIsRefusedAndClearAllAsks) {
    Select("149");
    const std::string name = "a-code-file-with-a-rather-long-name.txt";
    testsupport::WriteFile(dir_.File(name), "@1100\r\n01\r\nq\r\n");
    ui::TestSession session;
    for (int i = 0; i < gui::kCombineMaxFiles; ++i) {
        session.AnswerFile(dir_.File(name));
    }
    session.Boxes().Answer(ui::IDOK);
    session.Boxes().Answer(ui::IDOK);
    session.Boxes().Answer(ui::IDNO);
    session.Boxes().Answer(ui::IDYES);
    session.OnDialog(214, [&](ui::Driver& d) {
        auto& w = static_cast<gui::CombineFiles&>(d.Target());
        for (int i = 0; i < gui::kCombineMaxFiles; ++i) {
            d.Click(i % 2 == 0 ? 1127 : 1128);
        }
        EXPECT_EQ(w.FileCount(), 40);
        // Only the last 2000 characters of the list remain.
        EXPECT_EQ(w.GetItemText(1131).size(), 2000u);
        const std::string list = w.GetItemText(1131);
        const std::string last = "File 40 - ERROR: " + name + "  -,,- Address: 0x1000 - 0x100E\r\n";
        EXPECT_EQ(list.substr(list.size() - last.size()), last);
        ui::TranscriptClear();
        d.Click(1127); // the 41st
        d.Click(1128);
        EXPECT_EQ(w.FileCount(), 40);
        EXPECT_FALSE(ui::TranscriptHas("file open"));
        d.Click(1119); // No
        EXPECT_EQ(w.FileCount(), 40);
        d.Click(1119); // Yes
        EXPECT_EQ(w.FileCount(), 0);
        EXPECT_EQ(w.GetItemText(1131), "");
    });
    gui::CombineFiles dialog;
    dialog.DoModal();
    EXPECT_EQ(LinesWith({"box "}),
              (std::vector<std::string>{
                  "box [Error] \"Numbers of combined files reach the limit.\" flags 0x10 -> IDOK",
                  "box [Error] \"Numbers of combined files reach the limit.\" flags 0x10 -> IDOK",
                  "box [Warning] \"Are you sure?\" flags 0x24 -> IDNO",
                  "box [Warning] \"Are you sure?\" flags 0x24 -> IDYES"}));
    EXPECT_EQ(dialog.Combination().HasData(), 0);
    dialog.Combination().Put();
    EXPECT_EQ(core::Images.CodeImageHasData, 0);
    EXPECT_TRUE(Defined(core::Images.CodeImage).empty());
}

TEST_F(CombineFilesTest, TheMenuClearsTheCodeFileNameOffersTheSaveAndShowsTheImage) {
    Select("149");
    core::CodeFileNames.CodeFile.Set(dir_.File("old.txt"));
    testsupport::WriteFile(dir_.File("one.txt"), "@FFE0\r\n01\r\nq\r\n");
    ui::TestSession session;
    session.AnswerFile(dir_.File("one.txt"));
    session.OnDialog(214, [](ui::Driver& d) { d.Click(1127); });
    session.OnDialog(196, [](ui::Driver& d) { d.Click(1092); });
    gui::CombineRun(); // menu 216
    EXPECT_EQ(
        LinesWith({"box ", "[196] open"}),
        (std::vector<std::string>{
            "box [Save Combine Code Files] \"Combined Code Data Block is completed\\r\\n\\r\\n"
            "Would you like to save the Combined Code Data File ??\\r\\n\\r\\n\" flags 0x24 -> "
            "IDNO "
            "(unattended)",
            "[196] open \"File Code Data\""}));
    EXPECT_TRUE(core::CodeFileNames.CodeFile.Empty());
    EXPECT_EQ(core::Passwords.CodePassword[0], 0x01);
}

} // namespace
} // namespace guitest
