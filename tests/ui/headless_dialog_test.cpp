// The dialog layer on its headless back end: data exchange and validation,
// control state, painting records, file dialogs and their filters.

#include "tests/ui/sample_dialogs.h"

#include "tests/support/temp_dir.h"
#include "ui/app_font.h"
#include "ui/file_dialog.h"
#include "ui/test_session.h"
#include "ui/transcript.h"

#include "platform/services.h"

#include <gtest/gtest.h>

namespace uitest {
namespace {

using ui::Driver;

// A settings dialog in the application's manner: copies on opening, checks
// and writes back only on OK.
class OptionsDialog : public ui::Dialog {
public:
    OptionsDialog()
        : ui::Dialog(ui::DialogTemplate{
              185,
              "Memory Options",
              200,
              120,
              {{1078, ui::ControlKind::Edit, "", {10, 10, 40, 12}},
               {1068, ui::ControlKind::Edit, "", {10, 26, 120, 12}},
               {1052, ui::ControlKind::CheckBox, "ENABLE", {10, 42, 60, 10}},
               {1061, ui::ControlKind::Radio, "HEX", {10, 56, 40, 10}, ui::STYLE_GROUP},
               {1062, ui::ControlKind::Radio, "BCD", {54, 56, 40, 10}},
               {1237, ui::ControlKind::Combo, "", {10, 70, 60, 40}},
               {1064, ui::ControlKind::Edit, "", {10, 86, 60, 12}},
               {ui::IDOK, ui::ControlKind::Button, "OK", {90, 100, 50, 14}},
               {ui::IDCANCEL, ui::ControlKind::Button, "Cancel", {144, 100, 50, 14}}}}) {}

