#include "gui/procedure_steps.h"
#include "gui/main_ids.h"

#include "core/code_image.h"
#include "core/device_select.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/flash_fuse.h"
#include "core/flash_read.h"
#include "core/flash_state.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"
#include "core/memory_map.h"
#include "core/model_text.h"
#include "core/program_image.h"
#include "core/retained_data.h"
#include "core/segment_table.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "core/target_state.h"
#include "gui/action_state.h"
#include "gui/code_file_actions.h"
#include "gui/main_dialog.h"
#include "gui/main_window_state.h"
#include "gui/preferences.h"
#include "gui/procedure_frame.h"
#include "gui/serial_number.h"
#include "gui/sn_claims.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_hooks.h"
#include "gui/sn_readback.h"
#include "gui/sn_step_decision.h"
#include "gui/status_lamps.h"
#include "gui/window_facts.h"
#include "platform/prompt.h"
#include "steps/retain_step.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace gui {

ActionsState Actions;

namespace {

using core::Settings;

constexpr uint32_t kErrorBox = platform::MB_OK | platform::MB_ICONERROR;          // 0x10
constexpr uint32_t kYesNoWarning = platform::MB_YESNO | platform::MB_ICONWARNING; // 0x34
constexpr size_t kSnFieldKept = 258; // the characters of the next-SN field the SN step takes

void Action(const char* text) {
    MainWindowSetText(kMainStepEdit, text);
}

bool SnOn() {
    return Settings.SerializationEnable == 1;
}
bool ModelOn() {
    return Settings.ModelTextEnable == 1;
}

} // namespace

int32_t ImagePrepare(int32_t place, int32_t options) {
    const int32_t r = core::ProgramImagePrepare(place, Actions.snOverlapRun == 1 ? 0 : options);
    int32_t start = 0;
    int32_t length = 0;
    if (Actions.retainOverlapRun == 1 && Settings.RetainDefinedData == 1 &&
        core::RetainRange(start, length) == 1) {
        // The operator chose to keep the retained bytes over the code there.
        for (int32_t a = start & ~1; a < start + length; a += 2) {
            core::Images.WriteMask[core::WordIndex(a)] = 0;
            core::Images.VerifyMask[core::WordIndex(a)] = 0;
        }
        core::SegmentFlagsUpdate();
    }
    return r;
}

void LampSet(int32_t row, int32_t bitmap) {
    StatusDisplay.StatusLampTable[static_cast<size_t>(row)].bitmap = bitmap;
}

int32_t LampGet(int32_t row) {
    return StatusDisplay.StatusLampTable[static_cast<size_t>(row)].bitmap;
}

int32_t SnListEmptyCheck(int32_t terminating) {
    if (SnOn() && Settings.SNDispFormatIndex == 7 && Serialization().ListCount() < 1) {
        std::string text = "The SN list is empty.\r\n"
                           "Please select the new SN list file\r\n"
                           "or disable serialization from the file.\r\n";
        if (terminating != 0) {
            text += "\r\nProcedure terminated.\r\n";
        }
        TimedMessageBox(text, "Empty SN list", platform::MB_ICONQUESTION);
        ResultSound(terminating != 0 ? kSoundError : kSoundWarning);
        return 0;
    }
    return 1;
}

int32_t RetainReadStep() {
    if (!steps::RetainWanted(core::SelectedDevice.series)) {
        return 1;
    }
    const int32_t prepared = TargetPrepare();
    if (prepared != 1) {
        return prepared;
    }
    if (!steps::RetainWanted(core::MemoryMap.active.series)) {
        return 1;
    }
    const steps::RetainReadOutcome read =
        steps::ReadRetained(StepsPort(), steps::kQuillbaySteps, Actions.retained);
    return read.readError ? 4 : steps::Code(read.result);
}

