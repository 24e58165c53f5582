#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "ubrof/cfi_sink.h"
#include "ubrof/counted.h"

namespace ubrof {

class CfiNamesBlock;

// The rule of a resource. Kinds: 1 offset (saved at the frame's CFA plus the
// offset), 2 undefined, 3 same value, 4 register, 5 restore, 6 expression,
// 7 none.
struct CfiRule {
    int kind = 7;
    uint32_t frame = 0;
    int32_t offset = 0;
    uint32_t holder = 0;
    CountedHandle<CfiExpressionNode> expression;
    // Set while the resource holds the value of the frame tied to it.
    bool holdsFrameValue = false;
};

// The CFA rule of a frame. Kinds: 0 none yet, 1 resource plus offset, 2 the
// op31 state, 3 expression, 4 the op37 state.
struct CfiCfaRule {
    int kind = 0;
    uint32_t resource = 0;
    int32_t offset = 0;
    CountedHandle<CfiExpressionNode> expression;
};

// Calls the sink operation of the rule's kind for the resource; kind 7 calls
// nothing, any kind outside 1-7 is a format error ("Illegal rule info kind").
void CfiRuleApply(const CfiRule& rule, uint32_t resource, CfiInstructionSink& sink);

// One layer of rules over the layer below it: a range of resources with one
// default rule, and the rules and CFA rules the layer sets over both. Layers
// are shared and never change once built, so that what many blocks inherit
// is kept once.
struct CfiRuleLayer {
    std::shared_ptr<const CfiRuleLayer> below;
    uint32_t defaultFrom = 0;
    uint32_t defaultTo = 0; // exclusive; from == to: no defaults
    CfiRule defaultRule;
    std::map<uint32_t, CfiRule> rules;
    std::map<uint32_t, CfiCfaRule> cfa;

    // The layer's own answer, or the layer below's; null when none has one.
    const CfiRule* FindRule(uint32_t resource) const;
    const CfiCfaRule* FindCfa(uint32_t frame) const;
};

// The rules after a COMMON block's initial instructions, where its data
// blocks start: the rules, the flag, and the states still remembered, the
// oldest first, to which a data block's restores return.
struct CfiInitialState {
    std::shared_ptr<const CfiRuleLayer> rules;
    std::vector<std::shared_ptr<const CfiRuleLayer>> remembered;
    bool flag = false;

    // Kind 7 (none) for a resource without a rule, kind 0 for a frame
    // without a CFA rule.
    CfiRule Rule(uint32_t resource) const;
    CfiCfaRule Cfa(uint32_t frame) const;
};

// Keeps the current rule of every resource and the CFA rule of every frame,
// with a stack of remembered states. Advances are ignored.
//
// The rules a block starts from are shared, not copied; the block's own
// changes lie over them. Remembering a state costs nothing: while states are
// remembered each change logs what it replaced, and a restore undoes the
// changes logged since. So the work is linear in the instructions whatever
// the number of resources.
class CfiFrameStateBuilder : public CfiInstructionSink {
public:
    // Remembered states nest at most this deep ("CFI remember state too deep").
    static constexpr size_t kMaxRemembered = 64;

    explicit CfiFrameStateBuilder(const CfiNamesBlock& names) : names_(names) {}

    // Before any instruction: start from a COMMON block's initial state.
    void Start(const std::shared_ptr<const CfiInitialState>& initial);
    // Before any instruction: resources from..to (exclusive) get the rule.
    void SetDefaults(uint32_t from, uint32_t to, const CfiRule& rule);
    // The state reached, for blocks to start from; the builder is spent.
    std::shared_ptr<const CfiInitialState> Freeze();

    void Op33() override { flag_ = true; }
    void Op34() override { flag_ = false; }
    void CfaRule(uint32_t frame, uint32_t resource, int32_t offset) override;
    void Op31(uint32_t frame) override;
    void CfaExpression(uint32_t frame, const Expression& expression) override;
    void Op37(uint32_t frame) override;
    void Undefined(uint32_t resource) override;
    void SameValue(uint32_t resource) override;
    void Offset(uint32_t resource, uint32_t frame, int32_t offset) override;
    void Register(uint32_t resource, uint32_t holder) override;
    void Restore(uint32_t resource) override;
    void RuleExpression(uint32_t resource, const Expression& expression) override;
    // Restoring with nothing remembered does nothing.
    void RememberState() override;
    void RestoreState() override;
    void Advance(uint32_t) override {}

    // Kind 7 (none) for a resource without a rule.
    CfiRule Rule(uint32_t resource) const;
    // Kind 0 for a frame without a CFA rule.
    CfiCfaRule Cfa(uint32_t frame) const;
    bool Flag() const { return flag_; }
    size_t RememberedStates() const { return marks_.size() + inherited_.size(); }

private:
    // What a change replaced in the own layer.
    struct Undo {
        bool cfa;
        uint32_t key;
        bool had;
        CfiRule rule;
        CfiCfaRule cfaRule;
    };
    void SetRule(uint32_t resource, CfiRule rule);
    void SetCfa(uint32_t frame, CfiCfaRule rule);
    void UndoTo(size_t mark, CfiRuleLayer& layer);
    // The resource a frame lies on, if any.
    const uint32_t* TiedResource(uint32_t frame) const;
    // The rule the own layer falls through to (defaults, then below).
    CfiRule Beneath(uint32_t resource) const;
    CfiCfaRule CfaBeneath(uint32_t frame) const;

    const CfiNamesBlock& names_;
    CfiRuleLayer own_;
    std::vector<std::shared_ptr<const CfiRuleLayer>> inherited_;
    std::vector<Undo> log_;
    std::vector<size_t> marks_;
    bool flag_ = false;
};

} // namespace ubrof
