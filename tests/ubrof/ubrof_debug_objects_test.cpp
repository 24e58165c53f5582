// What the debug-record readers keep: names blocks, COMMON blocks, source
// lines and statements, as far as parsing and the checks need them.

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "tests/ubrof/cfi_print.h"
#include "tests/ubrof/ubrof_debug_builder.h"
#include "ubrof/cfi_frame_state.h"
#include "ubrof/cfi_reader.h"
#include "ubrof/cfi_rule_stream.h"
#include "ubrof/fatal.h"
#include "ubrof/record_cursor.h"
#include "ubrof/source_lines.h"
#include "ubrof/statement_info.h"

using namespace ubrof;

namespace ubrof_test {
namespace {

const TaggedAddress kAt(3, 1, 0);

// The builder's own signed LEB128 against known encodings and the reader.
TEST(EncodeSleb, WritesTheShortestSignedForm) {
    EXPECT_EQ(EncodeSleb(-2), (Bytes{0x7E}));
    EXPECT_EQ(EncodeSleb(63), (Bytes{0x3F}));
    EXPECT_EQ(EncodeSleb(64), (Bytes{0xC0, 0x00}));
    EXPECT_EQ(EncodeSleb(-64), (Bytes{0x40}));
    EXPECT_EQ(EncodeSleb(-65), (Bytes{0xBF, 0x7F}));
    EXPECT_EQ(EncodeSleb(-129), (Bytes{0xFF, 0x7E}));
    for (const int64_t v : {0ll, 1ll, -1ll, 300ll, -300ll, 0x7FFFFFFFll, -0x80000000ll}) {
        const Bytes b = EncodeSleb(v);
        RecordCursor in(b);
        EXPECT_EQ(in.Sleb(), static_cast<int32_t>(v)) << v;
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(OgUbrofCfi, VersionedNamesBlocksNumberOnFromTheirBase) {
    OgUbrofCfi cfi;
    CfiVersionedNamesSpec root;
    root.id = 3;
    root.defaultSize = 2;
    root.frames = {{0, 2, 7}, {1, 0, 0, "caller"}};
    root.resources = {{"R12"}, {"R13", 4}, {"R12:R13"}};
    root.virtuals = {2};
    root.groups = {{2, {0, 1}}};
    cfi.Read(CfiVersionedNamesBody(root), kAt);
    CfiVersionedNamesSpec next;
    next.id = 0;
    next.base = 4; // block 3
    next.defaultSize = 6;
    next.changes = {{1, 0x55, {}}, {0, 1, 8}};
    cfi.Read(CfiVersionedNamesBody(next), kAt);

    const CfiNamesBlock* base = cfi.NamesBlock(3);
    const CfiNamesBlock* block = cfi.NamesBlock(0);
    ASSERT_TRUE(base && block);
    EXPECT_EQ(block->Base(), base);
    EXPECT_EQ(block->ChainDepth(), 2);
    EXPECT_EQ(block->ResourceCount(), 3u);
    EXPECT_EQ(block->FrameCount(), 2u);
    // Sizes: the default where the flag is set.
    EXPECT_EQ(base->Resource(0)->size, 2u);
    EXPECT_EQ(base->Resource(1)->size, 4u);
    EXPECT_TRUE(base->Resource(2)->isVirtual);
    ASSERT_TRUE(base->Resource(2)->parts);
    EXPECT_EQ(*base->Resource(2)->parts, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(base->Frame(0)->resource, 2u);
    EXPECT_EQ(base->Frame(0)->space, 2); // file code 7
    EXPECT_EQ(base->Frame(1)->name, "caller");
    // The changes are the block's own; the base keeps its entries.
    EXPECT_EQ(block->Resource(1)->value, 0x55u);
    EXPECT_EQ(block->Resource(1)->size, 6u);
    EXPECT_EQ(block->Resource(0)->size, 8u);
    EXPECT_EQ(base->Resource(1)->value, 0u);
    EXPECT_EQ(block->Resource(2), base->Resource(2));
    EXPECT_EQ(block->Resource(3), nullptr);
    EXPECT_EQ(cfi.NamesBlock(4), nullptr);
}

// A change of a composite in a later block keeps the parts list of the base
// rather than a copy: many short changes of a long composite must not each
// hold the whole list.
TEST(OgUbrofCfi, ChangedCompositesShareTheirParts) {
    OgUbrofCfi cfi;
    CfiVersionedNamesSpec root;
    root.id = 0;
    root.resources = {{"R12", 2}, {"R13", 2}, {"R12:R13", 4}};
    root.groups = {{2, {0, 1}}};
    cfi.Read(CfiVersionedNamesBody(root), kAt);
    for (uint64_t id = 1; id <= 3; ++id) {
        CfiVersionedNamesSpec change;
        change.id = id;
        change.base = 1; // block 0
        change.changes = {{2, id, 4}};
        cfi.Read(CfiVersionedNamesBody(change), kAt);
    }
    const CfiResource* composite = cfi.NamesBlock(0)->Resource(2);
    ASSERT_TRUE(composite && composite->parts);
    for (uint32_t id = 1; id <= 3; ++id) {
        const CfiResource* changed = cfi.NamesBlock(id)->Resource(2);
        ASSERT_NE(changed, composite);
        EXPECT_EQ(changed->value, id);
        EXPECT_EQ(changed->parts.get(), composite->parts.get());
    }
    EXPECT_EQ(composite->value, 0u);
}

TEST(OgUbrofCfi, EqualCommonBlocksShareOneObject) {
    OgUbrofCfi cfi;
    cfi.Read(CfiNamesBody(0, {{0, 1}}, {{"PC"}, {"SP"}}), kAt);
    CfiCommonSpec common;
    common.instructions = CfiOps().DefCfa(1, 1).RuleExpression(0, DwOp().Breg(1, 2).Deref());
    cfi.Read(CfiCommonBody(common), kAt);
    common.id = 1;
    cfi.Read(CfiCommonBody(common), kAt);
    common.id = 2;
    common.instructions = CfiOps().DefCfa(1, 2);
    cfi.Read(CfiCommonBody(common), kAt);
    ASSERT_NE(cfi.CommonBlock(0), nullptr);
    EXPECT_EQ(cfi.CommonBlock(0), cfi.CommonBlock(1));
    EXPECT_NE(cfi.CommonBlock(0), cfi.CommonBlock(2));
    EXPECT_EQ(cfi.InternedCommonBlocks(), 2u);
    EXPECT_EQ(cfi.CommonBlock(0)->DataAlignment(), -2);
    // "IAR 2" without flags bit 1: every resource starts undefined.
    PrintSink sink;
    cfi.CommonBlock(0)->ReplayInitialRules(sink);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"undefined r0", "undefined r1", "cfa f0 r1 -2",
                                                    "rule r0 mem4@3(plus(reg1, const2))"}));
}

TEST(OgUbrofCfi, DerivedCommonBlocksAddToTheirBasesRules) {
    OgUbrofCfi cfi;
    cfi.Read(CfiNamesBody(0, {{0, 1}}, {{"PC"}, {"SP"}}), kAt);
    cfi.Read(CfiNamesBody(1, {{0, 1}}, {{"PC"}, {"SP"}, {"R4"}, {"R5"}}), kAt);
    CfiCommonSpec common;
    common.augmentation = "IAR 1";
    common.codeAlignment = 4;
    common.instructions = CfiOps().SameValue(0);
    cfi.Read(CfiCommonBody(common), kAt);
    cfi.Read(CfiDerivedCommonBody(1, 0, 2, 1, CfiOps().Offset(3, 1)), kAt);
    const CfiCommonBlock* derived = cfi.CommonBlock(1);
    ASSERT_NE(derived, nullptr);
    EXPECT_TRUE(derived->IsDerived());
    EXPECT_EQ(derived->CodeAlignment(), 4u);
    EXPECT_EQ(derived->ChainDepth(), 2);
    PrintSink sink;
    derived->ReplayInitialRules(sink);
    // Resources beyond the base's names block: same value (flags bit 1).
    EXPECT_EQ(sink.calls,
              (std::vector<std::string>{"same r0", "same r2", "same r3", "offset r3 f0 +2"}));
    // Data blocks replay their rows and keep the rules after them.
    const CountedHandle<CfiDataBlock> data =
        cfi.Read(CfiDataWithKindBody(1, 7, 8, 3, {{3, 2, 0x40}, {1, 0, 9}},
                                     CfiOps().Advance(2).RestoreExtended(3).Restore(1)),
                 kAt);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->first, 7u);
    EXPECT_EQ(data->kind, 3u);
    ASSERT_EQ(data->addresses.size(), 2u);
    EXPECT_EQ(data->addresses[0], TaggedAddress(3, 2, 0x40));
    EXPECT_EQ(data->addresses[1], TaggedAddress(1, 0, 9));
    PrintSink rows;
    CfiRuleReplay(data->Rows()).All(rows);
    // Advance 2 x code alignment 4; resource 1 has no initial rule.
    EXPECT_EQ(rows.calls, (std::vector<std::string>{"advance 8", "offset r3 f0 +2"}));
    EXPECT_EQ(data->State().Rule(1).kind, 7);
    EXPECT_EQ(data->State().Rule(3).kind, 1);
}

TEST(CfiRuleApply, CallsTheSinkOfTheKindAndGuardsOthers) {
    PrintSink sink;
    CfiRule rule;
    for (int kind = 1; kind <= 7; ++kind) {
        rule.kind = kind;
        rule.frame = 1;
        rule.offset = -4;
        rule.holder = 2;
        CfiRuleApply(rule, 5, sink);
    }
    EXPECT_EQ(sink.calls,
              (std::vector<std::string>{"offset r5 f1 -4", "undefined r5", "same r5",
                                        "register r5 r2", "restore r5", "rule r5 null"}));
    for (const int kind : {0, 8, -1}) {
        rule.kind = kind;
        try {
            CfiRuleApply(rule, 5, sink);
            ADD_FAILURE() << "no error raised";
        } catch (const UbrofFormatError& error) {
            EXPECT_EQ(std::string(error.what()), "Illegal rule info kind");
        }
    }
}

TEST(CfiRuleRecorder, RememberAndRestoreKeepTheDepth) {
    CountedHandle<CfiNamesBlock> names(new CfiNamesBlock());
    CfiRuleRecorder recorder(names);
    recorder.RememberState();
    recorder.RememberState();
    recorder.RestoreState();
    recorder.RestoreState();
    recorder.RestoreState();
    EXPECT_EQ(recorder.RememberDepth(), 0);
    EXPECT_EQ(recorder.Stream(), (Bytes{13, 13, 14, 14, 14}));
    // An advance to the last location is still a row of its own.
    recorder.Advance(0xFFFFFFFF);
    PrintSink sink;
    CfiRuleReplay(recorder).All(sink);
    EXPECT_EQ(sink.calls,
              (std::vector<std::string>{"remember", "remember", "restore state", "restore state",
                                        "restore state", "advance 4294967295"}));
}

TEST(SourceLinesReader, JoinsDirectoriesAndKeepsRowsPerSequence) {
    const Bytes body = SourceLinesBody(
        {"/usr/src", "lib/"}, {{"main.c", 1, 9}, {"x.h", 2}, {"y.c", 0, 0xFFFFFFFF}},
        SourceItems().Line(4, 0).Line2(2, 7, 1).EndSequence().Third(1, 2, 5).Line(0xFFFFFFFF, 0));
    const CountedHandle<SourceLines> lines = SourceLinesReader(body);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->directories, (std::vector<std::string>{"/usr/src", "lib/"}));
    ASSERT_EQ(lines->files.size(), 3u);
    EXPECT_EQ(lines->files[0]->Path(), "/usr/srcmain.c");
    EXPECT_EQ(lines->files[1]->Path(), "lib/x.h");
    EXPECT_EQ(lines->files[2]->Path(), "y.c");
    EXPECT_EQ(lines->files[0]->number, 9u);
    EXPECT_EQ(lines->files[2]->number, 0xFFFFFFFFu);
    std::tm noon{};
    noon.tm_hour = 12;
    noon.tm_mday = 1;
    noon.tm_year = 124;
    noon.tm_isdst = -1;
    EXPECT_EQ(lines->files[0]->time, std::mktime(&noon));
    ASSERT_EQ(lines->rows.size(), 4u);
    EXPECT_EQ(lines->rows[1].location, 6u);
    EXPECT_EQ(lines->rows[1].second, 7u);
    EXPECT_EQ(lines->rows[1].file, 1u);
    // A new sequence starts from 0; locations wrap at 32 bits.
    EXPECT_EQ(lines->rows[2].location, 1u);
    EXPECT_EQ(lines->rows[2].third, 5u);
    EXPECT_EQ(lines->rows[3].location, 0u);
    EXPECT_EQ(lines->sequences, 1u);
}

