#pragma once
// The main window's code-file commands: Open Code File and the read of a
// named code file with its report lines, used by the procedures, the
// start-up, the setup reads and the comparisons.

#include <cstdint>
#include <string>

namespace gui {

// Modes of CodeFileReadAndReport.
inline constexpr int32_t kCodeReadCurrent = 0; // becomes the current code file
inline constexpr int32_t kCodeReadProgram = 1; // into the programming image; current file kept
inline constexpr int32_t kCodeReadReload = 2;  // the current file read again

// The open-file dialog from the current code file's directory; the chosen
// file becomes the current one.
void CodeFileOpen();
// Reads path as a code file. 1 read, 0 failed (the code image then holds
// nothing in modes 0 and 2; a file that cannot be opened changes nothing),
// -1 the path is a project file. ".out" files are converted first and stay
// the current file, so that a reload converts them again.
int32_t CodeFileReadAndReport(int32_t mode, const std::string& path);

} // namespace gui
