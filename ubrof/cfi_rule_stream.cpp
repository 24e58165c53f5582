#include "ubrof/cfi_rule_stream.h"

#include "ubrof/cfi_names.h"
#include "ubrof/fatal.h"
#include "ubrof/leb128.h"

namespace ubrof {

namespace {

enum Code : uint8_t {
    kAdvance = 0,
    kOp33 = 1,
    kOp34 = 2,
    kOffset = 3,
    kUndefined = 4,
    kSameValue = 5,
    kRegister = 6,
    kRestore = 7,
    kRuleExpression = 8,
    kCfaRule = 9,
    kOp31 = 10,
    kCfaExpression = 11,
    kOp37 = 12,
    kRemember = 13,
    kRestoreState = 14,
};

} // namespace

void CfiRuleRecorder::Number(uint32_t value) {
    do {
        uint8_t b = value & 0x7F;
        value >>= 7;
        if (value != 0) {
            b |= 0x80;
        }
        stream_.push_back(b);
    } while (value != 0);
}

void CfiRuleRecorder::Op33() {
    Code(kOp33);
    flag_ = true;
}

void CfiRuleRecorder::Op34() {
    Code(kOp34);
    flag_ = false;
}

void CfiRuleRecorder::CfaRule(uint32_t frame, uint32_t resource, int32_t offset) {
    Code(kCfaRule);
    Number(frame);
    Number(resource);
    Number(static_cast<uint32_t>(offset));
}

void CfiRuleRecorder::Op31(uint32_t frame) {
    Code(kOp31);
    Number(frame);
}

void CfiRuleRecorder::CfaExpression(uint32_t frame, const Expression& expression) {
    Code(kCfaExpression);
    Number(frame);
    expressions_.push_back(expression);
}

void CfiRuleRecorder::Op37(uint32_t frame) {
    Code(kOp37);
    Number(frame);
}

void CfiRuleRecorder::Undefined(uint32_t resource) {
    Code(kUndefined);
    Number(resource);
}

void CfiRuleRecorder::SameValue(uint32_t resource) {
    Code(kSameValue);
    Number(resource);
}

void CfiRuleRecorder::Offset(uint32_t resource, uint32_t frame, int32_t offset) {
    Code(kOffset);
    Number(resource);
    Number(frame);
    Number(static_cast<uint32_t>(offset));
}

void CfiRuleRecorder::Register(uint32_t resource, uint32_t holder) {
    Code(kRegister);
    Number(resource);
    Number(holder);
}

void CfiRuleRecorder::Restore(uint32_t resource) {
    Code(kRestore);
    Number(resource);
}

void CfiRuleRecorder::RuleExpression(uint32_t resource, const Expression& expression) {
    Code(kRuleExpression);
    Number(resource);
    expressions_.push_back(expression);
}

void CfiRuleRecorder::RememberState() {
    Code(kRemember);
    ++depth_;
}

void CfiRuleRecorder::RestoreState() {
    Code(kRestoreState);
    if (depth_ > 0) {
        --depth_;
    }
}

void CfiRuleRecorder::Advance(uint32_t location) {
    Code(kAdvance);
    Number(location - lastLocation_);
    lastLocation_ = location;
    hasAdvance_ = true;
}

uint32_t CfiRuleReplay::Number() {
    const std::vector<uint8_t>& stream = recorder_.Stream();
    return UbrofDecodeUleb([&] { return stream.at(position_++); });
}

bool CfiRuleReplay::Row(CfiInstructionSink& target, uint32_t& location) {
    const std::vector<uint8_t>& stream = recorder_.Stream();
    const auto expression = [this]() -> CfiInstructionSink::Expression {
        const auto& list = recorder_.Expressions();
        return expression_ < list.size() ? list[expression_++] : CfiInstructionSink::Expression();
    };
    while (position_ < stream.size()) {
        const uint8_t code = stream[position_++];
        switch (code) {
        case kAdvance:
            location_ += Number();
            location = location_;
            return true;
        case kOp33:
            target.Op33();
            break;
        case kOp34:
            target.Op34();
            break;
        case kOffset: {
            const uint32_t resource = Number();
            const uint32_t frame = Number();
            target.Offset(resource, frame, static_cast<int32_t>(Number()));
            break;
        }
        case kUndefined:
            target.Undefined(Number());
            break;
        case kSameValue:
            target.SameValue(Number());
            break;
        case kRegister: {
            const uint32_t resource = Number();
            target.Register(resource, Number());
            break;
        }
        case kRestore:
            target.Restore(Number());
            break;
        case kRuleExpression: {
            const uint32_t resource = Number();
            target.RuleExpression(resource, expression());
            break;
        }
        case kCfaRule: {
            const uint32_t frame = Number();
            const uint32_t resource = Number();
            target.CfaRule(frame, resource, static_cast<int32_t>(Number()));
            break;
        }
        case kOp31:
            target.Op31(Number());
            break;
        case kCfaExpression: {
            const uint32_t frame = Number();
            target.CfaExpression(frame, expression());
            break;
        }
        case kOp37:
            target.Op37(Number());
            break;
        case kRemember:
            target.RememberState();
            break;
        case kRestoreState:
            target.RestoreState();
            break;
        default:
            break; // not a code of the stream: passed over
        }
    }
    location = kEnd;
    return false;
}

void CfiRuleReplay::All(CfiInstructionSink& target) {
    uint32_t location = 0;
    while (Row(target, location)) {
        target.Advance(location);
    }
}

void CfiRuleReplay::OneRow(CfiInstructionSink& target) {
    uint32_t location = 0;
    UbrofCheck(!Row(target, location), "More than one row in call frame info data");
}

} // namespace ubrof
