#include "gui/preferences_dlg.h"

#include "core/code_store.h"
#include "core/settings.h"
#include "gui/preferences.h"
#include "gui/startup_load.h"
#include "platform/sound.h"
#include "ui/file_dialog.h"

namespace gui {

namespace {

// The dialog and its controls.
constexpr int kPreferencesDialogId = 20300;

constexpr int kReportHistoryCheck = 20303; // "Report History Display Enable"
// PC Speaker.
constexpr int kSpeakerEnableCheck = 20305; // "Enable"
constexpr int kBeepOkCheck = 20304;        // "Beep when OK Enable"
// Audio (wave files): a path, "Play" and "Browse.." for each sound.
constexpr int kSoundEnableCheck = 20306; // "Enable"
constexpr int kErrorSoundEdit = 20308;   // "Error:"
constexpr int kErrorSoundPlayButton = 20309;
constexpr int kErrorSoundBrowseButton = 20307;
constexpr int kOkSoundEdit = 20310; // "OK:"
constexpr int kOkSoundPlayButton = 20311;
constexpr int kOkSoundBrowseButton = 20312;
constexpr int kWarningSoundEdit = 20313; // "Warning:"
constexpr int kWarningSoundPlayButton = 20314;
constexpr int kWarningSoundBrowseButton = 20315;
constexpr int kPdfReaderEdit = 20318; // "PDF Reader"
constexpr int kPdfReaderBrowseButton = 20319;
constexpr int kTool1Edit = 20316; // "TOOL1 (hex430.exe)"
constexpr int kTool1BrowseButton = 20317;
constexpr int kOkButton = 20302;

using ui::ControlKind;

const char kWaveFilter[] = "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*||";
// Programs here rarely carry an extension: every file is offered too.
const char kProgramFilter[] = "Executable (*.exe)|*.exe|All Files (*.*)|*.*||";

ui::DialogTemplate PreferencesTemplate() {
    return ui::DialogTemplate{
        kPreferencesDialogId,
        "Preferences",
        330,
        236,
        {
            {kReportHistoryCheck,
             ControlKind::CheckBox,
             "Report History Display Enable",
             {8, 8, 150, 10}},
            {-1, ControlKind::Group, "PC Speaker", {6, 22, 318, 38}},
            {kSpeakerEnableCheck, ControlKind::CheckBox, "Enable", {14, 34, 60, 10}},
            {kBeepOkCheck, ControlKind::CheckBox, "Beep when OK Enable", {14, 46, 120, 10}},
            {-1, ControlKind::Group, "Audio (wave files)", {6, 64, 318, 74}},
            {kSoundEnableCheck, ControlKind::CheckBox, "Enable", {14, 76, 60, 10}},
            {-1, ControlKind::Static, "Error:", {14, 92, 40, 9}},
            {kErrorSoundEdit, ControlKind::Edit, "", {56, 90, 164, 13}},
            {kErrorSoundPlayButton, ControlKind::Button, "Play", {224, 90, 40, 13}},
            {kErrorSoundBrowseButton, ControlKind::Button, "Browse..", {268, 90, 50, 13}},
            {-1, ControlKind::Static, "OK:", {14, 108, 40, 9}},
            {kOkSoundEdit, ControlKind::Edit, "", {56, 106, 164, 13}},
            {kOkSoundPlayButton, ControlKind::Button, "Play", {224, 106, 40, 13}},
            {kOkSoundBrowseButton, ControlKind::Button, "Browse..", {268, 106, 50, 13}},
            {-1, ControlKind::Static, "Warning:", {14, 124, 40, 9}},
            {kWarningSoundEdit, ControlKind::Edit, "", {56, 122, 164, 13}},
            {kWarningSoundPlayButton, ControlKind::Button, "Play", {224, 122, 40, 13}},
            {kWarningSoundBrowseButton, ControlKind::Button, "Browse..", {268, 122, 50, 13}},
            {-1, ControlKind::Group, "PDF Reader", {6, 142, 318, 30}},
            {kPdfReaderEdit, ControlKind::Edit, "", {14, 154, 250, 13}},
            {kPdfReaderBrowseButton, ControlKind::Button, "Browse..", {268, 154, 50, 13}},
            {-1, ControlKind::Group, "TOOL1 (hex430.exe)", {6, 176, 318, 30}},
            {kTool1Edit, ControlKind::Edit, "", {14, 188, 250, 13}},
            {kTool1BrowseButton, ControlKind::Button, "Browse..", {268, 188, 50, 13}},
            {kOkButton, ControlKind::Button, "OK", {198, 214, 60, 14}},
            {ui::IDCANCEL, ControlKind::Button, "Cancel", {264, 214, 60, 14}},
        }};
}

} // namespace

PreferencesDlg::PreferencesDlg() : ui::Dialog(PreferencesTemplate()) {
    const std::pair<int, int> plays[] = {{kErrorSoundPlayButton, kErrorSoundEdit},
                                         {kOkSoundPlayButton, kOkSoundEdit},
                                         {kWarningSoundPlayButton, kWarningSoundEdit}};
    for (const auto& [button, edit] : plays) {
        Map(ui::BN_CLICKED, button, [this, e = edit] {
            const std::string wave = GetItemText(e);
            if (!wave.empty()) {
                platform::PlayWave(wave);
            }
        });
    }
    const std::pair<int, int> browses[] = {{kErrorSoundBrowseButton, kErrorSoundEdit},
                                           {kOkSoundBrowseButton, kOkSoundEdit},
                                           {kWarningSoundBrowseButton, kWarningSoundEdit}};
    for (const auto& [button, edit] : browses) {
        Map(ui::BN_CLICKED, button, [this, e = edit] { Browse(e, kWaveFilter); });
    }
    Map(ui::BN_CLICKED, kPdfReaderBrowseButton, [this] { Browse(kPdfReaderEdit, kProgramFilter); });
    Map(ui::BN_CLICKED, kTool1BrowseButton, [this] { Browse(kTool1Edit, kProgramFilter); });
    Map(ui::BN_CLICKED, kOkButton, [this] { OnOkButton(); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter closes nothing
}

bool PreferencesDlg::OnInitDialog() {
    CheckDlgButton(kReportHistoryCheck, core::Settings.ReportHistory == 1);
    CheckDlgButton(kBeepOkCheck, Preferences.BeepOkEnable == 1);
    CheckDlgButton(kSpeakerEnableCheck, Preferences.PCSpeaker == 1);
    CheckDlgButton(kSoundEnableCheck, Preferences.SoundEnable == 1);
    SetItemText(kErrorSoundEdit, Preferences.Sound1FileName);
    SetItemText(kOkSoundEdit, Preferences.Sound2FileName);
    SetItemText(kWarningSoundEdit, Preferences.Sound3FileName);
    SetItemText(kPdfReaderEdit, Startup.PdfReaderName);
    SetItemText(kTool1Edit, core::CodeLoad.TOOL1_filename);
    SetLimitText(kTool1Edit, static_cast<int>(kTool1MaxLength));
    return true;
}

void PreferencesDlg::Browse(int editId, const char* filter) {
    ui::FileDialogOptions o;
    o.open = true;
    o.filter = filter;
    const std::string current = GetItemText(editId);
    const size_t slash = current.rfind('/');
    if (slash != std::string::npos) {
        o.initialDir = current.substr(0, slash);
        o.fileName = current.substr(slash + 1);
    }
    if (const std::optional<std::string> path = ui::FileDialog(o)) {
        SetItemText(editId, *path);
    }
}

void PreferencesDlg::OnOkButton() {
    core::Settings.ReportHistory = IsDlgButtonChecked(kReportHistoryCheck);
    Preferences.BeepOkEnable = IsDlgButtonChecked(kBeepOkCheck);
    Preferences.PCSpeaker = IsDlgButtonChecked(kSpeakerEnableCheck);
    Preferences.SoundEnable = IsDlgButtonChecked(kSoundEnableCheck);
    Preferences.Sound1FileName = GetItemText(kErrorSoundEdit);
    Preferences.Sound2FileName = GetItemText(kOkSoundEdit);
    Preferences.Sound3FileName = GetItemText(kWarningSoundEdit);
    Startup.PdfReaderName = GetItemText(kPdfReaderEdit);
    core::CodeLoad.TOOL1_filename = GetItemText(kTool1Edit).substr(0, kTool1MaxLength);
    PreferencesSave();
    EndDialog(ui::IDOK);
}

} // namespace gui
