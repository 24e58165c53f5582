#include "platform/prompt.h"

#include "platform/clock.h"

#include <cstdio>

namespace platform {
namespace {

const char* AnswerName(int answer) {
    switch (answer) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return "Cancel";
    case IDABORT:
        return "Abort";
    case IDRETRY:
        return "Retry";
    case IDIGNORE:
        return "Ignore";
    case IDYES:
        return "Yes";
    case IDNO:
        return "No";
    default:
        return "?";
    }
}

// Without an operator nobody can answer: log the box and take the answer
// that starts nothing.
class StderrPrompts final : public PromptService {
public:
    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        const int answer = UnattendedAnswer(flags);
        std::fprintf(stderr, "[%s] %s\n  -> %s\n", caption.c_str(), text.c_str(),
                     AnswerName(answer));
        std::fflush(stderr);
        return answer;
    }
};

StderrPrompts headless;
PromptService* current = &headless;
uint64_t openMs = 0;

} // namespace

int DefaultAnswer(uint32_t flags) {
    static const int buttons[][3] = {
        {IDOK, 0, 0},                 // MB_OK
        {IDOK, IDCANCEL, 0},          // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE}, // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},      // MB_YESNOCANCEL
        {IDYES, IDNO, 0},             // MB_YESNO
        {IDRETRY, IDCANCEL, 0},       // MB_RETRYCANCEL
    };
    const uint32_t type = flags & 0xFu;
    if (type >= sizeof buttons / sizeof buttons[0]) {
        return IDOK;
    }
    const int* row = buttons[type];
    int index = 0;
    if (flags & MB_DEFBUTTON3) {
        index = 2;
    } else if (flags & MB_DEFBUTTON2) {
        index = 1;
    }
    return row[index] ? row[index] : row[0];
}

int UnattendedAnswer(uint32_t flags) {
    switch (flags & 0xFu) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDOK;
    }
}

void SetPromptService(PromptService* service) {
    current = service ? service : &headless;
}

int ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
    const uint64_t start = ClockCounter();
    const int answer = current->MessageBox(text, caption, flags);
    openMs += CountsToMilliseconds(ClockCounter() - start);
    return answer;
}

PromptService& CurrentPromptService() {
    return *current;
}

uint32_t PromptOpenMilliseconds() {
    return static_cast<uint32_t>(openMs);
}

} // namespace platform
