#pragma once
// The names of the current code file and of the last saved memory block: the
// main window shows the first, setup files record it ("CodeFileName"), and
// "Save Code as" replaces it. The block saver keeps its own, so saving a
// memory block never changes which code file is current.

#include <cstdint>
#include <string>

namespace core {

struct FileNameParts {
    std::string directory; // with its trailing '/', empty for a bare name
    std::string name;      // file name with its extension
    std::string extension; // without the dot; empty when the name has none

    bool Empty() const { return name.empty(); }
    std::string FullPath() const { return directory + name; }
    void Clear();
    // Splits path at its last '/' and the name at its last '.'.
    void Set(const std::string& path);
};

struct CodeFileNamesState {
    FileNameParts CodeFile;  // CodeFilePath, CodeFileName and the code-file extension
    FileNameParts BlockFile; // the last block saved by CodeFileSaveBlockAs

    void Reset(); // both empty
};

extern CodeFileNamesState CodeFileNames;

} // namespace core
