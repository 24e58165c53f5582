#pragma once
// The areas an erase must keep: read before it, written back after it.

#include "core/flash_state.h"
#include "steps/step_options.h"
#include "steps/step_port.h"
#include "steps/step_result.h"

#include <cstdint>

namespace steps {

// Copies of the kept areas that a failed restore could not put back. The
// target may hold 0xFF there now: when the next read finds an area erased,
// the operator is asked whether the board is the one the copies came from,
// and only a Yes writes them back instead of the blank bytes. Held by the
// deliverable that keeps them, from the failed restore until a restore
// passes, the operator says No, or the setup or the device type changes.
struct PendingRetained {
    int32_t dcoPending = 0;
    uint8_t dcoCopy[core::kDcoSize] = {};
    int32_t retainPending = 0;
    uint8_t retainCopy[core::kRetainMaxSize] = {};
    int32_t retainCopyStart = 0;
    int32_t retainCopyLength = 0;
    // The copies stand in for what this run read (the operator said Yes):
    // the restore says so when it writes them.
    int32_t dcoStandsIn = 0;
    int32_t retainStandsIn = 0;

    void Reset() { *this = PendingRetained{}; }
};

// Something must be kept through an erase on a device of the series.
bool RetainWanted(int32_t series);

// Reads the kept areas into the flash layer's copies, with the report line;
// a read error gets its box where the port shows boxes. Where the options
// keep copies and a pending copy's area reads erased, the operator is asked
// whether this is the board it came from: Yes makes the copy stand in for
// the blank bytes, No (or nobody to ask) drops the pending copies.
struct RetainReadOutcome {
    StepResult result = StepResult::Failed;
    bool readError = false; // a block could not be read
};
RetainReadOutcome ReadRetained(StepPort& port, const StepOptions& options,
                               PendingRetained& pending);

// Writes back what the erase took (or finds the areas intact), with the
// report line and, where copies stood in, the line that says they were
// written; where the options keep copies, a failed restore leaves its
// copies pending and a passed one clears them.
StepResult RestoreRetained(StepPort& port, const StepOptions& options, PendingRetained& pending);

} // namespace steps
