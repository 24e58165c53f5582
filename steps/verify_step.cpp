#include "core/code_image.h"
#include "core/flash_verify.h"
#include "core/segment_table.h"
#include "steps/steps.h"

#include <cstdio>

namespace steps {

StepResult VerifyChecksum(StepPort& port, const StepOptions& options) {
    port.Report(options.checksumLine);
    const StepResult result = PassedIf(core::TargetVerifyChecksum() == 1);
    ReportOkFailedBlown(port, result);
    return result;
}

VerifyOutcome VerifySegments(StepPort& port, const StepOptions& options) {
    port.Report("Verifying Flash Memory ................");
    const core::SegmentTableState& table = core::SegmentTable;
    int32_t total = options.verifyCountsOneMore ? 1 : 0;
    for (int32_t i = 0; i < table.count; ++i) {
        total += table.segments[i].needsCheck != 0 ? 1 : 0;
    }
    if (options.verifyBarFromZero) {
        port.Progress(0);
    }
    // Nothing of an earlier read may pass for this one's.
    core::ReadImageClear();
    VerifyOutcome outcome;
    int32_t done = 0;
    for (int32_t i = 0; i < table.count; ++i) {
        const core::MemorySegment& s = table.segments[i];
        if (s.needsCheck == 0) {
            continue;
        }
        outcome.result = PassedIf(core::TargetVerifyRange(s.start, s.length) == 1);
        if (outcome.result != StepResult::Passed) {
            outcome.failedAt = s.start;
            if (!options.verifyCountsOneMore) {
                port.Progress((done + 1) * 100 / total + 1);
            }
            break;
        }
        ++done;
        port.Progress(done * 100 / total + 1);
    }
    ReportOkFailedBlown(port, outcome.result);
    if (outcome.result != StepResult::Passed && options.verifyNamesFailedSegment) {
        char line[64];
        std::snprintf(line, sizeof line, " Verification error - sector addr 0x%4.4X\r\n:",
                      static_cast<unsigned>(outcome.failedAt));
        port.Report(line);
    }
    return outcome;
}

} // namespace steps
