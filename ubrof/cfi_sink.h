#pragma once

#include <cstdint>
#include <vector>

#include "ubrof/cfi_expression.h"
#include "ubrof/counted.h"

namespace ubrof {

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

// The two sinks that the decoder of a block feeds: the recorded rows and the
// running frame state.
class CfiRowRecorder : public CfiSinkBroadcaster {
public:
    CfiRowRecorder(CfiInstructionSink& first, CfiInstructionSink& second) {
        AddSink(&first);
        AddSink(&second);
    }
};

} // namespace ubrof
