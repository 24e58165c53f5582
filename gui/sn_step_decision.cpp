#include "gui/sn_step_decision.h"

#include "gui/procedure_frame.h"
#include "gui/procedure_steps.h"
#include "gui/sn_claims.h"
#include "gui/sn_format.h"
#include "gui/sn_readback.h"

namespace gui {

namespace {

SnDecision Verdict(SnDecision d, SnVerdict verdict) {
    d.verdict = verdict;
    return d;
}

// The label asks for the editor: it holds data and the operator wants to
// be warned of that, or the number was typed. A custom SN goes to the
// editor for these only with the warning on.
bool LabelAsksForEditor(const SnStepFacts& facts, int32_t label) {
    const bool holdsData = (label & (kLabelSnFound | kReadBackNotEmpty)) != 0;
    return ((holdsData && facts.warnIfNotBlank) || facts.typed) &&
           (!facts.customType || facts.warnIfNotBlank);
}

} // namespace

SnDecision SnStepDecide(const SnStepFacts& facts, SnStepQuestions& ask) {
    SnDecision d;
    // The coming SN, not one the operator typed or scanned: when another
    // station took it, the next free one is written instead.
    const bool coming = !facts.typed && !facts.scanned;
    // Typed, scanned or coming: a number the history holds is never written
    // silently (a re-scanned label, or the number of a run whose record
    // could not be saved).
    d.editorDue = ask.InHistory(facts.fieldText);
    // Without the history no number is known to be unused.
    d.lines = ask.HistoryProblem();
    if (!d.lines.empty()) {
        return Verdict(d, SnVerdict::HistoryUnreadable);
    }
    if (coming && ask.ComingExhausted()) {
        d.sn = ask.ComingSn();
        return Verdict(d, SnVerdict::NoSnLeft);
    }
    d.label = ask.ReadLabel();
    if (d.label == kResultFailed || d.label == kResultStopped) {
        return Verdict(d, SnVerdict::LabelNotRead);
    }
    if (d.label == kReadBackFailed) {
        return Verdict(d, SnVerdict::LabelUnreadable);
    }
    d.editorDue = d.editorDue || LabelAsksForEditor(facts, d.label);
    std::string text = facts.fieldText;
    bool mayMoveOn = coming;
    if (d.editorDue) {
        const SnEditorAnswer edited = ask.Edit(facts.fieldText);
        if (edited.cancelled) {
            return Verdict(d, SnVerdict::EditorCancelled);
        }
        // The number the operator chose in the editor is the one written,
        // and the field shows it.
        if (!edited.text.empty()) {
            text = edited.text;
        }
        mayMoveOn = mayMoveOn && edited.comingKept;
        d.fieldChanged = true;
        d.fieldText = text;
    }
    const SnParsed parsed = ask.Parse(text);
    if (!parsed.ok) {
        // A refused number (over capacity, wrong digits, blank) is never
        // written, and the report says why.
        d.sn = text;
        d.sn.erase(d.sn.find_last_not_of(' ') + 1);
        d.refusal = parsed.refusal;
        // Past the end of the range, the coming SN has no number left.
        return Verdict(d, parsed.refusal == kSnRefusedRange && mayMoveOn ? SnVerdict::NoSnLeft
                                                                         : SnVerdict::Refused);
    }
    // The last word, on the very text that goes to the board: whatever
    // road it came by, a number the history holds is not written again.
    if (!mayMoveOn && ask.InHistory(parsed.text)) {
        d.sn = parsed.text;
        return Verdict(d, SnVerdict::AlreadyInHistory);
    }
    // The number is claimed for this board, under the history's lock, and
    // only once its record is known to fit in the history.
    const SnClaimAnswer claim = ask.Claim(mayMoveOn);
    if (claim.result != kSnClaimed) {
        if (claim.result == kSnClaimExhausted) {
            d.sn = ask.ComingSn();
            return Verdict(d, SnVerdict::NoSnLeft);
        }
        d.lines = claim.why;
        return Verdict(d, claim.result == kSnClaimTaken ? SnVerdict::ClaimTaken
                                                        : SnVerdict::ClaimNotSaved);
    }
    d.sn = text;
    if (claim.moved) {
        // Another station took the coming SN meanwhile: the field moves on.
        d.sn = claim.text;
        d.fieldChanged = true;
        d.fieldText = claim.text;
    }
    return Verdict(d, SnVerdict::Write);
}

} // namespace gui
