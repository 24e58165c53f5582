#include "api/procedure_frame.h"

#include "api/adapter_select.h"
#include "api/api_state.h"
#include "api/lib_target.h"
#include "api/presenter_choice.h"
#include "api/procedures.h"
#include "api/report_log.h"
#include "core/device_select.h"
#include "core/program_image.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "core/timing.h"
#include "platform/sound.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

#include <algorithm>
#include <cstdio>

namespace api {

ProcedureState Procedure;

namespace {

constexpr int32_t kFinishSettleUs = 20000;
constexpr int32_t kApplicationStepMs = 200;
constexpr double kRunTimeMaxMs = 999999.0;
constexpr uint32_t kFinishBeepHz = 600;
constexpr uint32_t kFinishBeepMs = 60;

void PresenterStatusRefresh() {
    if (Procedure.presenter != nullptr) {
        Procedure.presenter->StatusRefresh();
    }
}

void EndOpen(int32_t result) {
    Procedure.StartTicks = core::TimeMilliseconds();
    Procedure.PromptTime = 0;
    Procedure.FuseChecked = 0;
    Lib.TargetActive = result == kProcDone ? 1 : 0;
}

class ApiStepPort final : public steps::StepPort {
public:
    void Report(std::string_view text) override { ReportAppend(text); }
    void Progress(int32_t percent) override { ProcedureProgress(percent); }
    steps::MessageAnswer Message(const char* caption, const std::string& text,
                                 steps::MessageStyle style) override {
        return ProcedureMessage(caption, text, style);
    }
    void SupplyRead() override { TargetVccRead(); }
    void StatusRefresh() override { PresenterStatusRefresh(); }
    bool Prompts() const override { return Lib.PromptsEnabled == 1; }
    bool ShowsBoxes() const override { return Procedure.presenter != nullptr; }
    void DeviceFound(const std::string& type) override {
        if (Procedure.presenter != nullptr) {
            Procedure.presenter->DeviceFound(type);
            Procedure.presenter->Progress(100);
        }
    }
};

} // namespace

steps::StepPort& StepsPort() {
    static ApiStepPort port;
    return port;
}

MessageAnswer ProcedureMessage(const char* caption, const std::string& text, MessageStyle style) {
    Procedure.MessageText = text;
    if (Procedure.presenter != nullptr && Lib.PromptsEnabled == 1) {
        const double opened = core::TimeMilliseconds();
        const MessageAnswer answer = Procedure.presenter->Box(caption, text, style);
        Procedure.PromptTime += core::TimeMilliseconds() - opened;
        return answer;
    }
    ReportAppend(caption);
    ReportAppend("\r\n");
    ReportAppend(text);
    return MessageAnswer::None;
}

int32_t OpenStep() {
    if (LibSettings.Interface == 2) {
        LibSettings.Interface = 0;
    }
    ReportAppend(steps::kSeparatorLine);
    Lib.TargetActive = 0;
    if (LibSettings.Interface != 0) {
        LibSettings.Interface = 3;
    }
    // A host that selects by ID and has no selection gets no adapter at
    // all: opening another would program a board the host did not choose.
    const int32_t present = AdapterSelectionHolds() ? core::TargetOpen() : 0;
    core::DeviceSelectByIndex();
    Procedure.StartTicks = core::TimeMilliseconds();
    Procedure.PromptTime = 0;
    core::TargetClearIdentified();

    steps::OpenInput in;
    in.adapterOpen = present == 1;
    in.bootloaderOnly = core::Target.bootloaderOnly != 0;
    in.powerOn = core::Settings.PowerFromPODEnable != 0;
    in.settle = in.powerOn;
    const steps::StepResult result = steps::OpenTarget(StepsPort(), steps::kQuillcoreSteps, in);
    if (result == steps::StepResult::LowSupply) {
        Procedure.FuseChecked = 0;
        Lib.TargetActive = 0;
        return kProcLowSupply;
    }
    EndOpen(steps::Code(result));
    return steps::Code(result);
}

void ProcedureProgress(int32_t percent) {
    if (Procedure.presenter != nullptr) {
        Procedure.presenter->Progress(percent);
    }
}

int32_t ConnectStep(int32_t) {
    TargetVccRead();
    PresenterStatusRefresh();
    const int32_t result = JtagStart();
    core::ProgramImagePrepare(Procedure.AutoRunning, 1);
    return result;
}

int32_t JtagStart() {
    if (core::ConnectedDevice.TargetIdentified != 0) {
        return 1;
    }
    const bool firstSinceOpen = Procedure.FuseChecked == 0;
    const steps::IdentifyOutcome id =
        steps::IdentifyTarget(StepsPort(), steps::kQuillcoreSteps, firstSinceOpen);
    if (id.fuseChecked) {
        Procedure.FuseChecked = 1;
        Lib.FuseBlown = id.fuseBlown ? 1 : 0;
    }
    const int32_t result =
        ConnectCheck(id.result == steps::StepResult::Passed ? 1 : 0, firstSinceOpen);
    return Lib.FuseBlown * 2 | result;
}

int32_t ConnectCheck(int32_t r, bool askDevice) {
    steps::DeviceCheckInput in;
    in.answered = r == 1;
    in.fuseBlown = Lib.FuseBlown != 0;
    in.askAboutType = askDevice && Procedure.AutoRunning == 1 && core::ConnectedDevice.match == 0;
    const std::string& selected = core::SelectedDevice.name;
    in.selectedType = "MSP430 F" + (selected.size() > 7 ? selected.substr(7) : selected);
    const steps::StepResult result = steps::DeviceCheck(StepsPort(), steps::kQuillcoreSteps, in);
    // A target that did not answer keeps the identification's own result.
    return in.answered && result != steps::StepResult::Passed ? 0 : r;
}

int32_t FinishStep(int32_t argument) {
    return FinishStep(argument & ~kFinishAutoProgram, (argument & kFinishAutoProgram) != 0
                                                          ? steps::FinalAction::StartApplication
                                                          : steps::FinalAction::None);
}

int32_t FinishStep(int32_t argument, steps::FinalAction action) {
    const int32_t c = argument & 0x3FFF;
    const bool autoProgram = action == steps::FinalAction::StartApplication;
    core::DelayMicroseconds(kFinishSettleUs);
    Lib.TargetActive = 0;
    const core::SettingsState& s = core::Settings;
    if (!(autoProgram && c == kProcDone && s.ApplicationStartEnable == 3)) {
        // Without a selection the power switch would reach an adapter the
        // host did not choose (or open one).
        if (s.PowerFromPODEnable == 1 && AdapterSelectionHolds()) {
            core::TargetPowerSet(0);
            steps::SupplyOffLine(StepsPort());
        }
        core::TargetClearIdentified();
    }
    const double runTime = std::min(
        core::TimeMilliseconds() - Procedure.StartTicks - Procedure.PromptTime, kRunTimeMaxMs);
    steps::StepPort& port = StepsPort();
    steps::FinishVerdict(port, steps::ResultOf(c), runTime);
    if (c == kProcDone && autoProgram && s.ApplicationStartEnable != 0) {
        switch (s.ApplicationStartEnable) {
        case 1:
            if (s.PowerFromPODEnable != 0) {
                core::TargetPowerSet(1);
            }
            steps::FinishResetLine(port);
            core::TargetReset();
            break;
        case 2:
            if (s.PowerFromPODEnable != 0) {
                core::TargetPowerSet(1);
            }
            if (s.PowerFromPODEnable == 1) {
                ReportAppend(" --- Toggling Vcc and Reset --- \r\n");
            } else {
                steps::FinishResetLine(port);
            }
            break;
        default:
            ReportAppend(" --- Soft Reset ---.........................");
            ReportVerdict(1);
            break;
        }
        steps::FinishStartLine(port);
        if (LibSettings.ApplicationRunTime != 0) {
            const double start = core::TimeMilliseconds();
            const double span = LibSettings.ApplicationRunTime * 1000.0;
            for (;;) {
                const double now = core::TimeMilliseconds();
                if (now < start || now - start >= span) {
                    break;
                }
                core::DelayMicroseconds(kApplicationStepMs * 1000);
            }
            ReportAppend(" --- Stop application program ---\r\n");
            core::TargetClearIdentified();
            if (s.PowerFromPODEnable != 0) {
                core::TargetPowerSet(0);
            }
        }
    }
    if (LibSettings.BeepEnable != 0) {
        platform::Beep(kFinishBeepHz, kFinishBeepMs);
    }
    return c;
}

int32_t ProcedureDispatch(int32_t code) {
    switch (code) {
    case kProcOpen: {
        const int32_t open = OpenStep();
        return open == kProcDone ? ConnectStep(1) : open;
    }
    case kProcFinish:
        return FinishStep(kProcDone);
    case kProcAutoProgram:
        return AutoProgram();
    case kProcFuseCheck:
        return FuseCheckProcedure();
    case kProcErase:
        return EraseProcedure(Lib.ProcedureArgument);
    case kProcBlankCheck:
        return BlankCheckProcedure();
    case kProcWrite:
        return WriteProcedure();
    case kProcVerify:
        return VerifyProcedure();
    case kProcRead:
        return ReadProcedure();
    case kProcBlowFuse:
        return BlowFuseProcedure();
    default:
        return kProcFailed;
    }
}

int32_t ProcedureLauncher(int32_t code) {
    Lib.ProcedureCode = code;
    if (Lib.RunDirect != 2) {
        return ProgressDialogRun();
    }
    ReportClear();
    Lib.ProcedureResult = ProcedureDispatch(code);
    return Lib.ProcedureResult;
}

} // namespace api
