#include "tests/ubrof/cfi_print.h"

using namespace ubrof;

namespace ubrof_test {

namespace {

std::string Signed(int32_t value) {
    return (value >= 0 ? "+" : "") + std::to_string(value);
}

} // namespace

std::string PrintExpression(const CountedHandle<CfiExpressionNode>& node) {
    if (!node) {
        return "null";
    }
    const auto& ops = node->operands();
    switch (node->kind()) {
    case CfiExpressionNode::Kind::kRegister:
        return "reg" + std::to_string(node->value());
    case CfiExpressionNode::Kind::kConstant:
        return "const" + std::to_string(static_cast<int32_t>(node->value()));
    case CfiExpressionNode::Kind::kFrame:
        return "frame" + std::to_string(node->value());
    case CfiExpressionNode::Kind::kUnary: {
        static const char* names[] = {"?", "neg", "not", "?", "abs"};
        return std::string(node->value() < 5 ? names[node->value()] : "?") + "(" +
               PrintExpression(ops[0]) + ")";
    }
    case CfiExpressionNode::Kind::kBinary: {
        static const char* names[] = {"?",   "plus", "minus", "mul", "div", "mod",
                                      "xor", "and",  "or",    "shl", "shr", "shra",
                                      "eq",  "ne",   "lt",    "le",  "gt",  "ge"};
        return std::string(node->value() < 18 ? names[node->value()] : "?") + "(" +
               PrintExpression(ops[0]) + ", " + PrintExpression(ops[1]) + ")";
    }
    case CfiExpressionNode::Kind::kConditional:
        return "if(" + PrintExpression(ops[0]) + ", " + PrintExpression(ops[1]) + ", " +
               PrintExpression(ops[2]) + ")";
    case CfiExpressionNode::Kind::kMemoryAccess:
        return "mem" + std::to_string(node->value()) + "@" + std::to_string(node->space()) + "(" +
               PrintExpression(ops[0]) + ")";
    }
    return "?";
}

void PrintSink::CfaRule(uint32_t frame, uint32_t resource, int32_t offset) {
    calls.push_back("cfa f" + std::to_string(frame) + " r" + std::to_string(resource) + " " +
                    Signed(offset));
}

void PrintSink::CfaExpression(uint32_t frame, const Expression& expression) {
    calls.push_back("cfa f" + std::to_string(frame) + " " + PrintExpression(expression));
}

void PrintSink::Offset(uint32_t resource, uint32_t frame, int32_t offset) {
    calls.push_back("offset r" + std::to_string(resource) + " f" + std::to_string(frame) + " " +
                    Signed(offset));
}

void PrintSink::RuleExpression(uint32_t resource, const Expression& expression) {
    calls.push_back("rule r" + std::to_string(resource) + " " + PrintExpression(expression));
}

} // namespace ubrof_test
