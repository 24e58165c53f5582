#include "core/device_select.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

namespace steps {

IdentifyOutcome IdentifyTarget(StepPort& port, const StepOptions& options, bool fuseCheckDue) {
    IdentifyOutcome out;
    if (core::ConnectedDevice.TargetIdentified != 0) {
        out.result = StepResult::Passed;
        return out;
    }
    port.Report(kJtagInitLine);
    if (options.identifyBarFromZero) {
        port.Progress(0);
    }
    out.result = PassedIf(core::TargetIdentifyOk() == 1);
    ReportOkFailedBlown(port, out.result);
    if (!fuseCheckDue) {
        return out;
    }
    out.fuseChecked = true;
    port.Report(options.fuseLine);
    if (core::Target.IdentifyFuseMarker == core::kFuseBlownMarker) {
        out.fuseBlown = true;
        out.result = StepResult::FuseBlown;
    }
    ReportOkFailedBlown(port, out.result);
    return out;
}

StepResult DeviceCheck(StepPort& port, const StepOptions& options, const DeviceCheckInput& in) {
    if (!in.answered) {
        if (in.fuseBlown) {
            port.Message("Error", kFuseBlownBox, MessageStyle::Error);
        } else {
            port.Report(kNotRespondingLine);
            port.Message("Error", kNotRespondingBox, MessageStyle::Error);
        }
        return StepResult::Failed;
    }
    if (in.askAboutType) {
        std::string text = std::string(kTypeMismatchLine) +
                           "\r\nSelected microcontroller type: " + in.selectedType +
                           "\r\n\r\nTarget microcontroller type:    " + core::ConnectedDevice.name +
                           "\r\n";
        if (port.Prompts()) {
            text += "\r\nWould you like to continue anyway?";
            if (port.Message("Warning", text, MessageStyle::YesNo) != MessageAnswer::Yes) {
                // The report keeps why the run ended: the box is gone.
                port.Report(std::string(kTypeMismatchLine) +
                            "Selected microcontroller type: " + in.selectedType +
                            "\r\nTarget microcontroller type:    " + core::ConnectedDevice.name +
                            "\r\n");
                return options.mismatchNoStops ? StepResult::Stopped : StepResult::Failed;
            }
        } else {
            // Nobody to ask: the run goes on, the report says why it might
            // not be what the host expects.
            port.Message("Warning", text, MessageStyle::Warning);
        }
    }
    port.DeviceFound(core::ConnectedDevice.name);
    return StepResult::Passed;
}

} // namespace steps
