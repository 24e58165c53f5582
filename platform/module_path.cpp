#include "platform/module_path.h"

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

} // namespace platform
