#pragma once
// What Quillbay loads before its window shows: the device table, the default
// settings and the preferences, then a project, or a setup and a code file
// named on the command line, or the last saved setup "config.ini".

#include <cstdint>
#include <string>

namespace gui {

inline constexpr int32_t kLockByCommandLine = 0x20; // LockOptions bit of "-lock"

struct StartupState {
    int32_t StartupLoading = 0;   // 1 while StartupLoad runs
    int32_t LockOptions = 0;      // lock bits; kLockByCommandLine from "-lock"
    std::string CurrentDirectory; // the working directory at start; never cut
    std::string ConfigPath;       // CurrentDirectory + "/config.ini"
    std::string ProgramPath;      // the running program, kept by the window's start-up
    std::string PdfReaderName =
        "xdg-open"; // opens the user's guide; the preferences may name another

    void Reset() { *this = StartupState{}; }
};

extern StartupState Startup;

// The working directory, whole ("" when it cannot be had).
std::string WorkingDirectory();

// The start-up loading step, run once by the main window's initialisation
// after CurrentDirectory is set.
void StartupLoad();

} // namespace gui
