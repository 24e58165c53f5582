#include "core/atomic_write.h"
#include "core/file_util.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_history.h"
#include "gui/startup_load.h"

#include <cstdio>

namespace gui {
namespace {

// Controls of the pending SN list (IDD_SN_LIST_VIEW).
constexpr int kListEdit = 1263;      // the pending serial numbers
constexpr int kNotepadButton = 1265; // "Paste to Notepad"
constexpr int kExitButton = 1264;    // "Exit"

std::string Printf(const char* f, int v) {
    char buf[96];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

ui::DialogTemplate ListTemplate() {
    using ui::ControlKind;
    ui::DialogTemplate t;
    t.id = IDD_SN_LIST_VIEW;
    t.caption = "Serial numbers list from the file";
    t.width = 300;
    t.height = 220;
    t.controls = {
        {kListEdit,
         ControlKind::Edit,
         "",
         {7, 7, 286, 184},
         ui::STYLE_MULTILINE | ui::STYLE_READONLY},
        {kNotepadButton, ControlKind::Button, "Paste to Notepad", {160, 199, 75, 14}},
        {kExitButton, ControlKind::Button, "Exit", {243, 199, 50, 14}},
    };
    return t;
}

// One line per entry refused because its bytes would read as blank flash.
std::string BlankLines(const SnPendingListState& list) {
    std::string lines;
    for (const std::string& entry : list.blank) {
        lines += "; " + entry + " - reads as blank flash (removed from the list).\r\n";
    }
    return lines;
}

} // namespace

SnListView::SnListView() : ui::Dialog(ListTemplate()) {
    const SnPendingListState& list = SerialNumber.SnPendingList;
    const int size = core::Settings.Custom_SN_size;
    if (list.accepted > 0) {
        listText_ = Printf("#SN_LIST\r\n#SN_SIZE %1.1i\r\n", size);
        const std::string separator = ";==============================================\r\n";
        displayText_ = listText_ + separator;
        displayText_ +=
            Printf("; %3.1i - Number of the SN found in the data base\r\n", list.alreadyUsed);
        displayText_ += ";        (removed from the list).\r\n";
        displayText_ +=
            Printf("; %3.1i - Number of the SN numbers with incorrect size\r\n", list.wrongLength);
        displayText_ +=
            Printf(";          (current setup size - %1.1i char)(removed from the list)\r\n", size);
        displayText_ +=
            Printf("; %3.1i - Number of the SN attached to the list.\r\n", list.accepted);
        displayText_ += BlankLines(list);
        displayText_ += separator;
        size_t pos = 0;
        std::string line;
        int n = 0;
        while (SnTextLineRead(list.text, pos, line)) {
            if (line.empty() || line[0] == ';') {
                continue;
            }
            displayText_ += Printf("%3.3i:\t", ++n) + line + "\r\n";
            listText_ += line + "\r\n";
        }
    } else {
        listText_ = "Serial numbers' list is empty. \r\n";
        displayText_ = listText_ + BlankLines(list);
    }
    OnCommand(kNotepadButton, [this] {
        const std::string path = Startup.CurrentDirectory + "/SNList.txt";
        if (core::FileWriteAtomic(path, [&](std::FILE* f) {
                return std::fwrite(listText_.data(), 1, listText_.size(), f) == listText_.size()
                           ? 1
                           : 0;
            }) == 1) {
            core::TextFileShow(path);
        }
    });
    OnCommand(kExitButton, [this] { EndDialog(ui::IDCANCEL); });
}

bool SnListView::OnInitDialog() {
    SetItemText(kListEdit, displayText_);
    if (SerialNumber.SnPendingList.accepted > 0 && SerialNumber.SnPendingList.wrongLength > 0) {
        SnWarningSound();
    }
    return true;
}

} // namespace gui
