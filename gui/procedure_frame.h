#pragma once
// The frame every procedure of the main window runs in: a start step that
// opens a new report and connects the target, the identification with its
// once-per-run fuse and device-type check, and a finish step that writes the
// result line, performs the final target action, sets the status picture and
// keeps the report in the history. Also the report text, the progress bar
// and the message box whose open time stays out of the run time.

#include "steps/step_port.h"
#include "steps/step_result.h"
#include "steps/step_texts.h"

#include <cstdint>
#include <string>

namespace gui {

// Procedure results (the finish step looks at the low 14 bits): the
// shared steps' numbers.
inline constexpr int32_t kResultFailed = steps::Code(steps::StepResult::Failed);
inline constexpr int32_t kResultPassed = steps::Code(steps::StepResult::Passed);
inline constexpr int32_t kResultStopped = steps::Code(steps::StepResult::Stopped);
inline constexpr int32_t kResultTerminated = steps::Code(steps::StepResult::Terminated);
inline constexpr int32_t kResultCodeMask = 0x3FFF;
inline constexpr int32_t kFinalActionAllowed = 0x4000; // AUTO PROGRAM only

inline constexpr size_t kReportKeep = 2000;        // characters of ReportText kept
inline constexpr size_t kReportHistoryKeep = 6000; // characters of ReportHistoryText kept
inline constexpr uint32_t kElapsedMaxMs = 999999;  // the DONE line never shows more

inline constexpr const char* kReportSeparator = steps::kSeparatorLine;

struct FrameState {
    std::string ReportText;          // the current run
    std::string ReportHistoryText;   // earlier runs, while ReportHistory is 1
    int32_t PortOpenResult = 0;      // result of the last interface open (1 = open)
    int32_t AutoProgramActive = 0;   // 1 while AUTO PROGRAM runs
    uint32_t ProcedureStartTick = 0; // tick count when the connect step succeeded
    int32_t PromptTime = 0;          // ms boxes stayed open since the connect step
    int32_t FuseCheckedThisRun = 0;
    int32_t FuseBlownFound = 0;
    int32_t FirmwareUpdateOffer = 1; // 0 once the operator declined the update
    int32_t PowerButtonOn = 0;       // the POWER ON/OFF button's state
    int32_t SnWrittenThisRun = 0;
    // 1 from the start of a procedure until its finish (or its start
    // failed): the lamps are the run's.
    int32_t runActive = 0;
    // PromptOpenMilliseconds at the connect step: PromptTime counts from there.
    uint32_t promptBase = 0;

    void Reset() { *this = FrameState{}; }
};

extern FrameState Frame;

// New report, then TargetConnect. 1 connected, 0 not.
int32_t ProcedureStart();
// Opens the interface, offers a firmware update, powers the target and
// starts the run clock. 1 or 0 (the "Fail" picture and one error box).
int32_t TargetConnect();
// The firmware-update offer of the connect step. Returns 1.
int32_t AdapterFirmwareCheck();
// Closes the interface, runs the adapter firmware update and opens the
// interface again; returns the open result.
int32_t AdapterFirmwareUpdateRun();
// Vcc display, TargetJtagInit(0) and the programming image; returns the
// identification result.
int32_t TargetPrepare();
// Identifies the target once per connection; checks fuse and device type
// once per run. 1 ready, 0 not.
int32_t TargetJtagInit(int32_t forceDeviceCheck);
// Compares the identified device with the selection (question during AUTO
// PROGRAM), shows its name and version, colours the pending lamps.
int32_t DeviceTypeCheck(int32_t ok, int32_t stopPending);
// The "Selected Device Information" line.
void DeviceInfoShow();
// Result line, final target action, status picture, history. Returns 1.
// Once a termination signal arrived, a run the operator's answer would
// have stopped (15) ends as terminated (31): the answer was the signal's.
int32_t ProcedureFinish(int32_t code, steps::FinalAction action);
// The same with the final action as the kFinalActionAllowed bit of code.
int32_t ProcedureFinish(int32_t code);
// A step's result as a run goes on from it: a step that passed after a
// termination signal arrived ends the run there, terminated (31), as an
// operator's stop between two steps would; anything else as it is.
int32_t RunGoesOn(int32_t stepResult);

// Appends to ReportText (last 2000 characters kept) and shows it at once,
// scrolled to its end.
void ReportAppend(const std::string& text);
// Appends to the history and shows it while ReportHistory is 1; else
// clears the history.
void ReportHistoryAppend(const std::string& text);
// "...\t done" (non-zero) or "...\t failed" (0).
void ReportDoneFailed(int32_t result);
// The progress bar (1024) at percent, shown at once; nothing while the main
// window does not exist. Installed as the core's progress operation.
void ProgressBarSetPos(int32_t percent);
// A box owned by the main window; its open time is kept out of the run time
// (every box is: the prompt service counts it).
int TimedMessageBox(const std::string& text, const std::string& caption, uint32_t flags);

// The shared steps' port: ReportAppend, the progress bar and
// TimedMessageBox.
steps::StepPort& StepsPort();

// The run time of the current procedure: ms since the connect step less the
// time boxes stayed open, across the tick wrap, at most 999999.
uint32_t ProcedureElapsedMs();

} // namespace gui
