#include "gui/main_actions.h"
#include "gui/main_ids.h"

#include "core/code_file_filter.h"
#include "core/code_file_names.h"
#include "core/code_image.h"
#include "core/device_select.h"
#include "core/memory_map.h"
#include "core/passwords.h"
#include "core/program_image.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/timing.h"
#include "gui/action_state.h"
#include "gui/barcode_input.h"
#include "gui/bsl_passw_dlg.h"
#include "gui/code_file_actions.h"
#include "gui/combine_files_dlg.h"
#include "gui/main_controls.h"
#include "gui/main_dialog.h"
#include "gui/main_window_state.h"
#include "gui/memory_view_dlgs.h"
#include "gui/options_dlg.h"
#include "gui/preferences.h"
#include "gui/preferences_dlg.h"
#include "gui/procedure_frame.h"
#include "gui/procedure_steps.h"
#include "gui/reset_option_dlg.h"
#include "gui/serial_number.h"
#include "gui/setup_runners.h"
#include "gui/sn_claims.h"
#include "gui/sn_history.h"
#include "gui/sn_hooks.h"
#include "gui/status_lamps.h"
#include "gui/window_facts.h"
#include "platform/prompt.h"
#include "steps/steps.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace gui {

namespace {

using core::Settings;

constexpr uint32_t kYesNoWarning = platform::MB_YESNO | platform::MB_ICONWARNING;        // 0x34
constexpr uint32_t kErrorBox = platform::MB_OK | platform::MB_ICONERROR;                 // 0x10
constexpr uint32_t kOkCancelWarning = platform::MB_OKCANCEL | platform::MB_ICONQUESTION; // 0x21

const char* const kEraseFirst = "Please erase flash memory first.\r\n\r\n"
                                "It is not recommended to write to the same location of the\r\n"
                                "flash memory more then once without erasing the flash.\r\n"
                                "See the MSP430 specification for details.\r\n\r\n"
                                "Would you like to write to flash anyway?";

const char* const kFuseWarning = "Blow the Security Fuse Procedure is NOT reversible!!!\r\n"
                                 "When Fuse is blown, then microcontroller\r\n"
                                 "is not accessible via the JTAG interface.\r\n\r\n";

bool SetupLocked() {
    return SetupRunner.SetupUnlocked == 0;
}

bool SerialOrModelOn() {
    return Settings.SerializationEnable == 1 || Settings.ModelTextEnable == 1;
}

void Paint() {
    StatusLampsPaint();
}

// AUTO PROGRAM's checks of the code against the serialization, retain and
// Info-A settings: 1 to go on, 15 when the operator stopped the run.
int32_t AutoProgramChecks() {
    if (ImagePrepare(1, 1) != 1) {
        ReportAppend("Serial Number or Model Text is defined\r\n");
        ReportAppend(" in the active code space.\r\n");
        ReportAppend(" Please check the serialization setup.\r\n");
        if (TimedMessageBox(kSnOverlapQuestion, "Error", kYesNoWarning) != platform::IDYES) {
            return kResultStopped;
        }
        // Every preparation of this run now places the serial data over the code.
        Actions.snOverlapRun = 1;
        ImagePrepare(1, 0);
        Actions.SnOverlapAccepted = 1;
        ReportAppend(" Writing procedure continue anyway .......\r\n");
    }
    const int32_t retain = core::RetainedDataCheck();
    if (retain == 0) {
        ReportAppend("Code Data is defined in the \r\n");
        ReportAppend("Retain Data space location.\r\n");
        if (TimedMessageBox("Code Data overlaps the specified location of the Retain Data.\r\n\r\n"
                            "Would you like to continue writing process anyway\r\n"
                            "and ignore the code data in the retain data location?",
                            "Error", kYesNoWarning) != platform::IDYES) {
            return kResultStopped;
        }
        Actions.retainOverlapRun = 1;
        ImagePrepare(1, 1);
        ReportAppend(" Writing procedure continue anyway .......\r\n");
    } else if (retain == 2) {
        ReportAppend("Serial Number or Model Text is defined in\r\n");
        ReportAppend("the Retain Data space location.\r\n");
        ReportAppend("--- Procedure terminated!!!\r\n");
        TimedMessageBox("Serial Number or Model Text location overlaps the \r\n"
                        "specified location of the Retain Data.\r\n\r\n"
                        "---- Procedure terminated ---- ",
                        "Error", platform::MB_OK);
        return kResultStopped;
    }
    const int32_t infoA = core::CodeImageInfoAUse();
    if (infoA != 0) {
        ReportAppend("Code or SN is defined in the Info-A\r\n");
        ReportAppend("segment, but Info-A segment is protected\r\n");
        ReportAppend("for erase and write.\r\n");
        std::string text = "Code or SN is defined in the Info-A segment,\r\n"
                           "but Info-A segment is protected for erase and write.\r\n\r\n";
        char line[80];
        const auto& m = core::MemoryMap.active;
        if ((infoA & 1) != 0) {
            std::snprintf(line, sizeof line, "Check code data in locations 0x%4.4X to 0x%4.4X\r\n",
                          static_cast<unsigned>(m.lockedStart), static_cast<unsigned>(m.lockedEnd));
            text += line;
        }
        if ((infoA & 2) != 0) {
            std::snprintf(line, sizeof line, "Check SN/Model in locations 0x%4.4X to 0x%4.4X\r\n",
                          static_cast<unsigned>(m.lockedStart), static_cast<unsigned>(m.lockedEnd));
            text += line;
        }
        text += "\r\nWould you like to continue writing process anyway\r\n"
                "without data to be written to Info-A segment?";
        if (TimedMessageBox(text, "Error", kYesNoWarning) != platform::IDYES) {
            return kResultStopped;
        }
        ReportAppend(" Writing procedure without data in Info-A segment....\r\n");
    }
    return kResultPassed;
}

bool SameImage(const std::vector<uint8_t>& before) {
    const core::ImageBytes& image = core::Images.CodeImage;
    return before.size() == 2 * sizeof image.data &&
           std::memcmp(before.data(), image.data, sizeof image.data) == 0 &&
           std::memcmp(before.data() + sizeof image.data, image.used, sizeof image.used) == 0;
}

std::vector<uint8_t> ImageCopy() {
    const core::ImageBytes& image = core::Images.CodeImage;
    std::vector<uint8_t> copy(2 * sizeof image.data);
    std::memcpy(copy.data(), image.data, sizeof image.data);
    std::memcpy(copy.data() + sizeof image.data, image.used, sizeof image.used);
    return copy;
}

// The run's code: the dialog when none is loaded, else the reload. 1 to go
// on, 15 stopped in the checks a newly loaded file gets.
int32_t AutoProgramCode() {
    if (core::Images.CodeImageHasData == 0) {
        CodeFileOpen();
        // The time in the dialog is not the run's.
        Frame.ProcedureStartTick = TickCount();
        Frame.PromptTime = 0;
        Frame.promptBase = platform::PromptOpenMilliseconds();
        if (core::Images.CodeImageHasData == 0) {
            return kResultPassed;
        }
        return AutoProgramChecks();
    }
    if (Settings.CodeFileReload != 1) {
        return kResultPassed;
    }
    const std::vector<uint8_t> before = ImageCopy();
    const int32_t r =
        CodeFileReadAndReport(kCodeReadReload, core::CodeFileNames.CodeFile.FullPath());
    if (r == -1) {
        Settings.CodeFileReload = 0;
        if (MainWindow.TheMainDialog != nullptr) {
            MainWindow.TheMainDialog->CheckDlgButton(kMainReloadCodeFileCheck, 0);
        }
        return kResultPassed;
    }
    if (core::Images.CodeImageHasData == 0 || SameImage(before)) {
        return kResultPassed;
    }
    return AutoProgramChecks();
}

void AutoProgramEnd() {
    Frame.AutoProgramActive = 0;
    Actions.snOverlapRun = 0;
    Actions.retainOverlapRun = 0;
    Actions.SnOverlapAccepted = 0;
}

} // namespace

