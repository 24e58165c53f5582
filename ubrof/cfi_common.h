#pragma once

#include <compare>
#include <cstdint>
#include <memory>

#include "ubrof/cfi_frame_state.h"
#include "ubrof/cfi_names.h"
#include "ubrof/cfi_rule_stream.h"
#include "ubrof/counted.h"

namespace ubrof {

// A COMMON block of call-frame information: the alignment factors, the
// return-address resource and the initial rules that its data blocks start
// from, recorded as a rule stream. Plain blocks stand alone; a derived block
// takes its factors from a base block and adds its own initial rules to the
// base's.
class CfiCommonBlock : public CountedObject {
public:
    // Derived blocks chain at most this deep ("CFI block chain too deep").
    static constexpr int kMaxChain = 64;

    CfiCommonBlock(CountedHandle<CfiNamesBlock> names, uint32_t flags);

    virtual uint32_t CodeAlignment() const = 0;
    virtual int32_t DataAlignment() const = 0;
    virtual uint32_t ReturnAddress() const = 0;
    virtual int CodeByte() const = 0;
    virtual bool IsDerived() const = 0;
    virtual int ChainDepth() const = 0;

    const CfiNamesBlock& Names() const { return *names_; }
    const CountedHandle<CfiNamesBlock>& NamesHandle() const { return names_; }
    uint32_t Flags() const { return flags_; }
    // The block's own initial instructions (after the defaults it gives).
    CfiRuleRecorder& InitialRules() { return *initialRules_; }
    const CfiRuleRecorder& InitialRules() const { return *initialRules_; }
    // Resources from..to (exclusive) start with the rule before the initial
    // instructions: same value or undefined. Kept as a range, not a rule per
    // resource, however many resources the names block has.
    void SetDefaults(uint32_t from, uint32_t to, bool sameValue);
    // Plays the initial rules (a derived block's base first, then the
    // defaults one resource at a time, then the instructions) into the sink
    // as one row; a second row is a format error.
    virtual void ReplayInitialRules(CfiInstructionSink& sink) const;
    // The rules the data blocks start from, built on first use and then
    // shared by all of them; a second row is a format error.
    const std::shared_ptr<const CfiInitialState>& InitialState() const;

    // By every field and the recorded rules; names blocks by identity.
    friend std::strong_ordering Compare(const CfiCommonBlock& a, const CfiCommonBlock& b);

protected:
    // The state this block's own rules start from: none, or the base's.
    virtual std::shared_ptr<const CfiInitialState> StartState() const { return nullptr; }
    void ReplayOwnRules(CfiInstructionSink& sink) const;

private:
    CountedHandle<CfiNamesBlock> names_;
    uint32_t flags_;
    std::unique_ptr<CfiRuleRecorder> initialRules_;
    uint32_t defaultFrom_ = 0;
    uint32_t defaultTo_ = 0;
    int defaultKind_ = 0; // 0 none, 2 undefined, 3 same value
    mutable std::shared_ptr<const CfiInitialState> initialState_;
};

class CfiPlainCommonBlock : public CfiCommonBlock {
public:
    CfiPlainCommonBlock(CountedHandle<CfiNamesBlock> names, uint32_t flags, uint32_t codeAlignment,
                        int32_t dataAlignment, uint32_t returnAddress, int codeByte)
        : CfiCommonBlock(std::move(names), flags), codeAlignment_(codeAlignment),
          dataAlignment_(dataAlignment), returnAddress_(returnAddress), codeByte_(codeByte) {}

    uint32_t CodeAlignment() const override { return codeAlignment_; }
    int32_t DataAlignment() const override { return dataAlignment_; }
    uint32_t ReturnAddress() const override { return returnAddress_; }
    int CodeByte() const override { return codeByte_; }
    bool IsDerived() const override { return false; }
    int ChainDepth() const override { return 1; }

private:
    uint32_t codeAlignment_;
    int32_t dataAlignment_;
    uint32_t returnAddress_;
    int codeByte_;
};

class CfiDerivedCommonBlock : public CfiCommonBlock {
public:
    // Refuses a base whose chain is already kMaxChain deep.
    CfiDerivedCommonBlock(CountedHandle<CfiCommonBlock> base, CountedHandle<CfiNamesBlock> names,
                          uint32_t flags);

    uint32_t CodeAlignment() const override { return base_->CodeAlignment(); }
    int32_t DataAlignment() const override { return base_->DataAlignment(); }
    uint32_t ReturnAddress() const override { return base_->ReturnAddress(); }
    int CodeByte() const override { return base_->CodeByte(); }
    bool IsDerived() const override { return true; }
    int ChainDepth() const override { return depth_; }
    const CfiCommonBlock& Base() const { return *base_; }
    void ReplayInitialRules(CfiInstructionSink& sink) const override;

protected:
    std::shared_ptr<const CfiInitialState> StartState() const override {
        return base_->InitialState();
    }

private:
    CountedHandle<CfiCommonBlock> base_;
    int depth_;
};

} // namespace ubrof
