#include "core/flash_fuse.h"
#include "steps/steps.h"

namespace steps {

StepResult BlowFuse(StepPort& port) {
    port.Report("Blowing Security Fuse ..................");
    const StepResult result = PassedIf(core::TargetBlowFuse() == 1);
    ReportDoneFailed(port, result);
    return result;
}

} // namespace steps
