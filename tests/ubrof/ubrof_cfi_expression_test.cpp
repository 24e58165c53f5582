// Location-expression programs against the tree they stand for, printed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ubrof/cfi_print.h"
#include "tests/ubrof/ubrof_debug_builder.h"
#include "ubrof/cfi_expression.h"
#include "ubrof/cfi_names.h"

using namespace ubrof;

namespace ubrof_test {
namespace {

// Eight resources and two frames.
const CfiNamesBlock& Names() {
    static const CountedHandle<CfiNamesBlock> names = [] {
        CountedHandle<CfiNamesBlock> block(new CfiNamesBlock());
        for (int r = 0; r < 8; ++r) {
            block->AddResource({"R" + std::to_string(r), 2, false, 0, {}});
        }
        block->AddFrame({1, 0, 0, "outer"});
        block->AddFrame({2, 0, 3, ""});
        return block;
    }();
    return *names;
}

std::string Tree(const Bytes& program) {
    return PrintExpression(CfiExpressionReader(Names()).Read(program));
}

struct TreeCase {
    std::string name;
    Bytes program;
    std::string tree;
};

void ExpectTrees(const std::vector<TreeCase>& cases) {
    for (const TreeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tree(c.program), c.tree);
    }
}

TEST(CfiExpressionReader, ProgramsGiveTheirTrees) {
    ExpectTrees({
        {"breg3 -2", DwOp().Breg(3, -2), "plus(reg3, const-2)"},
        {"deref", DwOp().Reg(1).Deref(), "mem4@3(reg1)"},
        {"xderef_size 2 in space code 0", DwOp().Lit(8).XderefSize(2, 0), "mem2@0(const8)"},
        // Space codes go through the segment code map: file code 7 is kind 2.
        {"xderef in space code 7", DwOp().Lit(8).Xderef(7), "mem4@2(const8)"},
        {"deref_size", DwOp().Lit(8).DerefSize(1), "mem1@3(const8)"},
        {"const8u and const8s take their opcode byte only", DwOp().Op(0x0E).Op(0x0F).Lit(4),
         "const4"},
        {"unlisted opcodes take one byte", DwOp().Lit(1).Op(0x96).Op(0xFF).Op(0x93).Op(0x01),
         "const1"},
        {"signed and unsigned constants",
         DwOp().Const1s(-1).Const2s(-300).Plus().Const1u(0xFF).Const2u(0xFFFF).Minus().Mul(),
         "mul(plus(const-1, const-300), minus(const255, const65535))"},
        {"32-bit constants", DwOp().Addr(0x8000).Const4u(0xFFFFFFFF).Const4s(-5).Rot().Drop().Div(),
         "div(const-5, const32768)"},
        {"LEB128 constants", DwOp().Constu(300).Consts(-129).Mod(), "mod(const300, const-129)"},
        {"stack operations", DwOp().Lit(1).Lit(2).Over().Pick(1).Swap().Xor().Or(),
         "or(const2, xor(const2, const1))"},
        {"rot moves the top to third place", DwOp().Lit(1).Lit(2).Lit(3).Rot().Minus().Minus(),
         "minus(const3, minus(const1, const2))"},
        {"unary operators", DwOp().Lit(1).Abs().Neg().Not(), "not(neg(abs(const1)))"},
        {"binary operators", DwOp().Lit(1).Lit(2).And().Lit(3).Shl().Lit(4).Shr().Lit(5).Shra(),
         "shra(shr(shl(and(const1, const2), const3), const4), const5)"},
        {"comparisons",
         DwOp().Lit(1).Lit(2).Eq().Lit(3).Ge().Lit(4).Gt().Lit(5).Le().Lit(6).Lt().Lit(7).Ne(),
         "ne(lt(le(gt(ge(eq(const1, const2), const3), const4), const5), const6), const7)"},
        {"plus_uconst", DwOp().Reg(7).PlusUconst(8), "plus(reg7, const8)"},
        {"registers and frames", DwOp().Regx(7).Bregx(6, 1).Plus().Fbreg(-4).Plus().Frame(1).Plus(),
         "plus(plus(plus(reg7, plus(reg6, const1)), plus(frame0, const-4)), frame1)"},
        // The condition is on the stack below the bra; both paths run to the
        // end and the top entries differ.
        {"bra merged into a conditional", DwOp().Lit(1).Reg(2).Bra(4).Lit(2).Skip(1).Lit(3),
         "if(reg2, const3, const2)"},
        {"bra whose paths agree", DwOp().Reg(2).Bra(0).Lit(9), "const9"},
        {"bra to the end", DwOp().Lit(1).Reg(2).Bra(2).Neg().Abs(),
         "if(reg2, const1, abs(neg(const1)))"},
        {"skip over an operand's bytes", DwOp().Lit(3).Skip(5).Const4u(0x0E0E0E0E), "const3"},
    });
}

TEST(CfiExpressionReader, ProgramsWithoutAValueGiveNull) {
    const auto nested = [](int depth, int tail) {
        DwOp p;
        for (int i = 0; i < depth; ++i) {
            p.Lit(0).Bra(0);
        }
        for (int i = 0; i < tail; ++i) {
            p.Lit(1).Drop();
        }
        return p.Lit(5).bytes();
    };
    const auto repeated = [](size_t count) {
        DwOp p;
        for (size_t i = 0; i < count; ++i) {
            p.Op(0x0E);
        }
        return p.Lit(1).bytes();
    };
    // dup, plus doubles the expanded tree: n rounds give 2^(n+1) - 1 nodes.
    const auto doubled = [](int rounds) {
        DwOp p;
        p.Lit(1);
        for (int i = 0; i < rounds; ++i) {
            p.Dup().Plus();
        }
        return p.bytes();
    };
    EXPECT_EQ(Tree(nested(8, 0)), "const5");
    EXPECT_EQ(Tree(repeated(65535)), "const1");
    EXPECT_EQ(Tree(doubled(11)).size() > 0, true);
    EXPECT_NE(Tree(doubled(11)), "null"); // 4095 nodes
    ExpectTrees({
        {"empty program", {}, "null"},
        {"underflow", DwOp().Lit(1).Plus(), "null"},
        {"deref of nothing", DwOp().Deref(), "null"},
        {"pick beyond the stack", DwOp().Lit(1).Pick(1), "null"},
        {"rot of two", DwOp().Lit(1).Lit(2).Rot(), "null"},
        {"operand cut by the end", DwOp().Const4u(7).Truncated(1), "null"},
        {"LEB128 operand cut", DwOp().U8(0x10).U8(0x80), "null"},
        {"register outside the block", DwOp().Regx(8), "null"},
        {"breg outside the block", DwOp().Breg(8, 1), "null"},
        {"frame outside the block", DwOp().Frame(2), "null"},
        {"backward skip", DwOp().Lit(1).Skip(-3), "null"},
        {"skip beyond the end", DwOp().Lit(1).Skip(1), "null"},
        {"bra beyond the end", DwOp().Lit(1).Lit(1).Bra(2).Lit(2), "null"},
        {"bra without a condition", DwOp().Bra(0), "null"},
        {"paths that leave different heights", DwOp().Lit(1).Reg(2).Bra(1).Lit(2), "null"},
        {"nine nested bra", nested(9, 0), "null"},
        {"eight nested bra over a long tail", nested(8, 200), "null"},
        {"65537 steps", repeated(65536), "null"},
        {"4096 nodes and more", doubled(12), "null"},
    });
}

TEST(CfiExpressionNode, EqualTreesCompareEqualAndOrderByKindFirst) {
    const auto tree = [](const Bytes& program) {
        return CfiExpressionReader(Names()).Read(program);
    };
    const auto a = tree(DwOp().Breg(3, -2).Deref());
    const auto b = tree(DwOp().Breg(3, -2).Deref());
    ASSERT_TRUE(a && b);
    EXPECT_NE(a.get(), b.get());
    EXPECT_TRUE(*a == *b);
    EXPECT_FALSE(*a < *b);
    // Register before constant before frame before memory access.
    const auto reg = tree(DwOp().Reg(7));
    const auto constant = tree(DwOp().Lit(0));
    const auto frame = tree(DwOp().Frame(0));
    EXPECT_TRUE(*reg < *constant);
    EXPECT_TRUE(*constant < *frame);
    EXPECT_TRUE(*frame < *a);
    // Signed and unsigned operands give the same constant.
    EXPECT_TRUE(*tree(DwOp().Const1s(-1)) == *tree(DwOp().Const4u(0xFFFFFFFF)));
    EXPECT_TRUE(a->IsMemoryAccess());
    EXPECT_EQ(a->ExpandedSize(), 4u);
}

} // namespace
} // namespace ubrof_test
