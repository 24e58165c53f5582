#include "gui/project/project_state.h"

#include "gui/project/project_scrambler.h"
#include "platform/prompt.h"

namespace gui {

ProjectState Project;

void ProjectState::Reset() {
    ProjectTargetTag = kProjectTargetTag;
    ProjectModeSetting = kProjectModeNone;
    ProjectModeRead = kProjectModeNone;
    ProjectLockOptionsSetting = 0;
    ProjectLockOptionsRead = 0;
    ProjectPassword.clear();
    ProjectPcCode.clear();
    ProjectUnlockPassword.clear();
    ProjectKey.clear();
    ProjectTokenLine.clear();
    ProjectScrambleOn = 0;
    ProjectDialogResult = 0;
}

void ProjectStateReset() {
    Project.Reset();
    ProjectScrambler.Reset();
}

int32_t ProjectErrorBox(const std::string& text) {
    platform::ShowMessageBox(text, "Error", platform::MB_OK | platform::MB_ICONERROR);
    return 0;
}

} // namespace gui
