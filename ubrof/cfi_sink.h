#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "ubrof/cfi_expression.h"
#include "ubrof/counted.h"

class CfiNamesBlock;

// What the call-frame instruction decoder makes of an instruction block.
// Resources and frames are numbers of the block's names block, already
// checked against it; offsets are signed, locations unsigned 32-bit values.
class CfiInstructionSink {
public:
    using Expression = CountedHandle<CfiExpressionNode>;

    virtual ~CfiInstructionSink() = default;
    virtual void Op33() = 0;
    virtual void Op34() = 0;
    virtual void CfaRule(uint32_t frame, uint32_t resource, int32_t offset) = 0;
    virtual void Op31(uint32_t frame) = 0;
    virtual void CfaExpression(uint32_t frame, const Expression& expression) = 0;
    virtual void Op37(uint32_t frame) = 0;
    virtual void Undefined(uint32_t resource) = 0;
    virtual void SameValue(uint32_t resource) = 0;
    virtual void Offset(uint32_t resource, uint32_t frame, int32_t offset) = 0;
    virtual void Register(uint32_t resource, uint32_t holder) = 0;
    virtual void Restore(uint32_t resource) = 0;
    virtual void RuleExpression(uint32_t resource, const Expression& expression) = 0;
    virtual void RememberState() = 0;
    virtual void RestoreState() = 0;
    virtual void Advance(uint32_t location) = 0;
};

// Forwards every call to each sink of its list, in list order. It does not
// own the sinks.
class CfiSinkBroadcaster : public CfiInstructionSink {
public:
    void AddSink(CfiInstructionSink* sink) { sinks_.push_back(sink); }

    void Op33() override;
    void Op34() override;
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
    void RememberState() override;
    void RestoreState() override;
    void Advance(uint32_t location) override;

private:
    std::vector<CfiInstructionSink*> sinks_;
};

// A broadcaster over two sinks that also follows the rule kind of every part
// of a composite resource in the current row, and from them the composite's:
// the parts' common kind, or 0 while they differ. One level only.
class CfiRowRecorder : public CfiSinkBroadcaster {
public:
    CfiRowRecorder(const CfiNamesBlock& names, CfiInstructionSink& first,
                   CfiInstructionSink& second);

    void Undefined(uint32_t resource) override;
    void SameValue(uint32_t resource) override;
    void Offset(uint32_t resource, uint32_t frame, int32_t offset) override;
    void Register(uint32_t resource, uint32_t holder) override;
    void Restore(uint32_t resource) override;
    void RuleExpression(uint32_t resource, const Expression& expression) override;

    // The composite of a part, -1 for none.
    int64_t CompositeOf(uint32_t resource) const;
    // The rule kind followed for a composite (0 unknown or mixed).
    int CompositeKind(uint32_t composite) const;

private:
    void Track(uint32_t resource, int kind);

    const CfiNamesBlock& names_;
    std::map<uint32_t, uint32_t> compositeOf_;
    std::map<uint32_t, int> partKind_;
    std::map<uint32_t, int> compositeKind_;
};
