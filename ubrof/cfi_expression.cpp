#include "ubrof/cfi_expression.h"

#include <utility>

#include "ubrof/cfi_names.h"
#include "ubrof/code_map.h"

namespace ubrof {

using Node = CfiExpressionNode;
using NodeHandle = CountedHandle<CfiExpressionNode>;

CfiExpressionNode::CfiExpressionNode(Kind kind, uint32_t value, std::vector<NodeHandle> operands,
                                     int space)
    : kind_(kind), value_(value), space_(space), operands_(std::move(operands)), expandedSize_(1) {
    for (const NodeHandle& operand : operands_) {
        expandedSize_ += operand->ExpandedSize();
    }
}

void CfiExpressionNode::Accept(CfiExpressionVisitor& visitor) const {
    switch (kind_) {
    case Kind::kRegister:
        visitor.VisitRegister(*this);
        break;
    case Kind::kConstant:
        visitor.VisitConstant(*this);
        break;
    case Kind::kFrame:
        visitor.VisitFrame(*this);
        break;
    case Kind::kUnary:
        visitor.VisitUnary(*this);
        break;
    case Kind::kBinary:
        visitor.VisitBinary(*this);
        break;
    case Kind::kConditional:
        visitor.VisitConditional(*this);
        break;
    case Kind::kMemoryAccess:
        visitor.VisitMemoryAccess(*this);
        break;
    }
}

std::strong_ordering Compare(const CfiExpressionNode& a, const CfiExpressionNode& b) {
    if (&a == &b) {
        return std::strong_ordering::equal;
    }
    if (auto c = a.kind_ <=> b.kind_; c != 0) {
        return c;
    }
    if (auto c = a.value_ <=> b.value_; c != 0) {
        return c;
    }
    if (auto c = a.space_ <=> b.space_; c != 0) {
        return c;
    }
    if (auto c = a.operands_.size() <=> b.operands_.size(); c != 0) {
        return c;
    }
    for (size_t i = 0; i < a.operands_.size(); ++i) {
        if (auto c = Compare(*a.operands_[i], *b.operands_[i]); c != 0) {
            return c;
        }
    }
    return std::strong_ordering::equal;
}

namespace {

// Bounded reads over the program; a read past its end fails softly.
class ProgramCursor {
public:
    ProgramCursor(const uint8_t* data, size_t size, size_t position)
        : data_(data), size_(size), position_(position) {}

