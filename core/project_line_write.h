#pragma once
// The one way the code-record and setup-key writers put a line into a file.
// Outside a project save it is a plain write; the project file writer hooks
// its line scrambling in here, so every writer's lines reach a project file
// the same way.

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace core {

// Writes line (with its own line end) to file. Returns 1 when every byte was
// written, 0 when the write failed (or file is null).
int32_t ProjectLineWrite(std::string_view line, std::FILE* file);

} // namespace core
