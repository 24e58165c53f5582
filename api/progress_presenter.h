#pragma once
// The window the progress dialog runs in, as a port: its controls, the
// supply lamp, message boxes, the modal run with its timer, and the hold
// after a failure. The Qt presenter shows a real window; the headless one
// has none; tests script one and read its transcript of updates.

#include <cstdint>
#include <string>

namespace api {

class DOD430Adi;

// Controls of dialog template 5000.
inline constexpr int kLogControl = 5000;      // multi-line edit: the dialog log
inline constexpr int kProgressControl = 5001; // progress bar 0..100
inline constexpr int kVccControl = 5002;      // "%5.2f V"
inline constexpr int kInterfaceControl = 5003;
inline constexpr int kAdapterControl = 5004;
inline constexpr int kDeviceControl = 5005;
// The supply lamp's bitmaps.
inline constexpr int kLampLow = 5001;
inline constexpr int kLampMiddle = 5006;
inline constexpr int kLampGood = 5007;

struct ClientSize {
    int width = 0;
    int height = 0;
};

class ProgressPresenter {
public:
    virtual ~ProgressPresenter() = default;
    // Shows the window, runs dialog.OnInitDialog(), then the loop in which
    // due timers call dialog.OnTimer(id); returns the code given to Close.
    virtual int RunModal(DOD430Adi& dialog) = 0;
    virtual void SetTimer(int id, uint32_t ms) = 0;
    virtual void KillTimer(int id) = 0;
    // Ends the modal run through the window's cancel handler.
    virtual void Close() = 0;
    virtual ClientSize Client() = 0;
    virtual void SetText(int id, const std::string& text) = 0;
    // The log control scrolled down to its last line.
    virtual void ScrollToEnd(int id) = 0;
    virtual void SetProgress(int32_t percent) = 0;
    // The lamp bitmap at x, y in client pixels.
    virtual void SetLamp(int bitmap, int x, int y) = 0;
    // Paints the window now (the procedure holds the loop).
    virtual void Repaint() = 0;
    // A message box: MB_ flags in, ID answer out.
    virtual int Box(const std::string& text, const std::string& caption, uint32_t flags) = 0;
    // Keeps a failure on screen for ms before the window closes.
    virtual void Hold(uint32_t ms) = 0;
};

} // namespace api
