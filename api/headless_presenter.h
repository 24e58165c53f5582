#pragma once
// Progress dialogs without a window. The headless presenter runs the
// dialog where no display is: a box's caption and text go into the report,
// as a run without the dialog writes them, and it gets the safe answer
// (Cancel to OK/Cancel, No to Yes/No, OK to OK); a failure is not held on
// a screen nobody sees. The scripted presenter is the tests' window: its boxes go to
// platform::ScriptedPrompts, and it keeps a transcript of every update.
// Timers wait on the platform clock.

#include "api/progress_presenter.h"

#include <string>
#include <vector>

namespace platform {
class ScriptedPrompts;
}

namespace api {

// A box nobody can see: caption, "\r\n" and text into the report, then
// the safe answer for its buttons.
int UnattendedBox(const std::string& text, const std::string& caption, uint32_t flags);

class HeadlessPresenter : public ProgressPresenter {
public:
    int RunModal(DOD430Adi& dialog) override;
    void SetTimer(int id, uint32_t ms) override;
    void KillTimer(int id) override;
    void Close() override { closed_ = true; }
    ClientSize Client() override { return client_; }
    void SetText(int, const std::string&) override {}
    void ScrollToEnd(int) override {}
    void SetProgress(int32_t) override {}
    void SetLamp(int, int, int) override {}
    void Repaint() override {}
    int Box(const std::string& text, const std::string& caption, uint32_t flags) override;
    void Hold(uint32_t) override {}

protected:
    ClientSize client_{327, 134};

private:
    int timerId_ = 0;
    uint32_t timerMs_ = 0;
    bool closed_ = false;
};

class ScriptedPresenter : public HeadlessPresenter {
public:
    explicit ScriptedPresenter(platform::ScriptedPrompts& boxes, ClientSize client = {327, 134})
        : boxes_(boxes) {
        client_ = client;
    }

    void SetTimer(int id, uint32_t ms) override;
    void KillTimer(int id) override;
    void Close() override;
    void SetText(int id, const std::string& text) override;
    void SetProgress(int32_t percent) override;
    void SetLamp(int bitmap, int x, int y) override;
    int Box(const std::string& text, const std::string& caption, uint32_t flags) override;
    void Hold(uint32_t ms) override;

    // One line per update: "text 5002 \" 3.00 V\"", "progress 100",
    // "lamp 5007 at 295,27", "box [Caption] text -> 6", "hold 3000",
    // "timer 5 set 100", "timer 5 killed", "close".
    const std::vector<std::string>& Transcript() const { return transcript_; }
    bool Has(const std::string& line) const;
    // The texts the control showed, oldest first.
    std::vector<std::string> TextsOf(int id) const;

private:
    platform::ScriptedPrompts& boxes_;
    std::vector<std::string> transcript_;
    std::vector<std::pair<int, std::string>> texts_;
};

} // namespace api
