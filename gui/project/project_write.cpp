#include "gui/project/project_write.h"

#include "core/atomic_write.h"
#include "core/code_line_parse.h"
#include "core/code_writer.h"
#include "core/project_line_write.h"
#include "core/setup_keys.h"
#include "gui/project/project_line_scramble.h"
#include "gui/project/project_scramble_scope.h"
#include "gui/project/project_scrambler.h"
#include "gui/project/project_state.h"

#include <cstdio>

namespace gui {

namespace {

int32_t WriteBody(std::FILE* f, const std::string& programName) {
    const std::string& tag = Project.ProjectTargetTag;
    char buf[64];
    int32_t ok = 1;
    const auto put = [&](const std::string& line) { ok &= core::ProjectLineWrite(line, f); };

    ProjectScrambler.CrcMode = kProjectCrcInput;
    ProjectCrcStart();
    ProjectScramblerStart("", "");
    put("DestinationTarget " + tag + " " + programName + "\r\n");

    ProjectScramblerStart("", tag);
    std::snprintf(buf, sizeof buf, "%s %1.1i\r\n", "ProjectMode",
                  static_cast<int>(Project.ProjectModeSetting));
    put(buf);

    // The token line's CRC takes what reaches the file: a reader without the
    // unlock password can still check it.
    ProjectScramblerStart(ProjectUnlockKey(), "");
    ProjectScrambler.CrcMode = kProjectCrcOutput;
    put(std::string(kProjectToken) + "\r\n");
    ProjectScrambler.CrcMode = kProjectCrcInput;

    ProjectScramblerStart(Project.ProjectKey, tag);
    put(std::string(kProjectCompanyLine) + "\r\n");
    put(std::string(kProjectTitleLine) + "\r\n");
    std::snprintf(buf, sizeof buf, "%s %1.1Xi \r\n", "ProjectLockOptions",
                  static_cast<unsigned>(Project.ProjectLockOptionsSetting));
    put(buf);
    ok &= core::SetupKeysWrite(1, f);
    put("[EndOfConfiguration]\r\n");
    put("[CodeContents]\r\n");
    ok &= core::CodeFileWriteImage(core::kFormatIntelHex, f);
    put("[ProjectCheckSum]\r\n");
    std::snprintf(buf, sizeof buf, "%8.8X\r\n", static_cast<unsigned>(ProjectScrambler.Crc));
    put(buf);
    return ok;
}

} // namespace

void ProjectKeySetForSave() {
    switch (Project.ProjectModeSetting) {
    case kProjectModePassword:
        Project.ProjectKey = Project.ProjectPassword;
        break;
    case kProjectModePc:
        Project.ProjectKey = Project.ProjectPcCode;
        break;
    default:
        Project.ProjectKey.clear();
        break;
    }
}

std::string ProjectUnlockKey() {
    const int32_t both = kProjectLocked | kProjectUnlockWithPassword;
    return (Project.ProjectLockOptionsSetting & both) == both ? Project.ProjectUnlockPassword
                                                              : std::string();
}

int32_t ProjectWrite(const std::string& path, const std::string& programName) {
    ProjectLineScrambleInstall();
    ProjectScrambleScope scope;
    return core::FileWriteAtomic(
        path, [&programName](std::FILE* f) { return WriteBody(f, programName); });
}

} // namespace gui
