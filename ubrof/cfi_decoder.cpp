#include "ubrof/cfi_decoder.h"

#include <vector>

#include "ubrof/cfi_common.h"
#include "ubrof/cfi_expression.h"
#include "ubrof/cfi_names.h"
#include "ubrof/fatal.h"
#include "ubrof/record_cursor.h"

namespace ubrof {

CfiInstructionDecoder::CfiInstructionDecoder(const uint8_t* instructions, size_t size,
                                             const CfiCommonBlock* common, uint32_t codeAlignment,
                                             int32_t dataAlignment, const CfiNamesBlock& names,
                                             CfiInstructionSink& sink)
    : instructions_(instructions), size_(size), common_(common), codeAlignment_(codeAlignment),
      dataAlignment_(dataAlignment), names_(names), sink_(sink) {
    if (common_ != nullptr) {
        initial_ = common_->InitialState();
    }
}

uint32_t CfiInstructionDecoder::Resource(uint32_t number) const {
    names_.CheckResource(number);
    return number;
}

uint32_t CfiInstructionDecoder::Frame(uint32_t number) const {
    names_.CheckFrame(number);
    return number;
}

// A frame's CFA rule starts from the COMMON block's, so that an instruction
// that changes only its resource or only its offset keeps the other part.
CfiInstructionDecoder::Cfa& CfiInstructionDecoder::CfaOf(uint32_t frame) {
    auto it = cfa_.find(frame);
    if (it == cfa_.end()) {
        Cfa start;
        if (initial_) {
            const CfiCfaRule rule = initial_->Cfa(frame);
            if (rule.kind == 1) {
                start.resource = rule.resource;
                start.offset = rule.offset;
            }
        }
        it = cfa_.emplace(frame, start).first;
    }
    return it->second;
}

void CfiInstructionDecoder::Restore(uint32_t resource) {
    UbrofCheck(common_ != nullptr, "Need common to use restore");
    CfiRuleApply(initial_->Rule(Resource(resource)), resource, sink_);
}

void CfiInstructionDecoder::Advance(uint32_t location) {
    location_ = location;
    sink_.Advance(location_);
}

void CfiInstructionDecoder::Decode() {
    RecordCursor in(instructions_, size_);
    // n x daf and locations wrap at 32 bits.
    const auto scaled = [this](uint32_t n) {
        return static_cast<int32_t>(n * static_cast<uint32_t>(dataAlignment_));
    };
    const auto saved = [this](uint32_t n) {
        return static_cast<int32_t>(n * (0u - static_cast<uint32_t>(dataAlignment_)));
    };
    const auto expression = [this, &in]() {
        const std::vector<uint8_t> program = in.Bytes(in.Uleb());
        return CfiExpressionReader(names_).Read(program);
    };
    const auto setCfa = [this](uint32_t frame, Cfa& cfa) {
        sink_.CfaRule(frame, Resource(cfa.resource), cfa.offset);
    };
    while (!in.AtEnd()) {
        const uint8_t op = in.Byte();
        if (op >= 0xC0) {
            Restore(op - 0xC0u);
            continue;
        }
        if (op >= 0x80) {
            const uint32_t resource = Resource(op - 0x80u);
            const int32_t offset = saved(in.Uleb());
            sink_.Offset(resource, Frame(0), offset);
            continue;
        }
        if (op >= 0x40) {
            Advance(location_ + (op - 0x40u) * codeAlignment_);
            continue;
        }
        switch (op) {
        case 0:
            break;
        case 1:
            Advance(in.U32());
            break;
        case 2:
            Advance(location_ + in.Byte() * codeAlignment_);
            break;
        case 3:
            Advance(location_ + in.U16() * codeAlignment_);
            break;
        case 4:
            Advance(location_ + in.U32() * codeAlignment_);
            break;
        case 5: {
            const uint32_t resource = Resource(in.Uleb());
            const int32_t offset = saved(in.Uleb());
            sink_.Offset(resource, Frame(0), offset);
            break;
        }
        case 6:
            Restore(in.Uleb());
            break;
        case 7:
            sink_.Undefined(Resource(in.Uleb()));
            break;
        case 8:
            sink_.SameValue(Resource(in.Uleb()));
            break;
        case 9: {
            const uint32_t resource = Resource(in.Uleb());
            sink_.Register(resource, Resource(in.Uleb()));
            break;
        }
        case 10:
            sink_.RememberState();
            break;
        case 11:
            sink_.RestoreState();
            break;
        case 12:
        case 28: {
            const uint32_t frame = op == 12 ? Frame(0) : Frame(in.Uleb());
            const uint32_t resource = Resource(in.Uleb());
            Cfa& cfa = CfaOf(frame);
            cfa.resource = resource;
            cfa.offset = scaled(in.Uleb());
            setCfa(frame, cfa);
            break;
        }
        case 13:
        case 29: {
            const uint32_t frame = op == 13 ? Frame(0) : Frame(in.Uleb());
            const uint32_t resource = Resource(in.Uleb());
            Cfa& cfa = CfaOf(frame);
            cfa.resource = resource;
            setCfa(frame, cfa);
            break;
        }
        case 14:
        case 30: {
            const uint32_t frame = op == 14 ? Frame(0) : Frame(in.Uleb());
            Cfa& cfa = CfaOf(frame);
            cfa.offset = scaled(in.Uleb());
            setCfa(frame, cfa);
            break;
        }
        case 31:
            sink_.Op31(Frame(in.Uleb()));
            break;
        case 32: {
            const uint32_t resource = Resource(in.Uleb());
            const uint32_t frame = Frame(in.Uleb());
            sink_.Offset(resource, frame, saved(in.Uleb()));
            break;
        }
        case 33:
            sink_.Op33();
            break;
        case 34:
            sink_.Op34();
            break;
        case 35: {
            const uint32_t frame = Frame(in.Uleb());
            sink_.CfaExpression(frame, expression());
            break;
        }
        case 36: {
            const uint32_t resource = Resource(in.Uleb());
            sink_.RuleExpression(resource, expression());
            break;
        }
        case 37:
            sink_.Op37(Frame(in.Uleb()));
            break;
        default:
            UbrofCheck(false, "illegal CFI instruction");
        }
    }
}

} // namespace ubrof