int32_t RetainRestoreStep() {
    if (!steps::RetainWanted(core::MemoryMap.active.series) &&
        !steps::RetainWanted(core::SelectedDevice.series)) {
        return 1;
    }
    return steps::Code(
        steps::RestoreRetained(StepsPort(), steps::kQuillbaySteps, Actions.retained));
}

int32_t EraseStep(int32_t mode) {
    const int32_t k = RetainReadStep();
    ProgressBarSetPos(0);
    Actions.FlashWrittenFlags = 0;
    // The memory's checksum of an earlier run no longer holds.
    WindowFactsMemoryForget();
    if (k != 1) {
        core::ConnectedDevice.TargetIdentified = 0;
        if (LampGet(kRowErase) != kLampStopped) {
            LampSet(kRowErase, kLampFailed);
        }
        // The operator's No to the type question stops the run.
        return k == kResultStopped ? kResultStopped : 0;
    }
    const int32_t prepared = TargetPrepare();
    if (prepared != 1) {
        core::ConnectedDevice.TargetIdentified = 0;
        return prepared == kResultStopped ? kResultStopped : 0;
    }
    LampSet(kRowErase, kLampReady);
    StatusLampsPaint();
    Action("Erasing Memory");
    const int32_t r =
        steps::Code(steps::Erase(StepsPort(), steps::kQuillbaySteps,
                                 mode == 1 ? steps::EraseScope::All : steps::EraseScope::ByMode));
    if (r == 1) {
        LampSet(kRowErase, kLampPassed);
    } else if (LampGet(kRowErase) != kLampStopped) {
        LampSet(kRowErase, kLampFailed);
    }
    ProgressBarSetPos(100);
    StatusLampsPaint();
    const int32_t restored = RetainRestoreStep();
    if (restored != 1) {
        LampSet(kRowErase, kLampFailed);
    }
    core::ConnectedDevice.TargetIdentified = 0;
    return (r == 1 && restored == 1) ? 1 : 0;
}

int32_t BlankCheckStep() {
    if (TargetPrepare() != 1) {
        return 0;
    }
    Action("Memory Blank checking");
    const steps::BlankOutcome blank = steps::BlankCheck(StepsPort(), steps::kQuillbaySteps);
    int32_t result = kResultPassed;
    if (blank == steps::BlankOutcome::Blank) {
        LampSet(kRowBlankCheck, kLampPassed);
        ProgressBarSetPos(100);
    } else if (blank == steps::BlankOutcome::SelectedBlank) {
        LampSet(kRowBlankCheck, kLampPassedKept);
        ProgressBarSetPos(100);
    } else {
        LampSet(kRowBlankCheck, kLampFailed);
        result = kResultFailed;
    }
    StatusLampsPaint();
    return result;
}

