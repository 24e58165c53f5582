#include "ubrof/cfi_common.h"

#include <utility>

#include "ubrof/fatal.h"

namespace ubrof {

CfiCommonBlock::CfiCommonBlock(CountedHandle<CfiNamesBlock> names, uint32_t flags)
    : names_(std::move(names)), flags_(flags),
      initialRules_(std::make_unique<CfiRuleRecorder>(names_)) {}

void CfiCommonBlock::SetDefaults(uint32_t from, uint32_t to, bool sameValue) {
    defaultFrom_ = from;
    defaultTo_ = to > from ? to : from;
    defaultKind_ = sameValue ? 3 : 2;
}

void CfiCommonBlock::ReplayOwnRules(CfiInstructionSink& sink) const {
    for (uint32_t r = defaultFrom_; r < defaultTo_; ++r) {
        if (defaultKind_ == 3) {
            sink.SameValue(r);
        } else {
            sink.Undefined(r);
        }
    }
    CfiRuleReplay(*initialRules_).OneRow(sink);
}

void CfiCommonBlock::ReplayInitialRules(CfiInstructionSink& sink) const {
    ReplayOwnRules(sink);
}

const std::shared_ptr<const CfiInitialState>& CfiCommonBlock::InitialState() const {
    if (!initialState_) {
        CfiFrameStateBuilder state(*names_);
        if (const std::shared_ptr<const CfiInitialState> start = StartState()) {
            state.Start(start);
        }
        if (defaultFrom_ < defaultTo_) {
            CfiRule rule;
            rule.kind = defaultKind_;
            state.SetDefaults(defaultFrom_, defaultTo_, rule);
        }
        CfiRuleReplay(*initialRules_).OneRow(state);
        initialState_ = state.Freeze();
    }
    return initialState_;
}

std::strong_ordering Compare(const CfiCommonBlock& a, const CfiCommonBlock& b) {
    if (auto c = a.IsDerived() <=> b.IsDerived(); c != 0) {
        return c;
    }
    if (auto c = std::compare_three_way()(a.names_.get(), b.names_.get()); c != 0) {
        return c;
    }
    if (auto c = a.CodeAlignment() <=> b.CodeAlignment(); c != 0) {
        return c;
    }
    if (auto c = a.DataAlignment() <=> b.DataAlignment(); c != 0) {
        return c;
    }
    if (auto c = a.ReturnAddress() <=> b.ReturnAddress(); c != 0) {
        return c;
    }
    if (auto c = a.CodeByte() <=> b.CodeByte(); c != 0) {
        return c;
    }
    if (auto c = a.flags_ <=> b.flags_; c != 0) {
        return c;
    }
    if (auto c = a.defaultFrom_ <=> b.defaultFrom_; c != 0) {
        return c;
    }
    if (auto c = a.defaultTo_ <=> b.defaultTo_; c != 0) {
        return c;
    }
    if (auto c = a.defaultKind_ <=> b.defaultKind_; c != 0) {
        return c;
    }
    if (a.IsDerived()) {
        const auto& da = static_cast<const CfiDerivedCommonBlock&>(a);
        const auto& db = static_cast<const CfiDerivedCommonBlock&>(b);
        if (auto c = std::compare_three_way()(&da.Base(), &db.Base()); c != 0) {
            return c;
        }
    }
    const CfiRuleRecorder& ra = *a.initialRules_;
    const CfiRuleRecorder& rb = *b.initialRules_;
    if (auto c = ra.Stream() <=> rb.Stream(); c != 0) {
        return c;
    }
    const auto& ea = ra.Expressions();
    const auto& eb = rb.Expressions();
    if (auto c = ea.size() <=> eb.size(); c != 0) {
        return c;
    }
    for (size_t i = 0; i < ea.size(); ++i) {
        // A null expression (a program without a value) sorts first.
        if (auto c = (ea[i].get() != nullptr) <=> (eb[i].get() != nullptr); c != 0) {
            return c;
        }
        if (ea[i] && eb[i]) {
            if (auto c = Compare(*ea[i], *eb[i]); c != 0) {
                return c;
            }
        }
    }
    return std::strong_ordering::equal;
}

CfiDerivedCommonBlock::CfiDerivedCommonBlock(CountedHandle<CfiCommonBlock> base,
                                             CountedHandle<CfiNamesBlock> names, uint32_t flags)
    : CfiCommonBlock(std::move(names), flags), base_(std::move(base)) {
    UbrofCheck(base_->ChainDepth() < kMaxChain, "CFI block chain too deep");
    depth_ = base_->ChainDepth() + 1;
}

void CfiDerivedCommonBlock::ReplayInitialRules(CfiInstructionSink& sink) const {
    base_->ReplayInitialRules(sink);
    ReplayOwnRules(sink);
}

} // namespace ubrof
