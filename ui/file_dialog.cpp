#include "ui/file_dialog.h"
#include "platform/ascii.h"

#include "ui/termination.h"

#include "ui/backend.h"
#include "ui/globals.h"
#include "ui/message_box.h"
#include "ui/transcript.h"

#include <cctype>
#include <filesystem>

namespace ui {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && platform::AsciiIsSpace(s[b])) {
        ++b;
    }
    while (e > b && platform::AsciiIsSpace(s[e - 1])) {
        --e;
    }
    return s.substr(b, e - b);
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) {
            return parts;
        }
        start = at + 1;
    }
}

char Lower(char c) {
    return static_cast<char>(platform::AsciiLower(c));
}

// Iterative wildcard match with one backtrack point: linear for any pattern.
bool Glob(const std::string& p, const std::string& s) {
    size_t pi = 0;
    size_t si = 0;
    size_t star = std::string::npos;
    size_t mark = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == '?' || Lower(p[pi]) == Lower(s[si]))) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = si;
        } else if (star != std::string::npos) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') {
        ++pi;
    }
    return pi == p.size();
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::vector<FileFilter> ParseFileFilter(const std::string& filter) {
    std::vector<FileFilter> out;
    const std::vector<std::string> parts = Split(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) {
            break; // "||" ends the list
        }
        FileFilter f;
        f.description = parts[i];
        for (const std::string& p : Split(parts[i + 1], ';')) {
            const std::string pattern = Trim(p);
            if (!pattern.empty()) {
                f.patterns.push_back(pattern);
            }
        }
        if (!f.patterns.empty()) {
            out.push_back(std::move(f));
        }
    }
    return out;
}

bool FilterPatternMatches(const std::string& pattern, const std::string& fileName) {
    if (pattern == "*.*" || pattern == "*") {
        return true;
    }
    return Glob(pattern, fileName);
}

bool FilterMatches(const FileFilter& filter, const std::string& fileName) {
    for (const std::string& p : filter.patterns) {
        if (FilterPatternMatches(p, fileName)) {
            return true;
        }
    }
    return false;
}

std::string WithDefaultExtension(const std::string& path, const std::string& defaultExt) {
    if (defaultExt.empty() || path.empty()) {
        return path;
    }
    const std::string name = FileNameOf(path);
    if (name.empty() || name.find('.') != std::string::npos) {
        return path;
    }
    return path + "." + defaultExt;
}

std::optional<std::string> FileDialog(const FileDialogOptions& options) {
    const std::string kind = options.open ? "open" : "save";
    std::optional<std::string> chosen;
    if (TerminationRequested()) {
        // The program is ending: no file is chosen any more.
    } else if (detail::SessionActive()) {
        std::optional<std::optional<std::string>> answer = detail::TakeFileAnswer();
        if (answer && *answer) {
            chosen = WithDefaultExtension(**answer, options.defaultExt);
        }
    } else {
        chosen = CurrentBackend().AskFile(options);
        if (chosen) {
            chosen = WithDefaultExtension(*chosen, options.defaultExt);
        }
    }
    if (chosen && !options.open && options.overwritePrompt && detail::SessionActive()) {
        // The Qt dialog asks by itself for the operator; a scripted answer
        // goes through the same question as a box.
        std::error_code ec;
        if (std::filesystem::exists(*chosen, ec)) {
            const int answer =
                MessageBox(FileNameOf(*chosen) + " already exists.\r\nDo you want to replace it?",
                           "Confirm Save As", MB_YESNO | MB_ICONWARNING);
            if (answer != IDYES) {
                chosen.reset();
            }
        }
    }
    TranscriptAdd("file " + kind + " \"" + options.filter + "\" -> " +
                  (chosen ? "\"" + *chosen + "\"" : std::string("cancelled")));
    return chosen;
}

} // namespace ui
