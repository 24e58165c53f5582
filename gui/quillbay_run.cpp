#include "gui/artwork.h"
#include "gui/main_dialog.h"
#include "gui/main_window_state.h"
#include "gui/programmer_app.h"
#include "ui/qt_app.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace gui {

int QuillbayMain(int argc, char** argv) {
    // First of all: a signal during the start-up must close the window
    // through its own exit as well, not end the program on the spot.
    TerminationSignalsCatch();
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
