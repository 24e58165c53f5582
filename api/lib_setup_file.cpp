#include "api/lib_setup_file.h"

#include "api/api_state.h"
#include "api/lib_code_files.h"
#include "api/lib_setup_keys.h"
#include "api/report_log.h"
#include "core/code_file_load.h"
#include "core/code_image.h"
#include "core/device_select.h"
#include "core/line_reader.h"
#include "core/passwords.h"
#include "core/settings.h"
#include "core/setup_keys.h"
#include "platform/ascii.h"
#include "platform/file.h"

#include <cstring>
#include <string_view>

namespace api {

namespace {

constexpr int32_t kFormatTiTxt = 1;
constexpr int32_t kFormatOut = 6;

// The path on a "CodeFileName" or "PasswFileName" line: after the extension
// and the bare name, up to the end of the line. Empty when there is none.
std::string NamedPath() {
    const size_t lead = std::strspn(core::LineReader.line, " \t\v\f\r,=");
    std::memmove(core::LineReader.line, core::LineReader.line + lead,
                 std::strlen(core::LineReader.line + lead) + 1);
    if (core::LineSkipPastNamedFile() != 1) {
        return {};
    }
    return core::SetupValueRestOfLine(core::LineReader.line);
}

// The format of a named file by its extension: an unknown one is read as
// TI-TXT; ".out" cannot be converted here and so is no valid code file.
int32_t NamedFormat(const core::FileNameParts& file) {
    const int32_t format = core::CodeFileFormatOfExt(file.extension);
    if (format == kFormatOut) {
        return 0;
    }
    return format == 0 ? kFormatTiTxt : format;
}

bool Named(const core::FileNameParts& file) {
    return !file.extension.empty() && !file.name.empty();
}

void ClampAndSelect() {
    core::SettingsState& s = core::Settings;
    if (s.SelectedProcessorIndex > LibSettings.DeviceCount || s.SelectedProcessorIndex < 0) {
        s.SelectedProcessorIndex = 0;
    }
    if (s.EraseFlashStart < 0x1100 || s.EraseFlashStart > 0x45BFF) {
        s.EraseFlashStart = 0x1100;
    }
    if (s.EraseFlashStop < 0x1100 || s.EraseFlashStop > 0x45BFF) {
        s.EraseFlashStop = 0x45BFF;
    }
    core::DeviceSelectByIndex();
}

// A file that cannot be opened, shown by its path: reported, and the
// settings clamped all the same.
int32_t OpenFailed(std::string_view shown) {
    ReportOpenError("Setup File Open error\r\n", shown);
    ClampAndSelect();
    return kFileCannotOpen;
}

} // namespace

int32_t SetupFileLoad(int32_t flags, const std::string& path) {
    const bool named = (flags & kSetupNamedFiles) != 0;
    platform::File file(path, platform::FileModeRead | platform::FileShareDenyWrite);
    if (!file.IsOpen()) {
        return OpenFailed(path);
    }
    core::LineReaderReset();
    core::CodeImageClear();
    core::PasswordClear();
    LibSettings.PasswordLoaded = 0;
    bool codeNamed = false;
    bool passwordNamed = false;
    while (core::LineReadFromFile(' ', file.get()) != 0) {
        const std::string_view token = LibLineFirstToken(core::LineReader.line);
        if (token.empty()) {
            continue;
        }
        if (named && platform::BeginsNoCase(token, "CodeFileName")) {
            LibFileNames.CodeFile.Set(NamedPath());
            codeNamed = true;
            continue;
        }
        if (named && platform::BeginsNoCase(token, "PasswFileName")) {
            LibFileNames.PasswordFile.Set(NamedPath());
            passwordNamed = true;
            continue;
        }
        LibKeyLineParse(core::LineReader.line);
    }
    file.Close();
    ClampAndSelect();
    LibInterfaceDerive();
    if (codeNamed && Named(LibFileNames.CodeFile)) {
        ReadCodeFile(NamedFormat(LibFileNames.CodeFile), LibFileNames.CodeFile.FullPath());
    }
    if (passwordNamed && Named(LibFileNames.PasswordFile)) {
        ReadPasswFile(NamedFormat(LibFileNames.PasswordFile), LibFileNames.PasswordFile.FullPath());
    }
    return kFileLoaded;
}

int32_t SetupFileLoadNoPath() {
    return OpenFailed(kNoPathShown);
}

} // namespace api
