#pragma once
// A test's control over the dialog layer, on either back end: scripts for
// dialogs, answers for boxes and file dialogs, the transcript, and the
// injected clock. Only one session at a time; it undoes everything on
// destruction.
//
//   ui::TestSession s;
//   s.Boxes().Answer(ui::IDYES);
//   s.OnDialog(190, [](ui::Driver& d) { d.Type(1064, "0x1100"); d.Click(1071); });
//   MainWindow w; w.DoModal();          // runs the scripts as dialogs open
//   EXPECT_TRUE(ui::TranscriptHas("box [Warning]"));

#include "platform/scripted_prompts.h"
#include "ui/driver.h"
#include "ui/manual_clock.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

using Script = std::function<void(Driver&)>;

class TestSession {
public:
    // installClock: install the session's ManualClock as the platform clock.
    explicit TestSession(bool installClock = true);
    ~TestSession();
    TestSession(const TestSession&) = delete;
    TestSession& operator=(const TestSession&) = delete;

    // Box answers, first box first; a box with none left is unattended.
    platform::ScriptedPrompts& Boxes();
    // Runs script when dialog dialogId opens (after OnInitDialog); scripts
    // for one id run in the order given, one per opening. A dialog without
    // a script, or still open when its script returns, ends with IDCANCEL.
    void OnDialog(int dialogId, Script script);
    // Runs action while the next box is open (on Qt inside the box's own
    // loop), before its answer is given: e.g. a termination signal, after
    // which the box gets its unattended answer instead of a scripted one.
    void WhileBoxOpen(std::function<void()> action);
    // Answers for file dialogs, first first; none left: cancelled.
    void AnswerFile(std::string path);
    void CancelFile();

    ManualClock& Clock();

    // Scripts not used yet (a test can check every one ran).
    size_t PendingScripts() const;
    size_t PendingFileAnswers() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace ui
