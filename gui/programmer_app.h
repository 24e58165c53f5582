#pragma once
// The application object: keeps the command line and runs the main window
// modally; the program ends when the window closes.

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

class ProgrammerApp {
public:
    // Keeps the arguments (the window system's own switches already taken
    // out) as CommandLineText and runs the main window. Returns FALSE (0):
    // nothing runs after the window.
    int32_t InitInstance(const std::vector<std::string>& arguments);
};

extern ProgrammerApp TheApp;

// Names a PNG file that receives a picture of the main window when it
// closes (for unattended runs).
inline constexpr const char* kScreenshotVariable = "QUILLBAY_SCREENSHOT";

// Quillbay's whole run on the Qt back end: builds the application (on a
// display, else offscreen), registers the artwork, catches the termination
// signals and runs InitInstance. Returns the exit status: 0.
int QuillbayMain(int argc, char** argv);

} // namespace gui
