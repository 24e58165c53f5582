#include "gui/procedure_frame.h"
#include "gui/main_ids.h"

#include "core/debug_api.h"
#include "core/debug_error_table.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/flash_access.h"
#include "core/program_image.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "gui/action_state.h"
#include "gui/adapter_tools.h"
#include "gui/barcode_input.h"
#include "gui/link_watch.h"
#include "gui/main_controls.h"
#include "gui/main_dialog.h"
#include "gui/main_window_state.h"
#include "gui/preferences.h"
#include "gui/serial_number.h"
#include "gui/setup_runners.h"
#include "gui/sn_format.h"
#include "gui/status_lamps.h"
#include "gui/window_facts.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "steps/step_texts.h"
#include "steps/steps.h"
#include "ui/termination.h"

#include <algorithm>
#include <cstdio>

namespace gui {

FrameState Frame;

namespace {

using platform::IDNO;
using platform::IDYES;

constexpr uint32_t kErrorBox = platform::MB_OK | platform::MB_ICONERROR;            // 0x10
constexpr uint32_t kYesNoWarning = platform::MB_YESNO | platform::MB_ICONWARNING;   // 0x34
constexpr uint32_t kYesNoQuestion = platform::MB_YESNO | platform::MB_ICONQUESTION; // 0x24

// The library's number for a port another program holds.
constexpr int32_t kErrorPortInUse = 58;

// The last keep characters of text.
void KeepTail(std::string& text, size_t keep) {
    if (text.size() > keep) {
        text.erase(0, text.size() - keep);
    }
}

// Shows text in the report edit, scrolled so that its last line shows, and
// repaints at once: a procedure runs without returning to the message loop.
void ReportShow(const std::string& text) {
    MainDialog* dialog = MainWindow.TheMainDialog;
    if (dialog == nullptr) {
        return;
    }
    dialog->SetItemText(kMainReportEdit, text);
    dialog->LineScroll(kMainReportEdit, dialog->GetLineCount(kMainReportEdit));
    dialog->UpdateWindow();
}

StatusLamp& Row(int32_t row) {
    return StatusDisplay.StatusLampTable[static_cast<size_t>(row)];
}

// Rows 3-9 that wait in this run (yellow) take bitmap.
void PendingRowsSet(int32_t bitmap) {
    for (int32_t r = kRowErase; r <= kRowChecksum; ++r) {
        if (Row(r).bitmap == kLampPending) {
            Row(r).bitmap = bitmap;
        }
    }
}

std::string TrimmedRowName(int32_t row) {
    if (!core::DeviceRowValid(row)) {
        return "";
    }
    std::string name = core::DeviceInfoTable.records[row].name;
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

uint32_t BoxFlags(steps::MessageStyle style) {
    switch (style) {
    case steps::MessageStyle::Error:
        return kErrorBox;
    case steps::MessageStyle::Warning:
        return platform::MB_OK | platform::MB_ICONWARNING;
    case steps::MessageStyle::OkCancel:
        return platform::MB_OKCANCEL | platform::MB_ICONQUESTION;
    case steps::MessageStyle::YesNo:
        return kYesNoWarning;
    }
    return kErrorBox;
}

steps::MessageAnswer AnswerOf(int id) {
    switch (id) {
    case platform::IDOK:
        return steps::MessageAnswer::Ok;
    case platform::IDCANCEL:
        return steps::MessageAnswer::Cancel;
    case IDYES:
        return steps::MessageAnswer::Yes;
    case IDNO:
        return steps::MessageAnswer::No;
    default:
        return steps::MessageAnswer::None;
    }
}

// A failed open's box names only the port setup and the cable: when the
// library says another program holds the port, the report says so in the
// library's words (once: out of the error log a finish would add).
void PortInUseReport() {
    if (core::Debug_Error_Number() != kErrorPortInUse) {
        return;
    }
    const char* text = core::Debug_Error_String(kErrorPortInUse);
    if (text == nullptr || *text == '\0') {
        text = core::DebugErrorText(kErrorPortInUse);
    }
    if (text == nullptr) {
        return;
    }
    std::string line = text;
    if (!line.empty() && line.back() != '.') {
        line += '.';
    }
    line += "\r\n";
    std::string& log = core::Target.TargetErrorLog;
    const size_t at = log.find(line);
    if (at != std::string::npos) {
        log.erase(at, line.size());
    }
    ReportAppend(line);
}

class GuiStepPort final : public steps::StepPort {
public:
    void Report(std::string_view text) override { ReportAppend(std::string(text)); }
    void Progress(int32_t percent) override { ProgressBarSetPos(percent); }
    steps::MessageAnswer Message(const char* caption, const std::string& text,
                                 steps::MessageStyle style) override {
        return AnswerOf(TimedMessageBox(text, caption, BoxFlags(style)));
    }
    void Caption(const char* step) override { MainWindowSetText(kMainStepEdit, step); }
    void DeviceFound(const std::string& type) override {
        ProgressBarSetPos(100);
        PendingRowsSet(kLampReady);
        WindowFactsBoardFound(type, core::ConnectedDevice.version);
    }
};

} // namespace

steps::StepPort& StepsPort() {
    static GuiStepPort port;
    return port;
}

int TimedMessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
    // The prompt service itself keeps every box's open time, the core's
    // boxes included; the run time subtracts it from there.
    return platform::ShowMessageBox(text, caption, flags);
}

void ReportAppend(const std::string& text) {
    Frame.ReportText += text;
    KeepTail(Frame.ReportText, kReportKeep);
    ReportShow(Frame.ReportText);
}

void ReportHistoryAppend(const std::string& text) {
    if (core::Settings.ReportHistory != 1) {
        Frame.ReportHistoryText.clear();
        return;
    }
    Frame.ReportHistoryText += text;
    KeepTail(Frame.ReportHistoryText, kReportHistoryKeep);
    ReportShow(Frame.ReportHistoryText);
}

void ReportDoneFailed(int32_t result) {
    ReportAppend(result == 0 ? steps::kFailedLine : steps::kDoneLine);
}

void ProgressBarSetPos(int32_t percent) {
    if (MainWindow.MainDialogExists == 0 || MainWindow.TheMainDialog == nullptr) {
        return;
    }
    MainWindow.TheMainDialog->SetPos(kMainProgressBar, percent);
    MainWindow.TheMainDialog->UpdateWindow();
}

uint32_t ProcedureElapsedMs() {
    Frame.PromptTime = static_cast<int32_t>(platform::PromptOpenMilliseconds() - Frame.promptBase);
    // Unsigned differences stay right across the tick count's wrap.
    const uint32_t elapsed =
        TickCount() - Frame.ProcedureStartTick - static_cast<uint32_t>(Frame.PromptTime);
    return std::min(elapsed, kElapsedMaxMs);
}

int32_t ProcedureStart() {
    std::string sn = MainWindowText(kMainNextSnEdit);
    if (sn.size() > 260) {
        sn.resize(260);
    }
    // Set by code, the field runs no change handler: ManualSnFlag keeps
    // the value it had.
    MainWindowSetText(kMainNextSnEdit, SerialNumberTextClean(sn));

    Frame.ReportHistoryText += Frame.ReportText;
    Frame.ReportText.clear();
    ReportAppend(kReportSeparator);
    Frame.runActive = 1;
    const int32_t connected = TargetConnect();
    if (connected != 1) {
        // A single action ends here without its finish.
        Frame.runActive = 0;
    }
    return connected;
}

int32_t AdapterFirmwareUpdateRun() {
    core::TargetClose();
    {
        CMSP_FET430UIF_SetupDlg dialog;
        dialog.DoModal();
    }
    core::TargetClose();
    return core::TargetOpen();
}

int32_t AdapterFirmwareCheck() {
    // Only an update the loaded library can carry out is offered.
    if (Frame.PortOpenResult == 1 && core::Target.AdapterFirmwareVersion == -1 &&
        core::Settings.CommPortIndex == 3 && Frame.FirmwareUpdateOffer == 1 &&
        LibraryHoldsFirmwareImage()) {
        const int answer = TimedMessageBox("The USB_FET has not the latest firmware.\r\n\r\n"
                                           "Would you like to upgrade firmware\r\n\r\n",
                                           "Warning", kYesNoQuestion);
        if (answer == IDYES) {
            Frame.PortOpenResult = AdapterFirmwareUpdateRun();
        } else {
            Frame.FirmwareUpdateOffer = 0;
        }
    }
    return 1;
}

int32_t TargetConnect() {
    // "Active" from the moment the connect begins: an open or a power-up
    // that stalls must not leave the picture of the last run meanwhile.
    Row(kRowPicture).bitmap = kPictureActive;
    Row(kRowConnect).bitmap = kLampReady;
    StatusLampsPaint();
    if (MainWindow.TheMainDialog != nullptr) {
        MainWindow.TheMainDialog->UpdateWindow();
    }
    LinkWatchInstall();
    // An interface whose link gave up is open only on our side: the open
    // must be a real one, or every run after the lost one fails as well.
    LinkWatchReopenPending();
    Frame.PortOpenResult = core::TargetOpen();
    AdapterFirmwareCheck();
    ConnectionCaptionsUpdate();
    core::DeviceSelectByIndex();
    if (Frame.PortOpenResult == 1) {
        core::TargetLockedFlashAccessEnd();
    }
    core::Settings.PowerFromPODEnable = 1;

    Row(kRowPicture).bitmap = kPictureActive;
    Row(kRowConnect).bitmap = kLampReady;
    StatusLampsPaint();
    MainWindowSetText(kMainStepEdit, "");
    MainWindowSetText(kMainReadModelEdit, "");
    MainWindowSetText(kMainReadSnEdit, "");
    Frame.SnWrittenThisRun = 0;

    if (Frame.PortOpenResult != 1) {
        PortInUseReport();
    }
    steps::OpenInput in;
    in.adapterOpen = Frame.PortOpenResult == 1;
    in.bootloaderOnly = core::Target.bootloaderOnly != 0;
    in.powerOn = true;
    in.settle = Frame.PowerButtonOn == 0;
    if (steps::OpenTarget(StepsPort(), steps::kQuillbaySteps, in) != steps::StepResult::Passed) {
        StatusLampsReset();
        Row(kRowPicture).bitmap = kPictureFail;
        // No target is connected: the last identification no longer holds.
        WindowFactsShow(kBoardLost);
        return 0;
    }
    VccDisplayUpdate();
    // Not measured (the options say why): taken as sufficient.
    core::Target.TargetSupplyValue = 300;

    Frame.ProcedureStartTick = TickCount();
    Frame.PromptTime = 0;
    Frame.promptBase = platform::PromptOpenMilliseconds();
    Frame.FuseCheckedThisRun = 0;
    return 1;
}

int32_t TargetPrepare() {
    VccDisplayUpdate();
    const int32_t ok = TargetJtagInit(0);
    ImagePrepare(Frame.AutoProgramActive, 1);
    return ok;
}

int32_t TargetJtagInit(int32_t forceDeviceCheck) {
    const steps::IdentifyOutcome id =
        steps::IdentifyTarget(StepsPort(), steps::kQuillbaySteps, Frame.FuseCheckedThisRun == 0);
    int32_t ok = id.result == steps::StepResult::Passed ? 1 : 0;
    if (ok != 1) {
        // Whatever was identified before is not known to be there now.
        WindowFactsShow(kBoardLost);
    }
    if (id.fuseChecked) {
        Frame.FuseCheckedThisRun = 1;
        Frame.FuseBlownFound = id.fuseBlown ? 1 : 0;
        Row(kRowConnect).bitmap =
            id.fuseBlown ? kLampStopped : (ok == 1 ? kLampPassed : kLampFailed);
        if (forceDeviceCheck != 0 || ok == 1) {
            ok = DeviceTypeCheck(ok, 1);
        }
    }
    return ok;
}

int32_t DeviceTypeCheck(int32_t ok, int32_t stopPending) {
    WindowFactsBoardForget();
    DeviceInfoShow();
    if (ok != 1 && stopPending != 0) {
        PendingRowsSet(kLampStopped);
        StatusLampsPaint();
    }
    steps::DeviceCheckInput in;
    in.answered = ok == 1;
    in.fuseBlown = Frame.FuseBlownFound != 0;
    in.askAboutType = Frame.AutoProgramActive == 1 && core::ConnectedDevice.match != 1;
    in.selectedType = "MSP430F" + TrimmedRowName(core::Settings.SelectedProcessorIndex);
    // No to the type question stops the run (15): the operator chose it.
    return steps::Code(steps::DeviceCheck(StepsPort(), steps::kQuillbaySteps, in));
}

void DeviceInfoShow() {
    MainWindowSetText(kMainDeviceInfoGroup, "Selected Device Information");
    const core::SelectedDeviceState& d = core::SelectedDevice;
    char line[96];
    std::snprintf(line, sizeof line, "RAM - %5.1i bytes;      FLASH - %2.1i kB;", d.ramSize,
                  (d.flashEnd + 257 - d.flashStart) / 1024);
    MainWindowSetText(kMainDeviceInfoText, line);
}

int32_t RunGoesOn(int32_t stepResult) {
    return stepResult == 1 && ui::TerminationRequested() ? kResultTerminated : stepResult;
}

int32_t ProcedureFinish(int32_t code) {
    return ProcedureFinish(code & ~kFinalActionAllowed, (code & kFinalActionAllowed) != 0
                                                            ? steps::FinalAction::StartApplication
                                                            : steps::FinalAction::None);
}

int32_t ProcedureFinish(int32_t code, steps::FinalAction action) {
    code &= kResultCodeMask;
    if (code == kResultStopped && ui::TerminationRequested()) {
        code = kResultTerminated;
    }
    Frame.ReportText += core::Target.TargetErrorLog;
    ReportAppend("");
    MainWindowSetText(kMainStepEdit, "");

    if (core::Settings.PowerFromPODEnable == 1 && Frame.PowerButtonOn == 0) {
        core::TargetPowerSet(0);
        steps::SupplyOffLine(StepsPort());
    }
    core::TargetClearIdentified();

    const uint32_t elapsed = ProcedureElapsedMs();
    // Quillbay does not measure the supply: no run of its ends on it.
    const steps::StepResult result = code == steps::Code(steps::StepResult::LowSupply)
                                         ? steps::StepResult::Failed
                                         : steps::ResultOf(code);
    switch (result) {
    case steps::StepResult::Passed:
        Row(kRowPicture).bitmap = kPicturePass;
        break;
    case steps::StepResult::Stopped:
    case steps::StepResult::Terminated:
        Row(kRowPicture).bitmap = kPictureBlank;
        break;
    default:
        Row(kRowPicture).bitmap = kPictureFail;
        break;
    }
    steps::StepPort& port = StepsPort();
    steps::FinishVerdict(port, result, elapsed);
    if (result == steps::StepResult::Passed) {
        const int32_t start = core::Settings.ApplicationStartEnable;
        if (start != 0 && action == steps::FinalAction::StartApplication) {
            if (core::Settings.PowerFromPODEnable == 1) {
                core::TargetPowerSet(1);
            }
            if (start == 1) {
                steps::FinishResetLine(port);
                core::TargetReset();
            }
            steps::FinishStartLine(port);
        }
    } else if (result == steps::StepResult::Failed) {
        ResultSound(kSoundError);
    }

    Frame.runActive = 0;
    WindowFactsShow(kRunEnded);
    SerialNumberDisplayUpdate(1);

    Frame.ReportHistoryText += Frame.ReportText;
    Frame.ReportText.clear();
    ReportHistoryAppend("");
    core::Target.TargetErrorLog.clear();
    core::ConnectedDevice.name.clear();
    return 1;
}

} // namespace gui
