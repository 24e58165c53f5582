#include "gui/code_file_actions.h"
#include "platform/ascii.h"

#include "core/code_file_filter.h"
#include "core/code_file_load.h"
#include "core/code_file_names.h"
#include "core/code_image.h"
#include "core/code_store.h"
#include "core/out_convert.h"
#include "core/passwords.h"
#include "gui/main_controls.h"
#include "gui/main_ids.h"
#include "gui/main_window_state.h"
#include "gui/procedure_frame.h"
#include "gui/window_facts.h"
#include "platform/prompt.h"
#include "ui/file_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>

namespace gui {

namespace {

constexpr uint32_t kWarningBox = platform::MB_OK | platform::MB_ICONWARNING; // 0x30
constexpr uint32_t kErrorBox = platform::MB_OK | platform::MB_ICONERROR;     // 0x10

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Lower3(const std::string& extension) {
    std::string e = extension.substr(0, 3);
    std::transform(e.begin(), e.end(), e.begin(),
                   [](unsigned char c) { return static_cast<char>(platform::AsciiLower(c)); });
    return e;
}

int32_t UsedCount(int32_t mode) {
    const core::ImageBytes& image =
        mode == kCodeReadProgram ? core::Images.ProgramImage : core::Images.CodeImage;
    return static_cast<int32_t>(std::count(image.used, image.used + core::kImageSize, 1));
}

} // namespace

void CodeFileOpen() {
    ui::FileDialogOptions o;
    o.open = true;
    o.filter = core::CodeFileOpenFilter();
    o.initialDir = core::CodeFileNames.CodeFile.directory;
    const std::optional<std::string> path = ui::FileDialog(o);
    if (path) {
        CodeFileReadAndReport(kCodeReadCurrent, *path);
    }
}

int32_t CodeFileReadAndReport(int32_t mode, const std::string& path) {
    core::FileNameParts parts;
    parts.Set(path);
    if (Lower3(parts.extension) == "prj" && parts.extension.size() >= 3) {
        return -1;
    }
    // "Source:" follows the code image (window_facts.h): a read that cannot
    // start leaves both as they were.
    if (path.size() < 3) {
        return 0;
    }
    int32_t format = core::CodeFileFormatFromExt(parts.extension);
    std::string readPath = path;
    if (format == 6) {
        ReportAppend("Converting file " + parts.name);
        const int32_t converted = core::OutFileConvertToHex(readPath);
        ReportDoneFailed(converted);
        if (converted != 1) {
            return converted;
        }
        // The converter's output is Intel HEX.
        format = core::CodeFileFormatFromExt("hex");
    }
    File file(std::fopen(readPath.c_str(), "rb"));
    if (!file) {
        // Nothing read, nothing changed: the image is what it was.
        TimedMessageBox("Open File or Read File Error\r\n\r\n" + path, "Error", kWarningBox);
        return 0;
    }
    const std::string display =
        path.size() > 35 ? path.substr(0, 35) + "....\\" + parts.name : path;
    if (mode == kCodeReadCurrent) {
        core::CodeFileNames.CodeFile.Clear();
        MainWindowSetText(kMainCodeFileNameEdit, "");
        MainWindowSetText(kMainCodeFilePathEdit, "");
    }
    int32_t r = 0;
    if (format == 0) {
        TimedMessageBox(display + " \r\n\r\nThis in not a valid Code File", "Warning", kWarningBox);
        if (mode != kCodeReadProgram) {
            core::CodeImageClear();
        }
    } else {
        ReportAppend("Reading Code File ........................");
        const int32_t target =
            mode == kCodeReadProgram ? core::kStoreProgramImage : core::kStoreCodeImage;
        r = core::CodeFileLoad(target, format, file.get(), readPath);
        ReportDoneFailed(r);
        const int32_t used = UsedCount(mode);
        char line[80];
        std::snprintf(line, sizeof line, "-- Code size = 0x%4.4X ( %1.1i ) bytes\r\n",
                      static_cast<unsigned>(used), used);
        ReportAppend(line);
        if (r != 1) {
            // Why, under it: the bad line with its number and fault, the
            // UBROF reader's message, a file cut short.
            const std::string& why = core::CodeLoad.CodeLoadFailure;
            if (!why.empty()) {
                ReportAppend("   " + why + "\r\n");
            }
            TimedMessageBox("The Code File \r\n\r\n" + display +
                                " \r\n\r\nis invalid. Reading terminated !!" +
                                (why.empty() ? "" : "\r\n\r\n" + why),
                            "Error", kErrorBox);
        }
        if (mode != kCodeReadProgram) {
            // A file without records loads, but leaves nothing to program.
            core::Images.CodeImageHasData = (r == 1 && used > 0) ? 1 : 0;
        }
    }
    if (r == 1 && mode != kCodeReadReload) {
        std::string warning;
        if (core::CodeFileWarningText(parts.name, warning)) {
            ReportAppend(core::CodeLoad.CodeLoadReport);
            core::CodeLoad.CodeLoadReport.clear();
            TimedMessageBox(warning, "Warning", kWarningBox);
        }
        if (mode == kCodeReadCurrent && core::CodeImageFitsDevice() != 1) {
            TimedMessageBox("Code size exceeds FLASH memory\r\navailable on the microcontroller."
                            "\r\n\r\nCheck the code file \r\nor change the microcontroller."
                            "\r\n\r\nExcess data will be ignored.",
                            "Warning", kWarningBox);
        }
    }
    if (r == 1 && mode == kCodeReadCurrent) {
        core::CodeFileNames.CodeFile.Set(path);
        MainWindowSetText(kMainCodeFileNameEdit, parts.name);
        MainWindowSetText(kMainCodeFilePathEdit, parts.directory);
    }
    file.reset();
    if (mode != kCodeReadProgram) {
        // The code image is the file's now (or was cleared): its checksum,
        // none of the last image's.
        WindowFactsShow(kImageChanged);
        MainDialogRefresh();
        core::PasswordFromCodeImage();
    }
    return r;
}

} // namespace gui
