#include "gui/preferences_dlg.h"

#include "core/code_store.h"
#include "core/settings.h"
#include "gui/preferences.h"
#include "gui/startup_load.h"
#include "platform/sound.h"
#include "ui/file_dialog.h"

namespace gui {

namespace {

using ui::ControlKind;

const char kWaveFilter[] = "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*||";
// Programs here rarely carry an extension: every file is offered too.
const char kProgramFilter[] = "Executable (*.exe)|*.exe|All Files (*.*)|*.*||";

ui::DialogTemplate PreferencesTemplate() {
    return ui::DialogTemplate{
        20300,
        "Preferences",
        330,
        236,
        {
            {20303, ControlKind::CheckBox, "Report History Display Enable", {8, 8, 150, 10}},
            {-1, ControlKind::Group, "PC Speaker", {6, 22, 318, 38}},
            {20305, ControlKind::CheckBox, "Enable", {14, 34, 60, 10}},
            {20304, ControlKind::CheckBox, "Beep when OK Enable", {14, 46, 120, 10}},
            {-1, ControlKind::Group, "Audio (wave files)", {6, 64, 318, 74}},
            {20306, ControlKind::CheckBox, "Enable", {14, 76, 60, 10}},
            {-1, ControlKind::Static, "Error:", {14, 92, 40, 9}},
            {20308, ControlKind::Edit, "", {56, 90, 164, 13}},
            {20309, ControlKind::Button, "Play", {224, 90, 40, 13}},
            {20307, ControlKind::Button, "Browse..", {268, 90, 50, 13}},
            {-1, ControlKind::Static, "OK:", {14, 108, 40, 9}},
            {20310, ControlKind::Edit, "", {56, 106, 164, 13}},
            {20311, ControlKind::Button, "Play", {224, 106, 40, 13}},
            {20312, ControlKind::Button, "Browse..", {268, 106, 50, 13}},
            {-1, ControlKind::Static, "Warning:", {14, 124, 40, 9}},
            {20313, ControlKind::Edit, "", {56, 122, 164, 13}},
            {20314, ControlKind::Button, "Play", {224, 122, 40, 13}},
            {20315, ControlKind::Button, "Browse..", {268, 122, 50, 13}},
            {-1, ControlKind::Group, "PDF Reader", {6, 142, 318, 30}},
            {20318, ControlKind::Edit, "", {14, 154, 250, 13}},
            {20319, ControlKind::Button, "Browse..", {268, 154, 50, 13}},
            {-1, ControlKind::Group, "TOOL1 (hex430.exe)", {6, 176, 318, 30}},
            {20316, ControlKind::Edit, "", {14, 188, 250, 13}},
            {20317, ControlKind::Button, "Browse..", {268, 188, 50, 13}},
            {20302, ControlKind::Button, "OK", {198, 214, 60, 14}},
            {ui::IDCANCEL, ControlKind::Button, "Cancel", {264, 214, 60, 14}},
        }};
}

} // namespace

PreferencesDlg::PreferencesDlg() : ui::Dialog(PreferencesTemplate()) {
    const std::pair<int, int> plays[] = {{20309, 20308}, {20311, 20310}, {20314, 20313}};
    for (const auto& [button, edit] : plays) {
        Map(ui::BN_CLICKED, button, [this, e = edit] {
            const std::string wave = GetItemText(e);
            if (!wave.empty()) {
                platform::PlayWave(wave);
            }
        });
    }
    const std::pair<int, int> browses[] = {{20307, 20308}, {20312, 20310}, {20315, 20313}};
    for (const auto& [button, edit] : browses) {
        Map(ui::BN_CLICKED, button, [this, e = edit] { Browse(e, kWaveFilter); });
    }
    Map(ui::BN_CLICKED, 20319, [this] { Browse(20318, kProgramFilter); });
    Map(ui::BN_CLICKED, 20317, [this] { Browse(20316, kProgramFilter); });
    Map(ui::BN_CLICKED, 20302, [this] { OnOkButton(); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter closes nothing
}

bool PreferencesDlg::OnInitDialog() {
    CheckDlgButton(20303, core::Settings.ReportHistory == 1);
    CheckDlgButton(20304, Preferences.BeepOkEnable == 1);
    CheckDlgButton(20305, Preferences.PCSpeaker == 1);
    CheckDlgButton(20306, Preferences.SoundEnable == 1);
    SetItemText(20308, Preferences.Sound1FileName);
    SetItemText(20310, Preferences.Sound2FileName);
    SetItemText(20313, Preferences.Sound3FileName);
    SetItemText(20318, Startup.PdfReaderName);
    SetItemText(20316, core::CodeLoad.TOOL1_filename);
    SetLimitText(20316, static_cast<int>(kTool1MaxLength));
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
    core::Settings.ReportHistory = IsDlgButtonChecked(20303);
    Preferences.BeepOkEnable = IsDlgButtonChecked(20304);
    Preferences.PCSpeaker = IsDlgButtonChecked(20305);
    Preferences.SoundEnable = IsDlgButtonChecked(20306);
    Preferences.Sound1FileName = GetItemText(20308);
    Preferences.Sound2FileName = GetItemText(20310);
    Preferences.Sound3FileName = GetItemText(20313);
    Startup.PdfReaderName = GetItemText(20318);
    core::CodeLoad.TOOL1_filename = GetItemText(20316).substr(0, kTool1MaxLength);
    PreferencesSave();
    EndDialog(ui::IDOK);
}

} // namespace gui