int32_t WriteStep() {
    if (core::Images.CodeImageHasData == 0) {
        CodeFileOpen();
        if (core::Images.CodeImageHasData == 0) {
            return 0;
        }
    }
    if (TargetPrepare() != 1) {
        return 0;
    }
    WindowFactsMemoryForget();
    ImagePrepare(Frame.AutoProgramActive, 0);
    // The operator is always there to be asked: what the load named plays
    // no part.
    if (steps::CodeSizeCheck(StepsPort(), steps::kQuillbaySteps, false) != steps::CodeSize::Fits) {
        ReportAppend(" WARNING!! Code size (including Serial Number\r\n");
        ReportAppend("  and Model Text) is exceeding the Target\r\n");
        ReportAppend(steps::kCodeSize.flashSpace);
        LampSet(kRowWrite, kLampFailed);
        StatusLampsPaint();
        if (TimedMessageBox("Code size ( including Serial Number and Model Text )\r\n\r\n"
                            "exceeds the Target Microcontroller Flash Memory space.\r\n\r\n"
                            "Would you like to continue writing process anyway?",
                            "Error", kYesNoWarning) != platform::IDYES) {
            ReportAppend(steps::kCodeSize.stopped);
            ReportDoneFailed(0);
            return kResultStopped;
        }
        ReportAppend(steps::kCodeSize.anyway);
    }
    if (ImagePrepare(Frame.AutoProgramActive, 1) != 1) {
        ReportAppend("Serial Number or Model Text is defined\r\n");
        ReportAppend(" on the active code space.\r\n");
        ReportAppend(" Please check the serialization setup.\r\n");
        if (Actions.SnOverlapAccepted != 1) {
            if (TimedMessageBox(kSnOverlapQuestion, "Error", kYesNoWarning) != platform::IDYES) {
                ReportAppend(" Writing procedure terminated .........");
                ReportDoneFailed(0);
                return 0;
            }
            ImagePrepare(Frame.AutoProgramActive, 0);
            ReportAppend(" Writing procedure continue anyway .......\r\n");
        }
    }
    Actions.SnOverlapAccepted = 0;

    ProgressBarSetPos(0);
    Action("Flash programming");
    const steps::WriteOutcome written = steps::WriteSegments(StepsPort(), steps::kQuillbaySteps);
    if (written.attempted) {
        Actions.FlashWrittenFlags |= kFlashWritten;
    }
    const int32_t ok = steps::Code(written.result);
    if (ok == 1) {
        LampSet(kRowWrite, kLampPassed);
        ProgressBarSetPos(100);
    } else {
        LampSet(kRowWrite, kLampFailed);
    }
    if (Frame.SnWrittenThisRun == 1) {
        if (ok == 1) {
            // The number packed for this run, as the SN step took it.
            const std::string sn = SerialNumber.SerialNumberText;
            ReportAppend("Writing SN - ... " + sn + " ...");
            Actions.FlashWrittenFlags |= kSnWritten;
            ReportDoneFailed(ok);
            LampSet(kRowSerialNumber, kLampPassed);
        } else {
            LampSet(kRowSerialNumber, kLampFailed);
        }
    }
    StatusLampsPaint();
    return ok;
}

int32_t VerifyStep(int32_t full) {
    if (TargetPrepare() != 1) {
        return 0;
    }
    const int32_t mode = Settings.VerifyModeIndex;
    core::ProgramImageChecksum();
    const uint32_t imageSum = core::Images.ImageChecksum;
    core::FlashOps.checksumTotal = 0;
    WindowFactsSourceSum(imageSum);
    WindowFactsMemoryForget();
    int32_t ok = 1;
    if (full == 0 && mode == 2) {
        Action("Verifying check sum");
        ok = steps::Code(steps::VerifyChecksum(StepsPort(), steps::kQuillbaySteps));
        WindowFactsMemorySum(core::FlashOps.checksumTotal);
        LampSet(kRowChecksum, ok == 1 ? kLampPassed : kLampFailed);
    }
    if (ok == 1 && (full == 1 || mode == 1)) {
        Action("Verifying Flash Memory");
        ok = steps::Code(steps::VerifySegments(StepsPort(), steps::kQuillbaySteps).result);
    }
    if (ok == 1) {
        LampSet(kRowVerify, kLampPassed);
        ProgressBarSetPos(100);
    } else {
        LampSet(kRowVerify, kLampFailed);
    }
    if (mode != 0 || full == 1) {
        WindowFactsMemorySum(core::FlashOps.checksumTotal);
        LampSet(kRowChecksum, core::FlashOps.checksumTotal == imageSum ? kLampPassed : kLampFailed);
    }
    if (full == 0 && ok == 1) {
        ok = SnVerifyStep();
        if (ok != 1) {
            LampSet(kRowChecksum, kLampFailed);
        }
    }
    StatusLampsPaint();
    return ok;
}

