#include "steps/step_texts.h"
#include "steps/steps.h"

namespace steps {

void ReportDoneFailed(StepPort& port, StepResult result) {
    port.Report(result == StepResult::Failed ? kFailedLine : kDoneLine);
}

void ReportOkFailedBlown(StepPort& port, StepResult result) {
    port.Report(result == StepResult::Failed      ? kFailedLine
                : result == StepResult::FuseBlown ? kBlownLine
                                                  : kOkLine);
}

} // namespace steps
