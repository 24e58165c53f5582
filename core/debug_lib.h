#pragma once
// Quillbay's run-time binding of the debug library: the library file is
// chosen by a setting, loaded once per path, and every call looks its entry
// point up by name, so a library that lacks one fails that call (34) instead
// of refusing to load.

#include "core/debug_api.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace core {

inline constexpr const char* kDefaultDebugLibrary = "MSP430-TI.DLL";
inline constexpr size_t kDebugLibPathMax = 510;
inline constexpr size_t kDebugLibPortMax = 20;

struct DebugLibState {
    std::string selectedPath = kDefaultDebugLibrary;
    std::string loadedPath; // the path of the last load, whether it worked or not
    bool loadTried = false; // loadedPath holds a path
    void* handle = nullptr;
    int32_t loaded = 0;
    DebugStatus lastResult = kDebugOk; // DebugLibLastResult
    std::string portName;              // as passed to the last initialise, at most 20 characters

    // Frees a loaded library and selects the default one again.
    void Reset();
};

extern DebugLibState DebugLib;

// Selects the library file: 1 the setting MSP430DLL1, 2 MSP430DLL2 (each at
// most 510 characters), anything else "MSP430-TI.DLL". Loads nothing.
void DebugLibSelectPath(int32_t choice);

// Loads the selected library unless it is the one tried last; returns the
// loaded flag. A name without '/' is taken from the program's own directory
// when it is there, else from the system loader's search (never the working
// directory). A library that does not load is reported once with an "Error"
// box; every wrapper then returns 34.
int32_t DebugLibLoad();

// Status of the last wrapper call (34 when its entry point was missing).
DebugStatus DebugLibLastResult();

// The wrappers: each looks its MSP430_* entry up in the loaded library on
// every call and passes the arguments unchanged; without a library or
// without the entry it returns 34 (DebugLib_Error_String: nullptr). All but
// DebugLib_Error_String keep their status in DebugLibLastResult.
// DebugLib_Initialize keeps the port name (20 characters) and loads the
// library first.
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses)                               \
    result DebugLib_##name parameters;
#include "core/debug_entries.def"

// The table of the wrappers above.
const DebugApi& DebugLibApi();

// Whether the loaded library has the entry point of that name.
bool DebugLibHasEntry(const char* name);
// "MSP430_FET_FwImageVersion", which a library may have besides the entries
// above: the version of the adapter firmware image it carries (0: none);
// 34 without the entry.
int32_t DebugLib_FET_FwImageVersion(int32_t* version);

// Whether the debug library in use can update the adapter's firmware, as
// it says itself: the binding needs the update entry, and when it has
// "MSP430_FET_FwImageVersion" that must name an image (a version above 0);
// another table (in process, or one standing in front of the binding)
// needs its update entry. Nothing reaches the adapter.
bool DebugLibraryHoldsFirmwareImage();

} // namespace core
