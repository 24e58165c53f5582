#pragma once
// The decision of the SN step (WRITE SN / Model, and AUTO PROGRAM before
// its erase): which serial number goes to the board, or why none does. It
// asks the history, the board's label, the operator and the claims through
// SnStepQuestions, in the order the step asks them, and shows nothing: the
// step shows the verdict (report lines, lamp, box, the next-SN field) and
// writes the board.

#include <cstdint>
#include <string>

namespace gui {

// What the step knows before it asks anything.
struct SnStepFacts {
    std::string fieldText;       // the next-SN field, at most 258 characters
    bool typed = false;          // the operator typed it (ManualSnFlag, a scan not counted)
    bool scanned = false;        // the bar-code reader put it there (SnFromBarcode)
    bool warnIfNotBlank = false; // SNExistWarnEn: a label that holds data goes to the editor
    bool customType = false;     // the SN type is custom (kSnTypeCustom)
};

// The SN editor's answer.
struct SnEditorAnswer {
    bool cancelled = false;
    std::string text;        // the SN chosen ("" leaves the field's)
    bool comingKept = false; // the coming SN was chosen, not the target's or an edited one
};

// A text taken as the SN to write (SerialNumberFromText).
struct SnParsed {
    bool ok = false;
    int32_t refusal = 0; // why not: kSnRefused... (sn_format.h)
    std::string text;    // the SN as it was packed (SerialNumberText)
};

// The claim of the number for this board (SnClaim).
struct SnClaimAnswer {
    int32_t result = 0; // SnClaimResult (sn_claims.h)
    bool moved = false; // another station took the coming SN: text is the next free one
    std::string text;   // the SN claimed (SerialNumberText)
    std::string why;    // report lines when it was not claimed (SnClaimWhy)
};

// What the decision asks along the way; the step answers from the
// serialization engine, the label step and the editor, a test from a table.
class SnStepQuestions {
public:
    virtual ~SnStepQuestions() = default;
    // The history (or a station's claim) holds sn; each look takes in what
    // the stations appended since the last.
    virtual bool InHistory(const std::string& sn) = 0;
    // Why no number of the current type is known to be unused, as report
    // lines; "" when the history reads.
    virtual std::string HistoryProblem() = 0;
    // The coming SN is past what the type and byte mode can store.
    virtual bool ComingExhausted() = 0;
    // The coming SN as text.
    virtual std::string ComingSn() = 0;
    // The label step (LabelReadStep): its result.
    virtual int32_t ReadLabel() = 0;
    virtual SnEditorAnswer Edit(const std::string& fieldText) = 0;
    virtual SnParsed Parse(const std::string& text) = 0;
    // mayMoveOn: the number is the coming one, so a number another station
    // took gives way to the next free one.
    virtual SnClaimAnswer Claim(bool mayMoveOn) = 0;
};

enum class SnVerdict {
    Write,             // sn goes to the board, claimed for it
    HistoryUnreadable, // lines: why no number is known to be unused
    NoSnLeft,          // sn: the number the type and byte mode cannot store
    LabelNotRead,      // the label step did not connect or was stopped: label is the result
    LabelUnreadable,   // the label could not be read: nothing is written over it
    EditorCancelled,   // the operator cancelled the editor
    Refused,           // sn cannot be written: refusal says why
    AlreadyInHistory,  // sn, the very text that would go out, is in the history
    ClaimTaken,        // another station holds the number: lines say which
    ClaimNotSaved,     // the claim could not be written: lines say why
};

struct SnDecision {
    SnVerdict verdict = SnVerdict::Write;
    std::string sn;            // the SN written (Write) or named by the verdict
    std::string lines;         // report lines of HistoryUnreadable, ClaimTaken, ClaimNotSaved
    int32_t label = 0;         // the label step's result, once it ran
    int32_t refusal = 0;       // Refused
    bool editorDue = false;    // the number goes through the editor (SnPromptNeeded)
    bool fieldChanged = false; // the next-SN field shows fieldText now
    std::string fieldText;
};

SnDecision SnStepDecide(const SnStepFacts& facts, SnStepQuestions& ask);

} // namespace gui
