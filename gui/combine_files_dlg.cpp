#include "gui/combine_files_dlg.h"

#include "core/code_file_filter.h"
#include "core/code_file_load.h"
#include "core/code_file_names.h"
#include "core/code_image.h"
#include "core/code_store.h"
#include "core/line_reader.h"
#include "core/number_parse.h"
#include "core/out_convert.h"
#include "platform/file.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"

#include <cstdio>

namespace gui {

namespace {

// The dialog and its controls.
constexpr int kCombineDialogId = 214;

constexpr int kListEdit = 1131;              // the files combined so far
constexpr int kAddCodeFileButton = 1127;     // "Add Code File"
constexpr int kAddFileContentsButton = 1128; // "Add File Contents"
constexpr int kStartAddressEdit = 1130;      // "Start Address:" of the contents added
constexpr int kClearAllButton = 1119;        // "Clear All"
constexpr int kExitButton = 1129;            // "Exit"

using ui::ControlKind;

constexpr size_t kListKeep = 2000;

ui::DialogTemplate CombineTemplate() {
    return ui::DialogTemplate{
        kCombineDialogId,
        "Combine Files",
        330,
        220,
        {
            {kListEdit,
             ControlKind::Edit,
             "",
             {6, 6, 318, 150},
             ui::STYLE_MULTILINE | ui::STYLE_READONLY},
            {kAddCodeFileButton, ControlKind::Button, "Add Code File", {6, 162, 90, 14}},
            {kAddFileContentsButton, ControlKind::Button, "Add File Contents", {6, 182, 90, 14}},
            {-1, ControlKind::Static, "Start Address:", {102, 185, 56, 9}},
            {kStartAddressEdit, ControlKind::Edit, "", {160, 182, 60, 13}},
            {kClearAllButton, ControlKind::Button, "Clear All", {264, 162, 60, 14}},
            {kExitButton, ControlKind::Button, "Exit", {264, 200, 60, 14}},
        }};
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AnyWarning() {
    const core::CodeLoadWarningFlags& w = core::CodeLoad.CodeLoadWarnings;
    return w.dataInRom || w.dataInRam || w.dataOutsideFlash || w.dataOverwritten;
}

std::string FileLine(int32_t number) {
    char buf[48];
    std::snprintf(buf, sizeof buf, AnyWarning() ? "File %1.1i - ERROR: " : "File %1.1i - OK   : ",
                  static_cast<int>(number));
    return buf;
}

// why: the loader's reason, shown under the line as the main window's box
// shows it; empty when there is none (a file that does not open).
void InvalidFileBox(const std::string& name, const std::string& why = "") {
    ui::MessageBox("The Code File \r\n\r\n" + name + " \r\n\r\nis invalid. Reading terminated !!" +
                       (why.empty() ? "" : "\r\n\r\n" + why),
                   "Error", ui::MB_OK | ui::MB_ICONERROR);
}

} // namespace

CombineFiles::CombineFiles() : ui::Dialog(CombineTemplate()) {
    Map(ui::BN_CLICKED, kAddCodeFileButton, [this] { AddCodeFile(); });
    Map(ui::BN_CLICKED, kAddFileContentsButton, [this] { AddFileContents(); });
    Map(ui::BN_CLICKED, kClearAllButton, [this] { ClearAll(); });
    Map(ui::BN_CLICKED, kExitButton, [this] { EndDialog(ui::IDCANCEL); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter closes nothing
}

bool CombineFiles::OnInitDialog() {
    SetItemText(kStartAddressEdit, "0x1000");
    SetLimitText(kStartAddressEdit, 10);
    return true;
}

bool CombineFiles::AtLimit() {
    if (count_ < kCombineMaxFiles) {
        return false;
    }
    ui::MessageBox("Numbers of combined files reach the limit.", "Error",
                   ui::MB_OK | ui::MB_ICONERROR);
    return true;
}

void CombineFiles::AppendList(const std::string& line) {
    list_ += line;
    if (list_.size() > kListKeep) {
        list_.erase(0, list_.size() - kListKeep);
    }
    SetItemText(kListEdit, list_);
    LineScroll(kListEdit, GetLineCount(kListEdit));
}

template <typename Load> bool CombineFiles::IntoCombination(Load load) {
    core::CodeImageCopy current;
    current.Take();
    combination_.Put();
    const bool kept = load();
    if (kept) {
        combination_.Take();
    }
    current.Put();
    return kept;
}

void CombineFiles::AddCodeFile() {
    if (AtLimit()) {
        return;
    }
    ui::FileDialogOptions o;
    o.open = true;
    o.filter = core::CodeFileOpenFilter();
    if (count_ == 0) {
        o.initialDir = core::CodeFileNames.CodeFile.directory;
    }
    const std::optional<std::string> chosen = ui::FileDialog(o);
    if (!chosen) {
        return;
    }
    std::string path = *chosen;
    const std::string name = NameOf(path);
    const size_t dot = name.rfind('.');
    const int32_t format =
        core::CodeFileFormatOfExt(dot == std::string::npos ? "" : name.substr(dot + 1));
    if (format == 6 && core::OutFileConvertToHex(path) != 1) {
        return; // the converter has told what went wrong
    }
    // Each file joins the combination, which starts empty; one that fails
    // leaves it as the earlier files made it.
    const bool loaded = IntoCombination([&] {
        platform::File file(path, platform::FileModeRead | platform::FileShareDenyWrite);
        core::LineReaderReset();
        return core::CodeFileLoad(core::kStoreCodeImage | core::kStoreKeep, format, file.get(),
                                  path) == 1;
    });
    if (!loaded) {
        InvalidFileBox(name, core::CodeLoad.CodeLoadFailure);
        return;
    }
    ++count_;
    AppendList(FileLine(count_) + name + "\r\n");
}

void CombineFiles::AddFileContents() {
    if (AtLimit()) {
        return;
    }
    ui::FileDialogOptions o;
    o.open = true;
    o.filter = "APPEND: ASCII/Binary File    (*.*)|*.*||";
    const std::optional<std::string> path = ui::FileDialog(o);
    if (!path) {
        return;
    }
    const int32_t start =
        core::TextParseNumber(GetItemText(kStartAddressEdit).substr(0, 10).c_str());
    platform::File file(*path, platform::FileModeRead | platform::FileShareDenyWrite);
    if (file.get() == nullptr) {
        InvalidFileBox(NameOf(*path));
        return;
    }
    int32_t stored = 0;
    IntoCombination([&] {
        core::LineReaderReset();
        stored = core::CodeImageLoadBinary(core::kStoreKeep, start, file.get());
        return stored > 0;
    });
    if (stored <= 0) {
        return;
    }
    ++count_;
    // The start and the start + byte count, as the list has always shown it.
    char range[64];
    std::snprintf(range, sizeof range, "  -,,- Address: 0x%4.4X - 0x%4.4X\r\n",
                  static_cast<unsigned>(start), static_cast<unsigned>(start + stored));
    AppendList(FileLine(count_) + NameOf(*path) + range);
}

void CombineFiles::ClearAll() {
    if (ui::MessageBox("Are you sure?", "Warning", ui::MB_YESNO | ui::MB_ICONQUESTION) !=
        ui::IDYES) {
        return;
    }
    count_ = 0;
    list_.clear();
    SetItemText(kListEdit, "");
    combination_.Clear();
}

} // namespace gui
