#include "platform/shared_library.h"

#include <dlfcn.h>

namespace platform {

void* SharedLibraryOpen(const std::string& path, std::string* error) {
    if (path.empty()) {
        if (error != nullptr) {
            *error = "empty library path";
        }
        return nullptr;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr && error != nullptr) {
        const char* reason = ::dlerror();
        *error = reason != nullptr ? reason : "cannot load the library";
    }
    return handle;
}

void* SharedLibrarySymbol(void* library, const char* name) {
    if (library == nullptr || name == nullptr) {
        return nullptr;
    }
    return ::dlsym(library, name);
}

void SharedLibraryClose(void* library) {
    if (library != nullptr) {
        ::dlclose(library);
    }
}

} // namespace platform
