#pragma once
// The progress dialog a procedure runs in when it is not run directly: the
// report as it grows, the progress bar, the target supply with its lamp,
// the interface, the identified device and the adapter. Its timer starts
// the procedure once; the dialog closes itself when the procedure ends.
// The window is a presenter's (Qt, headless, or a test's script).

#include "api/procedure_presenter.h"
#include "api/progress_presenter.h"

#include <cstdint>
#include <string>

namespace api {

inline constexpr int kDialogTemplate = 5000;
inline constexpr const char* kDialogCaption = "DEV-AVE430 VIDA/ZUV Evive Zivarodaza";
inline constexpr int kStartTimer = 5;
inline constexpr uint32_t kStartTimerMs = 100;
inline constexpr uint32_t kFailureHoldMs = 3000;

class DOD430Adi;

// The library's dialog globals.
struct DialogRunState {
    DOD430Adi* current = nullptr; // the dialog of the running procedure
    int32_t busy = 0;             // 1 while the procedure runs inside it
    int lampX = 0;                // lamp position in client pixels
    int lampY = 0;

    void Reset() { *this = DialogRunState{}; }
};

extern DialogRunState DialogRun;

// The lamp position for a client area: x = w / 327 * 295, y = h / 134 * 27,
// rounded to the nearest pixel.
int LampX(int width);
int LampY(int height);
// The lamp bitmap for a supply in 10 mV units.
int LampFor(int32_t supply);

class DOD430Adi : public ProcedurePresenter {
public:
    explicit DOD430Adi(ProgressPresenter& window) : window_(window) {}
    // Leaves no pointer to it behind: later appends touch no window.
    ~DOD430Adi() override;
    DOD430Adi(const DOD430Adi&) = delete;
    DOD430Adi& operator=(const DOD430Adi&) = delete;

    int DoModal() { return window_.RunModal(*this); }

    bool OnInitDialog();
    // Runs the procedure once: ProcedureCode through the dispatch, the
    // result into ProcedureResult, then closes the window.
    void OnTimer(int id);
    // 5002 the supply, the lamp, 5003 the interface.
    void StatusRefresh() override;
    // 5000 the dialog log, scrolled to its end, painted now.
    void LogRefresh();

    MessageAnswer Box(const char* caption, const std::string& text, MessageStyle style) override;
    void DeviceFound(const std::string& name) override;
    void Progress(int32_t percent) override;

private:
    ProgressPresenter& window_;
    bool started_ = false;
};

} // namespace api