int32_t SnVerifyStep() {
    if (!SnOn()) {
        return 1;
    }
    const bool model = ModelOn();
    if (model) {
        Action("Verifying SN and Label");
        ReportAppend("Verifying SN and Label ........");
    } else {
        Action("Verifying SN");
        ReportAppend("Verifying SN .............");
    }
    int32_t ok = 1;
    const int32_t snCount = core::SerialNumberPlacedCount();
    const int32_t snStart = Settings.SNStartAddress;
    if (snCount > 0) {
        ok = core::TargetReadRange(snStart, snCount) == 1 && core::InImage(snStart) &&
                     std::memcmp(&core::Images.ReadImage[core::ImageIndex(snStart)],
                                 core::SerialData.SerialNumberBytes,
                                 static_cast<size_t>(snCount)) == 0
                 ? 1
                 : 0;
    }
    const int32_t modelCount = core::ModelTextPlacedCount();
    const int32_t modelStart = Settings.ModelTextStartAddr;
    if (ok == 1 && model && modelCount > 0) {
        ok = core::TargetReadRange(modelStart, modelCount) == 1 && core::InImage(modelStart) &&
                     std::memcmp(&core::Images.ReadImage[core::ImageIndex(modelStart)],
                                 core::SerialData.ModelTextBytes,
                                 static_cast<size_t>(modelCount)) == 0
                 ? 1
                 : 0;
    }
    ReportDoneFailed(ok);
    return ok;
}

int32_t DcoCheckStep(int32_t skip) {
    if (skip == 1 || Settings.CheckDCOconstants_F2xx == 0) {
        return 1;
    }
    if (TargetPrepare() != 1) {
        return 0;
    }
    if (core::MemoryMap.active.series != 2) {
        return 1;
    }
    Action("DCO constants verification");
    return steps::Code(steps::DcoConstantsCheck(StepsPort()));
}

int32_t ReadStep(int32_t all) {
    if (TargetPrepare() != 1) {
        return 0;
    }
    LampSet(kRowRead, kLampReady);
    StatusLampsPaint();
    LabelReadStep(1);
    core::ReadMaskBuild(all);
    // Nothing of an earlier read may pass for this one's.
    core::ReadImageClear();
    ProgressBarSetPos(0);
    const int32_t result = steps::Code(steps::ReadMemory(StepsPort(), steps::kQuillbaySteps));
    if (result == 1) {
        LampSet(kRowRead, kLampPassed);
        ProgressBarSetPos(100);
    } else {
        LampSet(kRowRead, kLampFailed);
    }
    StatusLampsPaint();
    return result;
}

int32_t LabelReadStep(int32_t) {
    if (!SnOn() && !ModelOn()) {
        return 1;
    }
    const int32_t prepared = TargetPrepare();
    if (prepared != 1) {
        return prepared;
    }
    Action("Reading Target Label");
    ReportAppend("Reading Target Label.................");
    int32_t r = Serialization().ReadBack();
    if (r == kReadBackFailed) {
        TimedMessageBox(steps::kRead.errorBox, "Error", kErrorBox);
    } else {
        std::string model;
        core::BytesToText(SerialNumber.ModelTextMode, core::ModelTextPlacedCount(),
                          core::SerialData.ModelTextBytes + core::kModelTextMax, model);
        MainWindowSetText(kMainReadModelEdit, model);
        if ((r & kReadBackSnDecoded) != 0) {
            MainWindowSetText(kMainReadSnEdit, SerialNumber.SnReadBackText);
            r |= kLabelSnFound;
        } else {
            MainWindowSetText(kMainReadSnEdit, "????");
            r |= kLabelRead;
        }
    }
    ReportDoneFailed(r & kLabelRead);
    return r;
}

namespace {

// The SN lamp failed, painted.
void SnLampFailed() {
    LampSet(kRowSerialNumber, kLampFailed);
    StatusLampsPaint();
}

// The coming SN cannot be written: the type and byte mode have no number
// left. Said in the report and in a box, before anything reaches a board.
void SnRangeEndStop(std::string sn) {
    sn.erase(0, sn.find_first_not_of(' '));
    ReportAppend("Preparing SN ......");
    ReportDoneFailed(0);
    ReportAppend(" No SN is left: " + sn +
                 " cannot be written\r\n with the SN type and byte mode.\r\n");
    SnLampFailed();
    TimedMessageBox("No SN is left to write:\r\n" + sn +
                        " cannot be written with the SN type and byte mode.\r\n\r\n"
                        "Please check the serialization setup.",
                    "Error", kErrorBox);
}

// The SN step's questions, answered by the serialization engine, the label
// step and the SN editor.
class SnStepAsked final : public SnStepQuestions {
public:
    SnStepAsked(const SerializationHooks& hooks, int32_t single) : hooks_(hooks), single_(single) {}