void RepeatActionSet(int32_t code, const std::string& name) {
    if (SetupLocked()) {
        code = 1;
        MainWindowSetText(kMainNextCaption, "AUTO PROGRAM");
    } else {
        MainWindowSetText(kMainNextCaption, name);
    }
    Actions.RepeatActionCode = code;
    if (MainWindow.TheMainDialog != nullptr) {
        MainWindow.TheMainDialog->EnableItem(kMainNextCaption, code != 0);
        MainWindow.TheMainDialog->EnableItem(kMainNextButton, code != 0);
    }
}

void OnAutoProgram() {
    if (SnListEmptyCheck(1) == 0) {
        Frame.AutoProgramActive = 0;
        ProcedureFinish(kResultStopped);
        return;
    }
    StatusLampsReset();
    LampSet(kRowAutoProgram, kLampReady);
    Paint();
    Frame.AutoProgramActive = 1;
    Actions.snOverlapRun = 0;
    Actions.retainOverlapRun = 0;
    RepeatActionSet(1, "AUTO PROGRAM");
    int32_t r = AutoProgramChecks();
    if (r != kResultPassed) {
        AutoProgramEnd();
        ProcedureFinish(r);
        return;
    }
    for (int32_t row :
         {kRowConnect, kRowErase, kRowBlankCheck, kRowWrite, kRowVerify, kRowChecksum}) {
        LampSet(row, kLampPending);
    }
    if (SerialOrModelOn()) {
        LampSet(kRowSerialNumber, kLampPending);
    }
    Paint();
    r = RunGoesOn(ProcedureStart());
    bool snOnBoard = false;
    if (r == 1) {
        const int32_t eraseAll = steps::AutoProgramEraseScope() == steps::EraseScope::All ? 1 : 0;
        r = RunGoesOn(AutoProgramCode());
        if (r == 1) {
            if (core::Images.CodeImageHasData == 0) {
                r = 0;
            } else {
                r = RunGoesOn(SnStep(0, MainWindowText(kMainNextSnEdit)));
            }
            if (r == 1) {
                r = RunGoesOn(EraseStep(eraseAll));
            }
            if (r == 1) {
                r = RunGoesOn(BlankCheckStep());
            }
            if (r == 1) {
                // From here the board may carry the SN.
                snOnBoard = Frame.SnWrittenThisRun == 1;
                r = RunGoesOn(WriteStep());
            }
            if (r == 1) {
                r = RunGoesOn(VerifyStep(0) == 1 ? 1 : 0);
            }
            if (r == 1) {
                r = RunGoesOn(DcoCheckStep(0));
            }
        }
    }
    if (r == 1) {
        LabelReadStep(1);
        LampSet(kRowAutoProgram, kLampPassed);
        r = FuseBlowStep();
    } else {
        LampSet(kRowAutoProgram, r == kResultTerminated ? kLampStopped : kLampFailed);
    }
    // Only a number this run put on the target goes into the history, and
    // the run passes only once it is there.
    const int32_t snWritten = Frame.SnWrittenThisRun;
    bool snUsed = false;
    if (r == 1 && snWritten == 1) {
        snUsed = true;
        if (SnRecordStep() != 1) {
            r = 0;
            LampSet(kRowSerialNumber, kLampFailed);
            LampSet(kRowAutoProgram, kLampFailed);
        }
    }
    Paint();
    AutoProgramEnd();
    ProcedureFinish(r, steps::FinalAction::StartApplication);
    if (r == 1) {
        ResultSound(kSoundDone);
        SetupRunner.SnBalance = std::max(SetupRunner.SnBalance - 1, 0);
        char text[16];
        std::snprintf(text, sizeof text, "%1.1i", SetupRunner.SnBalance);
        MainWindowSetText(kMainSnBalanceEdit, text);
        SerialNumber.ManualSnFlag = 0;
        Serialization().ComputeNext();
        SerialNumberDisplayUpdate(1);
        SnListEmptyCheck(0);
    } else if (snUsed || snOnBoard) {
        // Recorded in memory though not on disk: the number is taken.
        if (!snUsed) {
            SerialNumber.SnStatus = Actions.snStatusThisRun;
            SnHistoryKeepUsed();
        }
        SerialNumber.ManualSnFlag = 0;
        Serialization().ComputeNext();
        SerialNumberDisplayUpdate(1);
    } else {
        // The run ended before the SN could reach the board: the number
        // this run claimed is free again.
        SnClaimRelease();
    }
}

