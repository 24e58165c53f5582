#pragma once
// The frame every procedure runs in: the open step (interface, device row,
// target supply), the connect step with its JTAG start and fuse check, and
// the finish step with its verdict line; the procedure launcher and
// dispatch. Run directly, a procedure's messages go into the report log and
// count as answered with none of the buttons; in the progress dialog its
// presenter shows them.

#include "api/procedure_presenter.h"
#include "steps/retain_step.h"
#include "steps/step_port.h"
#include "steps/step_result.h"

#include <cstdint>
#include <string>

namespace api {

// Result codes.
inline constexpr int32_t kProcFailed = 0;
inline constexpr int32_t kProcDone = 1;
inline constexpr int32_t kProcFuseBlown = 2;
inline constexpr int32_t kProcCancelled = 15;
inline constexpr int32_t kProcTerminated = 31;
inline constexpr int32_t kProcLowSupply = 32;
inline constexpr int32_t kFinishAutoProgram = 0x4000; // lets the finish start the application

// Procedure codes.
inline constexpr int32_t kProcAutoProgram = 1;
inline constexpr int32_t kProcFuseCheck = 2;
inline constexpr int32_t kProcErase = 3;
inline constexpr int32_t kProcBlankCheck = 4;
inline constexpr int32_t kProcWrite = 5;
inline constexpr int32_t kProcVerify = 6;
inline constexpr int32_t kProcRead = 7;
inline constexpr int32_t kProcBlowFuse = 8;
inline constexpr int32_t kProcOpen = 9;
inline constexpr int32_t kProcFinish = 10;

struct ProcedureState {
    int32_t AutoRunning = 0;
    int32_t FuseChecked = 0; // 1 once the fuse was verified since the last open step
    double StartTicks = 0;   // ms
    double PromptTime = 0;   // ms spent in message boxes since StartTicks
    std::string MessageText; // the last message built
    // The dialog presenting the run; nullptr when it runs directly.
    ProcedurePresenter* presenter = nullptr;
    // The retained areas' copies (Quillcore keeps none past a failed
    // restore: its steps' options say why).
    steps::PendingRetained retained;

    void Reset() { *this = ProcedureState{}; }
};

extern ProcedureState Procedure;

// A message of a procedure: a box of the presenter when prompts are on
// (its open time kept out of the run time), else written into the report
// log as caption, "\r\n" and text, answered with none of the buttons.
MessageAnswer ProcedureMessage(const char* caption, const std::string& text, MessageStyle style);

// The open step: 1 with the target powered and its supply in range (the
// target stays active), 0 no adapter or no supply, 15 cancelled, 32 supply
// below the device minimum without prompts.
int32_t OpenStep();

// The connect step: supply read, JTAG start, program image prepared again;
// the JTAG start's result (2 with the fuse blown).
int32_t ConnectStep(int32_t argument);

// Identifies the target unless it is identified already and checks the
// fuse once per open: 1, 0, or 2 (fuse blown).
int32_t JtagStart();

// The checks after a connect with result r: a device other than the one
// selected (AUTO PROGRAM only, and only with askDevice: the first
// identification since the open, so the operator is asked once per run),
// a target not responding, a blown fuse.
int32_t ConnectCheck(int32_t r, bool askDevice);

// The finish step: verdict line, power and, after a passed AUTO PROGRAM
// run, the application start; returns the code.
int32_t FinishStep(int32_t code, steps::FinalAction action);
// The same with the final action as the 0x4000 bit of the argument (the
// form the procedure dispatch and older callers hand over).
int32_t FinishStep(int32_t argument);

// The shared steps' port: the report log, ProcedureMessage, the
// presenter's bar and the supply reading.
steps::StepPort& StepsPort();

// The progress bar of the presenter, if any.
void ProcedureProgress(int32_t percent);

// Runs procedure code (1..10) and returns its result; codes without a
// procedure give 0.
int32_t ProcedureDispatch(int32_t code);

// ProcedureCode = code; run directly (RunDirect 2: both logs emptied, the
// dispatch run) or in the progress dialog; ProcedureResult kept and
// returned.
int32_t ProcedureLauncher(int32_t code);

} // namespace api