    int32_t increment = 1;
    std::string path = "history.sn";
    int32_t enable = 1;
    int32_t mode = 1;
    int32_t textMode = 0;
    int32_t start = 0x1000;

protected:
    bool OnInitDialog() override {
        AddString(1237, "Ascii");
        AddString(1237, "Hex");
        return ui::Dialog::OnInitDialog();
    }
    void DoDataExchange(ui::DataExchange& dx) override {
        dx.Int(1078, increment, 1, 1000);
        dx.Text(1068, path, 12);
        dx.Check(1052, enable);
        dx.Radio({1061, 1062}, mode);
        dx.Index(1237, textMode);
        dx.Int(1064, start);
        dx.Require(1064, (start & 1) == 0, "'SN Start Address in Memory' must be even.");
    }
};

TEST(UiDataExchange, OpeningFillsTheControlsAndOkChecksBeforeWritingBack) {
    struct Case {
        const char* name;
        std::string increment;
        std::string path;
        std::string start;
        const char* box; // nullptr: accepted
        int focus;
    };
    const Case cases[] = {
        {"accepted", "25", "a.sn", "4352", nullptr, 0},
        {"not a number", "2x", "a.sn", "4352", "Please enter an integer between 1 and 1000.", 1078},
        {"out of range", "1001", "a.sn", "4352", "Please enter an integer between 1 and 1000.",
         1078},
        {"blank", "  ", "a.sn", "4352", "Please enter an integer between 1 and 1000.", 1078},
        {"too long", "5", "a_long_name.sn", "4352", "Please enter no more than 12 characters.",
         1068},
        {"own check", "5", "a.sn", "4353", "'SN Start Address in Memory' must be even.", 1064},
        {"overflow", "5", "a.sn", "99999999999", "Please enter an integer.", 1064},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::TestSession s;
        OptionsDialog d;
        s.OnDialog(185, [&](Driver& dr) {
            EXPECT_EQ(d.GetItemText(1078), "1");
            EXPECT_EQ(d.GetItemText(1068), "history.sn");
            EXPECT_EQ(d.IsDlgButtonChecked(1052), 1);
            EXPECT_EQ(d.IsDlgButtonChecked(1062), 1);
            EXPECT_EQ(d.GetCurSel(1237), 0);
            dr.Type(1078, c.increment);
            d.SetLimitText(1068, 0); // let the operator overfill it, to see the check
            dr.Type(1068, c.path);
            dr.Type(1064, c.start);
            dr.Click(1061);
            dr.Select(1237, 1);
            dr.Key(ui::VK_RETURN, '\r');
            if (c.box) {
                EXPECT_TRUE(d.IsOpen());
                EXPECT_EQ(d.FocusedItem(), c.focus);
                dr.Click(ui::IDCANCEL);
            }
        });
        const int code = d.DoModal();
        if (c.box) {
            EXPECT_EQ(code, ui::IDCANCEL);
            ASSERT_EQ(s.Boxes().Transcript().size(), 1u);
            EXPECT_EQ(s.Boxes().Transcript()[0].text, c.box);
            EXPECT_EQ(s.Boxes().Transcript()[0].caption, "Warning");
        } else {
            EXPECT_EQ(code, ui::IDOK);
            EXPECT_TRUE(s.Boxes().Transcript().empty());
            EXPECT_EQ(d.increment, 25);
            EXPECT_EQ(d.path, "a.sn");
            EXPECT_EQ(d.mode, 0);
            EXPECT_EQ(d.textMode, 1);
            EXPECT_EQ(d.start, 4352);
        }
    }
}

TEST(UiHeadless, ControlStateScrollingAndTheLimitBehaveAsTheControlsDo) {
    ui::TestSession s;
    SampleDialog d;
    s.OnDialog(300, [&](Driver& dr) {
        d.SetItemText(kReport, "1\r\n2\r\n3\r\n4\r\n5\r\n");
        EXPECT_EQ(d.GetLineCount(kReport), 6);
        d.LineScroll(kReport, d.GetLineCount(kReport));
        EXPECT_EQ(d.GetFirstVisibleLine(kReport), 5);
        d.LineScroll(kReport, -100);
        EXPECT_EQ(d.GetFirstVisibleLine(kReport), 0);
        d.LineScroll(kReport, 2);
        d.SetItemText(kReport, "new run");
        EXPECT_EQ(d.GetFirstVisibleLine(kReport), 0);

        d.SetRange(kProgress, 0, 100);
        d.SetPos(kProgress, 250);
        EXPECT_EQ(d.GetPos(kProgress), 100);

        d.SetLimitText(kEdit, 4);
        dr.Type(kEdit, "123456");
        EXPECT_EQ(d.GetItemText(kEdit), "1234");
        dr.Focus(kEdit);
        dr.KeyText("5");
        EXPECT_EQ(d.GetItemText(kEdit), "1234");
        EXPECT_EQ(d.count("edit"), 1);

        d.SetItemText(9999, "x");
        EXPECT_EQ(d.GetItemText(9999), "");
        d.SetItemText(kCombo, "2.4 V"); // a drop-down list selects the item
        EXPECT_EQ(d.GetCurSel(kCombo), 1);
        d.SetItemText(kCombo, "9.9 V");
        EXPECT_EQ(d.GetCurSel(kCombo), 1);
        EXPECT_EQ(d.ran, (std::vector<std::string>{"edit"}));
    });
    d.DoModal();
    EXPECT_TRUE(ui::TranscriptHas("[300] unknown control 9999"));
}

TEST(UiHeadless, SpaceClicksTheFocusedButtonAndAClosedDialogRefusesInput) {
    ui::TestSession s;
    SampleDialog d;
    s.OnDialog(300, [&](Driver& dr) {
        dr.Focus(kButtonB);
        dr.Key(ui::VK_SPACE, ' ');
        EXPECT_EQ(d.count("B"), 1);
        dr.Close();
    });
    EXPECT_EQ(d.DoModal(), ui::IDCANCEL);
    Driver(d).Click(kButtonB);
    EXPECT_EQ(d.count("B"), 1);
    EXPECT_TRUE(ui::TranscriptHas("[300] run WM_CLOSE"));
    EXPECT_TRUE(ui::TranscriptHas("[300] refused click 1002: dialog closed"));
}

TEST(UiHeadless, PaintRecordsTheBitmapsAndSizesFollowTheFont) {
    ui::TestSession s;
    RegisterSampleBitmaps();
    SampleDialog d;
    d.lamps = {{kLamp, 10, 20}, {157, 100, 200}};
    s.OnDialog(300, [&](Driver& dr) {
        EXPECT_EQ(dr.Paint(), d.lamps);
        EXPECT_EQ(d.ClientSize(), (ui::Size{360, 286})); // 240 x 176 units at 6 x 13
        EXPECT_EQ(d.ItemRect(kButtonA), (ui::Rect{15, 26, 90, 23}));
    });
    d.DoModal();
    EXPECT_EQ(ui::BitmapSize(157), (ui::Size{98, 31}));
    EXPECT_EQ(ui::BitmapSize(4242), (ui::Size{0, 0}));
    ui::SetFontPointSize(13.5);
    EXPECT_EQ(d.ClientSize(), (ui::Size{540, 440}));
    ui::SetFontPointSize(9.0);
}

TEST(UiHeadless, WithoutASessionDialogsEndAtOnceAndBoxesGetTheUnattendedAnswer) {
    SampleDialog d;
    EXPECT_EQ(d.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(ui::TranscriptLines().empty());
    testing::internal::CaptureStderr();
    EXPECT_EQ(ui::MessageBox("Blow the fuse?", "Warning", ui::MB_YESNO | ui::MB_DEFBUTTON2),
              ui::IDNO);
    EXPECT_EQ(ui::MessageBox("Blow the fuse?", "Warning", ui::MB_YESNO), ui::IDNO);
    testing::internal::GetCapturedStderr();
    ui::FileDialogOptions o;
    EXPECT_FALSE(ui::FileDialog(o).has_value());
}

TEST(UiFileFilter, TheApplicationsFiltersMatchCaseBlindAndStarDotStarMatchesEverything) {
    struct Case {
        const char* filter;
        size_t index;
        const char* file;
        bool match;
    };
    const Case cases[] = {
        {"Serial number (*.sn)|*.sn|Any (*.*)|*.*||", 0, "history.sn", true},
        {"Serial number (*.sn)|*.sn|Any (*.*)|*.*||", 0, "HISTORY.SN", true},
        {"Serial number (*.sn)|*.sn|Any (*.*)|*.*||", 0, "history.sn.bak", false},
        {"Serial number (*.sn)|*.sn|Any (*.*)|*.*||", 0, "history", false},
        {"Serial number (*.sn)|*.sn|Any (*.*)|*.*||", 1, "README", true},
        {"Serial number (*.sn)|*.sn|Any (*.*)|*.*||", 1, ".hidden", true},
        {"MSP430.dll    (*.dll)|*.dll||", 0, "MSP430-TI.DLL", true},
        {"MSP430.dll    (*.dll)|*.dll||", 0, "libmsp430.so", false},
        {"Executable (*.exe)|*.exe||", 0, "hex430.Exe", true},
        {"Code|*.txt; *.a43 ;*.hex||", 0, "prog.A43", true},
        {"Code|*.txt; *.a43 ;*.hex||", 0, "prog.hex", true},
        {"Code|*.txt; *.a43 ;*.hex||", 0, "prog.s19", false},
        {"Any|?.c??||", 0, "a.cfg", true},
        {"Any|?.c??||", 0, "ab.cfg", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.filter) + " / " + c.file);
        const auto filters = ui::ParseFileFilter(c.filter);
        ASSERT_GT(filters.size(), c.index);
        EXPECT_EQ(ui::FilterMatches(filters[c.index], c.file), c.match);
    }
    const auto two = ui::ParseFileFilter("Serial number (*.sn)|*.sn|Any (*.*)|*.*||");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].description, "Serial number (*.sn)");
    EXPECT_EQ(two[1].patterns, (std::vector<std::string>{"*.*"}));
    EXPECT_TRUE(ui::ParseFileFilter("").empty());
    EXPECT_TRUE(ui::ParseFileFilter("no pattern|").empty());
    // A long name full of near misses stays quick to match.
    EXPECT_FALSE(ui::FilterPatternMatches("*a*a*a*a*a*b", std::string(5000, 'a')));
}

