#include "gui/project/project_state.h"

#include "gui/project/project_scrambler.h"
#include "platform/prompt.h"

namespace gui {

ProjectState Project;

void ProjectState::Reset() {
    *this = ProjectState{};
}

namespace {

constexpr core::StateObject kProjectStateObjects[] = {
    {"Project", [] { Project.Reset(); }},
    {"ProjectScrambler", [] { ProjectScrambler.Reset(); }},
};

} // namespace

core::StateTable ProjectStateObjects() {
    return kProjectStateObjects;
}

void ProjectStateReset() {
    core::StateTablesReset({ProjectStateObjects()});
}

int32_t ProjectErrorBox(const std::string& text) {
    platform::ShowMessageBox(text, "Error", platform::MB_OK | platform::MB_ICONERROR);
    return 0;
}

} // namespace gui
