// The SN step's decision without a window or a target: which number goes
// to the board, or why none does, and what it asks on the way there. The
// questions are answered from a table; the calls they record show that
// nothing reaches the board or the operator once the history or the range
// has said no, and which numbers get the history's last word.

#include "gui/procedure_frame.h"
#include "gui/procedure_steps.h"
#include "gui/sn_claims.h"
#include "gui/sn_format.h"
#include "gui/sn_readback.h"
#include "gui/sn_step_decision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using gui::SnVerdict;

// What the history, the board, the editor and the claims answer.
struct Answers {
    std::set<std::string> used{}; // numbers the history holds
    std::string problem{};        // the history's problem lines
    bool exhausted = false;       // the coming SN is past the range
    int32_t label = gui::kLabelRead;
    bool cancel = false;    // the operator cancels the editor
    std::string edited{};   // the editor's SN ("" keeps the field's)
    bool comingKept = true; // the editor's choice was the coming SN
    int32_t refusal = -1;   // the text is refused for this (-1: it parses)
    int32_t claim = gui::kSnClaimed;
    std::string movedTo{}; // the claim moved on to this SN
};

class ScriptedQuestions final : public gui::SnStepQuestions {
public:
    explicit ScriptedQuestions(const Answers& a) : a_(a) {}

    bool InHistory(const std::string& sn) override {
        calls.push_back("history " + sn);
        return a_.used.count(sn) != 0;
    }
    std::string HistoryProblem() override {
        calls.push_back("problem");
        return a_.problem;
    }
    bool ComingExhausted() override {
        calls.push_back("range");
        return a_.exhausted;
    }
    std::string ComingSn() override {
        calls.push_back("coming");
        return "00100";
    }
    int32_t ReadLabel() override {
        calls.push_back("label");
        return a_.label;
    }
    gui::SnEditorAnswer Edit(const std::string& fieldText) override {
        calls.push_back("editor " + fieldText);
        gui::SnEditorAnswer e;
        e.cancelled = a_.cancel;
        e.text = a_.edited;
        e.comingKept = a_.comingKept;
        return e;
    }
    gui::SnParsed Parse(const std::string& text) override {
        calls.push_back("parse " + text);
        gui::SnParsed p;
        p.ok = a_.refusal < 0;
        p.refusal = p.ok ? gui::kSnRefusedNone : a_.refusal;
        p.text = text;
        return p;
    }
    gui::SnClaimAnswer Claim(bool mayMoveOn) override {
        calls.push_back(mayMoveOn ? "claim, may move on" : "claim");
        gui::SnClaimAnswer c;
        c.result = a_.claim;
        c.moved = !a_.movedTo.empty();
        c.text = a_.movedTo;
        c.why = a_.claim == gui::kSnClaimed ? "" : " why\r\n";
        return c;
    }

    std::vector<std::string> calls;

private:
    Answers a_;
};

