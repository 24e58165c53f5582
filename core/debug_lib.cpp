#include "core/debug_lib.h"

#include "core/settings.h"
#include "platform/module_path.h"
#include "platform/prompt.h"
#include "platform/shared_library.h"

#include <filesystem>
#include <system_error>
#include <type_traits>
#include <utility>

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

DebugStatus Keep(DebugStatus status) {
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

DebugStatus DebugLibLastResult() {
    return DebugLib.lastResult;
}

namespace {

// Calls entry `Member` of the loaded library by its exported name, with the
// arguments unchanged; without a library or without the entry it gives what
// a missing entry gives. Every status is kept for DebugLibLastResult.
template <auto Member> struct Forward {
    using Fn = std::remove_reference_t<decltype(std::declval<DebugApi&>().*Member)>;
    const char* entry;

    template <typename... Args> auto operator()(Args... args) const {
        const Fn f = Entry<Fn>(entry);
        using Result = decltype(f(args...));
        if constexpr (std::is_pointer_v<Result>) {
            return f != nullptr ? f(args...) : DebugEntryMissing<Result>();
        } else {
            return Keep(f != nullptr ? f(args...) : DebugEntryMissing<Result>());
        }
    }
};

// Initialize is the one that is more than a forward: it keeps the port
// name (cut to its 20 characters, the copy the library gets) and loads the
// library first.
template <> struct Forward<&DebugApi::Initialize> {
    const char* entry;

    int32_t operator()(const char* port, int32_t* version) const {
        DebugLib.portName = std::string(port != nullptr ? port : "").substr(0, kDebugLibPortMax);
        DebugLibLoad();
        const auto f = Entry<decltype(&MSP430_Initialize)>(entry);
        return Keep(f != nullptr ? f(DebugLib.portName.c_str(), version) : kDebugEntryMissing);
    }
};

} // namespace

#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses)                               \
    result DebugLib_##name parameters {                                                            \
        return Forward<&DebugApi::name>{"MSP430_" #name} arguments;                                \
    }
#include "core/debug_entries.def"

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

const DebugApi& DebugLibApi() {
    static const DebugApi api{
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses) DebugLib_##name,
#include "core/debug_entries.def"
    };
    return api;
}

} // namespace core
