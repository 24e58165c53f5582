#include "core/setup_file.h"

#include "core/atomic_write.h"
#include "core/code_file_names.h"
#include "core/code_image.h"
#include "core/line_reader.h"
#include "core/project_line_write.h"
#include "core/settings.h"
#include "core/setup_keys.h"
#include "platform/ascii.h"
#include "platform/file.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace core {

SetupFileState SetupFiles;

namespace {

// The first token of text (up to a separator) and where the text after it
// and its separators begins.
std::string_view FirstToken(std::string_view text, std::string_view& rest) {
    size_t i = 0;
    while (i < text.size() && IsLineSeparator(text[i])) {
        ++i;
    }
    const size_t start = i;
    while (i < text.size() && !IsLineSeparator(text[i])) {
        ++i;
    }
    const std::string_view token = text.substr(start, i - start);
    while (i < text.size() && IsLineSeparator(text[i])) {
        ++i;
    }
    rest = text.substr(i);
    return token;
}

// "SetupFileX1".."SetupFileX4": the slot 0..3, else -1.
int32_t RecentSlot(std::string_view token) {
    constexpr std::string_view kName = "SetupFileX";
    if (token.size() != kName.size() + 1 ||
        !platform::EqualNoCase(token.substr(0, kName.size()), kName)) {
        return -1;
    }
    const char d = token.back();
    return (d >= '1' && d <= '4') ? d - '1' : -1;
}

int32_t WriteBody(int32_t flags, std::FILE* f) {
    int32_t ok = ProjectLineWrite(kSetupFileHeader, f);
    ok &= ProjectLineWrite("\r\n", f);
    if (flags & kSetupRecentFiles) {
        for (int32_t i = 0; i < 4; ++i) {
            ok &= ProjectLineWrite("SetupFileX" + std::to_string(i + 1) + "\t\t" +
                                       Settings.RecentSetups[i] + "   \r\n",
                                   f);
        }
    }
    if (flags & kSetupCodeFileLine) {
        // Written whole: a name or path cut short would name another file.
        const FileNameParts& code = CodeFileNames.CodeFile;
        const bool shown = !code.Empty();
        ok &= ProjectLineWrite("CodeFileName\t\t" + (shown ? code.extension : "") + "   " +
                                   (shown ? code.name : "") + "   " +
                                   (shown ? code.FullPath() : "") + "\r\n",
                               f);
    }
    ok &= SetupKeysWrite(0, f);
    return ok;
}

} // namespace

void RecentSetupEnter(const std::string& path) {
    std::vector<std::string> list{SetupValueRestOfLine(path)};
    for (const std::string& old : Settings.RecentSetups) {
        std::string name = SetupValueRestOfLine(old);
        if (!name.empty() && name != list.front()) {
            list.push_back(name);
        }
    }
    for (size_t i = 0; i < Settings.RecentSetups.size(); ++i) {
        Settings.RecentSetups[i] = i < list.size() ? list[i] : std::string();
    }
}

int32_t SetupFileWrite(int32_t flags, const std::string& path) {
    if (FileWriteAtomic(path, [flags](std::FILE* f) { return WriteBody(flags, f); }) != 1) {
        return 0;
    }
    if (!(flags & kSetupRecentFiles)) {
        SetupFiles.CurrentSetupPath = path;
        RecentSetupEnter(path);
    }
    return 1;
}

int32_t SetupFileRead(int32_t flags, const std::string& path) {
    platform::File file(path, platform::FileModeRead | platform::FileShareDenyWrite);
    if (!file.IsOpen()) {
        FileReadErrorBox(path);
        return 0;
    }
    CodeImageClear();
    LineReaderReset();
    while (LineReadFromFile(' ', file.get()) != 0) {
        // The line starts at its first token, as the token steps below expect.
        const size_t lead = std::strspn(LineReader.line, " \t\v\f\r,=");
        std::memmove(LineReader.line, LineReader.line + lead,
                     std::strlen(LineReader.line + lead) + 1);
        std::string_view rest;
        const std::string_view token = FirstToken(LineReader.line, rest);
        if (token.empty()) {
            continue;
        }
        if (flags & kSetupRecentFiles) {
            const int32_t slot = RecentSlot(token);
            if (slot >= 0) {
                Settings.RecentSetups[slot] = SetupValueRestOfLine(rest);
                continue;
            }
        }
        if ((flags & kSetupCodeFileLine) && platform::EqualNoCase(token, "CodeFileName")) {
            if (LineSkipPastNamedFile() == 1) {
                CodeFileNames.CodeFile.Set(SetupValueRestOfLine(LineReader.line));
            } else {
                CodeFileNames.CodeFile.Clear();
            }
            continue;
        }
        SetupKeyRead();
    }
    const bool readError = std::ferror(file.get()) != 0;
    if (readError) {
        FileReadErrorBox(path);
        return 0;
    }
    return 1;
}

} // namespace core
