#pragma once
// The progress dialog as a window on the Qt back end: a dialog of template
// 5000 with the supply lamps drawn by the library itself. Its boxes are
// the back end's message boxes; a failure stays on screen for the hold.

#include "api/progress_presenter.h"

#include <memory>

namespace api {

class QtPresenter : public ProgressPresenter {
public:
    QtPresenter();
    ~QtPresenter() override;

    // True when a window can show here: QT_QPA_PLATFORM is "offscreen" or a
    // display is named, and a QApplication lives on this thread or can be
    // made (once, then kept).
    static bool Available();

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
