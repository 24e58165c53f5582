#include "core/flash_erase.h"
#include "core/settings.h"
#include "steps/steps.h"

namespace steps {

StepResult Erase(StepPort& port, const StepOptions& options, EraseScope scope) {
    port.Report(options.eraseLine);
    const int32_t r = scope == EraseScope::All ? core::TargetEraseAll() : core::TargetErase();
    const StepResult result = PassedIf(r == 1);
    ReportDoneFailed(port, result);
    return result;
}

EraseScope AutoProgramEraseScope() {
    return core::Settings.FlashEraseModeIndex == 1 ? EraseScope::All : EraseScope::ByMode;
}

} // namespace steps
