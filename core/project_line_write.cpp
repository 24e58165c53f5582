#include "core/project_line_write.h"

namespace core {

int32_t ProjectLineWrite(std::string_view line, std::FILE* file) {
    if (file == nullptr) {
        return 0;
    }
    return std::fwrite(line.data(), 1, line.size(), file) == line.size() ? 1 : 0;
}

} // namespace core
