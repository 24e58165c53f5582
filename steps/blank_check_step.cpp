#include "core/flash_check.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

namespace steps {

namespace {

constexpr int32_t kBlankRounds = 2;

} // namespace

BlankOutcome BlankCheck(StepPort& port, const StepOptions& options) {
    // A second round catches a segment that read back unsettled right after
    // the erase.
    for (int32_t round = 0; round < kBlankRounds; ++round) {
        port.Report("All memory Blank checking..........");
        if (options.blankBarEachRound) {
            port.Progress(0);
        }
        const int32_t r = core::TargetEraseVerify();
        if ((r & 0xF0) != 0) {
            // Some area was kept through the erase (locked Info-A, DCO or
            // retained bytes): the whole memory cannot be blank.
            port.Report(kFailedLine);
            port.Report("   --,,-- without protected area...");
        }
        const StepResult whole = PassedIf((r & 0x0F) == 1);
        ReportOkFailedBlown(port, whole);
        if (whole == StepResult::Passed) {
            return BlankOutcome::Blank;
        }
        port.Report("Selected Memory Blank checking.");
        const StepResult selected = PassedIf(core::TargetBlankCheck() == 1);
        ReportOkFailedBlown(port, selected);
        if (selected == StepResult::Passed) {
            return BlankOutcome::SelectedBlank;
        }
    }
    return BlankOutcome::NotBlank;
}

} // namespace steps
