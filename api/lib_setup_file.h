#pragma once
// The library's setup reader: a setup file or "config.ini" read over the
// library's key tables, and with flag bit 0 the code and password files it
// names loaded after it.

#include <cstdint>
#include <string>

namespace api {

inline constexpr int32_t kSetupNamedFiles = 0x01; // "CodeFileName" and "PasswFileName" lines
inline constexpr int32_t kSetupStartUp = 0x11;    // the flags of "config.ini" at start-up

// Reads the setup file at path: the code image and BSL password are
// cleared, each line is a key line (or, with kSetupNamedFiles, names the
// code or password file). Afterwards the settings are clamped, the device
// row selected, Interface derived from InterfaceType, and the named files
// loaded. 1 read; 8 when the file cannot be opened ("Setup File Open
// error" reported; the settings are still clamped).
int32_t SetupFileLoad(int32_t flags, const std::string& path);

// A host that named no file (a null path): as a file that cannot be
// opened, its path shown as "(null)"; 8.
int32_t SetupFileLoadNoPath();

} // namespace api
