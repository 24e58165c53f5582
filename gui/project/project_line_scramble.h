#pragma once
// The line filter the project module puts into core::ProjectLineWrite: while
// a project is written (ProjectScrambleOn 1) each line is cut to 400
// characters and scrambled; otherwise the line is written as it is.

#include <cstddef>
#include <string>
#include <string_view>

namespace gui {

inline constexpr size_t kProjectLineMax = 400; // characters before the line end

// The filter itself: with ProjectScrambleOn 1, out = the line's first 400
// characters with the line's own end (its trailing CR and LF) kept,
// scrambled; returns true. Otherwise false and out untouched.
bool ProjectLineScramble(std::string_view line, std::string& out);

// Installs ProjectLineScramble as the core's line filter (again is harmless).
void ProjectLineScrambleInstall();

} // namespace gui
