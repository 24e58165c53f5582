#include "platform/module_path.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {
std::string directoryOverride;
}

std::string ProgramPath() {
    std::vector<char> buf(256);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<size_t>(n) < buf.size()) {
            return std::string(buf.data(), static_cast<size_t>(n));
        }
        buf.resize(buf.size() * 2); // the name may have been cut: try again with more room
    }
}

std::string ProgramDirectory() {
    if (!directoryOverride.empty()) {
        return directoryOverride;
    }
    std::string path = ProgramPath();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

void SetProgramDirectoryOverride(const std::string& dir) {
    directoryOverride = dir;
}

std::string ModulePathOf(const void* address) {
    Dl_info info{};
    struct link_map* map = nullptr;
    if (address == nullptr ||
        ::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
        map == nullptr) {
        return {};
    }
    // The program itself has no name of its own in the loader's list (it
    // reports the name it was started by): the kernel knows its path.
    const std::string name = map->l_name != nullptr ? map->l_name : "";
    if (name.empty()) {
        return ProgramPath();
    }
    char resolved[PATH_MAX];
    if (::realpath(name.c_str(), resolved) == nullptr) {
        return name.front() == '/' ? name : std::string();
    }
    return resolved;
}

} // namespace platform
