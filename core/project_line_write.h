#pragma once
// The one way the code-record and setup-key writers put a line into a file.
// Outside a project save it is a plain write; the project file writer hooks
// its line scrambling in here, so every writer's lines reach a project file
// the same way.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace core {

// A filter over every line ProjectLineWrite writes: it returns true and puts
// the text to write in out, or false to let the line be written as it is.
// The caller's line is never changed.
using ProjectLineFilter = bool (*)(std::string_view line, std::string& out);

// Installs filter (nullptr removes it). The filter stays until replaced.
void ProjectLineFilterInstall(ProjectLineFilter filter);

// Writes line (with its own line end) to file, through the installed filter.
// Returns 1 when every byte was written, 0 when the write failed (or file
// is null).
int32_t ProjectLineWrite(std::string_view line, std::FILE* file);

} // namespace core
