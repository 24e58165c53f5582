#pragma once
// Writing a project file: the tag lines, the protection mode, the token line,
// the lock options, every setup key with the BSL password, the code image as
// Intel HEX and the CRC line, each line scrambled.

#include <cstdint>
#include <string>

namespace gui {

// The text of the project file's first lines and sections.
inline constexpr const char* kProjectToken = "CabinetKeepsOrderlyLedgers"; // 26 characters
inline constexpr const char* kProjectCompanyLine = "Morvane Inc.";
inline constexpr const char* kProjectTitleLine = "Programmers Project File";

// ProjectKey for the next save by ProjectModeSetting: the password (mode 2),
// the PC number (mode 3) or empty.
void ProjectKeySetForSave();

// The key of the token line: ProjectUnlockPassword when the lock options
// hold both "Locked Project" and "UnLock with password", else empty.
std::string ProjectUnlockKey();

// Writes the project at path with ProjectTargetTag, programName,
// ProjectModeSetting, ProjectKey and ProjectLockOptionsSetting, replacing the
// file as a whole. When it cannot be written, shows "Open File or Write File
// Error" with the path (caption "Error"), keeps the old file and returns 0.
// Returns 1 when written. Scrambling and the CRC mode end with it, whatever
// the result.
int32_t ProjectWrite(const std::string& path, const std::string& programName);

} // namespace gui
