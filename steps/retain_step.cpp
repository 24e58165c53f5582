#include "steps/retain_step.h"

#include "core/retained_data.h"
#include "core/settings.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

#include <algorithm>
#include <cstring>

namespace steps {

namespace {

constexpr int32_t kSeries2 = 2;

bool AllErased(const uint8_t* bytes, int32_t count) {
    return std::all_of(bytes, bytes + count, [](uint8_t b) { return b == 0xFF; });
}

} // namespace

bool RetainWanted(int32_t series) {
    const core::SettingsState& s = core::Settings;
    return (s.RetainInfoCalData == 1 && series == kSeries2) || s.RetainDefinedData == 1;
}

RetainReadOutcome ReadRetained(StepPort& port, const StepOptions& options,
                               const PendingRetained& pending) {
    port.Caption("Reading Retain Data");
    port.Report(options.retainReadLine);
    const int32_t r = core::RetainedDataRead();
    if (r == 1 && options.keepFailedRestoreCopies) {
        core::FlashOpsState& f = core::FlashOps;
        if (pending.dcoPending == 1 && f.dcoCopyValid == 1 &&
            AllErased(f.dcoCopy, core::kDcoSize)) {
            std::memcpy(f.dcoCopy, pending.dcoCopy, core::kDcoSize);
        }
        if (pending.retainPending == 1 && f.retainCopyLength == pending.retainCopyLength &&
            f.retainCopyStart == pending.retainCopyStart &&
            AllErased(f.retainCopy, f.retainCopyLength)) {
            std::memcpy(f.retainCopy, pending.retainCopy, static_cast<size_t>(f.retainCopyLength));
        }
    }
    RetainReadOutcome out;
    out.readError = r == 4;
    out.result = PassedIf(r == 1);
    const bool box = out.readError && port.ShowsBoxes();
    if (box && !options.verdictBeforeReadErrorBox) {
        port.Message("Error", kRead.errorBox, MessageStyle::Error);
    }
    ReportDoneFailed(port, out.result);
    if (box && options.verdictBeforeReadErrorBox) {
        port.Message("Error", kRead.errorBox, MessageStyle::Error);
    }
    return out;
}

StepResult RestoreRetained(StepPort& port, const StepOptions& options, PendingRetained& pending) {
    const int32_t r = core::RetainedDataRestore();
    if ((r & 0x10) != 0) {
        port.Caption("Restoring Retain Data");
        port.Report(kRetain.restoring);
    } else {
        port.Caption("Verifying Retain Data");
        port.Report(kRetain.verifying);
    }
    const StepResult result = PassedIf((r & 1) == 1);
    ReportDoneFailed(port, result);
    if (!options.keepFailedRestoreCopies) {
        return result;
    }
    const core::FlashOpsState& f = core::FlashOps;
    if (result == StepResult::Passed) {
        pending.dcoPending = 0;
        pending.retainPending = 0;
        return result;
    }
    if (f.dcoCopyValid == 1) {
        pending.dcoPending = 1;
        std::memcpy(pending.dcoCopy, f.dcoCopy, core::kDcoSize);
    }
    if (f.retainCopyLength > 0) {
        pending.retainPending = 1;
        pending.retainCopyStart = f.retainCopyStart;
        pending.retainCopyLength = f.retainCopyLength;
        std::memcpy(pending.retainCopy, f.retainCopy, static_cast<size_t>(f.retainCopyLength));
    }
    return result;
}

} // namespace steps
