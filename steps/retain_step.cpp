#include "steps/retain_step.h"

#include "core/retained_data.h"
#include "core/settings.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace steps {

namespace {

constexpr int32_t kSeries2 = 2;

// The area read holds less than the copy: some bytes differ, and every one
// that differs reads erased (a restore that failed wholly or in part).
bool LostPartOf(const uint8_t* read, const uint8_t* copy, int32_t count) {
    bool lost = false;
    for (int32_t i = 0; i < count; ++i) {
        if (read[i] != copy[i]) {
            if (read[i] != 0xFF) {
                return false;
            }
            lost = true;
        }
    }
    return lost;
}

std::string Range(int32_t start, int32_t length) {
    char text[40];
    std::snprintf(text, sizeof text, "0x%4.4X - 0x%4.4X", static_cast<unsigned>(start),
                  static_cast<unsigned>(start + length - 1));
    return text;
}

std::string DcoRange() {
    return Range(core::kDcoStart, core::kDcoSize);
}

std::string RetainRange(const PendingRetained& pending) {
    return Range(pending.retainCopyStart, pending.retainCopyLength);
}

// Whether the board on the fixture is the one the pending copies came from:
// only the operator knows. Nobody to ask is a No: another board's data is
// never written on a guess.
bool SameBoardConfirmed(StepPort& port, bool dco, bool retain, const PendingRetained& pending) {
    if (!port.Prompts()) {
        return false;
    }
    std::string text = "The data kept through the erase reads erased on this board\r\n"
                       "(wholly or in part):\r\n";
    if (dco) {
        text += "    " + DcoRange() + "  DCO calibration data\r\n";
    }
    if (retain) {
        text += "    " + RetainRange(pending) + "  Retain Data\r\n";
    }
    text += "\r\nCopies of it were kept from a board whose restore failed\r\n"
            "(read from that board before its erase).\r\n\r\n"
            "Is this the same board?\r\n\r\n"
            "YES        -> write the kept copies to this board.\r\n"
            "NO         -> leave this board's data as it is and drop the copies.";
    return port.Message("Warning", text, MessageStyle::YesNo) == MessageAnswer::Yes;
}

// A pending copy stands in for the area the read found erased, once the
// operator confirmed the board; else every pending copy is dropped.
void PendingCopiesOffer(StepPort& port, PendingRetained& pending) {
    core::FlashOpsState& f = core::FlashOps;
    const bool dco = pending.dcoPending == 1 && f.dcoCopyValid == 1 &&
                     LostPartOf(f.dcoCopy, pending.dcoCopy, core::kDcoSize);
    const bool retain = pending.retainPending == 1 && f.retainCopyLength > 0 &&
                        f.retainCopyLength == pending.retainCopyLength &&
                        f.retainCopyStart == pending.retainCopyStart &&
                        LostPartOf(f.retainCopy, pending.retainCopy, f.retainCopyLength);
    pending.dcoStandsIn = 0;
    pending.retainStandsIn = 0;
    if (!dco && !retain) {
        return;
    }
    if (!SameBoardConfirmed(port, dco, retain, pending)) {
        pending.Reset();
        return;
    }
    if (dco) {
        std::memcpy(f.dcoCopy, pending.dcoCopy, core::kDcoSize);
        pending.dcoStandsIn = 1;
    }
    if (retain) {
        std::memcpy(f.retainCopy, pending.retainCopy, static_cast<size_t>(f.retainCopyLength));
        pending.retainStandsIn = 1;
    }
}

} // namespace

bool RetainWanted(int32_t series) {
    const core::SettingsState& s = core::Settings;
    return (s.RetainInfoCalData == 1 && series == kSeries2) || s.RetainDefinedData == 1;
}

RetainReadOutcome ReadRetained(StepPort& port, const StepOptions& options,
                               PendingRetained& pending) {
    port.Caption("Reading Retain Data");
    port.Report(options.retainReadLine);
    const int32_t r = core::RetainedDataRead();
    RetainReadOutcome out;
    out.readError = r == 4;
    out.result = PassedIf(r == 1);
    const bool box = out.readError && port.ShowsBoxes();
    if (box && !options.verdictBeforeReadErrorBox) {
        port.Message("Error", kRead.errorBox, MessageStyle::Error);
    }
    ReportDoneFailed(port, out.result);
    if (box && options.verdictBeforeReadErrorBox) {
        port.Message("Error", kRead.errorBox, MessageStyle::Error);
    }
    // Asked after the read's own line, so that the report shows what was read.
    if (r == 1 && options.keepFailedRestoreCopies) {
        PendingCopiesOffer(port, pending);
    }
    return out;
}

StepResult RestoreRetained(StepPort& port, const StepOptions& options, PendingRetained& pending) {
    const int32_t r = core::RetainedDataRestore();
    if ((r & 0x10) != 0) {
        port.Caption("Restoring Retain Data");
        port.Report(kRetain.restoring);
    } else {
        port.Caption("Verifying Retain Data");
        port.Report(kRetain.verifying);
    }
    const StepResult result = PassedIf((r & 1) == 1);
    ReportDoneFailed(port, result);
    if (!options.keepFailedRestoreCopies) {
        return result;
    }
    const core::FlashOpsState& f = core::FlashOps;
    if ((r & 0x10) != 0) {
        if (pending.dcoStandsIn == 1) {
            port.Report("  Copies kept from the failed restore written back: " + DcoRange() +
                        "\r\n");
        }
        if (pending.retainStandsIn == 1) {
            port.Report("  Copies kept from the failed restore written back: " +
                        RetainRange(pending) + "\r\n");
        }
    }
    pending.dcoStandsIn = 0;
    pending.retainStandsIn = 0;
    if (result == StepResult::Passed) {
        pending.Reset();
        return result;
    }
    if (f.dcoCopyValid == 1) {
        pending.dcoPending = 1;
        std::memcpy(pending.dcoCopy, f.dcoCopy, core::kDcoSize);
    }
    if (f.retainCopyLength > 0) {
        pending.retainPending = 1;
        pending.retainCopyStart = f.retainCopyStart;
        pending.retainCopyLength = f.retainCopyLength;
        std::memcpy(pending.retainCopy, f.retainCopy, static_cast<size_t>(f.retainCopyLength));
    }
    return result;
}

} // namespace steps