    bool InHistory(const std::string& sn) override { return hooks_.HistoryContains(sn) != 0; }
    std::string HistoryProblem() override { return SnHistoryProblemLines(); }
    bool ComingExhausted() override { return SerialNumber.SnComing == kSnComingExhausted; }
    std::string ComingSn() override { return SerialNumberFormat(); }
    int32_t ReadLabel() override { return LabelReadStep(single_); }
    SnEditorAnswer Edit(const std::string& fieldText) override {
        SnEditorAnswer answer;
        answer.cancelled = hooks_.EditSn(fieldText) == kResultStopped;
        answer.text = SerialNumber.SnEditResultText;
        answer.comingKept = SerialNumber.SnEditChoice == kSnEditComingSn;
        return answer;
    }
    SnParsed Parse(const std::string& text) override {
        SnParsed parsed;
        parsed.ok = hooks_.FromText(text) == 1;
        parsed.refusal = SerialNumber.SnRefusal;
        parsed.text = SerialNumber.SerialNumberText;
        return parsed;
    }
    SnClaimAnswer Claim(bool mayMoveOn) override {
        SnClaimAnswer answer;
        const std::string before = SerialNumber.SerialNumberText;
        answer.result = hooks_.Claim(mayMoveOn ? 1 : 0);
        answer.text = SerialNumber.SerialNumberText;
        answer.moved = answer.text != before;
        answer.why = SerialNumber.SnClaimWhy;
        return answer;
    }

private:
    const SerializationHooks& hooks_;
    int32_t single_;
};

// What the report, the lamp and the boxes say of an SN step that writes
// nothing; the step's result.
int32_t SnNotWrittenShow(const SnDecision& d) {
    switch (d.verdict) {
    case SnVerdict::HistoryUnreadable:
        ReportAppend("Reading SN history file ......");
        ReportDoneFailed(0);
        ReportAppend(d.lines);
        SnLampFailed();
        return 0;
    case SnVerdict::NoSnLeft:
        SnRangeEndStop(d.sn);
        return 0;
    case SnVerdict::LabelNotRead:
        return d.label;
    case SnVerdict::EditorCancelled:
        return kResultStopped;
    case SnVerdict::Refused:
        ReportAppend("SN " + d.sn + SnRefusalText(d.refusal) + "\r\n");
        SnLampFailed();
        return 0;
    case SnVerdict::AlreadyInHistory:
        ReportAppend("SN " + d.sn + " is already in the SN history file.\r\n");
        SnWarningSound();
        SnLampFailed();
        return 0;
    case SnVerdict::ClaimTaken:
        ReportAppend(d.lines);
        SnWarningSound();
        SnLampFailed();
        return 0;
    case SnVerdict::ClaimNotSaved:
        ReportAppend("Saving SN in history file ......");
        ReportDoneFailed(0);
        ReportAppend(d.lines);
        SnLampFailed();
        return 0;
    case SnVerdict::LabelUnreadable: // nothing is written over a label not read
    case SnVerdict::Write:
        break;
    }
    return 0;
}

// WRITE SN / Model: the claimed SN (and the prepared model text, the first
// half, as it is) written to the board, read back and recorded.
int32_t SnBoardWrite(const SerializationHooks& hooks, const std::string& sn) {
    Action("Writing Serial Number");
    ReportAppend("Writing Serial Number - " + sn);
    int32_t r = core::TargetWriteData(Settings.SNStartAddress, core::SerialNumberPlacedCount(),
                                      core::SerialData.SerialNumberBytes);
    if (ModelOn()) {
        // Both must be written: a failed SN write is not hidden by the model's.
        r &= core::TargetWriteData(Settings.ModelTextStartAddr, core::ModelTextPlacedCount(),
                                   core::SerialData.ModelTextBytes);
    }
    Actions.FlashWrittenFlags |= kSnWritten;
    ReportDoneFailed(r);
    if (r == 1) {
        // The label must read back as written.
        r = SnVerifyStep();
    }
    LabelReadStep(1);
    if (r == 1) {
        // Passed only once recorded; the number is on the board either
        // way, so the next one comes.
        r = SnRecordStep();
        LampSet(kRowSerialNumber, r == 1 ? kLampPassed : kLampFailed);
        hooks.ComputeNext();
        hooks.PackNext();
        SerialNumberDisplayUpdate(1);
    } else {
        // The board may carry the number all the same: it stays
        // claimed, and is not given out again.
        SerialNumber.SnStatus = Actions.snStatusThisRun;
        SnHistoryKeepUsed();
        hooks.ComputeNext();
        hooks.PackNext();
        SerialNumberDisplayUpdate(1);
        LampSet(kRowSerialNumber, kLampFailed);
    }
    StatusLampsPaint();
    return r;
}

} // namespace

