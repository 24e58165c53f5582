#pragma once
// What a step or a whole procedure ended in. The numbers are the ones the
// deliverables have always written and handed out (Quillcore returns them
// from its procedure exports), so they stay as they are.

#include <cstdint>

namespace steps {

enum class StepResult : int32_t {
    Failed = 0,
    Passed = 1,
    FuseBlown = 2,   // the security fuse was found blown
    Stopped = 15,    // No or Cancel in a prompt
    Terminated = 31, // a termination signal ended the run
    LowSupply = 32,  // the supply stayed below the device minimum, nobody to ask
};

// What the finish step does after a passed run, kept apart from the result.
enum class FinalAction {
    None,             // a single step: the target is switched off
    StartApplication, // AUTO PROGRAM: the application start setting applies
};

constexpr int32_t Code(StepResult r) {
    return static_cast<int32_t>(r);
}

// A code as the finish step judges it: any number it has no line for is
// a failure.
constexpr StepResult ResultOf(int32_t code) {
    switch (code) {
    case 1:
        return StepResult::Passed;
    case 15:
        return StepResult::Stopped;
    case 31:
        return StepResult::Terminated;
    case 32:
        return StepResult::LowSupply;
    default:
        return StepResult::Failed;
    }
}

// A core operation's 0/1 (or a flag word's low bit) as a result.
constexpr StepResult PassedIf(bool passed) {
    return passed ? StepResult::Passed : StepResult::Failed;
}

} // namespace steps
