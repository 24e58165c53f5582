#pragma once
// What the procedures show while they run. Run directly, a procedure has no
// presenter: its messages go into the report log and nobody answers them.
// Run in the progress dialog, the dialog presents: message boxes when
// prompts are on, the status display, the identified device and the
// progress bar. The steps themselves are the same in both.

#include "steps/step_port.h"

#include <cstdint>
#include <string>

namespace api {

using steps::MessageAnswer;
using steps::MessageStyle;

class ProcedurePresenter {
public:
    virtual ~ProcedurePresenter() = default;
    // A message box of the given style, modal; the operator's answer.
    virtual MessageAnswer Box(const char* caption, const std::string& text, MessageStyle style) = 0;
    // The supply voltage, its lamp and the interface, after a supply reading.
    virtual void StatusRefresh() = 0;
    // The identified device's name after a successful connect.
    virtual void DeviceFound(const std::string& name) = 0;
    // The progress bar, 0..100.
    virtual void Progress(int32_t percent) = 0;
};

} // namespace api
