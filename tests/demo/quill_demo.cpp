// quill-demo: programs and verifies a code image on the target behind an
// adapter port through the core's target layer and the debug library
// beside this program ("MSP430-TI.DLL"), printing each step as a report
// line. Without a code file it programs a small image of its own.

#include "core/code_file_load.h"
#include "core/code_image.h"
#include "core/code_store.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"
#include "core/program_image.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr char kUsage[] =
    "usage: quill-demo [--device NAME] [--port PORT] [CODEFILE]\n"
    "  --device NAME  the device-list row to program (default 149)\n"
    "  --port PORT    the adapter port, e.g. COM200 or HID0001 (default TIUSB: the first found)\n"
    "  CODEFILE       a TI-TXT, Intel HEX or Motorola file (default: a small image of its own)\n";

constexpr int32_t kVcc3000 = 4;   // VccIndex of 3.0 V
constexpr int32_t kEraseMain = 2; // FlashEraseModeIndex: main memory

// The step text padded with dots to one width, as the report lines are.
void Step(const std::string& action) {
    std::string line = action + " ";
    while (line.size() < 40) {
        line += '.';
    }
    std::printf("%s", line.c_str());
    std::fflush(stdout);
}

// The suffix of a step, and on a failure the debug library's reason.
bool Done(int32_t result, const char* passed = "done") {
    std::printf("...\t %s\n", result != 0 ? passed : "failed");
    if (result == 0) {
        const int32_t error = core::Debug_Error_Number();
        const char* text = core::Debug_Error_String(error);
        if (error > 0 && text != nullptr) {
            std::printf("    error %d: %s\n", error, text);
        }
    }
    return result != 0;
}

bool SelectDevice(const std::string& name) {
    if (core::DeviceTableParse(core::kDeviceFilterAll) != 1) {
        return false;
    }
    for (int32_t r = 1; r <= core::DeviceInfoTable.count; ++r) {
        const char* row = core::DeviceInfoTable.records[r].name;
        const size_t n = strnlen(row, sizeof core::DeviceInfoTable.records[r].name);
        std::string trimmed(row, n);
        while (!trimmed.empty() && trimmed.back() == ' ') {
            trimmed.pop_back();
        }
        if (trimmed == name) {
            core::Settings.SelectedProcessorIndex = r;
            core::DeviceSelectByIndex();
            return true;
        }
    }
    return false;
}

// A small program at the start of main flash (stop the watchdog, toggle
// P1.0 for ever), a table of 2 KiB after it and the reset vector, as
// TI-TXT text.
std::string DemoImage(uint32_t main_start) {
    std::string text;
    char line[64];
    auto hex_line = [&](const uint8_t* bytes, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            std::snprintf(line, sizeof line, i + 1 < count ? "%02X " : "%02X\n", bytes[i]);
            text += line;
        }
    };
    std::snprintf(line, sizeof line, "@%04X\n", main_start);
    text += line;
    const uint8_t code[] = {
        0x31, 0x40, 0x00, 0x0A,             // mov #0x0A00, SP
        0xB2, 0x40, 0x80, 0x5A, 0x20, 0x01, // mov #0x5A80, &WDTCTL
        0xD2, 0xD3, 0x22, 0x00,             // bis.b #1, &P1DIR
        0xD2, 0xE3, 0x21, 0x00,             // xor.b #1, &P1OUT
        0xFD, 0x3F,                         // jmp back to the xor
    };
    hex_line(code, sizeof code);
    std::snprintf(line, sizeof line, "@%04X\n", main_start + 0x100);
    text += line;
    for (uint32_t row = 0; row < 2048 / 16; ++row) {
        uint8_t bytes[16];
        for (uint32_t i = 0; i < 16; ++i) {
            bytes[i] = static_cast<uint8_t>((row * 16 + i) * 37 + 11);
        }
        hex_line(bytes, sizeof bytes);
    }
    text += "@FFFE\n";
    const uint8_t vector[2] = {static_cast<uint8_t>(main_start),
                               static_cast<uint8_t>(main_start >> 8)};
    hex_line(vector, sizeof vector);
    text += "q\n";
    return text;
}

bool LoadImage(const std::string& path) {
    if (path.empty()) {
        const std::string text = DemoImage(static_cast<uint32_t>(core::SelectedDevice.flashStart));
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
            fmemopen(const_cast<char*>(text.data()), text.size(), "r"), &std::fclose);
        return file != nullptr &&
               core::CodeFileLoad(core::kStoreCodeImage, 1, file.get(), "demo.txt") == 1;
    }
    const size_t dot = path.rfind('.');
    const int32_t format =
        core::CodeFileFormatFromExt(dot == std::string::npos ? "" : path.substr(dot + 1));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    return file != nullptr &&
           core::CodeFileLoad(core::kStoreCodeImage, format, file.get(), path) == 1;
}

