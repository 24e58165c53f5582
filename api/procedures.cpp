#include "api/procedures.h"

#include "api/api_state.h"
#include "api/lib_code_files.h"
#include "api/lib_target.h"
#include "api/procedure_frame.h"
#include "api/report_log.h"
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
#include "core/program_image.h"
#include "core/retained_data.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "platform/c_locale.h"
#include "platform/sound.h"
#include "steps/retain_step.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

#include <algorithm>

namespace api {

namespace {

constexpr int32_t kSeries2 = 2;
constexpr int32_t kSeries2DcoKHz[4] = {1000, 8000, 12000, 16000};

steps::StepPort& Port() {
    return StepsPort();
}

int32_t ConnectedSeries() {
    return core::MemoryMap.active.series;
}

// Code loaded that defines at least one byte: an empty image is no code.
bool CodeLoaded() {
    return core::Images.CodeImageHasData != 0 && core::CodeImageUsedCount() > 0;
}

// The same, and when there is none the report says why the run fails.
bool CodeLoadedOrSaid() {
    if (CodeLoaded()) {
        return true;
    }
    ReportAppend("  No code loaded: read a code file or fill the code buffer first.\r\n");
    return false;
}

void PrepareImage(int32_t options) {
    core::ProgramImagePrepare(Procedure.AutoRunning, options);
}

// Reads the areas an erase keeps; 1 when read or nothing is to be read.
int32_t RetainedRead() {
    if (ConnectStep(0) != 1) {
        return 0;
    }
    if (!steps::RetainWanted(ConnectedSeries())) {
        return 1;
    }
    return steps::Code(
        steps::ReadRetained(Port(), steps::kQuillcoreSteps, Procedure.retained).result);
}

// Writes back what the erase took of the areas read in this run.
int32_t RetainedRestore() {
    if (!steps::RetainWanted(core::SelectedDevice.series) &&
        !steps::RetainWanted(ConnectedSeries())) {
        return 1;
    }
    return steps::Code(steps::RestoreRetained(Port(), steps::kQuillcoreSteps, Procedure.retained));
}

void DcoEntryLine(int32_t n, int32_t kHz) {
    ReportAppend(platform::FormatC("  DCO%1.1i-%6.3f MHz  Result=%7.4f", n, kHz * 0.001, 0.0));
    ReportAppend("...\t failed\r\n");
}

int32_t DcoEntryKHz(int32_t n) {
    if (ConnectedSeries() == kSeries2 && n <= 4) {
        return kSeries2DcoKHz[n - 1];
    }
    return LibSettings.DcoFrequency[static_cast<size_t>(n - 1)];
}

int32_t DcoConstantsCheck(int32_t argument) {
    if (argument == 1 || core::Settings.CheckDCOconstants_F2xx != 1) {
        return 1;
    }
    if (ConnectStep(1) != 1) {
        return 0;
    }
    if (ConnectedSeries() != kSeries2) {
        return 1;
    }
    const int32_t ok = steps::Code(steps::DcoConstantsCheck(Port()));
    if (ok == 0 && LibSettings.DcoRecalibration == 1) {
        ReportAppend("DCO constants recalibration ...");
        ReportAppend("...\t failed\r\n");
        for (int32_t n = 1; n <= 4; ++n) {
            DcoEntryLine(n, DcoEntryKHz(n));
        }
        return 0;
    }
    return ok;
}

// The open step, and when it opened, the step and the finish with its
// result; an open that did not open is the procedure's result.
template <typename Step> int32_t OpenThenFinish(Step step) {
    const int32_t open = OpenStep();
    return open == kProcDone ? FinishStep(step()) : open;
}

} // namespace

int32_t EraseStep(int32_t argument) {
    ProcedureProgress(0);
    // Only what this run reads is ever written back.
    core::FlashOps.dcoCopyValid = 0;
    core::FlashOps.retainCopyLength = 0;
    if (RetainedRead() != 1) {
        return 0;
    }
    int32_t erased = 0;
    if (ConnectStep(1) == 1) {
        erased = steps::Code(
            steps::Erase(Port(), steps::kQuillcoreSteps,
                         argument == 1 ? steps::EraseScope::All : steps::EraseScope::ByMode));
    }
    const int32_t restored = RetainedRestore();
    core::TargetClearIdentified();
    ProcedureProgress(100);
    return erased & restored;
}

int32_t BlankCheckStep() {
    ProcedureProgress(0);
    if (ConnectStep(1) != 1) {
        return 0;
    }
    const steps::BlankOutcome blank = steps::BlankCheck(Port(), steps::kQuillcoreSteps);
    ProcedureProgress(100);
    return blank == steps::BlankOutcome::NotBlank ? kProcFailed : kProcDone;
}

int32_t WriteStep() {
    if (!CodeLoadedOrSaid() || ConnectStep(1) != 1) {
        return 0;
    }
    PrepareImage(0);
    const steps::CodeSize size =
        steps::CodeSizeCheck(Port(), steps::kQuillcoreSteps, CodeOutsideDeviceTold());
    if (size != steps::CodeSize::Fits) {
        if (size == steps::CodeSize::Ask) {
            const MessageAnswer a = ProcedureMessage(
                "Error",
                "Code size exceeds the Target Microcontroller Flash Memory space.\r\n\r\n"
                "Would you like to continue writing process anyway?",
                MessageStyle::YesNo);
            if (a != MessageAnswer::Yes) {
                ReportAppend(steps::kCodeSize.stopped);
                ReportAppend("...\t failed\r\n");
                return kProcCancelled;
            }
            ReportAppend(steps::kCodeSize.anyway);
        }
        ReportAppend(" WARNING!! Code size is exceeding the Target\r\n");
        ReportAppend(steps::kCodeSize.flashSpace);
        if (size == steps::CodeSize::Refuse) {
            ReportAppend(steps::kCodeSize.stopped);
            ReportAppend("...\t failed\r\n");
            return kProcFailed;
        }
    }
    if (core::ProgramImagePrepare(Procedure.AutoRunning, 1) == 0) {
        PrepareImage(0);
    }
    return steps::Code(steps::WriteSegments(Port(), steps::kQuillcoreSteps).result);
}

int32_t VerifyStep(int32_t argument) {
    ProcedureProgress(0);
    if (ConnectStep(1) != 1) {
        return 0;
    }
    core::ProgramImageChecksum();
    steps::StepResult result = steps::VerifyChecksum(Port(), steps::kQuillcoreSteps);
    if (result == steps::StepResult::Passed &&
        (argument == 1 || core::Settings.VerifyModeIndex == 1)) {
        result = steps::VerifySegments(Port(), steps::kQuillcoreSteps).result;
    }
    ProcedureProgress(100);
    return steps::Code(result);
}

int32_t ReadStep(int32_t argument) {
    ProcedureProgress(0);
    core::ReadImageClear();
    if (ConnectStep(1) != 1) {
        return 0;
    }
    core::ReadMaskBuild(argument);
    const int32_t result = steps::Code(steps::ReadMemory(Port(), steps::kQuillcoreSteps));
    ProcedureProgress(100);
    return result;
}

int32_t BlowFuseStep() {
    return steps::Code(steps::BlowFuse(Port()));
}

int32_t DcoStep(int32_t argument) {
    bool any = false;
    for (const int32_t e : LibSettings.DcoEnable) {
        any = any || e != 0;
    }
    if (!any) {
        return DcoConstantsCheck(argument);
    }
    if (ConnectStep(1) != 1) {
        return 0;
    }
    ReportAppend("DCO calibrating ....................");
    ReportAppend("...\t failed\r\n");
    for (int32_t n = 1; n <= static_cast<int32_t>(LibSettings.DcoEnable.size()); ++n) {
        if (LibSettings.DcoEnable[static_cast<size_t>(n - 1)] != 0) {
            DcoEntryLine(n, DcoEntryKHz(n));
        }
    }
    return 0;
}

int32_t AutoProgram() {
    core::SettingsState& s = core::Settings;
    ReportAppend(" == Auto Program ===\r\n");
    s.SerializationEnable = 0;
    s.ModelTextEnable = 0;
    Procedure.AutoRunning = 1;
    if (core::ProgramImagePrepare(1, 1) == 0) {
        core::ProgramImagePrepare(1, 0);
    }
    int32_t result = OpenStep();
    if (result == kProcDone) {
        const bool eraseAll = steps::AutoProgramEraseScope() == steps::EraseScope::All;
        if (!CodeLoadedOrSaid()) {
            result = kProcFailed;
        } else {
            result = EraseStep(eraseAll ? 1 : 0);
            if (result != 0) {
                result = BlankCheckStep();
            }
            if (result == 1) {
                result = WriteStep();
            }
            if (result == 1) {
                result = VerifyStep(0);
            }
            if (result == 1) {
                result = DcoStep(0);
            }
        }
        if (result == 1 && (s.BlowFuseEnable & 3) == 3) {
            result = ConnectStep(1) == 1 ? BlowFuseStep() : kProcFailed;
        }
    }
    Procedure.AutoRunning = 0;
    FinishStep(result, steps::FinalAction::StartApplication);
    if (LibSettings.BeepEnable != 0) {
        if (result == kProcDone) {
            for (const uint32_t hz : kPassBeepsHz) {
                platform::Beep(hz, kPassBeepMs);
            }
        } else {
            platform::Beep(kFailBeepHz, kFailBeepMs);
        }
    }
    return result;
}

int32_t FuseCheckProcedure() {
    if (OpenStep() != kProcDone) {
        return kProcFailed;
    }
    return FinishStep(JtagStart());
}

int32_t EraseProcedure(int32_t argument) {
    PrepareImage(0);
    return OpenThenFinish([&] { return EraseStep(argument); });
}

int32_t BlankCheckProcedure() {
    PrepareImage(0);
    return OpenThenFinish(BlankCheckStep);
}

int32_t WriteProcedure() {
    PrepareImage(0);
    return OpenThenFinish(WriteStep);
}

int32_t VerifyProcedure() {
    PrepareImage(0);
    return OpenThenFinish([] { return VerifyStep(1); });
}

int32_t ReadProcedure() {
    return OpenThenFinish([] { return ReadStep(core::Settings.FlashReadModeIndex == 0 ? 1 : 0); });
}

int32_t BlowFuseProcedure() {
    if ((core::Settings.BlowFuseEnable & 1) == 0) {
        ReportAppend("Blow Fuse Enable flag is inactive - Procedure terminated.\r\n");
        return kProcFailed;
    }
    const int32_t open = OpenStep();
    if (open != kProcDone) {
        return open;
    }
    if (ConnectStep(1) != 1) {
        // The target was powered by the open: the finish step switches it
        // off again and says the run failed.
        return FinishStep(kProcFailed);
    }
    return FinishStep(BlowFuseStep());
}

} // namespace api
