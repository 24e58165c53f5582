#pragma once
// Quillbay's main window (dialog 107): start-up, the status display, the
// F5 key and bar-code capture, and closing.

#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

inline constexpr int kMainTimer = 5;
inline constexpr uint32_t kMainTimerMs = 1500;
// How soon after a termination signal the window has closed (the dialog
// layer acts on it as soon as it is idle).
inline constexpr uint32_t kSignalTimerMs = 100;

inline constexpr const char* kSupportAddress = "https://www.morvane.example/support";
inline constexpr const char* kWebAddress = "https://www.morvane.example/";
inline constexpr const char* kManualName = "Manual-Quillbay.pdf";

class MainDialog : public ui::Dialog {
public:
    MainDialog();
    ~MainDialog() override;

    // Close box, Escape, menu Exit and the termination signals: saves
    // "config.ini", closes the interface and ends the window.
    void OnExit();
    // Opens the user's guide beside the program's working directory.
    void UserGuideOpen();
    // Runs the handler of a button as its click would: nothing when the
    // button is disabled.
    void RunCommand(int id);

    // The status display draws through this while a paint runs.
    void LampDraw(int32_t bitmap, int32_t x, int32_t y);

protected:
    bool OnInitDialog() override;
    void OnTimer(int id) override;
    void OnPaint(ui::PaintContext& paint) override;
    bool PreTranslateMessage(const ui::KeyMessage& key) override;

private:
    void BarcodeTerminated();
    ui::PaintContext* paint_ = nullptr;
};

// Catches SIGTERM, SIGINT and SIGHUP (ui/termination.h): every open
// dialog and box ends as Cancel, a running procedure ends TERMINATED at
// its next step, and the main window closes through OnExit; true once one
// has arrived.
void TerminationSignalsCatch();
bool TerminationRequested();
void TerminationRequestClear();

} // namespace gui
