#include "platform/scripted_prompts.h"

namespace platform {

void ScriptedPrompts::Clear() {
    script_.clear();
    transcript_.clear();
}

int ScriptedPrompts::MessageBox(const std::string& text, const std::string& caption,
                                uint32_t flags) {
    int answer = UnattendedAnswer(flags);
    if (!script_.empty()) {
        answer = script_.front();
        script_.pop_front();
    }
    transcript_.push_back(PromptRecord{text, caption, flags, answer});
    return answer;
}

} // namespace platform
