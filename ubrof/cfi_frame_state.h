#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "ubrof/cfi_sink.h"
#include "ubrof/counted.h"

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

// Keeps the current rule of every resource and the CFA rule of every frame,
// with a stack of remembered states. Advances are ignored.
class CfiFrameStateBuilder : public CfiInstructionSink {
public:
    // Remembered states nest at most this deep ("CFI remember state too deep").
    static constexpr size_t kMaxRemembered = 64;

    explicit CfiFrameStateBuilder(const CfiNamesBlock& names) : names_(names) {}

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
    size_t RememberedStates() const { return saved_.size(); }

private:
    struct State {
        std::map<uint32_t, CfiRule> rules;
        std::map<uint32_t, CfiCfaRule> cfa;
    };
    void SetCfa(uint32_t frame, CfiCfaRule rule);
    // The resource a frame lies on, if any.
    const uint32_t* TiedResource(uint32_t frame) const;

    const CfiNamesBlock& names_;
    State state_;
    std::vector<State> saved_;
    bool flag_ = false;
};
