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

constexpr int kListing = 1153;
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
} kFilterChecks[] = {{1146, kSnReportNew}, {1147, kSnReportUnmodified}, {1148, kSnReportManual}, {1151, kSnReportOverwritten}};

ui::DialogTemplate StatTemplate() {
    using ui::ControlKind;
    ui::DialogTemplate t;
    t.id = IDD_SER_STAT;
    t.caption = "Serialization Report";
    t.width = 420;
    t.height = 262;
    t.controls = {
        {-1, ControlKind::Static, "SN history file", {7, 7, 60, 10}},
        {1145, ControlKind::Edit, "", {70, 5, 343, 12}, ui::STYLE_READONLY},
        {kListing, ControlKind::Edit, "", {7, 22, 270, 150}, ui::STYLE_MULTILINE | ui::STYLE_READONLY},
        {1243, ControlKind::Button, "^", {281, 22, 20, 14}},
        {1244, ControlKind::Button, "V", {281, 40, 20, 14}},
        {1245, ControlKind::Button, "-----", {281, 58, 20, 14}},
        {-1, ControlKind::Group, "Records", {307, 20, 106, 80}},
        {-1, ControlKind::Static, "New", {313, 32, 50, 10}},
        {1136, ControlKind::Edit, "", {366, 30, 42, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "Unmodified", {313, 48, 50, 10}},
        {1137, ControlKind::Edit, "", {366, 46, 42, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "Manual", {313, 64, 50, 10}},
        {1138, ControlKind::Edit, "", {366, 62, 42, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "Overwritten", {313, 80, 50, 10}},
        {1152, ControlKind::Edit, "", {366, 78, 42, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Group, "Export filter", {307, 104, 106, 68}},
        {1146, ControlKind::CheckBox, "New SN", {313, 116, 96, 10}},
        {1147, ControlKind::CheckBox, "Unmodified SN", {313, 129, 96, 10}},
        {1148, ControlKind::CheckBox, "Manually entered SN", {313, 142, 96, 10}},
        {1151, ControlKind::CheckBox, "Overwritten SN", {313, 155, 96, 10}},
        {-1, ControlKind::Static, "Highest SN", {7, 180, 50, 10}},
        {1239, ControlKind::Edit, "", {60, 178, 290, 12}, ui::STYLE_READONLY},
        {1238, ControlKind::Static, "", {354, 180, 59, 10}},
        {-1, ControlKind::Static, "Selected", {7, 198, 50, 10}},
        {1241, ControlKind::Edit, "", {60, 196, 290, 12}, ui::STYLE_READONLY},
        {1240, ControlKind::Static, "", {354, 198, 59, 10}},
        {8, ControlKind::Button, "Delete SN", {60, 214, 60, 14}},
        {1242, ControlKind::Button, "Delete SN", {124, 214, 60, 14}},
        {-1, ControlKind::Static, "(selected / highest)", {188, 216, 90, 10}},
        {1, ControlKind::Button, "NotePad", {297, 241, 55, 14}},
        {2, ControlKind::Button, "Exit", {358, 241, 55, 14}},
    };
    return t;
}

} // namespace

SerStatDlg::SerStatDlg() : ui::Dialog(StatTemplate()) {
    for (const auto& c : kFilterChecks) {
        OnCommand(c.id, [c] {
            SnDialogs.ReportFilter ^= c.bit;
        });
    }
    OnCommand(1243, [this] { Select(std::max(selected_ - 1, 1)); });
    OnCommand(1244, [this] { Select(std::min(selected_ + 1, std::max(lines_, 1))); });
    OnCommand(1245, [this] {
        Select(std::clamp(GetFirstVisibleLine(kListing) + 1 + kLinesAboveSelected, 1, std::max(lines_, 1)));
    });
    OnCommand(8, [this] { Delete(selected_); });
    OnCommand(1242, [this] { Delete(highest_); });
    OnCommand(1, [this] { Export(); });
    OnCommand(2, [this] { EndDialog(ui::IDCANCEL); });
}

bool SerStatDlg::OnInitDialog() {
    for (const auto& c : kFilterChecks) {
        CheckDlgButton(c.id, (SnDialogs.ReportFilter & c.bit) != 0);
    }
    Refresh();
    return true;
}

void SerStatDlg::Refresh() {
    SetItemText(1145, core::Settings.SNFilePathAndName);
    const SnReportStats st = SnReportBuild();
    lines_ = st.lines;
    highest_ = st.highestLine;
    SetItemText(1136, Printf("%6.1li", st.newCount));
    SetItemText(1137, Printf("%6.1li", st.unmodified));
    SetItemText(1138, Printf("%6.1li", st.manual));
    SetItemText(1152, Printf("%6.1li", st.overwritten));
    SetItemText(1239, st.highestLine > 0 ? Shown(st.highestText) : "");
    SetItemText(1238, Printf("Line # %5.1li", st.highestLine));
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
    SetItemText(1241, selectedText);
    SetItemText(1240, Printf("%5.1li", line));
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