void OnEraseFlash() {
    StatusLampsReset();
    RepeatActionSet(3, "ERASE FLASH");
    LampSet(kRowErase, kLampPending);
    Paint();
    core::DeviceSelectByIndex();
    const bool retainLine = (Settings.RetainInfoCalData == 1 && core::SelectedDevice.series == 2) ||
                            Settings.RetainDefinedData == 1;
    const bool infoALine = Settings.FlashEraseModeIndex == 1 &&
                           core::MemoryMap.selected.lockedInfoA == 1 &&
                           Settings.EraseInfoA_F2xx_En == 0;
    std::string extra;
    if (retainLine) {
        extra += "                - without selected Retain Data in Flash\r\n";
    }
    if (infoALine) {
        extra += "                - without INFO-A Segment\r\n";
    }
    const int answer =
        TimedMessageBox("Would you like to erase all memory contents?  \r\n\r\n"
                        "Please press:\r\n\r\n"
                        "YES        -> to erase all memory contents.\r\n" +
                            extra + "NO         -> to erase user defined memory space.\r\n" +
                            extra + "CANCEL -> to abort this task.",
                        "Memory erase", platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION);
    int32_t mode = 0;
    if (answer == platform::IDYES) {
        mode = 1;
    } else if (answer != platform::IDNO) {
        return;
    }
    if (mode == 0 && Settings.FlashEraseModeIndex == 3 && core::Images.CodeImageHasData == 0) {
        CodeFileOpen();
        if (core::Images.CodeImageHasData == 0) {
            TimedMessageBox("The selected memory erase option required a valid \r\n"
                            "code file, specifying the used memory space.\r\n\r\n"
                            "Erase procedure is terminated, because the code file\r\n"
                            "is not specified, or code file is not valid.\r\n\r\n"
                            "Please select the correct code file, or change \r\n"
                            "the erase/write option in the memory setup.",
                            "Error", kErrorBox);
            return;
        }
    }
    ImagePrepare(Frame.AutoProgramActive, 0);
    if (ProcedureStart() == 1) {
        ProcedureFinish(EraseStep(mode));
    }
}

