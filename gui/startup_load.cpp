#include "gui/startup_load.h"

#include "gui/code_file_actions.h"

#include "core/code_file_names.h"
#include "core/device_table.h"
#include "core/setup_file.h"
#include "gui/command_line.h"
#include "gui/main_controls.h"
#include "gui/main_ids.h"
#include "gui/main_window_state.h"
#include "gui/serial_number.h"
#include "gui/setup_runners.h"

#include <unistd.h>

#include <cerrno>

#include <vector>

namespace gui {

StartupState Startup;

std::string WorkingDirectory() {
    // Grown until the whole path fits: a deep working directory is never cut.
    std::vector<char> buffer(512);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return "";
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

namespace {

// A directory and a name joined by one '/'.
std::string PathJoin(const std::string& directory, const char* name) {
    if (directory.empty() || directory.back() == '/') {
        return directory + name;
    }
    return directory + "/" + name;
}

// The value split into directory, name and extension and joined again.
std::string FilePathOf(const std::string& value) {
    core::FileNameParts parts;
    parts.Set(value);
    return parts.FullPath();
}

} // namespace

void StartupLoad() {
    Startup.StartupLoading = 1;
    core::DeviceTableParse(core::kDeviceFilterAll);
    NewSetupDefaults();
    PreferencesLoad();
    Startup.ConfigPath = PathJoin(Startup.CurrentDirectory, "config.ini");
    if (OptionFind("-lock") != 0) {
        Startup.LockOptions |= kLockByCommandLine;
    } else {
        Startup.LockOptions &= ~kLockByCommandLine;
    }
    if (OptionFind("-prj") != 0) {
        ProjectOpenCommand(FilePathOf(CommandLine.OptionValue));
    } else {
        if (OptionFind("-sf") != 0) {
            core::SetupFiles.CurrentSetupPath = FilePathOf(CommandLine.OptionValue);
            core::SetupFileRead(0x07, core::SetupFiles.CurrentSetupPath);
        } else {
            core::SetupFileRead(0x17, Startup.ConfigPath);
        }
        if (OptionFind("-cf") != 0) {
            core::CodeFileNames.CodeFile.Set(CommandLine.OptionValue);
            CodeFileReadAndReport(kCodeReadCurrent, CommandLine.OptionValue);
        }
        // A project's open does this itself.
        SetupReadFollowUp();
    }
    if ((Startup.LockOptions & kLockByCommandLine) != 0) {
        SetupRunner.SetupUnlocked = 0;
        MainDialogRefresh();
    }
    // Serialization is set up only while the setup is unlocked.
    MainWindowMenuEnable(kMenuSerializationSetup, SetupRunner.SetupUnlocked != 0);
    Startup.StartupLoading = 0;
}

} // namespace gui
