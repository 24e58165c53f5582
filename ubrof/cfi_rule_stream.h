#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ubrof/cfi_sink.h"
#include "ubrof/counted.h"

namespace ubrof {

class CfiNamesBlock;

// Keeps the sink calls as a compact rule stream: one code byte per call and
// its operands as unsigned LEB128 numbers (offsets as their 32-bit pattern);
// expressions go to a list of their own, in call order.
class CfiRuleRecorder : public CfiInstructionSink {
public:
    explicit CfiRuleRecorder(CountedHandle<CfiNamesBlock> names) : names_(std::move(names)) {}

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
    // Code 0 with the distance from the last recorded location.
    void Advance(uint32_t location) override;

    const std::vector<uint8_t>& Stream() const { return stream_; }
    const std::vector<Expression>& Expressions() const { return expressions_; }
    const CfiNamesBlock& Names() const { return *names_; }
    int RememberDepth() const { return depth_; }
    bool Flag() const { return flag_; }
    // True when the stream holds an advance, that is more than one row.
    bool HasAdvance() const { return hasAdvance_; }

private:
    void Code(uint8_t code) { stream_.push_back(code); }
    void Number(uint32_t value);

    CountedHandle<CfiNamesBlock> names_;
    std::vector<uint8_t> stream_;
    std::vector<Expression> expressions_;
    uint32_t lastLocation_ = 0;
    int depth_ = 0;
    bool flag_ = true;
    bool hasAdvance_ = false;
};

// Plays a recorded rule stream back into a sink, row by row.
class CfiRuleReplay {
public:
    static constexpr uint32_t kEnd = 0xFFFFFFFF;

    explicit CfiRuleReplay(const CfiRuleRecorder& recorder) : recorder_(recorder) {}

    // One row: the calls up to the next advance. Returns false, with the
    // location kEnd, when the stream has ended; otherwise the location that
    // the advance reached.
    bool Row(CfiInstructionSink& target, uint32_t& location);
    // Every row, with an advance call for each location reached.
    void All(CfiInstructionSink& target);
    // The one row of a COMMON block's initial rules; a second row is a format
    // error ("More than one row in call frame info data").
    void OneRow(CfiInstructionSink& target);

private:
    uint32_t Number();

    const CfiRuleRecorder& recorder_;
    size_t position_ = 0;
    size_t expression_ = 0;
    uint32_t location_ = 0;
};

} // namespace ubrof