void OnBlankCheck() {
    StatusLampsReset();
    RepeatActionSet(4, "BLANK CHECK");
    LampSet(kRowBlankCheck, kLampPending);
    Paint();
    ImagePrepare(Frame.AutoProgramActive, 0);
    if (ProcedureStart() == 1) {
        ProcedureFinish(BlankCheckStep());
    }
}

void OnWriteFlash() {
    if ((Actions.FlashWrittenFlags & kFlashWritten) != 0 &&
        TimedMessageBox(kEraseFirst, "Warning", kOkCancelWarning) == platform::IDCANCEL) {
        return;
    }
    StatusLampsReset();
    RepeatActionSet(5, "WRITE FLASH");
    LampSet(kRowWrite, kLampPending);
    Paint();
    ImagePrepare(Frame.AutoProgramActive, 0);
    if (ProcedureStart() == 1) {
        ProcedureFinish(WriteStep());
    }
}

void OnVerifyFlash() {
    StatusLampsReset();
    RepeatActionSet(7, "VERIFY FLASH");
    LampSet(kRowVerify, kLampPending);
    LampSet(kRowChecksum, kLampPending);
    Paint();
    ImagePrepare(Frame.AutoProgramActive, 0);
    if (ProcedureStart() == 1) {
        ProcedureFinish(VerifyStep(1));
    }
}

