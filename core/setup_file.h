#pragma once
// Setup files ("*.cfg") and "config.ini": a header line, then the key lines
// of core/setup_keys.h; "config.ini" also keeps the recent setup files, and
// both may name the current code file.

#include <cstdint>
#include <string>

namespace core {

// Flags of SetupFileWrite and SetupFileRead.
inline constexpr int32_t kSetupCodeFileLine = 0x01; // the "CodeFileName" line
inline constexpr int32_t kSetupRecentFiles = 0x10;  // "config.ini": the SetupFileX1..4 lines

inline constexpr const char* kSetupFileHeader = ";============= MSP430Fxx setup =============\r\n";

struct SetupFileState {
    std::string CurrentSetupPath; // the setup file last saved (or made current by the caller)

    void Reset() { *this = SetupFileState{}; }
};

extern SetupFileState SetupFiles;

// Writes the setup file at path, replacing it as a whole. Without
// kSetupRecentFiles the path becomes the current setup and the first of the
// recent ones once it is written. A file that cannot be written shows "Open
// File or Write File Error" with the path (caption "Error") and keeps the old
// file. Returns 1 written, 0 not.
int32_t SetupFileWrite(int32_t flags, const std::string& path);

// Reads the setup file at path: the code image is cleared, then each line is
// a SetupFileX line (with kSetupRecentFiles), the "CodeFileName" line (with
// kSetupCodeFileLine: the named file becomes the current code file, to be
// loaded by the caller; a line naming none clears it) or a key line. A file
// that cannot be opened shows "Open File or Read File Error" with the path
// (caption "Error") and changes nothing. Returns 1 read, 0 not.
int32_t SetupFileRead(int32_t flags, const std::string& path);

// Puts path first in the recent setups (Settings.RecentSetups), dropping an
// older entry of the same path and the empty ones; the oldest falls off.
void RecentSetupEnter(const std::string& path);

} // namespace core
