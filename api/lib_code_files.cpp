#include "api/lib_code_files.h"

#include "api/api_state.h"
#include "api/report_log.h"
#include "core/code_file_load.h"
#include "core/code_image.h"
#include "core/code_store.h"
#include "core/device_select.h"
#include "core/memory_map.h"
#include "core/passwords.h"
#include "core/settings.h"
#include "platform/file.h"

namespace api {

namespace {

constexpr char kNotValid[] = "   This in not a valid Code File\r\n";
constexpr char kNoCode[] = "   The Code File holds no code\r\n";
constexpr char kCodeOpenError[] = "Code File Open error\r\n";
constexpr char kPasswordOpenError[] = "Password File Open error\r\n";
constexpr int32_t kFirstFormat = 1; // TI-TXT
constexpr int32_t kLastFormat = 5;  // ".a43"

// Why the load failed (the bad line with its number and fault, the UBROF
// reader's message, a file cut short): the host's report shows it.
void ReportLoadFailure() {
    if (!core::CodeLoad.CodeLoadFailure.empty()) {
        ReportAppend("   " + core::CodeLoad.CodeLoadFailure + "\r\n");
    }
}

bool FormatValid(int32_t format) {
    return format >= kFirstFormat && format <= kLastFormat;
}

int32_t LoadWarnings() {
    const core::CodeLoadWarningFlags& w = core::CodeLoad.CodeLoadWarnings;
    int32_t bits = 0;
    bits |= w.dataInRom != 0 ? kFileWarnRom : 0;
    bits |= w.dataInRam != 0 ? kFileWarnRam : 0;
    bits |= w.dataOutsideFlash != 0 ? kFileWarnOutside : 0;
    bits |= w.dataOverwritten != 0 ? kFileWarnTwice : 0;
    return bits;
}

// Code the selected device has no memory for: the fit check against the
// device row selected now, whatever a procedure selected before. The
// selection is only looked at, not left behind.
int32_t FitWarning() {
    const core::SelectedDeviceState device = core::SelectedDevice;
    const core::MemoryMapState map = core::MemoryMap;
    const int32_t index = core::Settings.SelectedProcessorIndex;
    core::DeviceSelectByIndex();
    const bool fits = core::CodeImageFitsDevice() == 1;
    core::SelectedDevice = device;
    core::MemoryMap = map;
    core::Settings.SelectedProcessorIndex = index;
    return fits ? 0 : kFileWarnOutside;
}

} // namespace

int32_t ReadCodeFile(int32_t format, const std::string& path) {
    platform::File file(path, platform::FileModeRead | platform::FileShareDenyWrite);
    if (!file.IsOpen()) {
        ReportOpenError(kCodeOpenError, path);
        return kFileCannotOpen;
    }
    if (!FormatValid(format)) {
        // The host asked for this file instead of the code it had: none of
        // the old code may be programmed in its place.
        core::CodeImageClear();
        ReportAppend(kNotValid);
        return kFileNotValid;
    }
    ReportAppend("Reading Code File ........................");
    const int32_t loaded = core::CodeFileLoad(core::kStoreCodeImage, format, file.get(), path);
    ReportVerdict(loaded);
    int32_t result;
    if (loaded == 1) {
        result = kFileLoaded;
    } else {
        result = kFileNotValid;
        ReportAppend(kNotValid);
        ReportLoadFailure();
        core::CodeImageClear();
    }
    result |= LoadWarnings() | FitWarning();
    const bool told = (result & kFileWarnOutside) != 0 && core::Images.CodeImageHasData != 0;
    Lib.CodeOutsideToldRow = told ? core::Settings.SelectedProcessorIndex : -1;
    Lib.CodeOutsideToldImage = core::Images.CodeImageGeneration;
    // An image without a single byte is no code to program; a file that
    // loaded so says it.
    if (core::CodeImageUsedCount() == 0) {
        core::Images.CodeImageHasData = 0;
        if (loaded == 1) {
            ReportAppend(kNoCode);
        }
    }
    core::PasswordFromCodeImage();
    return result;
}

bool CodeOutsideDeviceTold() {
    return Lib.CodeOutsideToldRow >= 0 &&
           Lib.CodeOutsideToldRow == core::Settings.SelectedProcessorIndex &&
           Lib.CodeOutsideToldImage == core::Images.CodeImageGeneration;
}

int32_t ReadPasswFile(int32_t format, const std::string& path) {
    platform::File file(path, platform::FileModeRead | platform::FileShareDenyWrite);
    if (!file.IsOpen()) {
        ReportOpenError(kPasswordOpenError, path);
        return kFileCannotOpen;
    }
    if (!FormatValid(format)) {
        ReportAppend(kNotValid);
        return kFileNotValid;
    }
    ReportAppend("Reading Password File ...................");
    const int32_t loaded = core::CodeFileLoad(core::kStorePassword, format, file.get(), path);
    ReportVerdict(loaded);
    if (loaded != 1) {
        ReportLoadFailure();
        LibSettings.PasswordLoaded = 0;
        return kFileNotValid;
    }
    if (PasswordCompleteCheck() == 0) {
        ReportAppend(" Warning!!  - Password not found \r\n");
        return kFileNoPassword;
    }
    return kFileLoaded;
}

int32_t ReadCodeFileNoPath() {
    ReportOpenError(kCodeOpenError, kNoPathShown);
    return kFileCannotOpen;
}

int32_t ReadPasswFileNoPath() {
    ReportOpenError(kPasswordOpenError, kNoPathShown);
    return kFileCannotOpen;
}

int32_t PasswordCompleteCheck() {
    bool complete = true;
    for (int32_t i = 2; i < core::kPasswordSize; ++i) {
        complete = complete && core::Passwords.BslPassword[i] >= 0;
    }
    LibSettings.PasswordLoaded = complete ? 1 : 0;
    return LibSettings.PasswordLoaded;
}

} // namespace api
