#include "steps/steps.h"
#include "steps/step_texts.h"

namespace steps {

void ReportDoneFailed(StepPort& port, StepResult result) {
    port.Report(result == StepResult::Failed ? kFailedLine : kDoneLine);
}

void ReportOkFailed(StepPort& port, StepResult result) {
    port.Report(result == StepResult::Failed      ? kFailedLine
                : result == StepResult::FuseBlown ? kBlownLine
                                                  : kOkLine);
}

} // namespace steps
