// Well-formed debug records change nothing of the text: each file converts
// to exactly the text of the same file without its debug records.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_debug_builder.h"
#include "tests/ubrof/ubrof_test_util.h"

namespace ubrof_test {
namespace {

// A debug record, or with tag 0 a module record of that name.
struct Record {
    uint8_t tag;
    Bytes body;
    std::string module = "";
};

Record D4(const Bytes& body) {
    return {0xD4, body};
}
Record D5(const Bytes& body) {
    return {0xD5, body};
}
Record D6(const Bytes& body) {
    return {0xD6, body};
}
Record D9(const Bytes& body) {
    return {0xD9, body};
}
Record NextModule(const std::string& name) {
    return {0x00, {}, name};
}

// Code records around and between the records; without debug records when
// withDebug is false.
UbrofBuilder File(const std::vector<Record>& records, bool withDebug) {
    UbrofBuilder file;
    file.Version(10).Module("first").Address(0x2000).Data({0xC0, 0xDE});
    uint8_t n = 0;
    for (const Record& r : records) {
        if (r.tag == 0x00) {
            file.Module(r.module).Address(0x3000 + 0x100u * n);
        } else if (withDebug) {
            file.DebugRecord(r.tag, r.body);
        }
        file.Data({n++});
    }
    file.Address(0xFFE0).DataCount(32);
    return std::move(file.Close());
}

struct AcceptCase {
    std::string name;
    std::vector<Record> records;
};

void ExpectAccepted(const std::vector<AcceptCase>& cases) {
    for (const AcceptCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ConvertResult with = ConvertBytes(File(c.records, true).bytes());
        const ConvertResult without = ConvertBytes(File(c.records, false).bytes());
        EXPECT_EQ(with.errors, "");
        EXPECT_EQ(with.result, 1);
        ASSERT_EQ(without.result, 1);
        EXPECT_EQ(with.text, without.text);
    }
}

// Names block id with frame 0 on resource 1, frame 1 named, frame 2 in a
// space, and four resources.
Bytes Names(uint64_t id) {
    return CfiNamesBody(id, {{0, 1, 2}, {1, 0, 0, "outer"}, {2, 0, 16}},
                        {{"PC"}, {"SP"}, {"R4", 4}, {"R5", 0}});
}

Bytes Common(uint64_t id, uint64_t names, const std::string& augmentation, uint64_t flags,
             const Bytes& initial = {}) {
    CfiCommonSpec s;
    s.id = id;
    s.names = names;
    s.augmentation = augmentation;
    s.flags = flags;
    s.codeAlignment = 2;
    s.dataAlignment = -2;
    s.returnAddress = 0;
    s.codeByte = 7;
    s.instructions = initial;
    return CfiCommonBody(s);
}

// Every call-frame instruction once, with expressions on both forms.
Bytes EveryInstruction() {
    CfiOps ops;
    ops.Advance(3).Offset(2, 1).Restore(2).Nop().SetLoc(0x100).Advance1(7).Advance2(0x1234);
    ops.Advance4(0x10000).OffsetExtended(3, 4).RestoreExtended(3).Undefined(2).SameValue(3);
    ops.Register(2, 3).Remember().DefCfa(1, 2).DefCfaRegister(3).DefCfaOffset(6).RestoreState();
    ops.FrameCfa(1, 1, 4).FrameCfaRegister(2, 3).FrameCfaOffset(1, 8).Op31(2).FrameOffset(3, 1, 2);
    ops.Op33().Op34().CfaExpression(1, DwOp().Breg(1, 4).Deref());
    ops.RuleExpression(2, DwOp().Fbreg(-4).DerefSize(2)).Op37(0).Op37(1);
    // Programs that have no value are read over just the same.
    ops.RuleExpression(3, DwOp().Plus()).CfaExpression(0, DwOp().Const4u(1).Truncated(2));
    ops.RuleExpression(3, {});
    return ops.bytes();
}

TEST(UbrofDebugAccept, EverySubRecordAndInstruction) {
    CfiVersionedNamesSpec versioned;
    versioned.id = 1;
    versioned.defaultSize = 2;
    versioned.frames = {{0, 0, 0}, {1, 0, 0, "f"}};
    versioned.resources = {{"R12"}, {"R13", 4}, {"R12:R13"}, {"V"}};
    versioned.virtuals = {3};
    versioned.groups = {{2, {0, 1}}};
    CfiVersionedNamesSpec onBase;
    onBase.id = 2;
    onBase.base = 2; // block 1
    onBase.frames = {{2, 0, 1}};
    onBase.changes = {{1, 9, {}}, {3, 1, 8}};
    ExpectAccepted(
        {{"every kind",
          {D4(Names(0)), D4(Common(0, 0, "IAR 2", 3, CfiOps().DefCfa(1, 0).Offset(0, 1))),
           D4(CfiDataBody(0, 0x10, 0x20, EveryInstruction())), D4(CfiVersionedNamesBody(versioned)),
           D4(CfiVersionedNamesBody(onBase)),
           D4(CfiDerivedCommonBody(1, 0, 1, 2, CfiOps().SameValue(3).Undefined(2))),
           D4(CfiDataWithKindBody(1, 1, 2, 1, {}, CfiOps().Restore(3).Restore(2).Advance(1))),
           D4(CfiDataWithKindBody(0, 1, 2, 2, {}, CfiOps().RestoreExtended(0))),
           D4(CfiDataWithKindBody(0, 1, 2, 3, {{3, 2, 0x1000}, {-1 & 7, 0, 0xFFFFFFFF}}, {})),
           D5(StatementCommonBody({0})), D5(StatementBody(0, 5, {1, 2, 3})),
           D6(SourceLinesBody({"/src/"}, {{"a.c", 1, 3}, {"b.h", 0, 4}},
                              SourceItems().Line(1, 0).Third(2, 1, 9).Line2(3, 4, 0))),
           D9(ReadOperationBody(0x0D, 1, 0, {0, 1, 2, 3})),
           D9(ReadOperationBody(0x10, {}, 1, {0, 1, 2, 3, 3, 2, 1, 0})),
           D9(ReadOperationBody(0x08, {}, 2, {3, 1, 1}))}}});
}

TEST(UbrofDebugAccept, FilesThatAReaderCouldGetWrong) {
    const std::string long0x81(0x81, 'x');
    ExpectAccepted({
        {"IAR 1",
         {D4(Names(0)), D4(Common(0, 0, "IAR 1", 0, CfiOps().DefCfa(1, 1))),
          D4(CfiDataBody(0, 0, 0, CfiOps().Offset(2, 1).Restore(2).Restore(3)))}},
        // The later block under id 0 has resource 3; the earlier had one.
        {"a replaced names block is used from then on",
         {D4(CfiNamesBody(0, {}, {{"only"}})), D4(Names(0)),
          D4(Common(0, 0, "IAR 2", 0, CfiOps().Offset(3, 1))),
          D4(CfiDataBody(0, 0, 0, CfiOps().Register(3, 2))),
          D9(ReadOperationBody(0x04, {}, 0, {3, 3}))}},
        {"blocks are used in a later module",
         {D4(Names(0)), D4(Common(5, 0, "IAR 2", 2)), D5(StatementCommonBody({7})),
          NextModule("second"), D4(CfiDataBody(5, 0, 0, CfiOps().Restore(1))),
          D5(StatementBody(7, 1)), D9(ReadOperationBody(0, {}, 0, {1})), NextModule("third"),
          D4(CfiDerivedCommonBody(6, 5, 0, 0, {}))}},
        {"ids near 2^32",
         {D4(Names(0xFFFFFFFE)), D4(CfiVersionedNamesBody({.id = 0xFFFFFFFF, .base = 0xFFFFFFFF})),
          D4(Common(0xFFFFFFFF, 0xFFFFFFFF, "IAR 2", 0)),
          D4(CfiDataBody(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, {})),
          D4(CfiDerivedCommonBody(0xFFFFFFFE, 0xFFFFFFFF, 0, 0xFFFFFFFE, {})),
          D5(StatementCommonBody({0xFFFFFFFF})), D5(StatementBody(0xFFFFFFFF, 0xFFFFFFFF)),
          D9(ReadOperationBody(0x01, 0xFFFFFFFF, 0xFFFFFFFF, {3}))}},
        {"a directory joined without separator",
         {D6(SourceLinesBody({"/usr/src", "lib"}, {{"main.c", 2}, {"x.c", 1}, {"y.c", 0}},
                             SourceItems().Line(1, 2)))}},
        {
            "several sequences",
            {D6(SourceLinesBody({}, {{"a.c"}, {"b.c"}},
                                SourceItems()
                                    .Line(4, 0)
                                    .Line2(2, 3, 1)
                                    .EndSequence()
                                    .EndSequence()
                                    .Third(1, 1, 5)
                                    .EndSequence()
                                    .Line(0xFFFFFFFF, 0)
                                    .Line(2, 1)))},
        },
        {"no directories, files or items", {D6(SourceLinesBody({}, {}))}},
        {"read operation flags 0x14 and 0x02",
         {D4(Names(0)), D9(ReadOperationBody(0x14, {}, 0, {3, 2, 1, 0, 0})),
          D9(ReadOperationBody(0x02, {}, 0, {1})), D9(ReadOperationBody(0x17, 4, 0, {}))}},
        // A length of one byte in a names block and a LEB128 length in the
        // source lines: 0x81 is one byte there and two here.
        {"a 0x81-byte resource name beside a 0x81-byte directory",
         {D4(CfiNamesBody(0, {}, {{long0x81}, {long0x81, 0x81}})),
          D6(SourceLinesBody({long0x81}, {{long0x81, 1}})),
          D9(ReadOperationBody(0x04, {}, 0, {1, 0}))}},
        {"bytes after a layout are ignored", {D4(Names(0)), D5(StatementCommonBody({1})), D9([] {
                                                  Bytes b = ReadOperationBody(0, {}, 0, {1});
                                                  b.push_back(0xFF);
                                                  return b;
                                              }())}},
    });
}

} // namespace
} // namespace ubrof_test
