#include "gui/project/project_line_scramble.h"

#include "core/project_line_write.h"
#include "gui/project/project_scrambler.h"
#include "gui/project/project_state.h"

#include <algorithm>

namespace gui {

bool ProjectLineScramble(std::string_view line, std::string& out) {
    if (Project.ProjectScrambleOn != 1) {
        return false;
    }
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\r' || line[end - 1] == '\n')) {
        --end;
    }
    const std::string_view lineEnd = line.substr(end);
    std::string cut(line.substr(0, std::min(end, kProjectLineMax)));
    cut += lineEnd;
    out.clear();
    for (const char c : cut) {
        out.push_back(static_cast<char>(ProjectScrambleChar(static_cast<uint8_t>(c))));
    }
    return true;
}

void ProjectLineScrambleInstall() {
    core::ProjectLineFilterInstall(&ProjectLineScramble);
}

} // namespace gui
