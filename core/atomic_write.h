#pragma once
// Writing a whole text file of the core (setup file, code file) so that it is
// either replaced completely or left as it was, with the operator's error box
// when it cannot be written.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace core {

// The error boxes of the core's file writers and readers (caption "Error").
void FileWriteErrorBox(const std::string& path); // "Open File or Write File Error\r\n\r\n" + path
void FileReadErrorBox(const std::string& path);  // "Open File or Read File Error\r\n\r\n" + path

// Runs body on a temporary file beside path and, when body returns 1 and
// every write reached the disk, puts it in place of path. Otherwise path
// keeps its old contents (or stays absent) and FileWriteErrorBox is shown.
// Returns 1 when the file was replaced, else 0.
int32_t FileWriteAtomic(const std::string& path, const std::function<int32_t(std::FILE*)>& body);

} // namespace core
