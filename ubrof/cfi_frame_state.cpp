#include "ubrof/cfi_frame_state.h"

#include <utility>

#include "ubrof/cfi_names.h"
#include "ubrof/fatal.h"

void CfiRuleApply(const CfiRule& rule, uint32_t resource, CfiInstructionSink& sink) {
    switch (rule.kind) {
    case 1:
        sink.Offset(resource, rule.frame, rule.offset);
        break;
    case 2:
        sink.Undefined(resource);
        break;
    case 3:
        sink.SameValue(resource);
        break;
    case 4:
        sink.Register(resource, rule.holder);
        break;
    case 5:
        sink.Restore(resource);
        break;
    case 6:
        sink.RuleExpression(resource, rule.expression);
        break;
    case 7:
        break;
    default:
        UbrofCheck(false, "Illegal rule info kind");
    }
}

const uint32_t* CfiFrameStateBuilder::TiedResource(uint32_t frame) const {
    const CfiFrame* f = names_.Frame(frame);
    return f != nullptr && f->kind == 0 ? &f->resource : nullptr;
}

void CfiFrameStateBuilder::SetCfa(uint32_t frame, CfiCfaRule rule) {
    const bool value = rule.kind == 1 || rule.kind == 3;
    state_.cfa[frame] = std::move(rule);
    if (value) {
        if (const uint32_t* tied = TiedResource(frame)) {
            CfiRule held;
            held.frame = frame;
            held.holdsFrameValue = true;
            state_.rules[*tied] = held;
        }
    }
}

void CfiFrameStateBuilder::CfaRule(uint32_t frame, uint32_t resource, int32_t offset) {
    CfiCfaRule rule;
    rule.kind = 1;
    rule.resource = resource;
    rule.offset = offset;
    SetCfa(frame, std::move(rule));
}

void CfiFrameStateBuilder::Op31(uint32_t frame) {
    CfiCfaRule rule;
    rule.kind = 2;
    SetCfa(frame, std::move(rule));
}

void CfiFrameStateBuilder::CfaExpression(uint32_t frame, const Expression& expression) {
    CfiCfaRule rule;
    rule.kind = 3;
    rule.expression = expression;
    SetCfa(frame, std::move(rule));
}

void CfiFrameStateBuilder::Op37(uint32_t frame) {
    CfiCfaRule rule;
    rule.kind = 4;
    SetCfa(frame, std::move(rule));
    if (const uint32_t* tied = TiedResource(frame)) {
        const auto it = state_.rules.find(*tied);
        if (it != state_.rules.end() && it->second.holdsFrameValue && it->second.frame == frame) {
            state_.rules.erase(it);
        }
    }
}

void CfiFrameStateBuilder::Undefined(uint32_t resource) {
    CfiRule rule;
    rule.kind = 2;
    state_.rules[resource] = rule;
}

void CfiFrameStateBuilder::SameValue(uint32_t resource) {
    CfiRule rule;
    rule.kind = 3;
    state_.rules[resource] = rule;
}

void CfiFrameStateBuilder::Offset(uint32_t resource, uint32_t frame, int32_t offset) {
    CfiRule rule;
    rule.kind = 1;
    rule.frame = frame;
    rule.offset = offset;
    state_.rules[resource] = rule;
}

void CfiFrameStateBuilder::Register(uint32_t resource, uint32_t holder) {
    CfiRule rule;
    rule.kind = 4;
    rule.holder = holder;
    state_.rules[resource] = rule;
}

void CfiFrameStateBuilder::Restore(uint32_t resource) {
    CfiRule rule;
    rule.kind = 5;
    state_.rules[resource] = rule;
}

void CfiFrameStateBuilder::RuleExpression(uint32_t resource, const Expression& expression) {
    CfiRule rule;
    rule.kind = 6;
    rule.expression = expression;
    state_.rules[resource] = std::move(rule);
}

void CfiFrameStateBuilder::RememberState() {
    UbrofCheck(saved_.size() < kMaxRemembered, "CFI remember state too deep");
    saved_.push_back(state_);
}

void CfiFrameStateBuilder::RestoreState() {
    if (!saved_.empty()) {
        state_ = std::move(saved_.back());
        saved_.pop_back();
    }
}

CfiRule CfiFrameStateBuilder::Rule(uint32_t resource) const {
    const auto it = state_.rules.find(resource);
    return it == state_.rules.end() ? CfiRule() : it->second;
}

CfiCfaRule CfiFrameStateBuilder::Cfa(uint32_t frame) const {
    const auto it = state_.cfa.find(frame);
    return it == state_.cfa.end() ? CfiCfaRule() : it->second;
}