TEST(UiFileDialog, ScriptedAnswersTakeTheDefaultExtensionAndAskBeforeReplacing) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("old.txt"), "x");
    ui::TestSession s;
    ui::FileDialogOptions save;
    save.open = false;
    save.filter = "Text (*.txt)|*.txt||";
    save.defaultExt = "txt";

    s.AnswerFile(dir.File("report"));
    EXPECT_EQ(ui::FileDialog(save), dir.File("report.txt"));
    s.AnswerFile(dir.File("report.v2.log"));
    EXPECT_EQ(ui::FileDialog(save), dir.File("report.v2.log"));

    s.AnswerFile(dir.File("old"));
    s.Boxes().Answer(ui::IDNO);
    EXPECT_FALSE(ui::FileDialog(save).has_value());
    s.AnswerFile(dir.File("old.txt"));
    s.Boxes().Answer(ui::IDYES);
    EXPECT_EQ(ui::FileDialog(save), dir.File("old.txt"));
    ASSERT_EQ(s.Boxes().Transcript().size(), 2u);
    EXPECT_EQ(s.Boxes().Transcript()[0].text,
              "old.txt already exists.\r\nDo you want to replace it?");

    s.CancelFile();
    EXPECT_FALSE(ui::FileDialog(save).has_value());
    EXPECT_FALSE(ui::FileDialog(save).has_value()); // nothing scripted: cancelled
    EXPECT_TRUE(ui::TranscriptHas("file save \"Text (*.txt)|*.txt||\" -> cancelled"));
    EXPECT_TRUE(ui::TranscriptHas("-> \"" + dir.File("report.txt") + "\""));
}

} // namespace
} // namespace uitest
