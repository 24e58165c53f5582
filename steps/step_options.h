#pragma once
// Where the two deliverables' steps are meant to differ: every difference
// is a named option here, with its reason. Anything not named here is the
// same in both.

#include <cstdint>

namespace steps {

struct StepOptions {
    // The report lines whose dot runs the two have always written
    // differently (hosts and operators compare reports by eye and by tool).
    const char* eraseLine;
    const char* checksumLine;
    // Quillcore reads the supply again every this many written segments,
    // so a board that browns out during a long write shows it in the
    // status display; Quillbay takes the supply as sufficient once the
    // target is connected (0: never).
    int32_t supplyRecheckEvery;
    // Quillbay writes every main-memory group whose segments are all
    // marked as one block (fewer round trips over slow adapters);
    // Quillcore writes segment by segment for its supply readings.
    bool groupMainSegments;
    // Quillcore sets the bar full before the write's verdict line, Quillbay
    // after it (the progress dialog closes on the bar's last update).
    bool writeFullBeforeVerdict;
    // Quillbay's read-back counts one more than the segments it checks,
    // so its bar never reaches 100 before the verdict; Quillcore's counts
    // the segments and moves the bar after a failed one too.
    bool verifyCountsOneMore;
    // Quillbay sets the bar to 0 when the read-back starts; Quillcore has
    // done so at the start of its step.
    bool verifyBarFromZero;
    // Quillbay names the first segment that failed the read-back.
    bool verifyNamesFailedSegment;
    // Quillbay sets the bar to 0 for each blank-check round; Quillcore at
    // the start of its step.
    bool blankBarEachRound;
};

inline constexpr StepOptions kQuillbaySteps{
    .eraseLine = "Erasing memory ............................",
    .checksumLine = "Verifying check sum ......................",
    .supplyRecheckEvery = 0,
    .groupMainSegments = true,
    .writeFullBeforeVerdict = false,
    .verifyCountsOneMore = true,
    .verifyBarFromZero = true,
    .verifyNamesFailedSegment = true,
    .blankBarEachRound = true,
};

inline constexpr StepOptions kQuillcoreSteps{
    .eraseLine = "Erasing memory .....................",
    .checksumLine = "Verifying check sum ................",
    .supplyRecheckEvery = 32,
    .groupMainSegments = false,
    .writeFullBeforeVerdict = true,
    .verifyCountsOneMore = false,
    .verifyBarFromZero = false,
    .verifyNamesFailedSegment = false,
    .blankBarEachRound = false,
};

} // namespace steps
