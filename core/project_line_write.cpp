#include "core/project_line_write.h"

namespace core {

namespace {

ProjectLineFilter InstalledFilter = nullptr;

} // namespace

void ProjectLineFilterInstall(ProjectLineFilter filter) {
    InstalledFilter = filter;
}

int32_t ProjectLineWrite(std::string_view line, std::FILE* file) {
    if (file == nullptr) {
        return 0;
    }
    std::string filtered;
    if (InstalledFilter != nullptr && InstalledFilter(line, filtered)) {
        line = filtered;
    }
    return std::fwrite(line.data(), 1, line.size(), file) == line.size() ? 1 : 0;
}

} // namespace core
