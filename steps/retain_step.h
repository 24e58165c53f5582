#pragma once
// The areas an erase must keep: read before it, written back after it.

#include "core/flash_state.h"
#include "steps/step_options.h"
#include "steps/step_port.h"
#include "steps/step_result.h"

#include <cstdint>

namespace steps {

// Copies of the kept areas that a failed restore could not put back. The
// target may hold 0xFF there now: the next read that finds an area erased
// keeps these instead of the blank bytes, so a retried run does not write
// the loss back as if it were the calibration.
struct PendingRetained {
    int32_t dcoPending = 0;
    uint8_t dcoCopy[core::kDcoSize] = {};
    int32_t retainPending = 0;
    uint8_t retainCopy[core::kRetainMaxSize] = {};
    int32_t retainCopyStart = 0;
    int32_t retainCopyLength = 0;

    void Reset() { *this = PendingRetained{}; }
};

// Something must be kept through an erase on a device of the series.
bool RetainWanted(int32_t series);

// Reads the kept areas into the flash layer's copies, with the report line;
// a read error gets its box where the port shows boxes. Where the options
// keep copies, a pending copy stands in for an area read erased.
struct RetainReadOutcome {
    StepResult result = StepResult::Failed;
    bool readError = false; // a block could not be read
};
RetainReadOutcome ReadRetained(StepPort& port, const StepOptions& options,
                               const PendingRetained& pending);

// Writes back what the erase took (or finds the areas intact), with the
// report line; where the options keep copies, a failed restore leaves its
// copies pending and a passed one clears them.
StepResult RestoreRetained(StepPort& port, const StepOptions& options, PendingRetained& pending);

} // namespace steps