void OnReadCopy() {
    StatusLampsReset();
    RepeatActionSet(8, "READ / COPY");
    LampSet(kRowRead, kLampPending);
    Paint();
    int32_t all = 1;
    if (Settings.FlashReadModeIndex != 0) {
        all = TimedMessageBox(
                  " Would you like to read all memory, or read only the space memory\r\n"
                  "defined in the memory read options setup?\r\n\r\n"
                  "Please press:\r\n\r\n"
                  "YES        -> to read the all memory.\r\n"
                  "NO         -> to read the user defined space memory.",
                  "Read memory", platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES
                  ? 1
                  : 0;
    }
    int32_t r = 0;
    if (ProcedureStart() == 1) {
        r = ReadStep(all);
        ProcedureFinish(r);
    }
    if (r != 1) {
        return;
    }
    // The path of an earlier opening must not pass for this one's save.
    MemoryView.ReadCopyPath.clear();
    {
        TargetMemViewDlg view(true);
        view.DoModal();
    }
    const std::string path = MemoryView.ReadCopyPath;
    if (path.empty() || CodeFileReadAndReport(kCodeReadCurrent, path) != 1) {
        return;
    }
    Settings.FlashEraseModeIndex = 1;
    const bool snWasOn = Settings.SerializationEnable == 1;
    const bool modelWasOn = Settings.ModelTextEnable == 1;
    if (snWasOn) {
        Settings.SerializationEnable = 0;
    }
    if (modelWasOn) {
        Settings.ModelTextEnable = 0;
    }
    SerialNumberDisplayUpdate(1);
    std::string shown = path.size() > 100 ? "..." + path.substr(path.size() - 100) : path;
    TimedMessageBox(
        "Contents of the Flash Memory has been saved in the file\r\n   " + shown +
            "\r\nand opened as a current Code File.\r\n\r\n"
            "Note:\r\n"
            " * The [All Memory] option in [Write/Erase/Verify Address Range] has been "
            "selected.\r\n" +
            std::string(snWasOn ? " * Serialization feature has been disabled.\r\n" : "") +
            (modelWasOn ? " * Model/Group/Revision feature has been disabled.\r\n" : "") +
            "\r\nPlease replace the original device with the new device.\r\n\r\n"
            "Please press 'OK' if it is done and then use the standard\r\n"
            "buttons like 'AUTOPROGRAM' to program the new device.\r\n",
        "Copy Flash", platform::MB_OK);
}

void OnWriteSn() {
    if ((Actions.FlashWrittenFlags & kSnWritten) != 0 &&
        TimedMessageBox(kEraseFirst, "Warning", kOkCancelWarning) == platform::IDCANCEL) {
        return;
    }
    StatusLampsReset();
    RepeatActionSet(6, "WRITE SN/Model");
    LampSet(kRowSerialNumber, kLampPending);
    Paint();
    if (ProcedureStart() == 1) {
        ProcedureFinish(SnStep(1, MainWindowText(kMainNextSnEdit)));
    }
}

void OnReadSn() {
    if (ProcedureStart() == 1) {
        ProcedureFinish(LabelReadStep(1) & 1);
    }
}

void OnVerifyFuse() {
    StatusLampsReset();
    RepeatActionSet(2, "Verify Security Fuse");
    if (ProcedureStart() == 1) {
        ProcedureFinish(TargetJtagInit(1));
    }
}

void OnFuseEnable() {
    Settings.BlowFuseEnable = 0;
    if (MainWindow.TheMainDialog != nullptr &&
        MainWindow.TheMainDialog->IsDlgButtonChecked(kMainFuseEnableCheck) &&
        TimedMessageBox(
            std::string(kFuseWarning) +
                "Would you like to enable the option of blowing the Security Fuse?\r\n\r\n",
            "Warning", kYesNoWarning) == platform::IDYES) {
        Settings.BlowFuseEnable = 1;
    }
    FuseControlsUpdate();
}

void OnBlowFuse() {
    if (TimedMessageBox(std::string(kFuseWarning) +
                            "Do you still wish to blow the Security Fuse?\r\n\r\n",
                        "Warning", kYesNoWarning) != platform::IDYES ||
        TimedMessageBox("Are You sure?  ", "Warning", kYesNoWarning) != platform::IDYES) {
        return;
    }
    StatusLampsReset();
    if (ProcedureStart() == 1) {
        // A target that cannot be prepared still gets its run finished.
        ProcedureFinish(TargetPrepare() == 1 ? FuseBlowStep() : kResultFailed);
    }
}

void OnPower() {
    Frame.PowerButtonOn = Frame.PowerButtonOn == 0 ? 1 : 0;
    core::TargetOpen();
    core::TargetPowerSet(Frame.PowerButtonOn);
    LampSet(kRowPower, Frame.PowerButtonOn == 1 ? kLampReady : kLampIdle);
    Paint();
    VccDisplayUpdate();
    for (int i = 0; i < 5; ++i) {
        core::DelayMicroseconds(80000);
        VccDisplayUpdate();
    }
}

void OnReset() {
    core::TargetReset();
    ReportHistoryAppend(" --- Reset Target Device ---\r\n");
}

void OnNext() {
    switch (Actions.RepeatActionCode) {
    case 1:
        OnAutoProgram();
        break;
    case 2:
        OnVerifyFuse();
        break;
    case 3:
        OnEraseFlash();
        break;
    case 4:
        OnBlankCheck();
        break;
    case 5:
        OnWriteFlash();
        break;
    case 6:
        OnWriteSn();
        break;
    case 7:
        OnVerifyFlash();
        break;
    case 8:
        OnReadCopy();
        break;
    default:
        break;
    }
}

void CombineRun() {
    CombineFiles combine;
    combine.DoModal();
    // The combination becomes the code only when it holds a file: with
    // nothing added (or all cleared) the code, its file name, its "Source:"
    // checksum and "config.ini" stay as they were, and there is nothing to
    // save.
    if (combine.FileCount() > 0) {
        combine.Combination().Put();
        core::ProgramImageClear(); // it was made from the code replaced
        core::CodeFileNames.CodeFile.Clear();
        MainWindowSetText(kMainCodeFileNameEdit, "");
        MainWindowSetText(kMainCodeFilePathEdit, "");
        core::PasswordFromCodeImage();
        // Its checksum, and no board checksum, lamp or picture of the run
        // made for the code replaced.
        WindowFactsShow(kImageChanged);
        MainDialogRefresh();
        if (ui::MessageBox("Combined Code Data Block is completed\r\n\r\n"
                           "Would you like to save the Combined Code Data File ??\r\n\r\n",
                           "Save Combine Code Files",
                           ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES) {
            CodeFileSaveAsMenu();
        }
    }
    MemoryViewDlg view;
    view.DoModal();
}
void OnCodeFileData() {
    MemoryViewDlg view;
    view.DoModal();
}
void OnFlashMemoryData() {
    // What ReadImage holds now; "Copy" needs a read result of READ / COPY.
    TargetMemViewDlg view(false);
    view.DoModal();
}
void CompareCodeAndFlash() {
    if (TimedMessageBox("Would you like to upload data from the target device first?",
                        "Read memory",
                        platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES) {
        StatusLampsReset();
        Paint();
        if (ProcedureStart() == 1) {
            ProcedureFinish(ReadStep(1));
        }
    }
    CompareMemViewDlg view;
    view.DoModal();
}

void CompareTwoCodeFiles() {
    ui::FileDialogOptions o;
    o.open = true;
    o.filter = core::CodeFileOpenFilter();
    const std::optional<std::string> path = ui::FileDialog(o);
    if (!path) {
        return;
    }
    // The second file is only compared: the report keeps telling about the
    // current file (and "Source:" does, the code image being unchanged).
    const std::string report = Frame.ReportText;
    CodeFileReadAndReport(kCodeReadProgram, *path);
    {
        CompareCodesViewDlg view;
        view.DoModal();
    }
    Frame.ReportText = report;
    ReportAppend("");
}
void OnMemoryOptions() {
    OptionsDlg options;
    if (options.DoModal() == ui::IDOK) {
        ConnectionCaptionsUpdate();
    }
}
void OnBslPassword() {
    BslPasswordDialogRun();
}
void OnConnectionReset() {
    ResetOptionDlg options;
    if (options.DoModal() == ui::IDOK) {
        core::TargetClose();
        core::TargetOpen();
        ConnectionCaptionsUpdate();
    }
}
void OnPreferences() {
    PreferencesDlg preferences;
    preferences.DoModal();
}

} // namespace gui