// A few bytes per file must not cost a copy of a long directory per file:
// 2000 files under a 64 KiB directory would otherwise hold 128 MiB.
TEST(SourceLinesReader, FilesShareTheirDirectoryText) {
    const std::string directory(64 * 1024, 'd');
    std::vector<SourceFileSpec> files;
    for (int i = 0; i < 2000; ++i) {
        files.emplace_back("f", 1);
    }
    files.emplace_back("top.c", 0);
    const CountedHandle<SourceLines> lines = SourceLinesReader(SourceLinesBody({directory}, files));
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->files.size(), 2001u);
    const std::string* shared = lines->files[0]->Directory();
    ASSERT_NE(shared, nullptr);
    for (size_t i = 0; i < 2000; ++i) {
        ASSERT_EQ(lines->files[i]->Directory(), shared) << i;
    }
    EXPECT_EQ(lines->files[1999]->Path(), directory + "f");
    EXPECT_EQ(lines->files[2000]->Directory(), nullptr);
    EXPECT_EQ(lines->files[2000]->Path(), "top.c");
}

TEST(StatementInfoReader, KeepsTheCommonBlockAndTheStatement) {
    StatementCommonTable table;
    StatementCommonSpec spec(5);
    spec.p1 = 0x10002; // kept as 16 bits
    spec.p2 = -3;
    spec.bytes = {1, 2, 3};
    EXPECT_FALSE(StatementInfoReader(StatementCommonBody(spec), table));
    ASSERT_EQ(table.count(5), 1u);
    const StatementCommonBlock& block = *table.at(5);
    EXPECT_EQ(block.parameters[0], 2u);
    EXPECT_EQ(block.parameters[1], 0xFFFDu);
    EXPECT_EQ(block.parameters[6], 7u);
    EXPECT_EQ(block.bytes, (Bytes{1, 2, 3}));
    const CountedHandle<Statement> statement =
        StatementInfoReader(StatementBody(5, 0xFFFFFFFF, {9, 8}), table);
    ASSERT_TRUE(statement);
    EXPECT_EQ(statement->common.get(), &block);
    EXPECT_EQ(statement->size, 0xFFFFFFFEu); // count x P1, 32 bits
    EXPECT_EQ(statement->bytes, (Bytes{9, 8}));
}

} // namespace
} // namespace ubrof_test
