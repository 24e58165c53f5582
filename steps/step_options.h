#pragma once
// Where the two deliverables' steps are meant to differ: every difference
// is a named option, set for both deliverables in OptionsFor with its
// reason. Anything not named here is the same in both.

#include <cstdint>

namespace steps {

struct StepOptions {
    const char* noAdapterBox = nullptr;     // the open's box when no adapter answers
    bool supplyMeasured = false;            // the open reads the supply and judges it
    const char* eraseLine = nullptr;        // the erase's report line
    const char* checksumLine = nullptr;     // the checksum comparison's report line
    const char* fuseLine = nullptr;         // the fuse check's report line
    bool identifyBarFromZero = false;       // the bar set to 0 when the identification starts
    const char* retainReadLine = nullptr;   // the kept areas' read line
    bool verdictBeforeReadErrorBox = false; // the read's verdict line before its error box
    bool keepFailedRestoreCopies = false;   // copies a failed restore left stand in next time
    bool readBarByWords = false;            // the read's bar over the words read, not the segments
    bool readGoesOnAsFailed = false;        // a block skipped on Yes fails the read and is no data
    int32_t supplyRecheckEvery = 0;         // blocks written between supply readings (0: none)
    bool groupMainSegments = false;         // wholly marked main-memory groups as one block
    bool writeFullBeforeVerdict = false;    // the bar full before the write's verdict line
    bool verifyCountsOneMore = false;       // read-back bar over one more than the segments
    bool verifyBarFromZero = false;         // the bar set to 0 when the read-back starts
    bool verifyNamesFailedSegment = false;  // a line naming the segment that failed
    bool blankBarEachRound = false;         // the bar set to 0 for each blank-check round
    bool sizeWarnsPastSelected =
        false;                    // the code-size check warns of code past the selected device
    bool mismatchNoStops = false; // No to the type question stops the run (15), not fails it
};

enum class Deliverable { Quillbay, Quillcore };

constexpr StepOptions OptionsFor(Deliverable d) {
    const bool quillcore = d == Deliverable::Quillcore;
    StepOptions o;
    // Each names what its operator or host checks first.
    o.noAdapterBox = quillcore ? "Programming adapter is not present.\r\n\r\n"
                                 "Check cable connection or parallel port setup.\r\n"
                               : "MSP430.dll initialization error.\r\n\r\n"
                                 "Check communication port setup\r\n"
                                 "or connection with the FET adapter.\r\n";
    // Quillcore reads the supply (ten readings) before a run and asks for
    // power where the board has its own; Quillbay takes the supply as
    // sufficient once the adapter has switched it on.
    o.supplyMeasured = quillcore;
    // The dot runs the two have always written differently: hosts and
    // operators compare reports by eye and by tool.
    o.eraseLine = quillcore ? "Erasing memory ....................."
                            : "Erasing memory ............................";
    o.checksumLine = quillcore ? "Verifying check sum ................"
                               : "Verifying check sum ......................";
    o.fuseLine = quillcore ? "Verifying Security Fuse .............."
                           : "Verifying Security Fuse .................";
    // Quillbay's main window shows the identification on its own bar;
    // Quillcore's progress dialog keeps the step's bar.
    o.identifyBarFromZero = !quillcore;
    o.retainReadLine =
        quillcore ? "Reading Retain Data ..................." : "Reading Retain Data ..........";
    // Quillcore's log holds the box's text where no prompt shows it, after
    // the line it belongs to; Quillbay's box opens over the line still open.
    o.verdictBeforeReadErrorBox = quillcore;
    // Quillbay's operator retries the board whose restore failed, so the
    // copies taken before its erase are what belongs there. A Quillcore host
    // goes on to the next board, whose blank area must not get another
    // board's data.
    o.keepFailedRestoreCopies = !quillcore;
    // Quillbay's bar moves with the words read; Quillcore's a segment at a
    // time.
    o.readBarByWords = !quillcore;
    // Quillbay's operator who goes on past an unreadable block gets the
    // rest of the memory, the read failed and the block left out of the
    // read image; a Quillcore host that says Yes gets its buffer with the
    // block as cleared and the read passed, as it has always been told.
    o.readGoesOnAsFailed = !quillcore;
    // Quillcore reads the supply again every 32nd written segment, so a
    // board that browns out during a long write shows it in the status
    // display; Quillbay takes the supply as sufficient once connected.
    o.supplyRecheckEvery = quillcore ? 32 : 0;
    // Quillbay writes every main-memory group whose segments are all marked
    // as one block (fewer round trips); Quillcore writes segment by
    // segment, which its supply readings count.
    o.groupMainSegments = !quillcore;
    // Quillcore's progress dialog shows the bar full with the verdict;
    // Quillbay's main window sets it after the line.
    o.writeFullBeforeVerdict = quillcore;
    // Quillbay's read-back bar runs over one more than the segments, so it
    // shows full only with the verdict; Quillcore's runs over the segments
    // and moves after a failed one too.
    o.verifyCountsOneMore = !quillcore;
    // Quillcore set its bar to 0 at the start of the step already.
    o.verifyBarFromZero = !quillcore;
    o.blankBarEachRound = !quillcore;
    // Quillbay's operator gets the address to look at.
    o.verifyNamesFailedSegment = !quillcore;
    // Quillcore's write has always warned of code the selected device has
    // no memory for, even where the target found has: a host that loaded
    // it through the buffers has no other sign of it. Quillbay's operator
    // got a box for it when the code file was read.
    o.sizeWarnsPastSelected = quillcore;
    // Every No inside Quillbay's AUTO PROGRAM ends it as stopped by the
    // operator; a Quillcore host has always been given 0 (failed) for a No
    // to the type question, and its code tells the two apart.
    o.mismatchNoStops = !quillcore;
    return o;
}

inline constexpr StepOptions kQuillbaySteps = OptionsFor(Deliverable::Quillbay);
inline constexpr StepOptions kQuillcoreSteps = OptionsFor(Deliverable::Quillcore);

} // namespace steps
