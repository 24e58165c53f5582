#pragma once
// Where the running program lives (used to find files installed beside it).

#include <string>

namespace platform {

// Absolute path of the running program; empty when it cannot be found.
std::string ProgramPath();

// Directory of the running program, without a trailing '/' (except for "/").
// Returns the override when one is set.
std::string ProgramDirectory();

// Makes ProgramDirectory() return dir; an empty dir removes the override.
void SetProgramDirectoryOverride(const std::string& dir);

} // namespace platform

namespace platform {

// Absolute path of the file (program or shared object) whose code or data
// holds address; empty when it cannot be found.
std::string ModulePathOf(const void* address);

} // namespace platform
