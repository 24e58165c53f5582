#include "gui/setup_runners.h"

#include "core/settings.h"
#include "core/setup_keys.h"

namespace gui {

SetupRunnerState SetupRunner;

void NewSetupDefaults() {
    core::SetupKeysDefault(core::Settings);
}

void ProjectOpenCommand(const std::string&) {}

void MainDialogRefresh() {}

void FuseEnableConfirm() {}

void ConnectionCaptionsUpdate() {}

void CodeFileReadAndReport(int32_t) {}

} // namespace gui
