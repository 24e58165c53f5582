#pragma once
// The programming steps both deliverables run. A step writes its report
// lines and its messages through the port, and the bar; the deliverable
// around it keeps what only it has (status lamps, the serial number, the
// run's frame and clock).

#include "steps/step_options.h"
#include "steps/step_port.h"
#include "steps/step_result.h"

#include <cstdint>
#include <string>

namespace steps {

// The open of a run, once the deliverable has opened its interface: the
// adapter's absence gets its box, an adapter without firmware its line
// (and, where a box can be answered, a box); the target is switched on and left to
// settle where asked, then its supply judged where the options measure it.
// Passed, Failed, Stopped (the operator cancelled), LowSupply (below the
// device minimum with nobody to ask).
struct OpenInput {
    bool adapterOpen = false; // the interface opened
    // It did not because the adapter answered with its bootloader only
    // (core::Target.bootloaderOnly): the step names that instead of the
    // missing adapter's box, which would send the operator to the cable.
    bool bootloaderOnly = false;
    bool powerOn = false; // the adapter powers the target: switch it on
    bool settle = false;  // wait for the supply after switching it on
};
StepResult OpenTarget(StepPort& port, const StepOptions& options, const OpenInput& in);

// The target identified, unless it is already, and once per open (fuseCheckDue)
// its security fuse checked, with their report lines.
struct IdentifyOutcome {
    StepResult result = StepResult::Failed; // Passed, Failed, or FuseBlown
    bool fuseChecked = false;               // the fuse was checked in this call
    bool fuseBlown = false;
};
IdentifyOutcome IdentifyTarget(StepPort& port, const StepOptions& options, bool fuseCheckDue);

// The checks after an identification: a target that did not answer (or
// whose fuse is blown) gets its box; one that answered but is not the type
// selected is asked about where the run asks (askAboutType), and a passed
// check hands the connected type to the port. Anything but Yes to the
// question reports the mismatch and fails the check, or stops it (Stopped)
// where the options say.
struct DeviceCheckInput {
    bool answered = false;  // the identification passed
    bool fuseBlown = false; // the fuse was found blown since the open
    bool askAboutType = false;
    std::string selectedType; // the selected type as the question names it
};
StepResult DeviceCheck(StepPort& port, const StepOptions& options, const DeviceCheckInput& in);

// The erase: everything, or what the erase mode selects.
enum class EraseScope { ByMode, All };
StepResult Erase(StepPort& port, const StepOptions& options, EraseScope scope);

// The erase of an AUTO PROGRAM run: everything with the erase mode "All
// Memory" (FlashEraseModeIndex 1), else what the mode selects; the other
// modes erase what they say. Both deliverables take this one rule. It needs
// no exception for a device whose Info-A segment is locked: the erase of
// everything (core::TargetEraseAll) itself leaves that segment unless
// EraseInfoA_F2xx_En is 1, and the erase by mode 1 is that same erase, so
// either road erases the same segments.
EraseScope AutoProgramEraseScope();

// The blank check in up to two rounds: the whole memory, then (where that
// fails) the selected memory.
enum class BlankOutcome {
    Blank,         // every segment read erased
    SelectedBlank, // the selected memory is erased, some area kept is not
    NotBlank,
};
BlankOutcome BlankCheck(StepPort& port, const StepOptions& options);

// The code-size check before the write, one rule for both deliverables: the
// programming image against the memory the run programs (the connected
// device's map once identified, as the write and the verify take it), not
// against the selected row, whose flash may start lower. Bytes outside it
// are asked about where somebody can answer (the question and its texts are
// the deliverable's); with nobody to ask the write goes on, warned, only
// when every such byte lies outside the selected device as well and the
// load said so (outsideNamedAtLoad), else it is refused. Where the options
// say so, code past the selected device that the target has memory for is
// asked about or warned of too.
enum class CodeSize {
    Fits,
    Ask,        // put the code-size question
    GoOnWarned, // write the warning, then go on
    Refuse,     // write the warning and fail the write
};
CodeSize CodeSizeCheck(const StepPort& port, const StepOptions& options, bool outsideNamedAtLoad);

// The write of every segment the image marks, with its report line, the
// error box on a failed block and the verdict.
struct WriteOutcome {
    StepResult result = StepResult::Failed;
    bool attempted = false; // a block went to the target (the flash may have changed)
};
WriteOutcome WriteSegments(StepPort& port, const StepOptions& options);

// The checksum comparison with its report line.
StepResult VerifyChecksum(StepPort& port, const StepOptions& options);
// The read-back of every segment the image marks for checking.
struct VerifyOutcome {
    StepResult result = StepResult::Passed;
    int32_t failedAt = 0; // the first segment that failed
};
VerifyOutcome VerifySegments(StepPort& port, const StepOptions& options);

// The read of every block the read mask selects into the read image, with
// the report line; a block that cannot be read is asked about where boxes
// show (No, or nobody to ask, ends the read failed).
StepResult ReadMemory(StepPort& port, const StepOptions& options);

// The DCO calibration words read back and judged (none erased or
// cleared), with the report line.
StepResult DcoConstantsCheck(StepPort& port);

// The security fuse blown, with its report line.
StepResult BlowFuse(StepPort& port);

// The finish step's verdict line; the run time in ms (the DONE line).
void FinishVerdict(StepPort& port, StepResult result, double runTimeMs);
// The lines of the final action on a passed AUTO PROGRAM run.
void FinishResetLine(StepPort& port);
void FinishStartLine(StepPort& port);
// After the deliverable switched the target supply off (a run's finish, a
// close, the library's unload): the line kSupplyNotOffLine while the
// target may still be powered (core::Target.supplyMayBeOn).
void SupplyOffLine(StepPort& port);

// The port's verdict lines: "...\t failed" for Failed, else "...\t done";
// "...\t failed" for Failed, "...\t BLOWN" for FuseBlown, else "...\t OK".
void ReportDoneFailed(StepPort& port, StepResult result);
void ReportOkFailedBlown(StepPort& port, StepResult result);

} // namespace steps
