#include "gui/setup_runners.h"

#include "gui/code_file_actions.h"

#include "core/code_file_filter.h"
#include "core/code_file_names.h"
#include "core/code_file_save.h"
#include "core/code_image.h"
#include "core/device_select.h"
#include "core/passwords.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/setup_file.h"
#include "core/setup_keys.h"
#include "gui/action_state.h"
#include "gui/device_selectors.h"
#include "gui/main_controls.h"
#include "gui/main_dialog.h"
#include "gui/main_ids.h"
#include "gui/main_window_state.h"
#include "gui/procedure_frame.h"
#include "gui/project/project_files.h"
#include "gui/project/project_state.h"
#include "gui/serial_number.h"
#include "gui/sn_list.h"
#include "gui/startup_load.h"
#include "gui/window_facts.h"
#include "ui/file_dialog.h"

#include <array>
#include <cstdio>
#include <optional>

namespace gui {

SetupRunnerState SetupRunner;

namespace {

constexpr int32_t kSetupReadFlags = 7; // code-file line, password, key lines

// Lock bits that keep the setup locked: a project, the operator, "-lock".
constexpr int32_t kLockingBits = kProjectLocked | 0x10 | kLockByCommandLine;

std::optional<std::string> SetupFileAsk(bool open) {
    ui::FileDialogOptions o;
    o.open = open;
    o.filter = kSetupFileFilter;
    o.defaultExt = "cfg";
    o.overwritePrompt = true;
    return ui::FileDialog(o);
}

// After a read that worked: the file is the current setup, first of the
// recent ones, and its code file (if it names one) is loaded.
void SetupMadeCurrent(const std::string& path) {
    core::SetupFiles.CurrentSetupPath = path;
    core::RecentSetupEnter(path);
    RecentSetupsMenuUpdate();
    if (!core::CodeFileNames.CodeFile.Empty()) {
        CodeFileReadAndReport(kCodeReadCurrent, core::CodeFileNames.CodeFile.FullPath());
    }
}

std::string TrimmedRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

} // namespace

void NewSetupDefaults() {
    core::CodeFileNames.CodeFile.Clear();
    MainWindowSetText(kMainCodeFilePathEdit, "");
    MainWindowSetText(kMainCodeFileNameEdit, "");
    core::CodeImageClear();
    core::PasswordClear();
    core::SetupKeysDefault(core::Settings);
    core::DeviceSelectByIndex();
    core::SegmentTableBuild();
    // Kept data of a board is no board's once the setup is another.
    Actions.retained.Reset();
    WindowFactsShow(kSetupChanged);
    if (MainWindow.TheMainDialog != nullptr) {
        DeviceCombosUpdate();
        DeviceInfoShow();
        MainWindow.TheMainDialog->CheckDlgButton(kMainReloadCodeFileCheck,
                                                 core::Settings.CodeFileReload == 1);
        ConnectionCaptionsUpdate();
        FuseControlsUpdate();
        VccComboUpdate();
    }
}

void SetupReadFollowUp() {
    core::DeviceSelectByIndex();
    DeviceCombosUpdate();
    // The selection the read made: its RAM and flash, no identification of
    // a target that was made for the selection before, and the checksum of
    // the code the read left loaded.
    DeviceInfoShow();
    Actions.retained.Reset();
    WindowFactsShow(kSetupChanged);
    SerialNumberPrepareNext();
    SnListLoad(core::Settings.SN_DataFile);
    MainDialogRefresh();
    MemoryOptionCaptionUpdate();
}

void SetupLoad() {
    const std::optional<std::string> path = SetupFileAsk(true);
    if (!path) {
        return;
    }
    NewSetupDefaults();
    if (core::SetupFileRead(kSetupReadFlags, *path) == 1) {
        SetupMadeCurrent(*path);
    }
    SetupReadFollowUp();
}

void SetupSave() {
    if (core::SetupFiles.CurrentSetupPath.empty()) {
        SetupSaveAs();
        return;
    }
    core::SetupFileWrite(core::kSetupCodeFileLine, core::SetupFiles.CurrentSetupPath);
    RecentSetupsMenuUpdate();
}

void SetupSaveAs() {
    const std::optional<std::string> path = SetupFileAsk(false);
    if (!path) {
        return;
    }
    core::SetupFiles.CurrentSetupPath = *path;
    core::SetupFileWrite(core::kSetupCodeFileLine, *path);
    RecentSetupsMenuUpdate();
}

void RecentSetupOpen(int32_t n) {
    if (n < 1 || n > 4) {
        return;
    }
    const std::string path = TrimmedRight(core::Settings.RecentSetups[static_cast<size_t>(n - 1)]);
    if (path.empty()) {
        RecentSetupsMenuUpdate();
        return;
    }
    if (core::SetupFileRead(kSetupReadFlags, path) == 1) {
        SetupMadeCurrent(path);
    }
    SetupReadFollowUp();
}

std::string RecentSetupCaption(int32_t n, const std::string& path) {
    char number[16];
    std::snprintf(number, sizeof number, "%1.1i. ", n);
    if (path.size() > kRecentCaptionMax) {
        return number + path.substr(0, 10) + " ... " + path.substr(path.size() - 19);
    }
    return number + path;
}

void RecentSetupsMenuUpdate() {
    // Blanks cut, duplicates and empty slots out, newest first.
    std::array<std::string, 4> list{};
    size_t count = 0;
    for (const std::string& entry : core::Settings.RecentSetups) {
        const std::string name = TrimmedRight(entry);
        bool seen = name.empty();
        for (size_t i = 0; i < count && !seen; ++i) {
            seen = list[i] == name;
        }
        if (!seen) {
            list[count++] = name;
        }
    }
    core::Settings.RecentSetups = list;
    MainDialog* dialog = MainWindow.TheMainDialog;
    if (dialog == nullptr) {
        return;
    }
    for (size_t i = 0; i < 4; ++i) {
        const int32_t n = static_cast<int32_t>(i) + 1;
        const bool used = !list[i].empty();
        dialog->SetMenuItemText(kRecentSetupItems[i],
                                used ? RecentSetupCaption(n, list[i]) : std::to_string(n) + ".");
        dialog->EnableMenuItem(kRecentSetupItems[i], used && SetupRunner.SetupUnlocked != 0);
    }
}

void ProjectOpenCommand(const std::string& path) {
    std::string file = path;
    if (file.empty()) {
        // Asked before anything is cleared: a cancel keeps setup and code.
        ui::FileDialogOptions o;
        o.filter = kProjectFileFilter;
        o.defaultExt = kProjectFileExt;
        const std::optional<std::string> chosen = ui::FileDialog(o);
        if (!chosen) {
            return;
        }
        file = *chosen;
    }
    NewSetupDefaults();
    // The reader applies the project's setup lines itself: no setup file is
    // read after it (a second read would clear the code just loaded).
    if (ProjectOpen(file, kProjectTargetTag) == 1) {
        char line[80];
        const int32_t used = core::CodeImageUsedCount();
        std::snprintf(line, sizeof line, "-- Code size = 0x%4.4X ( %1.1i ) bytes\r\n",
                      static_cast<unsigned>(used), used);
        ReportAppend(line);
        // The project is the current code file now.
        MainWindowSetText(kMainCodeFilePathEdit, core::CodeFileNames.CodeFile.directory);
        MainWindowSetText(kMainCodeFileNameEdit, core::CodeFileNames.CodeFile.name);
        Startup.LockOptions = (Startup.LockOptions & ~0xF) | (Project.ProjectLockOptionsRead & 7);
        SetupRunner.SetupUnlocked = (Startup.LockOptions & kLockingBits) != 0 ? 0 : 0xFF;
    } else {
        NewSetupDefaults();
    }
    SetupReadFollowUp();
}

void ProjectSaveAsCommand() {
    ProjectSaveAs(kProjectTargetTag, kProjectProgramName);
}

void CodeFileSaveAsMenu() {
    ui::FileDialogOptions o;
    o.open = false;
    o.filter = core::CodeFileSaveFilter();
    o.defaultExt = "txt";
    const std::optional<std::string> path = ui::FileDialog(o);
    if (path && core::CodeFileSaveAs(*path) == 1) {
        MainWindowSetText(kMainCodeFilePathEdit, core::CodeFileNames.CodeFile.directory);
        MainWindowSetText(kMainCodeFileNameEdit, core::CodeFileNames.CodeFile.name);
    }
}

void MemorySaveAsMenu() {
    ui::FileDialogOptions o;
    o.open = false;
    o.filter = core::CodeFileSaveFilter();
    o.defaultExt = "txt";
    const std::optional<std::string> path = ui::FileDialog(o);
    if (path) {
        core::MemorySaveAs(*path, core::Images.ReadImage);
    }
}

} // namespace gui
