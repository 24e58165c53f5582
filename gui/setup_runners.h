#pragma once
// The main window's state handlers and setup/project runners that the
// start-up and the window's message map call. The ones marked "not built
// yet" do nothing until the main-window state work fills them in.

#include <cstdint>
#include <string>

namespace gui {

struct SetupRunnerState {
    int32_t SetupUnlocked = 1; // 0 while the setup is locked
    int32_t FlashWrittenFlags = 0;

    void Reset() { *this = SetupRunnerState{}; }
};

extern SetupRunnerState SetupRunner;

// "New Setup": every setting of the key tables to its default.
void NewSetupDefaults();

// Opens the project at path, or asks for one when path is empty (not built yet).
void ProjectOpenCommand(const std::string& path);

// Brings every control, caption and menu item in line with the settings
// and the lock (not built yet).
void MainDialogRefresh();

// Asks for confirmation when fuse blowing is enabled (not built yet).
void FuseEnableConfirm();

// The interface, port and memory-option captions (not built yet).
void ConnectionCaptionsUpdate();

// Reads the current code file and reports it (not built yet).
void CodeFileReadAndReport(int32_t mode);

// Reads "prefer.ini" (gui/preferences.h).
void PreferencesLoad();

} // namespace gui
