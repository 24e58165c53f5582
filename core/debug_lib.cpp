#include "core/debug_lib.h"

#include "core/settings.h"
#include "platform/module_path.h"
#include "platform/prompt.h"
#include "platform/shared_library.h"

#include <filesystem>
#include <system_error>

namespace core {

DebugLibState DebugLib;

void DebugLibState::Reset() {
    platform::SharedLibraryClose(handle);
    *this = DebugLibState{};
}

namespace {

// A bare file name is looked for beside the program first, so the library
// installed with it wins over anything on the system's search path; the
// working directory is never searched.
void* OpenLibrary(const std::string& path) {
    if (path.find('/') == std::string::npos && !path.empty()) {
        const std::string dir = platform::ProgramDirectory();
        if (!dir.empty()) {
            const std::string beside = dir == "/" ? "/" + path : dir + "/" + path;
            std::error_code ec;
            if (std::filesystem::exists(beside, ec)) {
                return platform::SharedLibraryOpen(beside);
            }
        }
    }
    return platform::SharedLibraryOpen(path);
}

template <typename Fn> Fn Entry(const char* name) {
    if (DebugLib.loaded == 0 || DebugLib.handle == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Fn>(platform::SharedLibrarySymbol(DebugLib.handle, name));
}

int32_t Keep(int32_t status) {
    DebugLib.lastResult = status;
    return status;
}

} // namespace

void DebugLibSelectPath(int32_t choice) {
    switch (choice) {
    case 1:
        DebugLib.selectedPath = Settings.MSP430DLL1.substr(0, kDebugLibPathMax);
        break;
    case 2:
        DebugLib.selectedPath = Settings.MSP430DLL2.substr(0, kDebugLibPathMax);
        break;
    default:
        DebugLib.selectedPath = kDefaultDebugLibrary;
        break;
    }
}

int32_t DebugLibLoad() {
    DebugLibState& s = DebugLib;
    // File names on Linux differ by case, so the paths compare exactly.
    if (s.loadTried && s.selectedPath == s.loadedPath) {
        return s.loaded;
    }
    s.loadedPath = s.selectedPath;
    s.loadTried = true;
    // The old library goes before the new one loads; if the load fails no
    // wrapper may look anything up in it.
    platform::SharedLibraryClose(s.handle);
    s.handle = nullptr;
    s.loaded = 0;

    s.handle = OpenLibrary(s.selectedPath);
    if (s.handle == nullptr) {
        platform::ShowMessageBox("MSP430-xx.dll open error.\r\n" + s.selectedPath +
                                     "        --- Morvane Inc. --- \r\n ",
                                 "Error", platform::MB_OK | platform::MB_ICONERROR);
        return 0;
    }
    s.loaded = 1;
    return 1;
}

int32_t DebugLibLastResult() {
    return DebugLib.lastResult;
}

int32_t DebugLib_Initialize(const char* port, int32_t* version) {
    DebugLib.portName = std::string(port != nullptr ? port : "").substr(0, kDebugLibPortMax);
    DebugLibLoad();
    const auto f = Entry<decltype(&MSP430_Initialize)>("MSP430_Initialize");
    return Keep(f != nullptr ? f(DebugLib.portName.c_str(), version) : kDebugEntryMissing);
}

int32_t DebugLib_Close(int32_t vccOff) {
    const auto f = Entry<decltype(&MSP430_Close)>("MSP430_Close");
    return Keep(f != nullptr ? f(vccOff) : kDebugEntryMissing);
}

int32_t DebugLib_Identify(char* buffer, int32_t count, int32_t setId) {
    const auto f = Entry<decltype(&MSP430_Identify)>("MSP430_Identify");
    return Keep(f != nullptr ? f(buffer, count, setId) : kDebugEntryMissing);
}

int32_t DebugLib_Configure(int32_t mode, int32_t value) {
    const auto f = Entry<decltype(&MSP430_Configure)>("MSP430_Configure");
    return Keep(f != nullptr ? f(mode, value) : kDebugEntryMissing);
}

int32_t DebugLib_VCC(int32_t millivolts) {
    const auto f = Entry<decltype(&MSP430_VCC)>("MSP430_VCC");
    return Keep(f != nullptr ? f(millivolts) : kDebugEntryMissing);
}

int32_t DebugLib_Reset(int32_t method, int32_t execute, int32_t releaseJTAG) {
    const auto f = Entry<decltype(&MSP430_Reset)>("MSP430_Reset");
    return Keep(f != nullptr ? f(method, execute, releaseJTAG) : kDebugEntryMissing);
}

int32_t DebugLib_Erase(int32_t type, int32_t address, int32_t length) {
    const auto f = Entry<decltype(&MSP430_Erase)>("MSP430_Erase");
    return Keep(f != nullptr ? f(type, address, length) : kDebugEntryMissing);
}

int32_t DebugLib_Memory(int32_t address, char* buffer, int32_t count, int32_t rw) {
    const auto f = Entry<decltype(&MSP430_Memory)>("MSP430_Memory");
    return Keep(f != nullptr ? f(address, buffer, count, rw) : kDebugEntryMissing);
}

int32_t DebugLib_Secure() {
    const auto f = Entry<decltype(&MSP430_Secure)>("MSP430_Secure");
    return Keep(f != nullptr ? f() : kDebugEntryMissing);
}

int32_t DebugLib_Error_Number() {
    const auto f = Entry<decltype(&MSP430_Error_Number)>("MSP430_Error_Number");
    return Keep(f != nullptr ? f() : kDebugEntryMissing);
}

const char* DebugLib_Error_String(int32_t errorNumber) {
    const auto f = Entry<decltype(&MSP430_Error_String)>("MSP430_Error_String");
    return f != nullptr ? f(errorNumber) : nullptr;
}

int32_t DebugLib_VerifyMem(int32_t address, int32_t length, char* buffer) {
    const auto f = Entry<decltype(&MSP430_VerifyMem)>("MSP430_VerifyMem");
    return Keep(f != nullptr ? f(address, length, buffer) : kDebugEntryMissing);
}

int32_t DebugLib_EraseCheck(int32_t address, int32_t length) {
    const auto f = Entry<decltype(&MSP430_EraseCheck)>("MSP430_EraseCheck");
    return Keep(f != nullptr ? f(address, length) : kDebugEntryMissing);
}

int32_t DebugLib_GetNameOfUsbIf(int32_t index, char** name, int32_t* status) {
    const auto f = Entry<decltype(&MSP430_GetNameOfUsbIf)>("MSP430_GetNameOfUsbIf");
    return Keep(f != nullptr ? f(index, name, status) : kDebugEntryMissing);
}

int32_t DebugLib_GetNumberOfUsbIfs(int32_t* count) {
    const auto f = Entry<decltype(&MSP430_GetNumberOfUsbIfs)>("MSP430_GetNumberOfUsbIfs");
    return Keep(f != nullptr ? f(count) : kDebugEntryMissing);
}

int32_t DebugLib_FET_GetFwVersion(int32_t* version) {
    const auto f = Entry<decltype(&MSP430_FET_GetFwVersion)>("MSP430_FET_GetFwVersion");
    return Keep(f != nullptr ? f(version) : kDebugEntryMissing);
}

int32_t DebugLib_FET_FwUpdate(const char* file, MSP430_FwUpdateCallback callback, void* context) {
    const auto f = Entry<decltype(&MSP430_FET_FwUpdate)>("MSP430_FET_FwUpdate");
    return Keep(f != nullptr ? f(file, callback, context) : kDebugEntryMissing);
}

bool DebugLibHasEntry(const char* name) {
    return Entry<void (*)()>(name) != nullptr;
}

int32_t DebugLib_FET_FwImageVersion(int32_t* version) {
    using Fn = int32_t (*)(int32_t*);
    const auto f = Entry<Fn>("MSP430_FET_FwImageVersion");
    return Keep(f != nullptr ? f(version) : kDebugEntryMissing);
}

bool DebugLibraryHoldsFirmwareImage() {
    const DebugApi& api = DebugApiInUse();
    if (api.FET_FwUpdate == nullptr) {
        return false;
    }
    // A table of its own (in process, or a test's): its update entry is
    // what it has. One standing in front of the binding holds the
    // binding's entry, and the loaded library decides.
    if (api.FET_FwUpdate != &DebugLib_FET_FwUpdate) {
        return true;
    }
    if (!DebugLibHasEntry("MSP430_FET_FwUpdate")) {
        return false;
    }
    int32_t version = 0;
    const int32_t r = DebugLib_FET_FwImageVersion(&version);
    if (r == kDebugEntryMissing) {
        // It does not say: its update entry is all there is to go by.
        return true;
    }
    return r == kDebugOk && version > 0;
}

int32_t DebugLib_RegisterAccess(int32_t* value, int32_t reg, int32_t rw) {
    const auto f = Entry<decltype(&MSP430_RegisterAccess)>("MSP430_RegisterAccess");
    return Keep(f != nullptr ? f(value, reg, rw) : kDebugEntryMissing);
}

int32_t DebugLib_RunCpu(int32_t mode, int32_t releaseJTAG) {
    const auto f = Entry<decltype(&MSP430_RunCpu)>("MSP430_RunCpu");
    return Keep(f != nullptr ? f(mode, releaseJTAG) : kDebugEntryMissing);
}

int32_t DebugLib_CpuState(int32_t* state, int32_t stop, int32_t* cycles) {
    const auto f = Entry<decltype(&MSP430_CpuState)>("MSP430_CpuState");
    return Keep(f != nullptr ? f(state, stop, cycles) : kDebugEntryMissing);
}

int32_t DebugLib_ReadSupply(int32_t* millivolts) {
    const auto f = Entry<decltype(&MSP430_ReadSupply)>("MSP430_ReadSupply");
    return Keep(f != nullptr ? f(millivolts) : kDebugEntryMissing);
}

const DebugApi& DebugLibApi() {
    static const DebugApi api{
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments) DebugLib_##name,
#include "core/debug_entries.def"
    };
    return api;
}

} // namespace core
