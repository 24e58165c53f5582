#include "core/debug_error_table.h"
#include "core/device_select.h"
#include "core/target_connect.h"
#include "core/target_state.h"
#include "core/timing.h"
#include "steps/steps.h"

#include <string>

namespace steps {

namespace {

constexpr int32_t kSupplyReadings = 10;
constexpr int32_t kPowerSettleUs = 100000;

bool SupplyAboveMinimum(StepPort& port) {
    const int32_t minimum = core::SelectedDevice.vccHigh - 10;
    for (int32_t i = 0; i < kSupplyReadings; ++i) {
        port.SupplyRead();
        port.StatusRefresh();
        if (core::Target.TargetSupplyValue > minimum) {
            return true;
        }
    }
    return false;
}

// The supply read until it is in range, with the operator's help where the
// target has a supply of its own.
StepResult SupplyCheck(StepPort& port, bool adapterPowers) {
    bool first = true;
    for (;;) {
        if (SupplyAboveMinimum(port)) {
            return StepResult::Passed;
        }
        if (!port.Prompts()) {
            port.Report("Error!: Target's DC Voltage is below Vcc min\r\n");
            return StepResult::LowSupply;
        }
        if (adapterPowers) {
            port.Message("Warning",
                         "Device is not powered up !\r\n\r\n"
                         "Power up the device and try again.",
                         MessageStyle::Warning);
            return StepResult::Failed;
        }
        std::string text = first ? "Turn DC Power ON now.\r\n\r\n"
                                 : "Target's DC Voltage is still below 2.7 V\r\n\r\n"
                                   "Turn DC Power ON once again.\r\n\r\n";
        text += "Please press:\r\n\r\n"
                "OK         -> when power is turned ON.        \r\n\r\n"
                "CANCEL -> terminate this action.";
        first = false;
        // Only an operator's OK reads the supply again; a message nobody
        // can answer ends the run as cancelled instead of asking for ever.
        if (port.Message("Warning", text, MessageStyle::OkCancel) != MessageAnswer::Ok) {
            return StepResult::Stopped;
        }
    }
}

} // namespace

StepResult OpenTarget(StepPort& port, const StepOptions& options, const OpenInput& in) {
    if (!in.adapterOpen) {
        if (in.bootloaderOnly) {
            const std::string text = core::DebugErrorText(core::kDebugErrorFirmwareErased);
            port.Report(text + "\r\n");
            if (port.Prompts() && port.ShowsBoxes()) {
                port.Message("Error", text, MessageStyle::Error);
            }
            return StepResult::Failed;
        }
        port.Message("Error", options.noAdapterBox, MessageStyle::Error);
        return StepResult::Failed;
    }
    if (in.powerOn) {
        core::TargetPowerSet(1);
        if (in.settle) {
            core::DelayMicroseconds(kPowerSettleUs);
        }
    }
    if (!options.supplyMeasured) {
        return StepResult::Passed;
    }
    return SupplyCheck(port, in.powerOn);
}

} // namespace steps
