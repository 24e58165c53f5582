// The serialization dialogs, headless: the setup dialog's checks and
// normalising, the report's counts, export and deletes, the SN editor's
// choices and the pending-list view.

#include "sn_fixture.h"

#include "core/model_text.h"
#include "gui/sn_report.h"
#include "platform/atomic_file.h"
#include "platform/sound.h"
#include "platform/text_viewer.h"
#include "ui/test_session.h"
#include "ui/transcript.h"

namespace sn_test {
namespace {

using gui::SerialNumber;

class SilentSound : public platform::SoundService {
public:
    bool PlayWave(const std::string&) override { return true; }
    void Beep(uint32_t hz, uint32_t ms) override { beeps.push_back({hz, ms}); }
    std::vector<std::pair<uint32_t, uint32_t>> beeps;
};

class SnDialogTest : public SnTest {
protected:
    void SetUp() override {
        SnTest::SetUp();
        platform::SetSoundService(&sound);
        platform::SetTextViewer({"true"});
    }
    SilentSound sound;
};

// Each check of OK with the edits that trip it; the dialog stays open and
// the settings keep their values.
TEST_F(SnDialogTest, SerialDlgShowsEachCheckAndKeepsTheSettings) {
    const struct {
        std::vector<std::pair<int, std::string>> edits;
        int model; // model text on
        const char* message;
    } cases[] = {
        {{{1064, "0x1001"}},
         0,
         "'SN Start Address in Memory' must be even.\r\n\r\nPlease correct the address."},
        {{{1064, "0x0FFE"}},
         0,
         "'SN Start Address in Memory'.\r\n\r\nmust be higher or equal to 0x1000.\r\n\r\nPlease "
         "correct the address."},
        {{{1064, "0x45BE0"}},
         0,
         "'SN Start Address in Memory'\r\n\r\nmust be lower than ( 0xFFE0 minus the number of "
         "bytes used by SN "
         ")).\r\n\r\nPlease correct the address."},
        {{{1068, ""}},
         0,
         "'SN File has not been specified.\r\n\r\nPlease specify the path and file name.\r\n\r\n"},
        {{{1077, "6"}, {1077, "3"}},
         0,
         "Custom SN size must be even number between 4 and 256\r\n\r\nPlease correct the Custom SN "
         "size."},
        {{{1066, "34"}},
         1,
         "'Text size in Bytes' must be even\r\n\r\nand between 2 and 32.\r\n\r\nPlease correct "
         "data."},
        {{{1067, "0x2001"}},
         1,
         "'Start Address in Memory' for Model/Group/Revision must be even.\r\n\r\nPlease correct "
         "the address."},
        {{{1067, "0x0800"}},
         1,
         "'Start Address in Memory' for Model/Group/Revision\r\n\r\nmust be greater or equal to "
         "0x1000.\r\n\r\n"
         "Please correct the address."},
        {{{1067, "0x45BF0"}},
         1,
         "'Start Address in Memory' for Model/Group/Revision\r\n\r\nmust be lower than ( 0xFFE0 "
         "minus the length of "
         "text in bytes ).\r\n\r\nPlease correct the address."},
        {{{1067, "0x1000"}},
         1,
         "SN address space location is overlaping\r\nthe Model/Group/Revision address space "
         "location.\r\n\r\n"
         "Please correct the SN or Model/Group/Revision address."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        SetUp();
        const bool customSize = c.edits[0].first == 1077; // its edit serves the custom types
        Use(customSize ? 6 : 3, customSize ? 2 : 0);
        core::Settings.ModelTextEnable = c.model;
        core::Settings.ModelTextSize = 2;
        core::Settings.ModelTextStartAddr = 0x2000;
        const core::SettingsState before = core::Settings;
        ui::TestSession s;
        bool stillOpen = false;
        s.OnDialog(gui::IDD_SERIAL, [&](ui::Driver& d) {
            for (const auto& [id, text] : c.edits) {
                d.Type(id, text);
            }
            d.Click(1071);
            stillOpen = d.Target().IsOpen();
            d.Click(1069);
        });
        gui::SerialDlg dlg;
        EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
        EXPECT_TRUE(stillOpen);
        ASSERT_EQ(s.Boxes().Transcript().size(), 1u);
        EXPECT_EQ(s.Boxes().Transcript()[0].text, c.message);
        EXPECT_EQ(s.Boxes().Transcript()[0].caption, "Warning");
        EXPECT_EQ(s.Boxes().Transcript()[0].flags, 0x30u);
        EXPECT_EQ(core::Settings.SNStartAddress, before.SNStartAddress);
        EXPECT_EQ(core::Settings.ModelTextStartAddr, before.ModelTextStartAddr);
        EXPECT_EQ(core::Settings.SNFilePathAndName, before.SNFilePathAndName);
    }
}

TEST_F(SnDialogTest, SerialDlgWithSerializationOffAcceptsAnyAddress) {
    core::Settings.SerializationEnable = 0;
    ui::TestSession s;
    s.OnDialog(gui::IDD_SERIAL, [&](ui::Driver& d) {
        EXPECT_FALSE(d.Target().IsItemEnabled(1064));
        d.Click(1071);
    });
    gui::SerialDlg dlg;
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    EXPECT_TRUE(s.Boxes().Transcript().empty());
}

TEST_F(SnDialogTest, SerialDlgUsedSizesNormalisingEnablingAndOk) {
    core::Settings.SNStartAddress = 0x45BFF;
    Use(3, 0);
    ui::TestSession s;
    std::vector<std::string> sizes;
    s.OnDialog(gui::IDD_SERIAL, [&](ui::Driver& d) {
        ui::Dialog& t = d.Target();
        EXPECT_EQ(t.GetItemText(1064), "0x45BFC");
        d.Click(1074); // type 5
        d.Click(1063); // ASCII
        sizes.push_back(t.GetItemText(1065));
        d.Click(1061); // HEX MSW
        sizes.push_back(t.GetItemText(1065));
        d.Click(1062); // BCD
        sizes.push_back(t.GetItemText(1065));
        EXPECT_FALSE(t.IsItemEnabled(1266));
        d.Click(1076);                        // custom
        sizes.push_back(t.GetItemText(1065)); // BCD custom: Custom_SN_size bytes
        EXPECT_FALSE(t.IsItemEnabled(1062));
        EXPECT_FALSE(t.IsItemEnabled(1063));
        EXPECT_FALSE(t.IsItemEnabled(1072));
        EXPECT_TRUE(t.IsItemEnabled(1077));
        EXPECT_TRUE(t.IsItemEnabled(1266));
        d.Click(1054); // scanner on: the number types and "from File" are off
        EXPECT_FALSE(t.IsItemEnabled(1057));
        EXPECT_FALSE(t.IsItemEnabled(1236));
        EXPECT_TRUE(t.IsItemEnabled(1076));
        d.Click(1055);
        d.Select(1155, 3);
        d.Type(1064, "0x2000");
        d.Click(1071);
    });
    gui::SerialDlg dlg;
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    EXPECT_EQ(sizes, (std::vector<std::string>{"10", " 4", " 5", " 8"}));
    EXPECT_EQ(core::Settings.SNDispFormatIndex, 6);
    EXPECT_EQ(core::Settings.SNMemFormatIndex, 1);
    EXPECT_EQ(core::Settings.SNStartAddress, 0x2000);
    EXPECT_EQ(core::Settings.BarCodeReaderEnable, 1);
    EXPECT_EQ(core::Settings.BarCodeAutoStartEnable, 1);
    EXPECT_EQ(core::Settings.PostAmbleIndex, 3);
}

TEST_F(SnDialogTest, SerialDlgCancelChangesNothing) {
    const core::SettingsState before = core::Settings;
    ui::TestSession s;
    s.OnDialog(gui::IDD_SERIAL, [&](ui::Driver& d) {
        d.Click(1052);
        d.Click(1060);
        d.Type(1064, "0x3000");
        d.Key(ui::VK_RETURN); // Enter does not close it
        EXPECT_TRUE(d.Target().IsOpen());
        d.Click(1069);
    });
    gui::SerialDlg dlg;
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(core::Settings.SerializationEnable, before.SerializationEnable);
    EXPECT_EQ(core::Settings.SNDispFormatIndex, before.SNDispFormatIndex);
    EXPECT_EQ(core::Settings.SNStartAddress, before.SNStartAddress);
}

// Capitals, an 'n' record, a line that is no record and a torn tail.
constexpr const char* kReportFixture =
    "F3 \t00001 \t. \t( Thu, Dec 10,2026, 11:14 ) \ta.txt \tM1\r\n"
    "F3 \t00009 \tM \t( Thu, Dec 10,2026, 11:15 ) \ta.txt \tM2\r\n"
    "comment line\r\n"
    "f3 \t00003 \tn \t( Thu, Dec 10,2026, 11:16 ) \ta.txt \tM3\r\n"
    "F3 \t00004 \tU \t( Thu, Dec 10,2026, 11:17 ) \ta.txt \tM4\r\n"
    "F3 \t00005 \to \t( Thu, Dec 10,2026, 11:18 ) \ta.txt \tM5\r\n"
    "F3 \t0000";

TEST_F(SnDialogTest, SerStatDlgCountsExportsAndDeletes) {
    Use(3, 0);
    WriteHistory(kReportFixture);
    ui::TestSession s;
    s.Boxes().Answer(ui::IDOK);
    s.Boxes().Answer(ui::IDOK);
    s.OnDialog(gui::IDD_SER_STAT, [&](ui::Driver& d) {
        ui::Dialog& t = d.Target();
        EXPECT_EQ(t.GetItemText(1136), "     2"); // '.' and the torn "F3 0000"
        EXPECT_EQ(t.GetItemText(1137), "     1");
        EXPECT_EQ(t.GetItemText(1138), "     2"); // 'M' and 'n'
        EXPECT_EQ(t.GetItemText(1152), "     2"); // 'o' and 'n'
        EXPECT_EQ(t.GetItemText(1238), "Line #     2");
        d.Click(1146); // no new SNs
        d.Click(1147); // no unmodified SNs
        d.Click(1);
        d.Click(1244);
        d.Click(1244);
        EXPECT_EQ(t.GetItemText(1240), "    3");
        d.Click(8);    // delete line 3, the comment line
        d.Click(1242); // delete the highest: line 2
        EXPECT_EQ(t.GetItemText(1238), "Line #     4");
        d.Click(2);
    });
    gui::SerStatDlg dlg;
    dlg.DoModal();
    EXPECT_EQ(testsupport::ReadFile(dir.File("SN_list.txt")),
              "Manual     \t            00009\t M2\t Thu, Dec 10,2026, 11:15\t a.txt\r\n"
              "Man_OverWr \t            00003\t M3\t Thu, Dec 10,2026, 11:16\t a.txt\r\n"
              "Overwritten\t            00005\t M5\t Thu, Dec 10,2026, 11:18\t a.txt\r\n");
    const std::string h = ReadHistory();
    EXPECT_EQ(h.find("00009"), std::string::npos);
    EXPECT_EQ(h.find("comment"), std::string::npos);
    EXPECT_NE(h.find("00001"), std::string::npos);
    EXPECT_NE(h.find("00005"), std::string::npos);
    EXPECT_EQ(gui::SnDialogs.ReportFilter, 10);
}

TEST_F(SnDialogTest, SerStatDlgFailedRenameKeepsTheHistory) {
    Use(3, 0);
    WriteHistory(kReportFixture);
    static std::string target;
    target = History();
    platform::SetAtomicFileCommitHook(
        [](const std::string&, const std::string& t) { return t != target; });
    ui::TestSession s;
    s.Boxes().Answer(ui::IDOK);
    s.OnDialog(gui::IDD_SER_STAT, [&](ui::Driver& d) {
        d.Click(1242);
        d.Click(2);
    });
    gui::SerStatDlg dlg;
    dlg.DoModal();
    platform::SetAtomicFileCommitHook(nullptr);
    EXPECT_EQ(ReadHistory(), kReportFixture);
    ASSERT_EQ(s.Boxes().Transcript().size(), 2u);
    EXPECT_EQ(s.Boxes().Transcript()[1].caption, "Error");
}

TEST_F(SnDialogTest, SnEditDlgSetsStatusAndTextForEachChoice) {
    Use(3, 0);
    WriteHistory("F3 \t00077 \t.\r\n");
    gui::SerialNumberPrepareNext(); // coming 00078
    SerialNumber.SnReadBackText = "00042";
    const struct {
        int radio;
        int statusBefore;
        int status;
        const char* text;
    } cases[] = {
        {1254, 9, 4, "00042"},
        {1255, 9, 1, "00078"},
        {1256, 9, 3, "00099"},
    };
    for (const auto& c : cases) {
        SerialNumber.SnStatus = c.statusBefore;
        SerialNumber.SnEditChoice = 1;
        ui::TestSession s;
        std::string verdict;
        s.OnDialog(gui::IDD_SN_EDIT, [&](ui::Driver& d) {
            d.Click(c.radio);
            d.Type(1248, "00077");
            d.Click(1259);
            verdict = d.Target().GetItemText(1258);
            d.Type(1248, "00099");
            d.Click(1246);
        });
        EXPECT_EQ(gui::SnEditRun("00099"), 1);
        EXPECT_EQ(SerialNumber.SnStatus, c.status);
        EXPECT_EQ(SerialNumber.SnEditResultText, c.text);
        EXPECT_EQ(SerialNumber.SnEditCancelled, 0);
        if (c.radio == 1256) {
            EXPECT_EQ(verdict, "used");
            EXPECT_EQ(sound.beeps.size(), 1u);
        }
    }
}

TEST_F(SnDialogTest, SnEditDlgCancelReturns15AndChangesNothing) {
    SerialNumber.SnStatus = 3;
    SerialNumber.SnEditResultText = "before";
    ui::TestSession s;
    s.OnDialog(gui::IDD_SN_EDIT, [&](ui::Driver& d) {
        d.Click(1256);
        d.Type(1248, "12345");
        d.Key(ui::VK_RETURN);
        d.Click(1257);
    });
    EXPECT_EQ(gui::SnEditRun("00001"), 15);
    EXPECT_EQ(SerialNumber.SnEditCancelled, 1);
    EXPECT_EQ(SerialNumber.SnStatus, 3);
    EXPECT_EQ(SerialNumber.SnEditResultText, "before");
}

// The editor opened on used numbers: it says which is used, checks the
// radio of the current choice whatever its SN, and OK on a used one (also
// one whose first Custom_SN_size characters are used) keeps it open until
// a free one is chosen.
TEST_F(SnDialogTest, SnEditDlgNeverHandsOutAUsedNumber) {
    Use(6, 2);
    core::Settings.Custom_SN_size = 8;
    WriteHistory("F6 \tCAFE0001 \t.\r\nF6 \tCAFE0002 \t.\r\n");
    gui::SerialNumberPrepareNext(); // coming: CAFE0002, the last one, used
    ASSERT_EQ(gui::SerialNumberFormat(), "CAFE0002");
    const struct {
        const char* field;
        const char* target;
        int choiceBefore;
        int checked; // the radio of the current choice
        const char* reason;
    } opening[] = {
        {"cafe0002", "", 2, 1255, "SN cafe0002 is already in the SN history file."},
        {"CAFE0009", "CAFE0001", 1, 1254, "SN CAFE0002 is already in the SN history file."},
        {"CAFE0001", "CAFE0007", 2, 1255, "SN CAFE0001 is already in the SN history file."},
        {"CAFE00019", "", 3, 1256, "SN CAFE00019 is already in the SN history file."},
    };
    for (const auto& c : opening) {
        SerialNumber.SnReadBackText = c.target;
        SerialNumber.SnEditChoice = c.choiceBefore;
        ui::TestSession s;
        int checked = -1;
        std::string reason;
        s.OnDialog(gui::IDD_SN_EDIT, [&](ui::Driver& d) {
            checked = 0;
            for (int id : {1254, 1255, 1256}) {
                if (d.Target().IsDlgButtonChecked(id) == 1) {
                    checked = id;
                }
            }
            reason = d.Target().GetItemText(1260);
            d.Click(1257);
        });
        EXPECT_EQ(gui::SnEditRun(c.field), 15) << c.field;
        EXPECT_EQ(checked, c.checked) << c.field;
        EXPECT_EQ(reason, c.reason) << c.field;
    }

    // OK on the current choice (the edited SN, used), on the used coming
    // SN, on a used typed one: refused, still open, status untouched; then
    // a free one goes.
    SerialNumber.SnReadBackText.clear();
    SerialNumber.SnStatus = 9;
    ui::TestSession s;
    std::vector<std::string> refusals;
    std::vector<int32_t> cancelled; // 1 while nothing was accepted
    s.OnDialog(gui::IDD_SN_EDIT, [&](ui::Driver& d) {
        auto ok = [&] {
            d.Click(1246);
            cancelled.push_back(SerialNumber.SnEditCancelled);
            refusals.push_back(d.Target().GetItemText(1260));
        };
        ok();
        d.Click(1255);
        ok();
        d.Click(1256);
        for (const char* used : {"cafe0001", "CAFE00012", "Cafe0002"}) {
            d.Type(1248, used);
            ok();
        }
        d.Type(1248, "CAFE0003");
        ok();
    });
    EXPECT_EQ(gui::SnEditRun("CAFE0002"), 1);
    EXPECT_EQ(refusals, (std::vector<std::string>{
                            "SN CAFE0002 is already in the SN history file.",
                            "SN CAFE0002 is already in the SN history file.",
                            "SN cafe0001 is already in the SN history file.",
                            "SN CAFE00012 is already in the SN history file.",
                            "SN Cafe0002 is already in the SN history file.",
                            "SN Cafe0002 is already in the SN history file.", // closed: unchanged
                        }));
    EXPECT_EQ(cancelled, (std::vector<int32_t>{1, 1, 1, 1, 1, 0}));
    EXPECT_EQ(sound.beeps.size(), 5u);
    EXPECT_EQ(SerialNumber.SnEditResultText, "CAFE0003");
    EXPECT_EQ(SerialNumber.SnStatus, 3);
    EXPECT_EQ(SerialNumber.SnEditCancelled, 0);
}

TEST_F(SnDialogTest, SnListViewShowsTheListAndWritesAReadableListFile) {
    Use(7, 2);
    core::Settings.Custom_SN_size = 4;
    WriteHistory("F7 \tUSED \t.\r\n");
    const std::string list = dir.File("list.txt");
    testsupport::WriteFile(list, "#SN_LIST\r\nAB01\r\nused\r\nTOOLONG\r\nAB02\r\n");
    ASSERT_EQ(gui::SnListLoad(list), 2);
    ui::TestSession s;
    s.OnDialog(gui::IDD_SN_LIST_VIEW, [&](ui::Driver& d) {
        EXPECT_EQ(d.Target().GetItemText(1263),
                  "#SN_LIST\r\n#SN_SIZE 4\r\n"
                  ";==============================================\r\n"
                  ";   1 - Number of the SN found in the data base\r\n"
                  ";        (removed from the list).\r\n"
                  ";   1 - Number of the SN numbers with incorrect size\r\n"
                  ";          (current setup size - 4 char)(removed from the list)\r\n"
                  ";   2 - Number of the SN attached to the list.\r\n"
                  ";==============================================\r\n"
                  "001:\tAB01\r\n002:\tAB02\r\n");
        d.Click(1265);
        d.Click(1264);
    });
    gui::SnListView view;
    view.DoModal();
    EXPECT_EQ(sound.beeps.size(), 1u); // a wrong-sized entry
    const std::string written = testsupport::ReadFile(dir.File("SNList.txt"));
    EXPECT_EQ(written, "#SN_LIST\r\n#SN_SIZE 4\r\nAB01\r\nAB02\r\n");
    const std::string before = SerialNumber.SnPendingList.text;
    ASSERT_EQ(gui::SnListLoad(dir.File("SNList.txt")), 2);
    EXPECT_EQ(SerialNumber.SnPendingList.text, before);
}

TEST_F(SnDialogTest, EmptyListViewSaysSo) {
    gui::SnListView view;
    EXPECT_EQ(view.ListText(), "Serial numbers' list is empty. \r\n");
}

} // namespace
} // namespace sn_test
