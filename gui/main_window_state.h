#pragma once
// The main window as the rest of the program reaches it: whether it exists,
// and the few control operations that outside callers make on it.

#include <cstdint>
#include <functional>
#include <string>

namespace gui {

class MainDialog;

struct MainWindowState {
    int32_t MainDialogExists = 0;        // 1 from the end of the start-up until the window closes
    MainDialog* TheMainDialog = nullptr; // the main window, owner of every message box
    // Runs in OnExit while the window still shows (the program's screenshot
    // on request); none by default.
    std::function<void(MainDialog&)> onExit;

    void Reset() { *this = MainWindowState{}; }
};

extern MainWindowState MainWindow;

// Control text and menu state of the main window; nothing without one.
void MainWindowSetText(int32_t id, const std::string& text);
// A control's text; empty without a window.
std::string MainWindowText(int32_t id);
void MainWindowMenuEnable(int32_t id, bool enable);

} // namespace gui
