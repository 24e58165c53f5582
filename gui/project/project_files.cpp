#include "gui/project/project_files.h"

#include "gui/project/project_password_dialog.h"
#include "gui/project/project_read.h"
#include "gui/project/project_scrambler.h"
#include "gui/project/project_security_dialog.h"
#include "gui/project/project_state.h"
#include "gui/project/project_write.h"
#include "ui/file_dialog.h"

#include <cstring>
#include <optional>

namespace gui {

namespace {

void TakeTag(const std::string& targetTag) {
    Project.ProjectTargetTag = targetTag.substr(0, kProjectTagMax);
}

} // namespace

int32_t ProjectSaveAs(const std::string& targetTag, const std::string& programName) {
    TakeTag(targetTag);
    if (ProjectSecurityDialogRun() != 1) {
        return 0;
    }
    ProjectKeySetForSave();
    ui::FileDialogOptions options;
    options.open = false;
    options.filter = kProjectFileFilter;
    options.defaultExt = kProjectFileExt;
    options.overwritePrompt = true;
    const std::optional<std::string> path = ui::FileDialog(options);
    if (!path) {
        return 0;
    }
    return ProjectWrite(*path, programName);
}

int32_t ProjectOpen(const std::string& path, const std::string& targetTag) {
    TakeTag(targetTag);
    if (!path.empty()) {
        return ProjectRead(path);
    }
    ui::FileDialogOptions options;
    options.open = true;
    options.filter = kProjectFileFilter;
    options.defaultExt = kProjectFileExt;
    const std::optional<std::string> chosen = ui::FileDialog(options);
    if (!chosen) {
        return 0;
    }
    return ProjectRead(*chosen);
}

int32_t ProjectUnlockCheck() {
    std::string password;
    const int32_t answer = PasswordDialogRun(password, "Enter unlock password.");
    if (answer != 1) {
        return answer;
    }
    ProjectScramblerStart(password, "");
    std::string plain;
    ProjectScrambleText(Project.ProjectTokenLine, plain);
    const size_t tokenLength = std::strlen(kProjectToken);
    if (plain.compare(0, tokenLength, kProjectToken) == 0) {
        return 1;
    }
    ProjectErrorBox("Wrong Password. ");
    return -1;
}

} // namespace gui
