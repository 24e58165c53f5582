#pragma once
// The frame every procedure runs in: the open step (interface, device row,
// target supply), the connect step with its JTAG start and fuse check, and
// the finish step with its verdict line; the procedure launcher and
// dispatch. Procedures run directly on the caller's thread; their messages
// go into the report log and count as answered with none of the buttons.

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

inline constexpr int32_t kProcOpen = 9;
inline constexpr int32_t kProcFinish = 10;

struct ProcedureState {
    int32_t AutoRunning = 0;
    int32_t FuseChecked = 0; // 1 once the fuse was verified since the last open step
    double StartTicks = 0;   // ms
    double PromptTime = 0;   // ms spent in message boxes since StartTicks

    void Reset() { *this = ProcedureState{}; }
};

extern ProcedureState Procedure;

enum class MessageStyle { Error, Warning, OkCancel, YesNo };
enum class MessageAnswer { None, Ok, Cancel, Yes, No };

// A message of a procedure: written into the report log as caption,
// "\r\n" and text. Nobody answers it in this presentation.
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
// selected (AUTO PROGRAM only), a target not responding, a blown fuse.
int32_t ConnectCheck(int32_t r);

// The finish step (0x4000 from AUTO PROGRAM): verdict line, power and the
// application start; returns the code without the flag.
int32_t FinishStep(int32_t argument);

// Runs procedure code (1..10) and returns its result; codes without a
// procedure give 0.
int32_t ProcedureDispatch(int32_t code);

// ProcedureCode = code; both logs emptied, the dispatch run, ProcedureResult
// kept and returned.
int32_t ProcedureLauncher(int32_t code);

} // namespace api
