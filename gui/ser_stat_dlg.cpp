#include "core/atomic_write.h"
#include "core/file_util.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_history.h"
#include "gui/sn_report.h"
#include "gui/startup_load.h"
#include "ui/message_box.h"

#include <algorithm>
#include <cstdio>

namespace gui {

SnDialogState SnDialogs;

namespace {

// Controls of the Serialization Report (IDD_SER_STAT).
constexpr int kHistoryFileEdit = 1145;  // "SN history file"
constexpr int kListing = 1153;          // the history, one line per record
constexpr int kUpButton = 1243;         // "^": the line above
constexpr int kDownButton = 1244;       // "V": the line below
constexpr int kMarkedLineButton = 1245; // "-----": the line at the listing's marker
// Records.
constexpr int kNewCountEdit = 1136;         // "New"
constexpr int kUnmodifiedCountEdit = 1137;  // "Unmodified"
constexpr int kManualCountEdit = 1138;      // "Manual"
constexpr int kOverwrittenCountEdit = 1152; // "Overwritten"
// Export filter.
constexpr int kFilterNewCheck = 1146;         // "New SN"
constexpr int kFilterUnmodifiedCheck = 1147;  // "Unmodified SN"
constexpr int kFilterManualCheck = 1148;      // "Manually entered SN"
constexpr int kFilterOverwrittenCheck = 1151; // "Overwritten SN"
constexpr int kHighestSnEdit = 1239;          // "Highest SN"
constexpr int kHighestLineCaption = 1238;     // "Line # ..."
constexpr int kSelectedSnEdit = 1241;         // "Selected"
constexpr int kSelectedLineCaption = 1240;
constexpr int kDeleteSelectedButton = 8;   // "Delete SN" (selected)
constexpr int kDeleteHighestButton = 1242; // "Delete SN" (highest)
constexpr int kNotepadButton = ui::IDOK;   // "NotePad", also Enter
constexpr int kExitButton = ui::IDCANCEL;  // "Exit", also Escape
constexpr int kLinesAboveSelected = 11;

std::string Printf(const char* f, long v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

// A listing line as the report shows it: three blanks before it, each TAB
// as 8 blanks, cut at CR.
std::string Shown(const std::string& line) {
    std::string out = "   ";
    for (char c : line) {
        if (c == '\r') {
            break;
        }
        out += c == '\t' ? std::string(8, ' ') : std::string(1, c);
    }
    return out;
}

const struct {
    int id;
    int32_t bit;
} kFilterChecks[] = {{kFilterNewCheck, kSnReportNew},
                     {kFilterUnmodifiedCheck, kSnReportUnmodified},
                     {kFilterManualCheck, kSnReportManual},
                     {kFilterOverwrittenCheck, kSnReportOverwritten}};

ui::DialogTemplate StatTemplate() {
    using ui::ControlKind;
    ui::DialogTemplate t;
    t.id = IDD_SER_STAT;
    t.caption = "Serialization Report";
    t.width = 420;
    t.height = 262;
    t.controls = {
        {-1, ControlKind::Static, "SN history file", {7, 7, 60, 10}},
        {kHistoryFileEdit, ControlKind::Edit, "", {70, 5, 343, 12}, ui::STYLE_READONLY},
        {kListing,
         ControlKind::Edit,
         "",
         {7, 22, 270, 150},
         ui::STYLE_MULTILINE | ui::STYLE_READONLY},
        {kUpButton, ControlKind::Button, "^", {281, 22, 20, 14}},
        {kDownButton, ControlKind::Button, "V", {281, 40, 20, 14}},
        {kMarkedLineButton, ControlKind::Button, "-----", {281, 58, 20, 14}},
        {-1, ControlKind::Group, "Records", {307, 20, 106, 80}},
        {-1, ControlKind::Static, "New", {313, 32, 50, 10}},
        {kNewCountEdit, ControlKind::Edit, "", {366, 30, 42, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "Unmodified", {313, 48, 50, 10}},
        {kUnmodifiedCountEdit, ControlKind::Edit, "", {366, 46, 42, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "Manual", {313, 64, 50, 10}},
        {kManualCountEdit, ControlKind::Edit, "", {366, 62, 42, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "Overwritten", {313, 80, 50, 10}},
        {kOverwrittenCountEdit, ControlKind::Edit, "", {366, 78, 42, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Group, "Export filter", {307, 104, 106, 68}},
        {kFilterNewCheck, ControlKind::CheckBox, "New SN", {313, 116, 96, 10}},
        {kFilterUnmodifiedCheck, ControlKind::CheckBox, "Unmodified SN", {313, 129, 96, 10}},
        {kFilterManualCheck, ControlKind::CheckBox, "Manually entered SN", {313, 142, 96, 10}},
        {kFilterOverwrittenCheck, ControlKind::CheckBox, "Overwritten SN", {313, 155, 96, 10}},
        {-1, ControlKind::Static, "Highest SN", {7, 180, 50, 10}},
        {kHighestSnEdit, ControlKind::Edit, "", {60, 178, 290, 12}, ui::STYLE_READONLY},
        {kHighestLineCaption, ControlKind::Static, "", {354, 180, 59, 10}},
        {-1, ControlKind::Static, "Selected", {7, 198, 50, 10}},
        {kSelectedSnEdit, ControlKind::Edit, "", {60, 196, 290, 12}, ui::STYLE_READONLY},
        {kSelectedLineCaption, ControlKind::Static, "", {354, 198, 59, 10}},
        {kDeleteSelectedButton, ControlKind::Button, "Delete SN", {60, 214, 60, 14}},
        {kDeleteHighestButton, ControlKind::Button, "Delete SN", {124, 214, 60, 14}},
        {-1, ControlKind::Static, "(selected / highest)", {188, 216, 90, 10}},
        {kNotepadButton, ControlKind::Button, "NotePad", {297, 241, 55, 14}},
        {kExitButton, ControlKind::Button, "Exit", {358, 241, 55, 14}},
    };
    return t;
}

} // namespace

SerStatDlg::SerStatDlg() : ui::Dialog(StatTemplate()) {
    for (const auto& c : kFilterChecks) {
        OnCommand(c.id, [c] { SnDialogs.ReportFilter ^= c.bit; });
    }
    OnCommand(kUpButton, [this] { Select(std::max(selected_ - 1, 1)); });
    OnCommand(kDownButton, [this] { Select(std::min(selected_ + 1, std::max(lines_, 1))); });
    OnCommand(kMarkedLineButton, [this] {
        Select(std::clamp(GetFirstVisibleLine(kListing) + 1 + kLinesAboveSelected, 1,
                          std::max(lines_, 1)));
    });
    OnCommand(kDeleteSelectedButton, [this] { Delete(selected_); });
    OnCommand(kDeleteHighestButton, [this] { Delete(highest_); });
    OnCommand(kNotepadButton, [this] { Export(); });
    OnCommand(kExitButton, [this] { EndDialog(ui::IDCANCEL); });
}

bool SerStatDlg::OnInitDialog() {
    for (const auto& c : kFilterChecks) {
        CheckDlgButton(c.id, (SnDialogs.ReportFilter & c.bit) != 0);
    }
    Refresh();
    return true;
}

void SerStatDlg::Refresh() {
    SetItemText(kHistoryFileEdit, core::Settings.SNFilePathAndName);
    const SnReportStats st = SnReportBuild();
    lines_ = st.lines;
    highest_ = st.highestLine;
    SetItemText(kNewCountEdit, Printf("%6.1li", st.newCount));
    SetItemText(kUnmodifiedCountEdit, Printf("%6.1li", st.unmodified));
    SetItemText(kManualCountEdit, Printf("%6.1li", st.manual));
    SetItemText(kOverwrittenCountEdit, Printf("%6.1li", st.overwritten));
    SetItemText(kHighestSnEdit, st.highestLine > 0 ? Shown(st.highestText) : "");
    SetItemText(kHighestLineCaption, Printf("Line # %5.1li", st.highestLine));
    Select(std::clamp(selected_, 1, std::max(lines_, 1)));
}

void SerStatDlg::Select(int32_t line) {
    selected_ = line;
    std::string shown;
    std::string selectedText;
    size_t pos = 0;
    std::string l;
    int32_t n = 0;
    while (SnTextLineRead(SerialNumber.SnHistoryListing, pos, l)) {
        ++n;
        std::string s = Shown(l);
        if (n == line) {
            s[0] = '>';
            selectedText = Shown(l);
        }
        shown += s + "\r\n";
    }
    SetItemText(kListing, shown);
    LineScroll(kListing, -GetLineCount(kListing));
    LineScroll(kListing, std::max(line - 1 - kLinesAboveSelected, 0));
    SetItemText(kSelectedSnEdit, selectedText);
    SetItemText(kSelectedLineCaption, Printf("%5.1li", line));
}

void SerStatDlg::Delete(int32_t line) {
    if (line < 1 || line > lines_) {
        return;
    }
    if (ui::MessageBox("Are you sure? \r\n\r\nDelete procedure is not reversible.  ", "Warning",
                       ui::MB_OKCANCEL | ui::MB_ICONWARNING) != ui::IDOK) {
        return;
    }
    SnHistoryDeleteLine(line, lines_);
    Refresh();
}

void SerStatDlg::Export() {
    const std::string text = SnReportExportText(SnDialogs.ReportFilter);
    const std::string path = Startup.CurrentDirectory + "/SN_list.txt";
    if (core::FileWriteAtomic(path, [&](std::FILE* f) {
            return std::fwrite(text.data(), 1, text.size(), f) == text.size() ? 1 : 0;
        }) == 1) {
        core::TextFileShow(path);
    }
}

} // namespace gui
