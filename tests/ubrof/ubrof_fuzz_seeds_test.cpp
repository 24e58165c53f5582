// The seeds of fuzz_ubrof_debug are written with the builder; this test
// holds them and checks the corpus files against them (QUILL_WRITE_SEEDS=1
// writes them anew). Each seed converts as its code records alone do.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/ubrof/fuzz_ubrof_debug_input.h"
#include "tests/ubrof/ubrof_debug_builder.h"
#include "tests/ubrof/ubrof_test_util.h"

namespace ubrof_test {
namespace {

FuzzDebugRecord Address(uint16_t offset) {
    return {0x51, {}, offset};
}
FuzzDebugRecord Data(const Bytes& bytes) {
    return {0x39, bytes};
}
FuzzDebugRecord Debug(uint8_t tag, const Bytes& body) {
    return {tag, body};
}

Bytes Names(uint64_t id) {
    return CfiNamesBody(id, {{0, 1, 0}, {1, 0, 0, "up"}, {2, 0, 1}},
                        {{"PC"}, {"SP"}, {"SR", 1}, {"R4"}});
}

Bytes Common(uint64_t id, uint64_t names, const std::string& augmentation, uint64_t flags,
             const Bytes& initial) {
    CfiCommonSpec s;
    s.id = id;
    s.names = names;
    s.augmentation = augmentation;
    s.flags = flags;
    s.instructions = initial;
    return CfiCommonBody(s);
}

struct Seed {
    std::string name;
    std::vector<FuzzDebugRecord> records;
    bool accepted;
};

std::vector<Seed> Seeds() {
    CfiVersionedNamesSpec versioned;
    versioned.id = 1;
    versioned.frames = {{0, 0, 0}, {1, 0, 0, "f"}};
    versioned.resources = {{"R12"}, {"R13", 4}, {"R12:R13"}, {"V"}};
    versioned.virtuals = {3};
    versioned.groups = {{2, {0, 1}}};
    CfiVersionedNamesSpec onBase;
    onBase.id = 2;
    onBase.base = 2;
    onBase.changes = {{1, 9, {}}, {3, 1, 8}};
    CfiOps every;
    every.Advance(3).Offset(2, 1).Restore(2).Nop().SetLoc(0x100).Advance1(7).Advance2(0x1234);
    every.Advance4(0x10000).OffsetExtended(3, 4).RestoreExtended(3).Undefined(2).SameValue(3);
    every.Register(2, 3).Remember().DefCfa(1, 2).DefCfaRegister(3).DefCfaOffset(6).RestoreState();
    every.FrameCfa(1, 1, 4).FrameCfaRegister(2, 3).FrameCfaOffset(1, 8).Op31(2).FrameOffset(3, 1,
                                                                                            2);
    every.Op33().Op34().Op37(0);
    CfiOps expressions;
    expressions.CfaExpression(1, DwOp().Breg(1, 4).Deref());
    expressions.RuleExpression(2, DwOp().Fbreg(-4).DerefSize(2).Lit(8).XderefSize(2, 7).Plus());
    expressions.RuleExpression(
        3, DwOp().Lit(1).Reg(2).Bra(4).Lit(2).Skip(1).Lit(3).Dup().Rot().Over());
    expressions.RuleExpression(0, DwOp()
                                      .Const1s(-1)
                                      .Const2u(9)
                                      .Const4s(-9)
                                      .Constu(300)
                                      .Consts(-300)
                                      .Pick(2)
                                      .Swap()
                                      .Minus()
                                      .Mul()
                                      .Div()
                                      .Mod()
                                      .Neg()
                                      .Abs()
                                      .Not()
                                      .Regx(3)
                                      .Bregx(1, -1)
                                      .Frame(2)
                                      .Addr(0x1234)
                                      .Op(0x0E));
    CfiOps chainOps;
    std::vector<FuzzDebugRecord> chain = {Address(0x4400), Data({0x31, 0x40}),
                                          Debug(0xD4, CfiNamesBody(0, {{0, 0}}, {{"PC"}}))};
    for (uint64_t k = 1; k < 12; ++k) {
        chain.push_back(Debug(0xD4, CfiVersionedNamesBody({.id = k, .base = k})));
    }
    chain.push_back(Debug(0xD4, Common(0, 11, "IAR 2", 2, {})));
    for (uint64_t k = 1; k < 12; ++k) {
        chain.push_back(Debug(0xD4, CfiDerivedCommonBody(k, k - 1, 0, 11, CfiOps().Undefined(0))));
    }
    chain.push_back(Debug(
        0xD4, CfiDataBody(11, 0, 0, CfiOps().Remember().Remember().Restore(0).RestoreState())));
    chain.push_back(Data({0x3F}));
    return {
        {"every_record_kind",
         {Address(0xF000), Data({1, 2, 3}), Debug(0xD4, Names(0)),
          Debug(0xD4, Common(0, 0, "IAR 2", 3, CfiOps().DefCfa(1, 0).Offset(0, 1))),
          Debug(0xD4, CfiDataBody(0, 0x10, 0x20, every)), Data({4}),
          Debug(0xD5, StatementCommonBody({1})), Debug(0xD5, StatementBody(1, 3, {0x39, 0x51})),
          Debug(0xD6, SourceLinesBody({"src/"}, {{"main.c", 1}},
                                      SourceItems().Line(4, 0).Line2(2, 7, 0).EndSequence())),
          Debug(0xD9, ReadOperationBody(1, 0x39, 0, {2})), Address(0xFFFE), Data({0x00, 0xF0})},
         true},
        {"versioned_and_derived",
         {Address(0x1100), Debug(0xD4, Names(0)), Debug(0xD4, Common(0, 0, "IAR 1", 0, {})),
          Debug(0xD4, CfiVersionedNamesBody(versioned)), Debug(0xD4, CfiVersionedNamesBody(onBase)),
          Debug(0xD4, CfiDerivedCommonBody(1, 0, 3, 2, CfiOps().SameValue(3))),
          Debug(0xD4, CfiDataWithKindBody(1, 1, 2, 1, {}, CfiOps().Restore(3).Advance(1))),
          Debug(0xD4, CfiDataWithKindBody(0, 1, 2, 2, {}, CfiOps().RestoreExtended(0))),
          Debug(0xD4, CfiDataWithKindBody(0, 1, 2, 3, {{3, 2, 0x1000}, {7, 0, 0xFFFFFFFF}}, {})),
          Data({9, 9})},
         true},
        {"expressions",
         {Address(0x2000), Debug(0xD4, Names(0)), Debug(0xD4, Common(0, 0, "IAR 2", 0, {})),
          Debug(0xD4, CfiDataBody(0, 0, 0, expressions)), Data({0xEE})},
         true},
        {"source_lines_and_statements",
         {Debug(0xD6, SourceLinesBody(
                          {"/usr/src", "lib/"}, {{"a.c", 1, 1}, {"b.h", 2}, {"c.c"}},
                          SourceItems().Line(1, 0).Third(2, 1, 9).EndSequence().Line2(3, 4, 2))),
          Address(0x3000), Data({1}), Debug(0xD5, StatementCommonBody({5})),
          Debug(0xD5, StatementCommonBody({2})), Debug(0xD5, StatementBody(5, 1, {1, 2})),
          Debug(0xD5, StatementBody(2, 0xFFFFFFFF)), Data({2})},
         true},
        {"read_operations",
         {Debug(0xD4, Names(3)), Debug(0xD4, Names(0)),
          Debug(0xD9, ReadOperationBody(0x00, {}, 3, {0})),
          Debug(0xD9, ReadOperationBody(0x05, 7, 3, {1, 2})),
          Debug(0xD9, ReadOperationBody(0x0A, {}, 0, {0, 1, 2})),
          Debug(0xD9, ReadOperationBody(0x0C, {}, 3, {3, 2, 1, 0})),
          Debug(0xD9, ReadOperationBody(0x10, {}, 3, {0, 1, 2, 3, 3, 2, 1, 0})),
          Debug(0xD9, ReadOperationBody(0x16, {}, 0, {3, 3})), Address(0x10), Data({5})},
         true},
        {"chains", chain, true},
        {"restore_among_common_instructions",
         {Address(0x5000), Data({1}), Debug(0xD4, Names(0)),
          Debug(0xD4, Common(0, 0, "IAR 2", 0, CfiOps().Restore(1)))},
         false},
    };
}

std::string CorpusDir() {
    const char* dir = std::getenv("QUILL_SOURCE_DIR");
    return std::string(dir != nullptr ? dir : ".") + "/tests/fuzz/corpus/fuzz_ubrof_debug/";
}

TEST(FuzzUbrofDebugSeeds, CorpusFilesAreTheBuildersInputs) {
    const char* write = std::getenv("QUILL_WRITE_SEEDS");
    for (const Seed& seed : Seeds()) {
        SCOPED_TRACE(seed.name);
        const Bytes input = EncodeFuzzDebugInput(seed.records);
        const std::string path = CorpusDir() + seed.name;
        if (write != nullptr && std::string(write) == "1") {
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(input.data()),
                       static_cast<std::streamsize>(input.size()));
        }
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), input);

        UbrofBuilder all;
        UbrofBuilder code;
        DecodeFuzzDebugInput(input.data(), input.size(), all, code);
        const ConvertResult withDebug = ConvertBytes(all.bytes());
        const ConvertResult codeOnly = ConvertBytes(code.bytes());
        ASSERT_EQ(codeOnly.result, 1);
        EXPECT_NE(codeOnly.text, "");
        EXPECT_EQ(withDebug.result, seed.accepted ? 1 : 0) << withDebug.errors;
        EXPECT_EQ(withDebug.text, seed.accepted ? codeOnly.text : "");
    }
}

} // namespace
} // namespace ubrof_test
