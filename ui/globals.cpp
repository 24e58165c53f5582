#include "ui/globals.h"

#include "ui/transcript.h"

namespace ui::detail {

UiGlobals& Globals() {
    static UiGlobals globals;
    return globals;
}

std::string Escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out;
}

const char* AnswerName(int answer) {
    switch (answer) {
    case IDOK:
        return "IDOK";
    case IDCANCEL:
        return "IDCANCEL";
    case IDABORT:
        return "IDABORT";
    case IDRETRY:
        return "IDRETRY";
    case IDIGNORE:
        return "IDIGNORE";
    case IDYES:
        return "IDYES";
    case IDNO:
        return "IDNO";
    default:
        return "?";
    }
}

} // namespace ui::detail

namespace ui {

bool TranscriptRecording() {
    return detail::Globals().recording;
}

void TranscriptAdd(std::string line) {
    auto& g = detail::Globals();
    if (g.recording) {
        g.transcript.push_back(std::move(line));
    }
}

void Note(const std::string& text) {
    TranscriptAdd("note: " + text);
}

const std::vector<std::string>& TranscriptLines() {
    return detail::Globals().transcript;
}

std::string TranscriptText() {
    std::string text;
    for (const std::string& line : detail::Globals().transcript) {
        text += line;
        text += '\n';
    }
    return text;
}

bool TranscriptHas(std::string_view fragment) {
    for (const std::string& line : detail::Globals().transcript) {
        if (line.find(fragment) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void TranscriptClear() {
    detail::Globals().transcript.clear();
}

} // namespace ui