// Which numbers go through the editor: one the history holds always; a
// typed one, or a label that holds data where the operator wants that
// warned of; a custom SN for these only with the warning on.
TEST(SnStepDecisionTest, TheEditorIsDueForAUsedOrTypedNumberOrALabelThatHoldsData) {
    constexpr int32_t kBlank = gui::kLabelRead;
    constexpr int32_t kSnOnBoard = gui::kLabelRead | gui::kLabelSnFound;
    constexpr int32_t kBytesOnBoard = gui::kLabelRead | gui::kReadBackNotEmpty;
    const struct {
        const char* what;
        bool used, typed, warn, custom;
        int32_t label;
        bool editor;
    } cases[] = {
        {"coming, blank board", false, false, true, false, kBlank, false},
        {"coming, SN on the board", false, false, true, false, kSnOnBoard, true},
        {"coming, bytes on the board", false, false, true, false, kBytesOnBoard, true},
        {"coming, bytes on the board, no warning", false, false, false, false, kBytesOnBoard,
         false},
        {"typed, blank board, no warning", false, true, false, false, kBlank, true},
        {"typed custom, no warning", false, true, false, true, kSnOnBoard, false},
        {"typed custom, warning", false, true, true, true, kBlank, true},
        {"coming custom, SN on the board, warning", false, false, true, true, kSnOnBoard, true},
        {"used, blank board, no warning", true, false, false, false, kBlank, true},
        {"used custom, no warning", true, false, false, true, kBlank, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Answers a;
        a.label = c.label;
        if (c.used) {
            a.used = {"00007"};
        }
        gui::SnStepFacts facts;
        facts.fieldText = "00007";
        facts.typed = c.typed;
        facts.warnIfNotBlank = c.warn;
        facts.customType = c.custom;
        ScriptedQuestions ask(a);
        const gui::SnDecision d = gui::SnStepDecide(facts, ask);
        EXPECT_EQ(d.editorDue, c.editor);
        EXPECT_EQ(d.fieldChanged, c.editor); // the field shows the editor's choice
        const bool asked =
            std::find(ask.calls.begin(), ask.calls.end(), "editor 00007") != ask.calls.end();
        EXPECT_EQ(asked, c.editor);
        EXPECT_EQ(d.verdict, SnVerdict::Write);
    }
}

// Every road from the field to the board, with what it asks in order: the
// history and the range before the board, the board before the editor,
// and the history's last word only for a number that may not move on.
TEST(SnStepDecisionTest, EachVerdictIsReachedAskingOnlyWhatItNeeds) {
    using V = std::vector<std::string>;
    const V upToLabel = {"history 00007", "problem", "range", "label"};
    const V typedUpToLabel = {"history 00007", "problem", "label"};
    const auto with = [](V v, std::initializer_list<const char*> more) {
        v.insert(v.end(), more.begin(), more.end());
        return v;
    };
    const struct {
        const char* what;
        bool typed;
        Answers a;
        SnVerdict verdict;
        std::string sn;
        V calls;
    } cases[] = {
        {"the coming SN",
         false,
         {},
         SnVerdict::Write,
         "00007",
         with(upToLabel, {"parse 00007", "claim, may move on"})},
        {"a history that cannot be read",
         false,
         Answers{.problem = " line 3\r\n"},
         SnVerdict::HistoryUnreadable,
         "",
         {"history 00007", "problem"}},
        {"the coming SN past the range",
         false,
         Answers{.exhausted = true},
         SnVerdict::NoSnLeft,
         "00100",
         {"history 00007", "problem", "range", "coming"}},
        // A typed number is not the coming one: the range does not stop it.
        {"a typed SN, the coming one past the range", true,
         Answers{.exhausted = true, .edited = "00009", .comingKept = false}, SnVerdict::Write,
         "00009", with(typedUpToLabel, {"editor 00007", "parse 00009", "history 00009", "claim"})},
        {"no target connected", false, Answers{.label = gui::kResultFailed},
         SnVerdict::LabelNotRead, "", upToLabel},
        {"the type question answered No", false, Answers{.label = gui::kResultStopped},
         SnVerdict::LabelNotRead, "", upToLabel},
        {"a label that cannot be read", false, Answers{.label = gui::kReadBackFailed},
         SnVerdict::LabelUnreadable, "", upToLabel},
        {"the editor cancelled", true, Answers{.cancel = true}, SnVerdict::EditorCancelled, "",
         with(typedUpToLabel, {"editor 00007"})},
        // Past the range, the coming SN has no number left; a typed one is
        // refused by name, as any other refused text.
        {"the coming SN refused for its range", false, Answers{.refusal = gui::kSnRefusedRange},
         SnVerdict::NoSnLeft, "00007", with(upToLabel, {"parse 00007"})},
        {"a typed SN refused for its range", true,
         Answers{.edited = "99999  ", .comingKept = false, .refusal = gui::kSnRefusedRange},
         SnVerdict::Refused, "99999", with(typedUpToLabel, {"editor 00007", "parse 99999  "})},
        {"the target's SN chosen in the editor gets the history's last word", false,
         Answers{
             .label = gui::kLabelRead | gui::kLabelSnFound, .edited = "00003", .comingKept = false},
         SnVerdict::Write, "00003",
         with(upToLabel, {"editor 00007", "parse 00003", "history 00003", "claim"})},
        {"a used number kept in the editor", true, Answers{.used = {"00007"}, .comingKept = false},
         SnVerdict::AlreadyInHistory, "00007",
         with(typedUpToLabel, {"editor 00007", "parse 00007", "history 00007"})},
        {"the coming SN taken by another station", false, Answers{.movedTo = "00008"},
         SnVerdict::Write, "00008", with(upToLabel, {"parse 00007", "claim, may move on"})},
        {"the claim moving on past the range", false, Answers{.claim = gui::kSnClaimExhausted},
         SnVerdict::NoSnLeft, "00100",
         with(upToLabel, {"parse 00007", "claim, may move on", "coming"})},
        {"a typed SN another station claimed", true,
         Answers{.comingKept = false, .claim = gui::kSnClaimTaken}, SnVerdict::ClaimTaken, "",
         with(typedUpToLabel, {"editor 00007", "parse 00007", "history 00007", "claim"})},
        {"a claim that cannot be saved", false, Answers{.claim = gui::kSnClaimFailed},
         SnVerdict::ClaimNotSaved, "", with(upToLabel, {"parse 00007", "claim, may move on"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gui::SnStepFacts facts;
        facts.fieldText = "00007";
        facts.typed = c.typed;
        facts.warnIfNotBlank = true;
        ScriptedQuestions ask(c.a);
        const gui::SnDecision d = gui::SnStepDecide(facts, ask);
        EXPECT_EQ(d.verdict, c.verdict);
        EXPECT_EQ(ask.calls, c.calls);
        if (!c.sn.empty()) {
            EXPECT_EQ(d.sn, c.sn);
        }
        if (c.verdict == SnVerdict::Write) {
            // The field shows what goes out whenever that is not what it showed.
            EXPECT_EQ(d.fieldChanged, d.sn != "00007");
            if (d.fieldChanged) {
                EXPECT_EQ(d.fieldText, d.sn);
            }
        }
        if (c.verdict == SnVerdict::LabelNotRead) {
            EXPECT_EQ(d.label, c.a.label); // the label step's result is the step's
        }
        if (c.verdict == SnVerdict::HistoryUnreadable || c.verdict == SnVerdict::ClaimTaken ||
            c.verdict == SnVerdict::ClaimNotSaved) {
            EXPECT_FALSE(d.lines.empty()); // the report says why
        }
    }
}

} // namespace
