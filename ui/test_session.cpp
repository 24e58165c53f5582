#include "ui/test_session.h"

#include "ui/backend.h"
#include "ui/globals.h"
#include "ui/message_box.h"
#include "ui/termination.h"
#include "ui/transcript.h"

#include <deque>
#include <map>

namespace ui {

struct TestSession::Impl final : platform::PromptService {
    platform::ScriptedPrompts boxes;
    std::map<int, std::deque<Script>> scripts;
    std::deque<std::optional<std::string>> files;
    ManualClock clock;
    bool ownsClock = false;

    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        std::function<void()> whileOpen;
        if (!whileBoxOpen.empty()) {
            whileOpen = std::move(whileBoxOpen.front());
            whileBoxOpen.pop_front();
        }
        // A box shown once the program is ending takes no scripted answer.
        const bool ending = TerminationRequested();
        const bool scripted = !ending && boxes.Pending() > 0;
        const int picked =
            ending ? UnattendedAnswer(flags) : boxes.MessageBox(text, caption, flags);
        const int answer = CurrentBackend().ShowBox(
            text, caption, flags, scripted ? std::optional<int>(picked) : std::nullopt, true,
            whileOpen);
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", flags);
        const bool signalled = !ending && TerminationRequested();
        TranscriptAdd("box [" + caption + "] \"" + detail::Escaped(text) + "\" flags " + hex +
                      " -> " + detail::AnswerName(answer) +
                      (ending || signalled ? " (termination signal)"
                       : scripted          ? ""
                                           : " (unattended)"));
        return answer;
    }
    std::deque<std::function<void()>> whileBoxOpen;
};

TestSession::TestSession(bool installClock) : impl_(std::make_unique<Impl>()) {
    auto& g = detail::Globals();
    g.session = impl_.get();
    g.recording = true;
    g.transcript.clear();
    TerminationClear();
    platform::SetPromptService(impl_.get());
    if (installClock) {
        platform::SetClockSource(&impl_->clock);
        impl_->ownsClock = true;
    }
}

TestSession::~TestSession() {
    auto& g = detail::Globals();
    g.session = nullptr;
    g.recording = false;
    g.transcript.clear();
    TerminationClear();
    platform::SetPromptService(CurrentBackend().Prompts());
    if (impl_->ownsClock) {
        platform::SetClockSource(nullptr);
    }
}

platform::ScriptedPrompts& TestSession::Boxes() {
    return impl_->boxes;
}

void TestSession::OnDialog(int dialogId, Script script) {
    impl_->scripts[dialogId].push_back(std::move(script));
}

void TestSession::WhileBoxOpen(std::function<void()> action) {
    impl_->whileBoxOpen.push_back(std::move(action));
}

void TestSession::AnswerFile(std::string path) {
    impl_->files.emplace_back(std::move(path));
}

void TestSession::CancelFile() {
    impl_->files.emplace_back(std::nullopt);
}

ManualClock& TestSession::Clock() {
    return impl_->clock;
}

size_t TestSession::PendingScripts() const {
    size_t n = 0;
    for (const auto& [id, queue] : impl_->scripts) {
        n += queue.size();
    }
    return n;
}

size_t TestSession::PendingFileAnswers() const {
    return impl_->files.size();
}

namespace detail {

bool SessionActive() {
    return Globals().session != nullptr;
}

std::optional<Script> TakeScript(int dialogId) {
    TestSession::Impl* s = Globals().session;
    if (!s) {
        return std::nullopt;
    }
    auto it = s->scripts.find(dialogId);
    if (it == s->scripts.end() || it->second.empty()) {
        return std::nullopt;
    }
    Script script = std::move(it->second.front());
    it->second.pop_front();
    return script;
}

std::optional<std::optional<std::string>> TakeFileAnswer() {
    TestSession::Impl* s = Globals().session;
    if (!s || s->files.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(s->files.front());
    s->files.pop_front();
    return answer;
}

} // namespace detail
} // namespace ui
