#pragma once
// Open and Save-as file dialogs with the filters the application writes
// ("Text (*.txt)|*.txt|Any (*.*)|*.*||"): pairs of description and
// patterns (several patterns separated by ';'), matched without regard to
// case; "*.*" matches every file, with or without an extension.

#include <optional>
#include <string>
#include <vector>

namespace ui {

struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};

// Splits "desc|pat;pat|desc|pat||"; an odd trailing description is ignored.
std::vector<FileFilter> ParseFileFilter(const std::string& filter);
// Case-blind wildcard match of a file name (no directory) against one
// pattern: '*' any run, '?' one character, "*.*" everything.
bool FilterPatternMatches(const std::string& pattern, const std::string& fileName);
// True when any pattern of filter matches fileName.
bool FilterMatches(const FileFilter& filter, const std::string& fileName);

struct FileDialogOptions {
    bool open = true;            // false: Save as
    std::string title;           // "" for the back end's default
    std::string filter;          // as above
    int filterIndex = 0;         // filter shown first
    std::string defaultExt;      // without dot; added when the name has no extension
    std::string initialDir;      // "" for the working directory
    std::string fileName;        // proposed name (may hold a directory)
    bool overwritePrompt = true; // Save as: ask before replacing a file
    bool mustExist = true;       // Open: the file must exist
};

// The chosen path, or nothing when cancelled. Paths use '/'.
std::optional<std::string> FileDialog(const FileDialogOptions& options);

// Adds "." + defaultExt to path when its file name has no extension.
std::string WithDefaultExtension(const std::string& path, const std::string& defaultExt);

} // namespace ui
