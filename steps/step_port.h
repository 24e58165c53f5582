#pragma once
// The port the shared programming steps report through. Each deliverable
// implements it once: Quillbay over its main window (report control,
// progress bar 1024, message boxes whose open time stays out of the run
// time), Quillcore over its report log and the progress dialog's presenter.

#include <cstdint>
#include <string>
#include <string_view>

namespace steps {

enum class MessageStyle { Error, Warning, OkCancel, YesNo };
enum class MessageAnswer { None, Ok, Cancel, Yes, No };

class StepPort {
public:
    virtual ~StepPort() = default;
    // One piece of the current run's report.
    virtual void Report(std::string_view text) = 0;
    // The progress bar, 0..100.
    virtual void Progress(int32_t percent) = 0;
    // A message of a step; the operator's answer (None where nobody can
    // answer).
    virtual MessageAnswer Message(const char* caption, const std::string& text,
                                  MessageStyle style) = 0;
    // Reads the target supply again (only where the options ask for it).
    virtual void SupplyRead() {}
    // Shows the status (the supply just read) where a display has it.
    virtual void StatusRefresh() {}
    // Whether a question can be put to somebody (else a message only
    // informs, and the step does not wait for an answer).
    virtual bool Prompts() const { return true; }
    // The connected target passed its checks: its type, for the display.
    virtual void DeviceFound(const std::string& /*type*/) {}
    // Whether a step's error box is shown to somebody (else the step
    // leaves it out).
    virtual bool ShowsBoxes() const { return true; }
    // The step under way, for a display that names it.
    virtual void Caption(const char* /*step*/) {}
};

} // namespace steps
