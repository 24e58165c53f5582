#include "core/code_image.h"
#include "core/device_select.h"
#include "core/flash_read.h"
#include "core/segment_table.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

#include <algorithm>

namespace steps {

namespace {

constexpr int32_t kReadBlock = 512;

// The words of [first, first + length) the read mask selects.
int32_t MaskedWords(int32_t first, int32_t length) {
    int32_t words = 0;
    for (int32_t a = first; a < first + length; a += 2) {
        if (core::InImage(a)) {
            words += core::Images.ReadMask[core::WordIndex(a)] != 0 ? 1 : 0;
        }
    }
    return words;
}

// Skipped: these words were not read, so they are not data.
void Unmask(int32_t first, int32_t length) {
    for (int32_t a = first; a < first + length; a += 2) {
        if (core::InImage(a)) {
            core::Images.ReadMask[core::WordIndex(a)] = 0;
        }
    }
}

} // namespace

StepResult ReadMemory(StepPort& port, const StepOptions& options) {
    port.Caption("Reading Flash memory");
    port.Report(kRead.line);
    int32_t total = 2;
    if (options.readBarByWords) {
        const int32_t flashEnd = std::min(core::SelectedDevice.flashEnd, core::kImageEnd);
        total += MaskedWords(core::kImageStart, flashEnd - core::kImageStart);
    }
    StepResult result = StepResult::Passed;
    int32_t done = 0;
    int32_t lastSet = 0;
    bool stop = false;
    const core::SegmentTableState& table = core::SegmentTable;
    for (int32_t k = 0; k < table.count && !stop; ++k) {
        const core::MemorySegment& seg = table.segments[k];
        for (int32_t a = seg.start; a <= seg.end; a += kReadBlock) {
            const int32_t length = std::min(kReadBlock, seg.end - a + 1);
            const int32_t r = core::TargetReadSelectedRange(a, length);
            const int32_t words = options.readBarByWords ? MaskedWords(a, length) : 0;
            if (r == 4) {
                // Nobody to ask: a block that could not be read fails the read.
                if (!port.ShowsBoxes() || port.Message("Warning", kRead.errorQuestion,
                                                       MessageStyle::YesNo) != MessageAnswer::Yes) {
                    result = StepResult::Failed;
                    stop = true;
                    break;
                }
                if (options.readGoesOnAsFailed) {
                    Unmask(a, length);
                    result = StepResult::Failed;
                }
            }
            if (options.readBarByWords) {
                done += words;
                const int32_t percent = done * 100 / total + 1;
                if (percent - lastSet > 5) {
                    port.Progress(percent);
                    lastSet = percent;
                }
            }
        }
        if (!options.readBarByWords) {
            port.Progress((k + 1) * 100 / table.count);
        }
    }
    ReportDoneFailed(port, result);
    return result;
}

} // namespace steps
