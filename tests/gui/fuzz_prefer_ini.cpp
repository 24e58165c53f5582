// "prefer.ini" as any bytes: every value lands in its range, TOOL1 within
// its length, and what is saved reads back to the same file.

#include "core/code_store.h"
#include "core/settings.h"
#include "gui/preferences.h"
#include "gui/startup_load.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gui::Preferences.Reset();
    gui::Startup.Reset();
    core::CodeLoad.Reset();
    core::Settings.ReportHistory = 1;
    gui::PreferencesParse(std::string(reinterpret_cast<const char*>(data), size));
    for (int32_t v : {core::Settings.ReportHistory, gui::Preferences.BeepOkEnable,
                      gui::Preferences.PCSpeaker, gui::Preferences.SoundEnable}) {
        if (v < 0 || v > 1) {
            std::abort();
        }
    }
    if (core::CodeLoad.TOOL1_filename.size() > gui::kTool1MaxLength) {
        std::abort();
    }
    const std::string saved = gui::PreferencesText();
    gui::Preferences.Reset();
    gui::Startup.Reset();
    core::CodeLoad.Reset();
    gui::PreferencesParse(saved);
    if (gui::PreferencesText() != saved) {
        std::abort();
    }
    return 0;
}