    bool Byte(uint32_t& value) {
        if (position_ >= size_) {
            return false;
        }
        value = data_[position_++];
        return true;
    }
    bool Big(int bytes, uint32_t& value) {
        value = 0;
        for (int i = 0; i < bytes; ++i) {
            uint32_t b = 0;
            if (!Byte(b)) {
                return false;
            }
            value = (value << 8) | b;
        }
        return true;
    }
    bool Leb(bool isSigned, uint32_t& value) {
        value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            uint32_t b = 0;
            if (!Byte(b)) {
                return false;
            }
            if (shift == 28 && (b & 0x80) != 0) {
                return false;
            }
            value |= (b & 0x7F) << shift;
            if ((b & 0x80) == 0) {
                if (isSigned && shift + 7 < 32 && (b & 0x40) != 0) {
                    value |= ~uint32_t{0} << (shift + 7);
                }
                return true;
            }
        }
        return false;
    }
    size_t position() const { return position_; }
    void Seek(size_t position) { position_ = position; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_;
};

NodeHandle Constant(uint32_t value) {
    return NodeHandle(new Node(Node::Kind::kConstant, value, {}));
}

} // namespace

bool CfiExpressionReader::Spend(size_t steps) {
    if (steps > kMaxSteps - steps_) {
        return false;
    }
    steps_ += steps;
    return true;
}

CountedHandle<CfiExpressionNode> CfiExpressionReader::Read(const uint8_t* program, size_t size) {
    program_ = program;
    size_ = size;
    steps_ = 0;
    Stack stack;
    if (!Run(0, stack, 0) || stack.empty()) {
        return {};
    }
    return stack.back();
}

bool CfiExpressionReader::Run(size_t position, Stack& stack, int nesting) {
    ProgramCursor in(program_, size_, position);
    // Builds a node and keeps it on the stack, unless it outgrows the cap.
    const auto push = [&stack](Node::Kind kind, uint32_t value, std::vector<NodeHandle> operands,
                               int space = 0) {
        NodeHandle node(new Node(kind, value, std::move(operands), space));
        if (node->ExpandedSize() > kMaxNodes) {
            return false;
        }
        stack.push_back(std::move(node));
        return true;
    };
    const auto pop = [&stack](NodeHandle& node) {
        if (stack.empty()) {
            return false;
        }
        node = std::move(stack.back());
        stack.pop_back();
        return true;
    };
    const auto unary = [&](uint32_t op) {
        NodeHandle a;
        return pop(a) && push(Node::Kind::kUnary, op, {a});
    };
    const auto binary = [&](uint32_t op) {
        NodeHandle b;
        NodeHandle a;
        return pop(b) && pop(a) && push(Node::Kind::kBinary, op, {a, b});
    };
    const auto constant = [&](uint32_t value) {
        stack.push_back(Constant(value));
        return true;
    };
    const auto reg = [&](uint32_t number) {
        return number < names_.ResourceCount() && push(Node::Kind::kRegister, number, {});
    };
    const auto frame = [&](uint32_t number) {
        return number < names_.FrameCount() && push(Node::Kind::kFrame, number, {});
    };
    const auto plusConstant = [&](uint32_t value) { return constant(value) && binary(1); };
    const auto memory = [&](uint32_t size, int space) {
        NodeHandle address;
        return pop(address) && push(Node::Kind::kMemoryAccess, size, {address}, space);
    };
    // A jump offset: signed 16 bits from after the operand, forward only, at
    // most to the end of the program.
    const auto target = [&](size_t& to) {
        uint32_t raw = 0;
        if (!in.Big(2, raw)) {
            return false;
        }
        const int32_t offset = static_cast<int16_t>(raw);
        if (offset < 0 || static_cast<size_t>(offset) > size_ - in.position()) {
            return false;
        }
        to = in.position() + static_cast<size_t>(offset);
        return true;
    };

    while (in.position() < size_) {
        if (!Spend(1)) {
            return false;
        }
        uint32_t op = 0;
        in.Byte(op);
        uint32_t a = 0;
        uint32_t b = 0;
        bool ok = true;
        if (op >= 0x30 && op <= 0x4F) {
            ok = constant(op - 0x30);
        } else if (op >= 0x50 && op <= 0x6F) {
            ok = reg(op - 0x50);
        } else if (op >= 0x70 && op <= 0x8F) {
            ok = in.Leb(true, a) && reg(op - 0x70) && plusConstant(a);
        } else {
            switch (op) {
            case 0x03: // addr
            case 0x0C: // const4u
            case 0x0D: // const4s
                ok = in.Big(4, a) && constant(a);
                break;
            case 0x06: // deref
                ok = memory(4, 3);
                break;
            case 0x08: // const1u
                ok = in.Byte(a) && constant(a);
                break;
            case 0x09: // const1s
                ok = in.Byte(a) && constant(static_cast<uint32_t>(static_cast<int8_t>(a)));
                break;
            case 0x0A: // const2u
                ok = in.Big(2, a) && constant(a);
                break;
            case 0x0B: // const2s
                ok = in.Big(2, a) && constant(static_cast<uint32_t>(static_cast<int16_t>(a)));
                break;
            case 0x10: // constu
                ok = in.Leb(false, a) && constant(a);
                break;
            case 0x11: // consts
                ok = in.Leb(true, a) && constant(a);
                break;
            case 0x12: // dup
                ok = !stack.empty();
                if (ok) {
                    stack.push_back(stack.back());
                }
                break;
            case 0x13: { // drop
                NodeHandle dropped;
                ok = pop(dropped);
                break;
            }
            case 0x14: // over
                ok = stack.size() >= 2;
                if (ok) {
                    stack.push_back(stack[stack.size() - 2]);
                }
                break;
            case 0x15: // pick
                ok = in.Byte(a) && a < stack.size();
                if (ok) {
                    stack.push_back(stack[stack.size() - 1 - a]);
                }
                break;
            case 0x16: // swap
                ok = stack.size() >= 2;
                if (ok) {
                    std::swap(stack[stack.size() - 1], stack[stack.size() - 2]);
                }
                break;
            case 0x17: { // rot: the top goes to third place
                ok = stack.size() >= 3;
                if (ok) {
                    NodeHandle top = stack.back();
                    stack[stack.size() - 1] = stack[stack.size() - 2];
                    stack[stack.size() - 2] = stack[stack.size() - 3];
                    stack[stack.size() - 3] = top;
                }
                break;
            }
            case 0x18: // xderef
                ok = in.Byte(a) && memory(4, ubrofCodeMap.Inverse(static_cast<uint8_t>(a)));
                break;
            case 0x19:
                ok = unary(4);
                break;
            case 0x1A:
                ok = binary(7);
                break;
            case 0x1B:
                ok = binary(4);
                break;
            case 0x1C:
                ok = binary(2);
                break;
            case 0x1D:
                ok = binary(5);
                break;
            case 0x1E:
                ok = binary(3);
                break;
            case 0x1F:
                ok = unary(1);
                break;
            case 0x20:
                ok = unary(2);
                break;
            case 0x21:
                ok = binary(8);
                break;
            case 0x22:
                ok = binary(1);
                break;
            case 0x23: // plus_uconst
                ok = in.Leb(false, a) && plusConstant(a);
                break;
            case 0x24:
                ok = binary(9);
                break;
            case 0x25:
                ok = binary(10);
                break;
            case 0x26:
                ok = binary(11);
                break;
            case 0x27:
                ok = binary(6);
                break;
            case 0x28: { // bra: both paths run to the end, then merge
                NodeHandle condition;
                size_t taken = 0;
                if (!pop(condition) || !target(taken) || nesting >= kMaxBranchNesting ||
                    !Spend(2 * stack.size())) {
                    return false;
                }
                Stack other = stack;
                if (!Run(in.position(), stack, nesting + 1) || !Run(taken, other, nesting + 1) ||
                    stack.size() != other.size()) {
                    return false;
                }
                for (size_t i = 0; i < stack.size(); ++i) {
                    NodeHandle& fallThrough = stack[i];
                    const NodeHandle& branch = other[i];
                    if (fallThrough.get() == branch.get()) {
                        continue;
                    }
                    // Telling trees apart costs a step per node looked at.
                    if (fallThrough->ExpandedSize() == branch->ExpandedSize()) {
                        if (!Spend(fallThrough->ExpandedSize())) {
                            return false;
                        }
                        if (*fallThrough == *branch) {
                            continue;
                        }
                    }
                    NodeHandle merged(
                        new Node(Node::Kind::kConditional, 0, {condition, branch, fallThrough}));
                    if (merged->ExpandedSize() > kMaxNodes) {
                        return false;
                    }
                    fallThrough = std::move(merged);
                }
                return true;
            }
            case 0x29:
                ok = binary(12);
                break;
            case 0x2A:
                ok = binary(17);
                break;
            case 0x2B:
                ok = binary(16);
                break;
            case 0x2C:
                ok = binary(15);
                break;
            case 0x2D:
                ok = binary(14);
                break;
            case 0x2E:
                ok = binary(13);
                break;
            case 0x2F: { // skip
                size_t to = 0;
                ok = target(to);
                if (ok) {
                    in.Seek(to);
                }
                break;
            }
            case 0x90: // regx
                ok = in.Leb(false, a) && reg(a);
                break;
            case 0x91: // fbreg
                ok = in.Leb(true, a) && frame(0) && plusConstant(a);
                break;
            case 0x92: // bregx
                ok = in.Leb(false, a) && in.Leb(true, b) && reg(a) && plusConstant(b);
                break;
            case 0x94: // deref_size
                ok = in.Byte(a) && memory(a, 3);
                break;
            case 0x95: // xderef_size
                ok = in.Byte(a) && in.Byte(b) &&
                     memory(a, ubrofCodeMap.Inverse(static_cast<uint8_t>(b)));
                break;
            case 0xE0: // frame
                ok = in.Leb(false, a) && frame(a);
                break;
            default:
                break; // only the opcode byte
            }
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace ubrof
