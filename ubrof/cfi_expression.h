#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ubrof/counted.h"

namespace ubrof {

class CfiNamesBlock;
class CfiExpressionVisitor;

// A node of the tree that a location-expression program of call-frame
// information stands for. Nodes are shared between trees; they never change
// once built.
class CfiExpressionNode : public CountedObject {
public:
    enum class Kind { kRegister, kConstant, kFrame, kUnary, kBinary, kConditional, kMemoryAccess };

    // A node of the kind with up to three operands; the fields that the kind
    // does not use stay 0.
    CfiExpressionNode(Kind kind, uint32_t value,
                      std::vector<CountedHandle<CfiExpressionNode>> operands, int space = 0);

    Kind kind() const { return kind_; }
    bool IsRegister() const { return kind_ == Kind::kRegister; }
    bool IsConstant() const { return kind_ == Kind::kConstant; }
    bool IsFrame() const { return kind_ == Kind::kFrame; }
    bool IsUnary() const { return kind_ == Kind::kUnary; }
    bool IsBinary() const { return kind_ == Kind::kBinary; }
    bool IsConditional() const { return kind_ == Kind::kConditional; }
    bool IsMemoryAccess() const { return kind_ == Kind::kMemoryAccess; }

    // Register and frame: the number; constant: the value; unary and binary:
    // the operator; memory access: the size in bytes.
    uint32_t value() const { return value_; }
    // Memory access: the memory-space code.
    int space() const { return space_; }
    // Unary: 1; binary: 2; conditional: condition and the two values;
    // memory access: the address.
    const std::vector<CountedHandle<CfiExpressionNode>>& operands() const { return operands_; }
    // The node count of the tree with every shared node counted each time.
    size_t ExpandedSize() const { return expandedSize_; }

    void Accept(CfiExpressionVisitor& visitor) const;

    // First by kind, then by the fields in the order above, the operands
    // compared as trees.
    friend std::strong_ordering Compare(const CfiExpressionNode& a, const CfiExpressionNode& b);
    friend bool operator==(const CfiExpressionNode& a, const CfiExpressionNode& b) {
        return Compare(a, b) == std::strong_ordering::equal;
    }
    friend bool operator<(const CfiExpressionNode& a, const CfiExpressionNode& b) {
        return Compare(a, b) == std::strong_ordering::less;
    }

private:
    Kind kind_;
    uint32_t value_;
    int space_;
    std::vector<CountedHandle<CfiExpressionNode>> operands_;
    size_t expandedSize_;
};

class CfiExpressionVisitor {
public:
    virtual ~CfiExpressionVisitor() = default;
    virtual void VisitRegister(const CfiExpressionNode& node) = 0;
    virtual void VisitConstant(const CfiExpressionNode& node) = 0;
    virtual void VisitFrame(const CfiExpressionNode& node) = 0;
    virtual void VisitUnary(const CfiExpressionNode& node) = 0;
    virtual void VisitBinary(const CfiExpressionNode& node) = 0;
    virtual void VisitConditional(const CfiExpressionNode& node) = 0;
    virtual void VisitMemoryAccess(const CfiExpressionNode& node) = 0;
};

// Executes a location-expression program symbolically into a tree. Reports
// nothing: a program that cannot be followed (stack underflow, a pick beyond
// the stack, an operand cut by the end, a register or frame outside the
// names block, a backward or overlong jump, or a cap exceeded) has no value.
class CfiExpressionReader {
public:
    static constexpr int kMaxBranchNesting = 8;
    static constexpr size_t kMaxSteps = 65536;
    static constexpr size_t kMaxNodes = 4096;

    explicit CfiExpressionReader(const CfiNamesBlock& names) : names_(names) {}

    // The value of the program, or a null handle.
    CountedHandle<CfiExpressionNode> Read(const uint8_t* program, size_t size);
    CountedHandle<CfiExpressionNode> Read(const std::vector<uint8_t>& program) {
        return Read(program.data(), program.size());
    }

private:
    using Stack = std::vector<CountedHandle<CfiExpressionNode>>;
    // Runs from position to the end; false when the program has no value.
    bool Run(size_t position, Stack& stack, int nesting);
    bool Spend(size_t steps);

    const CfiNamesBlock& names_;
    const uint8_t* program_ = nullptr;
    size_t size_ = 0;
    size_t steps_ = 0;
};

} // namespace ubrof
