#include "core/flash_write.h"
#include "core/memory_map.h"
#include "core/segment_table.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

#include <algorithm>
#include <cstdio>

namespace steps {

namespace {

// Writes one block of the programming image; the error box names where a
// failed one starts. An empty block passes untouched.
class BlockWriter {
public:
    BlockWriter(StepPort& port, const StepOptions& options, int32_t total)
        : port_(port), options_(options), total_(total) {}

    // covered: the segments the block spans, for the bar.
    bool WriteBlock(int32_t start, int32_t length, int32_t covered) {
        covered_ += covered;
        if (length <= 0) {
            return true;
        }
        attempted_ = true;
        if (core::TargetWriteImageBlock(start, length) != core::kWriteOk) {
            char text[96];
            std::snprintf(text, sizeof text,
                          " Flash Write Error !!! \r\n\r\n Segment Address - 0x%4.4X   ",
                          static_cast<unsigned>(start));
            port_.Message("Error", text, MessageStyle::Error);
            return false;
        }
        ++blocks_;
        if (options_.supplyRecheckEvery > 0 && blocks_ % options_.supplyRecheckEvery == 0) {
            port_.SupplyRead();
        }
        port_.Progress(covered_ * 100 / total_ + 1);
        return true;
    }

    bool attempted() const { return attempted_; }

private:
    StepPort& port_;
    const StepOptions& options_;
    int32_t total_;
    int32_t covered_ = 0;
    int32_t blocks_ = 0;
    bool attempted_ = false;
};

} // namespace

WriteOutcome WriteSegments(StepPort& port, const StepOptions& options) {
    port.Report(kWriteLine);
    const core::SegmentTableState& table = core::SegmentTable;
    const int32_t count = table.count;
    int32_t total = 1;
    for (int32_t i = 0; i < count; ++i) {
        total += table.segments[i].needsWrite != 0 ? 1 : 0;
    }
    BlockWriter writer(port, options, total);
    // The information segments always go one by one.
    const int32_t single =
        options.groupMainSegments ? std::min(core::MemoryMap.active.infoSegments, count) : count;
    bool ok = true;
    for (int32_t i = 0; i < single && ok; ++i) {
        const core::MemorySegment& s = table.segments[i];
        if (s.needsWrite != 0) {
            ok = writer.WriteBlock(s.start, s.length, 1);
        }
    }
    const int32_t group = std::max(total / 10, 4);
    for (int32_t first = single; first < count && ok; first += group) {
        const int32_t last = std::min(first + group, count);
        bool whole = true;
        int32_t length = 0;
        for (int32_t i = first; i < last; ++i) {
            whole = whole && table.segments[i].needsWrite != 0;
            length += table.segments[i].length;
        }
        if (whole) {
            ok = writer.WriteBlock(table.segments[first].start, length, last - first);
            continue;
        }
        for (int32_t i = first; i < last && ok; ++i) {
            const core::MemorySegment& s = table.segments[i];
            if (s.needsWrite != 0) {
                ok = writer.WriteBlock(s.start, s.length, 1);
            }
        }
    }
    WriteOutcome outcome;
    outcome.result = PassedIf(ok);
    outcome.attempted = writer.attempted();
    if (ok && options.writeFullBeforeVerdict) {
        port.Progress(100);
    }
    ReportDoneFailed(port, outcome.result);
    return outcome;
}

} // namespace steps
