#pragma once
// A headless prompt service for tests and unattended runs: answers from a
// script and keeps a transcript of every box.

#include "platform/prompt.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace platform {

struct PromptRecord {
    std::string text;
    std::string caption;
    uint32_t flags = 0;
    int answer = 0;
};

class ScriptedPrompts : public PromptService {
public:
    // Queues the answer for the next box that has no answer yet.
    void Answer(int answer) { script_.push_back(answer); }
    // Boxes shown so far, oldest first.
    const std::vector<PromptRecord>& Transcript() const { return transcript_; }
    // Scripted answers not used yet.
    size_t Pending() const { return script_.size(); }
    void Clear();

    // Takes the next scripted answer as it stands; with the script empty,
    // the unattended answer (Cancel, else No, else the first button).
    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;

private:
    std::deque<int> script_;
    std::vector<PromptRecord> transcript_;
};

} // namespace platform
