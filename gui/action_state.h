#pragma once
// What the programming procedures of the main window keep between steps and
// between runs: the NEXT action, what was written since the last erase, the
// operator's overlap answers of the current AUTO PROGRAM run, the counts of
// serialization, and the retained-data copies a failed restore left pending.

#include "core/flash_state.h"
#include "steps/retain_step.h"

#include <cstdint>
#include <string>

namespace gui {

// FlashWrittenFlags bits.
inline constexpr int32_t kFlashWritten = 1;
inline constexpr int32_t kSnWritten = 2;

struct ActionsState {
    // Action NEXT repeats: 1 AUTO PROGRAM, 2 Verify Security Fuse, 3 ERASE,
    // 4 BLANK CHECK, 5 WRITE, 6 WRITE SN/Model, 7 VERIFY, 8 READ / COPY;
    // 0 none.
    int32_t RepeatActionCode = 0;
    // Both set at start, so the first write and the first SN write ask to
    // erase first; every erase clears them.
    int32_t FlashWrittenFlags = kFlashWritten | kSnWritten;
    int32_t SnOverlapAccepted = 0; // read and cleared by the write step
    int32_t SnPromptNeeded = 0;
    // The SN status the SN step settled on (new, typed, chosen in the
    // editor): the label reads after the write must not turn it into
    // "overwritten" before the record is saved.
    int32_t snStatusThisRun = 1;
    // For the whole AUTO PROGRAM run after the operator accepted: the serial
    // data goes over the code (images prepared without the overlap check),
    // and the code in the retain location is neither written nor compared.
    int32_t snOverlapRun = 0;
    int32_t retainOverlapRun = 0;
    // Copies of the kept areas that a failed restore could not put back.
    steps::PendingRetained retained;

    void Reset() { *this = ActionsState{}; }
};

extern ActionsState Actions;

// ProgramImagePrepare as the procedures call it: with the options of an
// accepted overlap forced to 0, and the code in an accepted retain overlap
// taken out of the write and verify masks. Returns the preparation's result.
int32_t ImagePrepare(int32_t place, int32_t options);

} // namespace gui