int32_t SnStep(int32_t single, const std::string& nextSn) {
    Actions.SnPromptNeeded = 0;
    SerialNumber.SnStatus = kSnStatusNew;
    const SerializationHooks& hooks = Serialization();
    if (!SnOn()) {
        SerialNumber.ManualSnFlag = 0;
        return 1;
    }
    if (SerialNumber.SnFromBarcode == 1) {
        SerialNumber.ManualSnFlag = 0;
    }
    if (SerialNumber.ManualSnFlag == 1) {
        SerialNumber.SnStatus |= kSnStatusManual;
    }
    SnStepFacts facts;
    facts.fieldText = nextSn.substr(0, kSnFieldKept);
    facts.typed = SerialNumber.ManualSnFlag == 1;
    facts.scanned = SerialNumber.SnFromBarcode == 1;
    facts.warnIfNotBlank = Settings.SNExistWarnEn == 1;
    facts.customType = Settings.SNDispFormatIndex == kSnTypeCustom;
    SnStepAsked asked(hooks, single);
    const SnDecision d = SnStepDecide(facts, asked);
    Actions.SnPromptNeeded = d.editorDue ? 1 : 0;
    if (d.fieldChanged) {
        MainWindowSetText(kMainNextSnEdit, d.fieldText);
    }
    if (d.verdict != SnVerdict::Write) {
        return SnNotWrittenShow(d);
    }
    Frame.SnWrittenThisRun = 1;
    Actions.snStatusThisRun = SerialNumber.SnStatus;
    // AUTO PROGRAM: the write step puts the serial data into the image.
    return single == 1 ? SnBoardWrite(hooks, d.sn) : d.label & kLabelRead;
}

int32_t SnRecordStep() {
    SerialNumber.SnStatus = Actions.snStatusThisRun;
    if (Serialization().HistoryAppend() == 1) {
        return 1;
    }
    ReportAppend("Saving SN in history file ......");
    ReportDoneFailed(0);
    // It stays used for this session; the file does not know it.
    ReportAppend(" The device carries the unrecorded SN " + SerialNumber.SerialNumberText + "\r\n");
    return 0;
}

int32_t FuseBlowStep() {
    if (Settings.BlowFuseEnable != 1) {
        return 1;
    }
    ProgressBarSetPos(0);
    const int32_t r = steps::Code(steps::BlowFuse(StepsPort()));
    ProgressBarSetPos(100);
    LampSet(kRowFuse, r == 1 ? kLampPassed : kLampFailed);
    StatusLampsPaint();
    return r;
}

} // namespace gui
