#include "ubrof/cfi_frame_state.h"

#include <utility>

#include "ubrof/cfi_names.h"
#include "ubrof/fatal.h"

namespace ubrof {

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

const CfiRule* CfiRuleLayer::FindRule(uint32_t resource) const {
    for (const CfiRuleLayer* layer = this; layer != nullptr; layer = layer->below.get()) {
        if (const auto it = layer->rules.find(resource); it != layer->rules.end()) {
            return &it->second;
        }
        if (resource >= layer->defaultFrom && resource < layer->defaultTo) {
            return &layer->defaultRule;
        }
    }
    return nullptr;
}

const CfiCfaRule* CfiRuleLayer::FindCfa(uint32_t frame) const {
    for (const CfiRuleLayer* layer = this; layer != nullptr; layer = layer->below.get()) {
        if (const auto it = layer->cfa.find(frame); it != layer->cfa.end()) {
            return &it->second;
        }
    }
    return nullptr;
}

CfiRule CfiInitialState::Rule(uint32_t resource) const {
    const CfiRule* rule = rules ? rules->FindRule(resource) : nullptr;
    return rule != nullptr ? *rule : CfiRule();
}

CfiCfaRule CfiInitialState::Cfa(uint32_t frame) const {
    const CfiCfaRule* rule = rules ? rules->FindCfa(frame) : nullptr;
    return rule != nullptr ? *rule : CfiCfaRule();
}

void CfiFrameStateBuilder::Start(const std::shared_ptr<const CfiInitialState>& initial) {
    own_ = CfiRuleLayer();
    log_.clear();
    marks_.clear();
    own_.below = initial->rules;
    inherited_ = initial->remembered;
    flag_ = initial->flag;
}

void CfiFrameStateBuilder::SetDefaults(uint32_t from, uint32_t to, const CfiRule& rule) {
    own_.defaultFrom = from;
    own_.defaultTo = to;
    own_.defaultRule = rule;
}

CfiRule CfiFrameStateBuilder::Beneath(uint32_t resource) const {
    if (resource >= own_.defaultFrom && resource < own_.defaultTo) {
        return own_.defaultRule;
    }
    const CfiRule* rule = own_.below ? own_.below->FindRule(resource) : nullptr;
    return rule != nullptr ? *rule : CfiRule();
}

CfiCfaRule CfiFrameStateBuilder::CfaBeneath(uint32_t frame) const {
    const CfiCfaRule* rule = own_.below ? own_.below->FindCfa(frame) : nullptr;
    return rule != nullptr ? *rule : CfiCfaRule();
}

// Undoes the logged changes from the end back to mark, in the layer.
void CfiFrameStateBuilder::UndoTo(size_t mark, CfiRuleLayer& layer) {
    while (log_.size() > mark) {
        Undo& undo = log_.back();
        if (undo.cfa) {
            if (undo.had) {
                layer.cfa[undo.key] = std::move(undo.cfaRule);
            } else {
                layer.cfa.erase(undo.key);
            }
        } else if (undo.had) {
            layer.rules[undo.key] = std::move(undo.rule);
        } else {
            layer.rules.erase(undo.key);
        }
        log_.pop_back();
    }
}

std::shared_ptr<const CfiInitialState> CfiFrameStateBuilder::Freeze() {
    auto state = std::make_shared<CfiInitialState>();
    state->flag = flag_;
    state->remembered = std::move(inherited_);
    // The states still remembered, as layers over the final rules: each
    // holds the values at its mark of what changed after it, up to the next
    // mark, so that all of them together hold no more than the log does.
    std::vector<std::shared_ptr<const CfiRuleLayer>> snapshots(marks_.size());
    // The own layer's maps move; its defaults and the layer below stay, for
    // the values beneath it.
    auto final = std::make_shared<CfiRuleLayer>();
    final->below = own_.below;
    final->defaultFrom = own_.defaultFrom;
    final->defaultTo = own_.defaultTo;
    final->defaultRule = own_.defaultRule;
    final->rules = std::move(own_.rules);
    final->cfa = std::move(own_.cfa);
    for (size_t k = marks_.size(); k-- > 0;) {
        const size_t end = k + 1 < marks_.size() ? marks_[k + 1] : log_.size();
        auto layer = std::make_shared<CfiRuleLayer>();
        layer->below = k + 1 < marks_.size() ? snapshots[k + 1] : final;
        // The first change of a key after the mark holds its value there.
        for (size_t i = end; i-- > marks_[k];) {
            const Undo& undo = log_[i];
            if (undo.cfa) {
                layer->cfa[undo.key] = undo.had ? undo.cfaRule : CfaBeneath(undo.key);
            } else {
                layer->rules[undo.key] = undo.had ? undo.rule : Beneath(undo.key);
            }
        }
        snapshots[k] = std::move(layer);
    }
    for (auto& snapshot : snapshots) {
        state->remembered.push_back(std::move(snapshot));
    }
    state->rules = std::move(final);
    own_ = CfiRuleLayer();
    log_.clear();
    marks_.clear();
    return state;
}

const uint32_t* CfiFrameStateBuilder::TiedResource(uint32_t frame) const {
    const CfiFrame* f = names_.Frame(frame);
    return f != nullptr && f->kind == 0 ? &f->resource : nullptr;
}

void CfiFrameStateBuilder::SetRule(uint32_t resource, CfiRule rule) {
    auto it = own_.rules.find(resource);
    if (!marks_.empty()) {
        Undo undo{false, resource, it != own_.rules.end(), {}, {}};
        if (undo.had) {
            undo.rule = it->second;
        }
        log_.push_back(std::move(undo));
    }
    if (it != own_.rules.end()) {
        it->second = std::move(rule);
    } else {
        own_.rules.emplace(resource, std::move(rule));
    }
}

void CfiFrameStateBuilder::SetCfa(uint32_t frame, CfiCfaRule rule) {
    const bool value = rule.kind == 1 || rule.kind == 3;
    auto it = own_.cfa.find(frame);
    if (!marks_.empty()) {
        Undo undo{true, frame, it != own_.cfa.end(), {}, {}};
        if (undo.had) {
            undo.cfaRule = it->second;
        }
        log_.push_back(std::move(undo));
    }
    if (it != own_.cfa.end()) {
        it->second = std::move(rule);
    } else {
        own_.cfa.emplace(frame, std::move(rule));
    }
    if (value) {
        if (const uint32_t* tied = TiedResource(frame)) {
            CfiRule held;
            held.frame = frame;
            held.holdsFrameValue = true;
            SetRule(*tied, held);
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
        const CfiRule current = Rule(*tied);
        if (current.holdsFrameValue && current.frame == frame) {
            SetRule(*tied, CfiRule()); // no rule
        }
    }
}

void CfiFrameStateBuilder::Undefined(uint32_t resource) {
    CfiRule rule;
    rule.kind = 2;
    SetRule(resource, rule);
}

void CfiFrameStateBuilder::SameValue(uint32_t resource) {
    CfiRule rule;
    rule.kind = 3;
    SetRule(resource, rule);
}

void CfiFrameStateBuilder::Offset(uint32_t resource, uint32_t frame, int32_t offset) {
    CfiRule rule;
    rule.kind = 1;
    rule.frame = frame;
    rule.offset = offset;
    SetRule(resource, rule);
}

void CfiFrameStateBuilder::Register(uint32_t resource, uint32_t holder) {
    CfiRule rule;
    rule.kind = 4;
    rule.holder = holder;
    SetRule(resource, rule);
}

void CfiFrameStateBuilder::Restore(uint32_t resource) {
    CfiRule rule;
    rule.kind = 5;
    SetRule(resource, rule);
}

void CfiFrameStateBuilder::RuleExpression(uint32_t resource, const Expression& expression) {
    CfiRule rule;
    rule.kind = 6;
    rule.expression = expression;
    SetRule(resource, std::move(rule));
}

void CfiFrameStateBuilder::RememberState() {
    UbrofCheck(RememberedStates() < kMaxRemembered, "CFI remember state too deep");
    marks_.push_back(log_.size());
}

void CfiFrameStateBuilder::RestoreState() {
    if (!marks_.empty()) {
        UndoTo(marks_.back(), own_);
        marks_.pop_back();
    } else if (!inherited_.empty()) {
        // Back to a state remembered before this block began: what the
        // block set since is dropped with its own layer.
        own_ = CfiRuleLayer();
        own_.below = std::move(inherited_.back());
        inherited_.pop_back();
    }
}

CfiRule CfiFrameStateBuilder::Rule(uint32_t resource) const {
    if (const auto it = own_.rules.find(resource); it != own_.rules.end()) {
        return it->second;
    }
    return Beneath(resource);
}

CfiCfaRule CfiFrameStateBuilder::Cfa(uint32_t frame) const {
    if (const auto it = own_.cfa.find(frame); it != own_.cfa.end()) {
        return it->second;
    }
    return CfaBeneath(frame);
}

} // namespace ubrof
