#pragma once
// The progress dialog as a window on the Qt back end: a dialog of template
// 5000 with the supply lamps drawn by the library itself. Its boxes are
// the back end's message boxes; a failure stays on screen for the hold. On
// a platform that shows nothing to an operator (offscreen, minimal) the
// window still runs, but its boxes are answered as a headless run answers
// them and nothing is held.

#include "api/progress_presenter.h"

#include <memory>

namespace api {

class QtPresenter : public ProgressPresenter {
public:
    QtPresenter();
    ~QtPresenter() override;

    // True when a window can show here: QT_QPA_PLATFORM is "offscreen" or a
    // display is named, and a QApplication lives on this thread or can be
    // made (once, then kept for the life of the process). While the library
    // owns that application, Qt's own messages do not reach the host's
    // stderr (only a fatal one, before Qt ends the process).
    static bool Available();

    // Called once, just before the library makes its own application:
    // the application and its threads live on, so the code they run must
    // stay loaded (the shared library pins itself here). nullptr for none.
    static void SetApplicationMadeHook(void (*hook)());

    // True when the platform shows nothing to an operator.
    static bool Windowless();
    // Tests that play the operator on the offscreen platform: its boxes are
    // shown as on a display.
    static void SetOperatorWatching(bool watching);

    int RunModal(DOD430Adi& dialog) override;
    void SetTimer(int id, uint32_t ms) override;
    void KillTimer(int id) override;
    void Close() override;
    ClientSize Client() override;
    void SetText(int id, const std::string& text) override;
    void ScrollToEnd(int id) override;
    void SetProgress(int32_t percent) override;
    void SetLamp(int bitmap, int x, int y) override;
    void Repaint() override;
    int Box(const std::string& text, const std::string& caption, uint32_t flags) override;
    void Hold(uint32_t ms) override;

    // Called with the open window after each repaint (tests take a
    // screenshot there); nullptr for none.
    static void SetRepaintObserver(void (*observer)(void* window));

private:
    class Window;
    std::unique_ptr<Window> window_;
};

} // namespace api
