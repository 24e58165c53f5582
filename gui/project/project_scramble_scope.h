#pragma once
// The span of one project write or read: ProjectScrambleOn is 1 inside it,
// and on every way out, failures included, scrambling ends and the CRC mode
// is back at its start value, so the next setup save is plain text.

#include "gui/project/project_scrambler.h"
#include "gui/project/project_state.h"

namespace gui {

class ProjectScrambleScope {
public:
    ProjectScrambleScope() { Project.ProjectScrambleOn = 1; }
    ~ProjectScrambleScope() {
        Project.ProjectScrambleOn = 0;
        ProjectScrambler.CrcMode = kProjectCrcOutput;
    }
    ProjectScrambleScope(const ProjectScrambleScope&) = delete;
    ProjectScrambleScope& operator=(const ProjectScrambleScope&) = delete;
};

} // namespace gui
