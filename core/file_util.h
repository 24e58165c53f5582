#pragma once
// Small file operations of the core: open probes, line-by-line copies and
// showing a text to the operator.

#include <cstdint>
#include <string>

namespace core {

// The framework's open flags used with FileCanOpen.
inline constexpr uint32_t kOpenReadShareDenyWrite = 0x20;
inline constexpr uint32_t kOpenCreateWrite = 0x1001;

// 1 when path opens with the open flags (it is closed again at once), else 0.
// Probing for writing neither truncates an existing file nor leaves a new
// one behind.
int32_t FileCanOpen(const std::string& path, uint32_t flags);

// Copies the text file path to path + suffix line by line (blank lines
// dropped, TABs expanded, each line ended by CR LF). Uses the line reader.
// The target is replaced as a whole: a failed copy leaves it as it was, and
// an empty suffix rewrites the file in place. Returns 1 when the copy was
// written completely, 0 otherwise.
int32_t TextFileCopyLines(const std::string& path, const std::string& suffix);

// Starts the text viewer on the file at path; returns 1 when it started.
int32_t TextFileShow(const std::string& path);

// Writes text to path (created or truncated) and starts the text viewer on
// it. A file error shows an "Error" box naming the file and starts nothing;
// a viewer that cannot be started leaves just the file.
void NotepadShowText(const std::string& text, const std::string& path);

} // namespace core
