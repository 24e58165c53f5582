#pragma once

// Prints what the call-frame readers build, for comparing against expected
// text in the tests.

#include <string>
#include <vector>

#include "ubrof/cfi_expression.h"
#include "ubrof/cfi_sink.h"

namespace ubrof_test {

// "null" for no value; otherwise e.g. plus(reg3, const-2),
// if(cond, taken, not taken), mem4@3(addr).
std::string PrintExpression(const ubrof::CountedHandle<ubrof::CfiExpressionNode>& node);

// One line per sink call, e.g. "offset r3 f0 -6", "cfa f0 r1 +6", "advance 10".
class PrintSink : public ubrof::CfiInstructionSink {
public:
    std::vector<std::string> calls;

    void Op33() override { calls.push_back("op33"); }
    void Op34() override { calls.push_back("op34"); }
    void CfaRule(uint32_t frame, uint32_t resource, int32_t offset) override;
    void Op31(uint32_t frame) override { calls.push_back("op31 f" + std::to_string(frame)); }
    void CfaExpression(uint32_t frame, const Expression& expression) override;
    void Op37(uint32_t frame) override { calls.push_back("op37 f" + std::to_string(frame)); }
    void Undefined(uint32_t r) override { calls.push_back("undefined r" + std::to_string(r)); }
    void SameValue(uint32_t r) override { calls.push_back("same r" + std::to_string(r)); }
    void Offset(uint32_t resource, uint32_t frame, int32_t offset) override;
    void Register(uint32_t r, uint32_t holder) override {
        calls.push_back("register r" + std::to_string(r) + " r" + std::to_string(holder));
    }
    void Restore(uint32_t r) override { calls.push_back("restore r" + std::to_string(r)); }
    void RuleExpression(uint32_t resource, const Expression& expression) override;
    void RememberState() override { calls.push_back("remember"); }
    void RestoreState() override { calls.push_back("restore state"); }
    void Advance(uint32_t location) override {
        calls.push_back("advance " + std::to_string(location));
    }
};

} // namespace ubrof_test
