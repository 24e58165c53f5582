#include "core/out_convert.h"

#include "core/code_file_load.h"
#include "core/code_line_parse.h"
#include "core/code_store.h"
#include "core/file_util.h"
#include "platform/process.h"
#include "platform/prompt.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace core {

namespace {

namespace fs = std::filesystem;

void ConverterMissing(const std::string& tool) {
    const std::string text =
        "Open File Error:\r\n\r\n" + tool + "\r\n\r\n" +
        "The hex430.exe utility file allows to convert the *.out file to Intel *.hex format.\r\n" +
        "From the pull-down menu please select the Setup->Preferences\r\n" +
        "and in the 'TI HEX Conversion Utility' group enter the location of the hex430.exe "
        "utility file.\r\n" +
        "By default the hex430.exe file is located in the Code Composer Essentials directory.\r\n";
    platform::ShowMessageBox(text, "Error - hex430.exe file not found",
                             platform::MB_OK | platform::MB_ICONERROR);
}

int32_t ConversionFailed(const std::string& input, const std::string& reason) {
    platform::ShowMessageBox("Conversion Error:\r\n\r\n" + input + "\r\n\r\n" + reason + "\r\n",
                             "Error", platform::MB_OK | platform::MB_ICONERROR);
    return 0;
}

// Why the run did not convert, or empty when it did.
std::string RunFault(const platform::RunResult& run, const std::string& tool) {
    if (!run.started) {
        return "The conversion utility could not be started:\r\n" + tool;
    }
    if (run.signal != 0) {
        return "The conversion utility was ended by signal " + std::to_string(run.signal) + ".";
    }
    if (run.exitStatus != 0) {
        return "The conversion utility ended with exit code " + std::to_string(run.exitStatus) +
               ".";
    }
    return {};
}

} // namespace

int32_t OutFileConvertToHex(std::string& path) {
    const std::string& tool = CodeLoad.TOOL1_filename;
    if (FileCanOpen(tool, kOpenReadShareDenyWrite) == 0) {
        ConverterMissing(tool);
        return 0;
    }
    const fs::path input(path);
    const std::string extension = input.extension().string();
    if (CodeFileFormatFromExt(extension.empty() ? extension : extension.substr(1)) != kFormatOut) {
        return 1;
    }
    const std::string name = input.stem().string();
    const fs::path directory = input.parent_path();
    const fs::path output = directory / (name + ".hex");

    // The output of an earlier run may be there already; only a file this
    // run wrote counts, whatever its time says against the input's.
    std::error_code ec;
    const fs::file_time_type before = fs::last_write_time(output, ec);
    const bool existedBefore = !ec;

    const std::vector<std::string> argv{tool, "-romwidth=8",         "-memwidth=8",
                                        "-i", "-o=" + name + ".hex", name + extension};
    const platform::RunResult run = platform::RunAndWait(argv, directory.string());
    const std::string fault = RunFault(run, tool);
    if (!fault.empty()) {
        return ConversionFailed(path, fault);
    }
    const fs::file_time_type outTime = fs::last_write_time(output, ec);
    if (ec || !fs::is_regular_file(output, ec)) {
        return ConversionFailed(path, "The conversion utility left no output file:\r\n" +
                                          output.string());
    }
    const fs::file_time_type inTime = fs::last_write_time(input, ec);
    if (ec) {
        return ConversionFailed(path, "The *.out file cannot be read.");
    }
    if (outTime < inTime) {
        return ConversionFailed(path, "The output file is older than the *.out file:\r\n" +
                                          output.string());
    }
    if (existedBefore && outTime == before) {
        return ConversionFailed(path, "The conversion utility did not write the output file:\r\n" +
                                          output.string());
    }
    path = output.string();
    return 1;
}

} // namespace core
