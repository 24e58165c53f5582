#include "gui/artwork.h"
#include "gui/main_dialog.h"
#include "gui/main_window_state.h"
#include "gui/programmer_app.h"
#include "platform/display.h"
#include "ui/qt_app.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace gui {

namespace {

// Qt is told which platform to use: by QT_QPA_PLATFORM or "-platform".
bool PlatformNamed(int argc, char** argv) {
    const char* name = std::getenv("QT_QPA_PLATFORM");
    if (name != nullptr && *name != '\0') {
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int QuillbayMain(int argc, char** argv) {
    // First of all: a signal during the start-up must close the window
    // through its own exit as well, not end the program on the spot.
    TerminationSignalsCatch();
    // With no display to reach, a window nobody sees would wait for an
    // operator for ever: say so and stop. Running without one is asked for
    // by naming a platform (QT_QPA_PLATFORM=offscreen).
    if (!PlatformNamed(argc, argv) && !platform::DisplayReachable()) {
        std::fprintf(stderr, "quillbay: no display can be reached (DISPLAY, WAYLAND_DISPLAY); "
                             "set QT_QPA_PLATFORM=offscreen to run without one\n");
        return 1;
    }
    ui::qt::Application application(argc, argv);
    ArtworkRegister();
    // An unattended run (the demo) asks for a picture of the window as it
    // stood when it was closed.
    if (const char* shot = std::getenv(kScreenshotVariable); shot != nullptr && *shot != '\0') {
        const std::string path = shot;
        MainWindow.onExit = [path](MainDialog& dialog) {
            if (!ui::qt::SaveScreenshot(dialog, path)) {
                std::fprintf(stderr, "quillbay: cannot write the screenshot %s\n", path.c_str());
            }
        };
    }
    TheApp.InitInstance(std::vector<std::string>(argv + 1, argv + argc));
    return 0;
}

} // namespace gui
