// The BSL password dialog headless: the entries it offers, what OK stores,
// the BSL-disable question, and "BSLPassword.txt" read back by the loader
// and by srec_cat.

#include "core/code_file_load.h"
#include "core/code_store.h"
#include "core/line_reader.h"
#include "core/passwords.h"
#include "gui/bsl_passw_dlg.h"
#include "gui/main_actions.h"
#include "platform/file.h"
#include "tests/gui/dialogs_fixture.h"
#include "tests/support/srec_cat.h"

namespace guitest {
namespace {

constexpr int kEntry = gui::kBslFirstEntryId;

class BslPasswordTest : public DialogTest {};

TEST_F(BslPasswordTest, SavedPasswordFileLoadsBackAndReadsWithSrecCat) {
    Select("149");
    PutCode(0xFFE2, {0x22});
    PutCode(0xFFFE, {0x00, 0x11});
    core::Settings.BSLAppendPasswordEn = 1;
    core::Passwords.AppendPasswData[0] = 0xA5;
    core::Passwords.AppendPasswData[2] = 0x77; // the code's byte wins
    const std::string path = dir_.File("BSLPassword.txt");
    ui::TestSession session;
    session.AnswerFile(path);
    session.OnDialog(20400, [](ui::Driver& d) {
        d.Type(kEntry + 3, "3c"); // as typed, before OK
        d.Click(20443);
        d.Click(20445);
    });
    gui::OnBslPassword(); // the main window's menu 225
    EXPECT_TRUE(ui::TranscriptHas("file save"));
    const std::string file = testsupport::ReadFile(path);
    EXPECT_EQ(file, "@FFE0\r\n"
                    "A5 FF 22 3C FF FF FF FF FF FF FF FF FF FF FF FF  \r\n"
                    "FF FF FF FF FF FF FF FF FF FF FF FF FF FF 00 11  \r\n"
                    "q\r\n");
    // Cancel stored nothing.
    EXPECT_EQ(core::Passwords.AppendPasswData[3], -1);

    platform::File f(path, platform::FileModeRead);
    core::LineReaderReset();
    ASSERT_EQ(core::CodeFileLoad(core::kStorePassword, 1, f.get(), path), 1);
    std::vector<int32_t> expected(32, 0xFF);
    expected[0] = 0xA5;
    expected[2] = 0x22;
    expected[3] = 0x3C;
    expected[30] = 0x00;
    expected[31] = 0x11;
    EXPECT_EQ(std::vector<int32_t>(core::Passwords.BslPassword, core::Passwords.BslPassword + 32),
              expected);

    const testsupport::ByteMap read =
        testsupport::SrecCatBytes(dir_.path().string(), "BSLPassword.txt", "-ti-txt");
    ASSERT_EQ(read.size(), 32u);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(read.at(static_cast<uint32_t>(0xFFE0 + i)), expected[static_cast<size_t>(i)])
            << i;
    }
}

TEST_F(BslPasswordTest, WithoutAppendTheEntriesAreNotInTheFile) {
    Select("149");
    core::Settings.BSLAppendPasswordEn = 0;
    core::Passwords.AppendPasswData[0] = 0xA5;
    ui::TestSession session;
    session.AnswerFile(dir_.File("p.txt"));
    session.OnDialog(20400, [](ui::Driver& d) { d.Click(20443); });
    gui::BslPasswordDialogRun();
    EXPECT_EQ(testsupport::ReadFile(dir_.File("p.txt")),
              "@FFE0\r\n"
              "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF  \r\n"
              "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF  \r\n"
              "q\r\n");
}

TEST_F(BslPasswordTest, EntriesAsTypedAndWhichOnesAreOffered) {
    struct Case {
        const char* device;
        std::vector<uint32_t> codeBytes;
        std::vector<int> readOnly; // entry numbers
        bool disableOffered;
    };
    const std::vector<Case> cases = {
        {"149", {0xFFE5}, {5, 30, 31}, false}, // series 1: no BSL disable
        {"2274", {}, {30, 31}, true},          // 0xFFDE free
        {"2274", {0xFFDF}, {30, 31}, false},   // one byte of the word defined
        {"2619", {0xFFDE}, {30, 31}, true},    // main above 0xFFFF: the word is 0xFFBE
        {"2619", {0xFFBE}, {30, 31}, false},
        {"5438", {}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 30, 31}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.device << " with " << c.codeBytes.size() << " code bytes");
        core::CodeImageClear();
        core::Passwords.Reset();
        Select(c.device);
        for (uint32_t a : c.codeBytes) {
            PutCode(a, {0x5A});
        }
        ui::TranscriptClear();
        ui::TestSession session;
        session.OnDialog(20400, [&](ui::Driver& d) {
            EXPECT_EQ(d.Target().IsItemEnabled(20433), c.disableOffered);
            for (int i = 0; i < 32; ++i) {
                d.Type(kEntry + i, i % 2 == 0 ? "a" : "G1");
            }
            d.Click(ui::IDOK);
        });
        gui::BSLPasswDlg dialog;
        EXPECT_EQ(dialog.DoModal(), ui::IDOK);
        for (int i = 0; i < 32; ++i) {
            const bool ro = std::find(c.readOnly.begin(), c.readOnly.end(), i) != c.readOnly.end();
            EXPECT_EQ(
                ui::TranscriptHas("refused type " + std::to_string(kEntry + i) + ": read-only"), ro)
                << i;
            EXPECT_EQ(core::Passwords.AppendPasswData[i], ro || i % 2 != 0 ? -1 : 0x0A) << i;
        }
    }
}

