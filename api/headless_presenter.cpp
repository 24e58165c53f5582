#include "api/headless_presenter.h"

#include "api/dod430adi.h"
#include "api/report_log.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"

#include <algorithm>

namespace api {

int HeadlessPresenter::RunModal(DOD430Adi& dialog) {
    closed_ = false;
    timerId_ = 0;
    dialog.OnInitDialog();
    while (!closed_ && timerId_ != 0) {
        platform::SleepMilliseconds(timerMs_);
        dialog.OnTimer(timerId_);
    }
    return platform::IDCANCEL;
}

void HeadlessPresenter::SetTimer(int id, uint32_t ms) {
    timerId_ = id;
    timerMs_ = ms;
}

void HeadlessPresenter::KillTimer(int id) {
    if (timerId_ == id) {
        timerId_ = 0;
    }
}

int UnattendedBox(const std::string& text, const std::string& caption, uint32_t flags) {
    // The host learns what was asked and why the run ended as it did.
    ReportAppend(caption);
    ReportAppend("\r\n");
    ReportAppend(text);
    return platform::UnattendedAnswer(flags);
}

int HeadlessPresenter::Box(const std::string& text, const std::string& caption, uint32_t flags) {
    return UnattendedBox(text, caption, flags);
}

void ScriptedPresenter::SetTimer(int id, uint32_t ms) {
    transcript_.push_back("timer " + std::to_string(id) + " set " + std::to_string(ms));
    HeadlessPresenter::SetTimer(id, ms);
}

void ScriptedPresenter::KillTimer(int id) {
    transcript_.push_back("timer " + std::to_string(id) + " killed");
    HeadlessPresenter::KillTimer(id);
}

void ScriptedPresenter::Close() {
    transcript_.push_back("close");
    HeadlessPresenter::Close();
}

void ScriptedPresenter::SetText(int id, const std::string& text) {
    if (id != kLogControl) {
        transcript_.push_back("text " + std::to_string(id) + " \"" + text + "\"");
    }
    texts_.emplace_back(id, text);
}

void ScriptedPresenter::SetProgress(int32_t percent) {
    transcript_.push_back("progress " + std::to_string(percent));
}

void ScriptedPresenter::SetLamp(int bitmap, int x, int y) {
    transcript_.push_back("lamp " + std::to_string(bitmap) + " at " + std::to_string(x) + "," +
                          std::to_string(y));
}

int ScriptedPresenter::Box(const std::string& text, const std::string& caption, uint32_t flags) {
    const int answer = boxes_.MessageBox(text, caption, flags);
    transcript_.push_back("box [" + caption + "] " + text + " -> " + std::to_string(answer));
    return answer;
}

void ScriptedPresenter::Hold(uint32_t ms) {
    transcript_.push_back("hold " + std::to_string(ms));
}

bool ScriptedPresenter::Has(const std::string& line) const {
    return std::find(transcript_.begin(), transcript_.end(), line) != transcript_.end();
}

std::vector<std::string> ScriptedPresenter::TextsOf(int id) const {
    std::vector<std::string> out;
    for (const auto& [i, text] : texts_) {
        if (i == id) {
            out.push_back(text);
        }
    }
    return out;
}

} // namespace api
