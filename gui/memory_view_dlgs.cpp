#include "gui/memory_view_dlgs.h"

#include "core/code_file_names.h"
#include "core/code_file_view.h"
#include "core/code_image.h"
#include "core/file_util.h"
#include "core/settings.h"
#include "gui/memory_texts.h"
#include "gui/startup_load.h"
#include "ui/file_dialog.h"

#include <utility>

namespace gui {

MemoryViewState MemoryView;

namespace {

// The viewers' dialogs and their buttons (each row of buttons below the dump).
constexpr int kSkipBlankCheck = 1210; // "Skip blank", in both memory viewers
// "File Code Data".
constexpr int kCodeDataDialogId = 196;
constexpr int kCodeConvertButton = 1091; // "Convert to TI format"
constexpr int kCodeNotepadButton = 1093; // "Paste to Notepad"
constexpr int kCodeExitButton = 1092;
// "Flash Memory Data".
constexpr int kFlashDataDialogId = 198;
constexpr int kFlashTiButton = 1086;    // "TI hex (*.txt)"
constexpr int kFlashIntelButton = 1270; // "INTEL (*.hex)"
constexpr int kFlashCopyButton = 1089;  // "Copy"
constexpr int kFlashNotepadButton = 1087;
constexpr int kFlashExitButton = 1088;
// The two comparisons.
constexpr int kCompareDialogId = 213;       // code file and flash
constexpr int kCompareFilesDialogId = 224;  // two code files
constexpr int kCompareNotepadButton = 1091; // "Paste to Notepad"
constexpr int kCompareExitButton = 1092;

using ui::ControlKind;

constexpr int kWidth = 430;
constexpr int kEditHeight = 240;
constexpr int kButtonY = 278;
constexpr int kHeight = 296;

// The caption and the dump, then a row of buttons below them.
ui::DialogTemplate ViewTemplate(int id, const char* caption,
                                std::vector<ui::ControlTemplate> buttons) {
    ui::DialogTemplate t{id,
                         caption,
                         kWidth,
                         kHeight,
                         // Two characters right of the edit, over the rows' byte columns.
                         {{kDumpCaptionId,
                           ControlKind::Static,
                           kMemoryDumpCaption,
                           {18, 8, kWidth - 26, 10},
                           ui::STYLE_FIXED_PITCH},
                          {kDumpEditId,
                           ControlKind::Edit,
                           "",
                           {8, 22, kWidth - 16, kEditHeight},
                           ui::STYLE_MULTILINE | ui::STYLE_READONLY | ui::STYLE_FIXED_PITCH}}};
    for (ui::ControlTemplate& b : buttons) {
        t.controls.push_back(std::move(b));
    }
    return t;
}

ui::ControlTemplate Button(int id, const char* text, int x, int w) {
    return {id, ControlKind::Button, text, {x, kButtonY, w, 14}};
}

ui::ControlTemplate SkipBlank() {
    return {kSkipBlankCheck, ControlKind::CheckBox, "Skip blank", {8, kButtonY + 2, 60, 10}};
}

} // namespace

std::string ViewerFilePath(const std::string& name) {
    const std::string dir = WorkingDirectory();
    if (dir.empty()) {
        return name;
    }
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// ---- MemoryViewDlg

MemoryViewDlg::MemoryViewDlg()
    : ui::Dialog(
          ViewTemplate(kCodeDataDialogId, "File Code Data",
                       {SkipBlank(), Button(kCodeConvertButton, "Convert to TI format", 150, 90),
                        Button(kCodeNotepadButton, "Paste to Notepad", 250, 80),
                        Button(kCodeExitButton, "Exit", 372, 50)})) {
    Map(ui::BN_CLICKED, kSkipBlankCheck, [this] {
        core::Settings.DispSkipBlankLines = IsDlgButtonChecked(kSkipBlankCheck);
        Rebuild();
    });
    Map(ui::BN_CLICKED, kCodeConvertButton, [] {
        core::CodeFileWriteView(core::kViewOpen, core::Images.CodeImage.data,
                                ViewerFilePath("code_mem.txt"), core::Images.CodeImage.used);
    });
    Map(ui::BN_CLICKED, kCodeNotepadButton,
        [this] { core::NotepadShowText(text_, ViewerFilePath("MemView.txt")); });
    Map(ui::BN_CLICKED, kCodeExitButton, [this] { EndDialog(ui::IDCANCEL); });
}

bool MemoryViewDlg::OnInitDialog() {
    CheckDlgButton(kSkipBlankCheck, core::Settings.DispSkipBlankLines != 0 ? 1 : 0);
    Rebuild();
    return true;
}

void MemoryViewDlg::Rebuild() {
    text_ = CodeDumpText(core::Settings.DispSkipBlankLines);
    SetItemText(kDumpEditId, text_);
}

// ---- TargetMemViewDlg

TargetMemViewDlg::TargetMemViewDlg(bool readResult)
    : ui::Dialog(ViewTemplate(kFlashDataDialogId, "Flash Memory Data",
                              {SkipBlank(), Button(kFlashTiButton, "TI hex (*.txt)", 110, 64),
                               Button(kFlashIntelButton, "INTEL (*.hex)", 180, 64),
                               Button(kFlashCopyButton, "Copy", 250, 44),
                               Button(kFlashNotepadButton, "Notepad", 300, 50),
                               Button(kFlashExitButton, "Exit", 372, 50)})),
      readResult_(readResult) {
    Map(ui::BN_CLICKED, kSkipBlankCheck, [this] {
        core::Settings.DispSkipBlankLines = IsDlgButtonChecked(kSkipBlankCheck);
        Rebuild();
    });
    Map(ui::BN_CLICKED, kFlashTiButton, [] {
        core::CodeFileWriteView(core::kViewOpen, core::Images.ReadImage,
                                ViewerFilePath("Target_m.txt"), core::Images.ReadMask, 1);
    });
    Map(ui::BN_CLICKED, kFlashIntelButton, [] {
        core::CodeFileWriteView(core::kViewOpen | core::kViewIntel, core::Images.ReadImage,
                                ViewerFilePath("Target_m.hex"), core::Images.ReadMask, 1);
    });
    Map(ui::BN_CLICKED, kFlashCopyButton, [this] { Copy(); });
    Map(ui::BN_CLICKED, kFlashNotepadButton,
        [this] { core::NotepadShowText(text_, ViewerFilePath("MemView.txt")); });
    Map(ui::BN_CLICKED, kFlashExitButton, [this] { EndDialog(ui::IDCANCEL); });
}

bool TargetMemViewDlg::OnInitDialog() {
    MemoryView.ReadCopyPath.clear();
    CheckDlgButton(kSkipBlankCheck, core::Settings.DispSkipBlankLines != 0 ? 1 : 0);
    EnableItem(kFlashCopyButton, readResult_);
    Rebuild();
    return true;
}

void TargetMemViewDlg::Rebuild() {
    text_ = FlashDumpText(core::Settings.DispSkipBlankLines);
    SetItemText(kDumpEditId, text_);
}

void TargetMemViewDlg::Copy() {
    ui::FileDialogOptions o;
    o.open = false;
    o.defaultExt = "txt";
    o.filter = "Texas Instruments format (*.txt)|*.txt||";
    o.initialDir = core::CodeFileNames.CodeFile.directory;
    const std::optional<std::string> path = ui::FileDialog(o);
    if (!path) {
        return;
    }
    // Only a file that was written whole is handed on.
    if (core::CodeFileWriteView(0, core::Images.ReadImage, *path, core::Images.ReadMask, 1) == 1) {
        MemoryView.ReadCopyPath = *path;
    }
}

// ---- the two comparisons

CompareMemViewDlg::CompareMemViewDlg()
    : ui::Dialog(ViewTemplate(kCompareDialogId, "Comparation Code and Flash Memory Data",
                              {Button(kCompareNotepadButton, "Paste to Notepad", 280, 80),
                               Button(kCompareExitButton, "Exit", 372, 50)})) {
    Map(ui::BN_CLICKED, kCompareNotepadButton,
        [this] { core::NotepadShowText(text_, ViewerFilePath("MemView.txt")); });
    Map(ui::BN_CLICKED, kCompareExitButton, [this] { EndDialog(ui::IDCANCEL); });
}

bool CompareMemViewDlg::OnInitDialog() {
    text_ = CodeFlashCompareText();
    SetItemText(kDumpEditId, text_);
    return true;
}

CompareCodesViewDlg::CompareCodesViewDlg()
    : ui::Dialog(ViewTemplate(kCompareFilesDialogId, "Two Code Data Files Comparation Result",
                              {Button(kCompareNotepadButton, "Paste to Notepad", 280, 80),
                               Button(kCompareExitButton, "Exit", 372, 50)})) {
    Map(ui::BN_CLICKED, kCompareNotepadButton,
        [this] { core::NotepadShowText(text_, ViewerFilePath("CodesView.txt")); });
    Map(ui::BN_CLICKED, kCompareExitButton, [this] { EndDialog(ui::IDCANCEL); });
}

bool CompareCodesViewDlg::OnInitDialog() {
    text_ = CodeFilesCompareText();
    SetItemText(kDumpEditId, text_);
    return true;
}

} // namespace gui