TEST_F(BslPasswordTest, ReadOnlyEntriesShowTheCodeFileBytes) {
    Select("149");
    PutCode(0xFFFE, {0x00, 0xF0});
    core::Passwords.AppendPasswData[1] = 0x3B;
    core::Passwords.AppendPasswData[31] = 0x99; // the code's byte shows instead
    ui::TestSession session;
    session.OnDialog(20400, [](ui::Driver& d) {
        EXPECT_EQ(d.Target().GetItemText(kEntry + 1), "3B");
        EXPECT_EQ(d.Target().GetItemText(kEntry + 0), "");
        EXPECT_EQ(d.Target().GetItemText(kEntry + 30), "00");
        EXPECT_EQ(d.Target().GetItemText(kEntry + 31), "F0");
        EXPECT_EQ(d.Target().GetItemText(20435).substr(0, 52),
                  "The BSL password itself consist 32 bytes on location");
    });
    gui::BslPasswordDialogRun();
}

TEST_F(BslPasswordTest, DisablingTheBslIsConfirmedFirst) {
    Select("2274");
    core::Passwords.AppendPasswData[4] = 0x44;
    ui::TestSession session;
    session.Boxes().Answer(ui::IDNO);
    session.Boxes().Answer(ui::IDYES);
    session.OnDialog(20400, [](ui::Driver& d) {
        d.Click(20433);
        d.Click(20446);
        d.Type(kEntry + 4, "55");
        d.Click(ui::IDOK);
        EXPECT_TRUE(d.Target().IsOpen());
        EXPECT_EQ(core::Passwords.AppendPasswData[4], 0x44); // No keeps everything
        EXPECT_EQ(core::Settings.BSLEnhSecurityEn, 0);
        d.Click(ui::IDOK);
    });
    gui::BSLPasswDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(LinesWith({"box "}).size(), 2u);
    EXPECT_TRUE(
        ui::TranscriptHas("box [Warning] \"The BSL interface will be permanently disabled!!!"
                          "\\r\\n\\r\\nWhen the JTAG Security fuse is blown, then an access  "
                          "\\r\\nto the target device will not be accessible any more.   "
                          "\\r\\n\\r\\nPlease confirm selection:\\r\\n\\r\\n\" flags 0x34 -> IDNO"))
        << ui::TranscriptText();
    EXPECT_EQ(core::Passwords.AppendPasswData[4], 0x55);
    EXPECT_EQ(core::Settings.BSLEnhSecurityEn, 1);
    EXPECT_EQ(core::Settings.BSLEnhSecurityIndex, 0);

    // Another mode is stored without the question.
    ui::TranscriptClear();
    session.OnDialog(20400, [](ui::Driver& d) {
        d.Click(20441);
        d.Click(ui::IDOK);
    });
    gui::BSLPasswDlg again;
    EXPECT_EQ(again.DoModal(), ui::IDOK);
    EXPECT_FALSE(ui::TranscriptHas("box "));
    EXPECT_EQ(core::Settings.BSLEnhSecurityIndex, 2);
}

} // namespace
} // namespace guitest