// Every segment the programming image marks, by one operation.
template <class Operation> bool EachSegment(bool write, Operation op) {
    for (int32_t k = 0; k < core::SegmentTable.count; ++k) {
        const core::MemorySegment& s = core::SegmentTable.segments[k];
        if ((write ? s.needsWrite : s.needsCheck) != 0 && !op(s)) {
            return false;
        }
    }
    return true;
}

int Program() {
    Step("Connecting Programming Adapter");
    if (!Done(core::TargetOpen())) {
        return 1;
    }
    Step("Target power on (3.0 V)");
    if (!Done(core::TargetPowerSet(1))) {
        return 1;
    }
    Step("Identifying target");
    if (!Done(core::TargetIdentify())) {
        return 1;
    }
    std::printf("    %s %s%s\n", core::ConnectedDevice.name.c_str(),
                core::ConnectedDevice.version.c_str(),
                core::ConnectedDevice.match != 0 ? "" : " (not the selected device)");
    if (core::ConnectedDevice.match == 0) {
        return 1;
    }
    Step("Erasing main memory");
    if (!Done(core::ProgramImagePrepare(0, 0) == 1 && core::TargetErase() == 1 ? 1 : 0)) {
        return 1;
    }
    Step("Blank checking");
    if (!Done(core::TargetBlankCheck())) {
        return 1;
    }
    Step("Writing flash memory");
    const bool written = EachSegment(true, [](const core::MemorySegment& s) {
        return core::TargetWriteImageBlock(s.start, s.length) == core::kWriteOk;
    });
    if (!Done(written ? 1 : 0)) {
        return 1;
    }
    core::ProgramImageChecksum();
    Step("Verifying check sum");
    if (!Done(core::TargetVerifyChecksum(), "OK")) {
        return 1;
    }
    std::printf("    checksum 0x%8.8X\n", core::Images.ImageChecksum);
    Step("Verifying Flash Memory");
    core::ReadImageClear();
    const bool same = EachSegment(false, [](const core::MemorySegment& s) {
        return core::TargetVerifyRange(s.start, s.length) == 1;
    });
    if (!Done(same ? 1 : 0, "OK")) {
        return 1;
    }
    Step("Reset and start the application");
    return Done(core::TargetReset()) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // Every step line goes out as it is printed, behind a pipe too: the
    // line of a step that fails must not wait for the end of the program.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string device = "149";
    std::string port;
    std::string code_file;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--device" && i + 1 < argc) {
            device = argv[++i];
        } else if (a == "--port" && i + 1 < argc) {
            port = argv[++i];
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!a.empty() && a[0] != '-' && code_file.empty()) {
            code_file = a;
        } else {
            std::fprintf(stderr, "quill-demo: unknown argument: %s\n%s", a.c_str(), kUsage);
            return 2;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    core::Settings.Reset();
    if (!SelectDevice(device)) {
        std::fprintf(stderr, "quill-demo: no device %s in the device list\n", device.c_str());
        return 2;
    }
    core::Settings.CommPortIndex = 3; // USB
    core::Settings.Selected_UIF = port;
    core::Settings.VccIndex = kVcc3000;
    core::Settings.FlashEraseModeIndex = kEraseMain;
    std::string name = core::SelectedDevice.name;
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    // The row number lets the demo script select the same device in the
    // operator program's setup.
    std::printf("Device %s (device-list row %d), adapter %s, debug library %s\n", name.c_str(),
                core::Settings.SelectedProcessorIndex, port.empty() ? "TIUSB" : port.c_str(),
                "MSP430-TI.DLL");

    Step(code_file.empty() ? "Loading the demo image" : "Loading " + code_file);
    if (!Done(LoadImage(code_file) ? 1 : 0)) {
        return 1;
    }
    std::printf("    %d bytes\n", core::CodeImageUsedCount());

    const int status = Program();
    // The target is left unpowered and the adapter free, whatever happened;
    // an adapter that never connected is not connected again just for that.
    if (core::Target.TargetInterfaceOpen != 0) {
        core::TargetPowerSet(0);
    }
    core::TargetClose();
    if (status == 0) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf(" -------- D O N E --- ( run time =%6.1f sec.)\n", seconds);
    }
    return status;
}
