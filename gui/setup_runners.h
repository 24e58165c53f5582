#pragma once
// The runners behind the setup and project menu items: New Setup, loading
// and saving setup files with the recent list, opening and saving projects,
// saving the code image and the memory read, and what follows every read.

#include "gui/main_ids.h"

#include <cstdint>
#include <string>

namespace gui {

inline constexpr const char* kSetupFileFilter = "Config format(*.cfg)|*.cfg||";
// Recent-setup menu items, "1." (the current setup) to "4.".
inline constexpr int32_t kRecentSetupItems[4] = {kMenuRecentSetup1, kMenuRecentSetup2,
                                                 kMenuRecentSetup3, kMenuRecentSetup4};
inline constexpr size_t kRecentCaptionMax = 35; // longer paths are shortened

struct SetupRunnerState {
    int32_t SetupUnlocked = 0xFF; // 0 while the setup is locked
    int32_t FlashWrittenFlags = 0;
    int32_t SnTotal = 0;   // the quantity typed into "Total:"
    int32_t SnBalance = 0; // how many of it are still to do

    void Reset() { *this = SetupRunnerState{}; }
};

extern SetupRunnerState SetupRunner;

// "New Setup": no code file, every key at its default, the generic device
// range, and the window's fields to match.
void NewSetupDefaults();

// Menu "Load Setup": asks for a "*.cfg"; on OK New Setup, then reads it.
void SetupLoad();
// Menu "Save Setup": to the current setup, or asks for a path when there is none.
void SetupSave();
// Menu "Save Setup as..": asks (before replacing a file) and writes.
void SetupSaveAs();
// Recent item n (1..4): reads that setup over the present settings.
void RecentSetupOpen(int32_t n);
// "n. path", a path longer than 35 characters as its first 10 and last 19
// characters around " ... ".
std::string RecentSetupCaption(int32_t n, const std::string& path);
// Rebuilds items 203, 205, 206, 207 from the recent setups, newest first.
void RecentSetupsMenuUpdate();

// What follows every setup or project read: the device and its combos, the
// next serial number, the serial-number list, the window, the memory caption.
void SetupReadFollowUp();

// Opens the project at path, or the one the operator picks when path is
// empty (a cancel changes nothing).
void ProjectOpenCommand(const std::string& path);
// Menu "Save Project as..".
void ProjectSaveAsCommand();

// Menu "Save Code as..": the code image into a code file that becomes the
// current one.
void CodeFileSaveAsMenu();
// Menu "Save Memory as..": the memory last read from the target.
void MemorySaveAsMenu();

// Reads "prefer.ini" (gui/preferences.h).
void PreferencesLoad();

} // namespace gui
