#pragma once
// Loading shared objects at run time and finding their entry points.

#include <string>

namespace platform {

// Loads the shared object at path with every symbol resolved at once, so a
// library that cannot be completed fails here and not in the middle of a
// call. An empty path fails (it would name the program itself). Returns
// nullptr on failure, with the loader's reason in *error when given.
void* SharedLibraryOpen(const std::string& path, std::string* error = nullptr);

// The address of the named symbol in library; nullptr when it has none.
void* SharedLibrarySymbol(void* library, const char* name);

// Releases a handle from SharedLibraryOpen; nullptr is ignored.
void SharedLibraryClose(void* library);

} // namespace platform
