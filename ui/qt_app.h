#pragma once
// The Qt 6 Widgets back end. No Qt header is needed to use it.

#include <string>
#include <vector>

namespace ui {
class Dialog;
}

namespace ui::qt {

// Builds the QApplication (Qt's own switches such as "-platform x" are
// taken out of argc/argv), sets the DejaVu Sans application font and
// installs the Qt back end and its message boxes and file dialogs. Without
// a display (no DISPLAY or WAYLAND_DISPLAY) and no QT_QPA_PLATFORM set it
// runs offscreen. The destructor puts the headless back end back.
class Application {
public:
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    static bool HasDisplay();
};

// Renders an open dialog (controls and OnPaint) into a PNG file, making
// its directory; false when the dialog is not open on the Qt back end or
// the file cannot be written.
bool SaveScreenshot(Dialog& dialog, const std::string& path);

// Layout faults of an open dialog: a control leaving the client area,
// two controls overlapping (group frames aside), a text not fitting its
// control. One line per fault; empty when the layout is sound.
std::vector<std::string> GeometryProblems(Dialog& dialog);

} // namespace ui::qt
