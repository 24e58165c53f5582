#include "core/target_state.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

#include "platform/c_locale.h"

namespace steps {

void FinishVerdict(StepPort& port, StepResult result, double runTimeMs) {
    switch (result) {
    case StepResult::Passed:
        port.Report(platform::FormatC(" -------- D O N E --- ( run time =%6.1f sec.)\r\n",
                                      runTimeMs * 0.001));
        break;
    case StepResult::Stopped:
        port.Report("  ---------- TERMINATED BY USER ------------\r\n");
        break;
    case StepResult::Terminated:
        port.Report("  ------------ TERMINATED ----------------\r\n");
        break;
    case StepResult::LowSupply:
        port.Report("  ------- TERMINATED - Vcc < 2.7V ---------\r\n");
        break;
    default:
        port.Report(" --------------- FAILED !!! -----------------\r\n");
        break;
    }
}

void FinishResetLine(StepPort& port) {
    port.Report(kResetLine);
}

void FinishStartLine(StepPort& port) {
    port.Report(kStartLine);
}

void SupplyOffLine(StepPort& port) {
    if (core::Target.supplyMayBeOn != 0) {
        port.Report(kSupplyNotOffLine);
    }
}

} // namespace steps
