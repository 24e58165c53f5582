// Malformed debug records refuse the whole file through UbrofFileConvert:
// the reader's exact message on standard error, result 0, no text, and the
// calling process goes on.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_debug_builder.h"
#include "tests/ubrof/ubrof_test_util.h"

namespace ubrof_test {
namespace {

// Code ahead of the fault, so that partial text would show, in a version-10
// file.
UbrofBuilder Code() {
    return std::move(UbrofBuilder().Version(10).Address(0x1000).Data({1, 2, 3}));
}

// A file with names block 0 (frame 0 on resource 1; resources 0-3) and its
// plain COMMON block 0, then the records.
UbrofBuilder WithBlocks(std::initializer_list<Bytes> cfi, const Bytes& initial = {}) {
    UbrofBuilder file = Code();
    file.DebugRecord(0xD4, CfiNamesBody(0, {{0, 1}}, {{"PC"}, {"SP"}, {"R2"}, {"R3"}}));
    CfiCommonSpec common;
    common.instructions = initial;
    file.DebugRecord(0xD4, CfiCommonBody(common));
    for (const Bytes& body : cfi) {
        file.DebugRecord(0xD4, body);
    }
    return file;
}

UbrofBuilder Cfi(std::initializer_list<Bytes> bodies) {
    UbrofBuilder file = Code();
    for (const Bytes& body : bodies) {
        file.DebugRecord(0xD4, body);
    }
    return file;
}

// A data block of COMMON block 0 with the instructions.
Bytes Data(const Bytes& instructions) {
    return CfiDataBody(0, 0, 0, instructions);
}

const std::string kShort = "Unexpected end of UBROF record";

// The body without its last byte.
Bytes Cut(Bytes body) {
    body.pop_back();
    return body;
}

TEST(UbrofDebugErrors, CallFrameInformationRecords) {
    CfiCommonSpec version2;
    version2.version = 2;
    CfiCommonSpec iar3;
    iar3.augmentation = "IAR 3";
    CfiCommonSpec noAugmentation;
    noAugmentation.augmentation = "";
    CfiCommonSpec trailingBlank;
    trailingBlank.augmentation = "IAR 2 ";
    CfiCommonSpec names7;
    names7.names = 7;
    CfiVersionedNamesSpec v2;
    v2.version = 2;
    ExpectFails({
        {"sub tag 4", Cfi({{4}}), "Unknown cfi sub tag: 4"},
        {"sub tag 0", Cfi({{0, 1, 2}}), "Unknown cfi sub tag: 0"},
        {"sub tag 8", Cfi({{8}}), "Unknown cfi sub tag: 8"},
        {"frame kind 3", Cfi({CfiNamesBody(0, {{0, 0}, {3}}, {{"PC"}})}),
         "OgUbrofCfi:ReadFrames - Unknown frame kind: 3"},
        {"frame kind 200 in a versioned block", Cfi({CfiVersionedNamesBody({.frames = {{200}}})}),
         "OgUbrofCfi:ReadFrames - Unknown frame kind: 200"},
        // The version is refused before anything else of the record is read.
        {"names version 2, body ending after it", Cfi({{5, 0, 2}}),
         "OgUbrofCfi - Unknown CFI Names record version: 2"},
        {"names version 2", Cfi({CfiVersionedNamesBody(v2)}),
         "OgUbrofCfi - Unknown CFI Names record version: 2"},
        {"names version 0xFFFFFFFF", Cfi({{5, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}}),
         "OgUbrofCfi - Unknown CFI Names record version: 4294967295"},
        {"COMMON version 2", WithBlocks({CfiCommonBody(version2)}),
         "Unsupported call frame info common version"},
        {"COMMON version 2, body ending after it", Cfi({{2, 0, 2}}),
         "Unsupported call frame info common version"},
        {"augmentation IAR 3", WithBlocks({CfiCommonBody(iar3)}),
         "Unsupported call frame info common augmentation"},
        {"empty augmentation", WithBlocks({CfiCommonBody(noAugmentation)}),
         "Unsupported call frame info common augmentation"},
        {"augmentation with a trailing blank", WithBlocks({CfiCommonBody(trailingBlank)}),
         "Unsupported call frame info common augmentation"},
        {"COMMON on names block 7", WithBlocks({CfiCommonBody(names7)}),
         "No NAMES block defined for id 7"},
        {"COMMON before any names block", Cfi({CfiCommonBody({})}),
         "No NAMES block defined for id 0"},
        {"data block on COMMON 4 when 0-2 were read",
         WithBlocks({CfiCommonBody([] {
                         CfiCommonSpec s;
                         s.id = 1;
                         return s;
                     }()),
                     CfiCommonBody([] {
                         CfiCommonSpec s;
                         s.id = 2;
                         return s;
                     }()),
                     CfiDataBody(4, 0, 0, {})}),
         "No Common block defined for id 4"},
        {"data block before any COMMON block", Cfi({CfiDataWithKindBody(0, 0, 0, 1, {}, {})}),
         "No Common block defined for id 0"},
        {"data kind 4", WithBlocks({CfiDataWithKindBody(0, 0, 0, 4, {}, {})}),
         "OgUbrofCfi::Impl::ReadData - unknown data kind: 4"},
        {"data kind 0", WithBlocks({CfiDataWithKindBody(0, 0, 0, 0, {}, {})}),
         "OgUbrofCfi::Impl::ReadData - unknown data kind: 0"},
        {"derived COMMON without its base", WithBlocks({CfiDerivedCommonBody(1, 9, 0, 0, {})}),
         "No Common block defined for id 9"},
        {"derived COMMON without its names block",
         WithBlocks({CfiDerivedCommonBody(1, 0, 0, 3, {})}), "No NAMES block defined for id 3"},
        {"versioned names on a missing base", Cfi({CfiVersionedNamesBody({.id = 1, .base = 6})}),
         "No NAMES block defined for id 5"},
    });
}

TEST(UbrofDebugErrors, CallFrameInstructions) {
    ExpectFails({
        // Inside a COMMON block's initial instructions there is nothing to
        // restore to.
        {"restore 0xC0 + r among COMMON instructions", WithBlocks({}, CfiOps().Restore(1)),
         "Need common to use restore"},
        {"restore opcode 6 among COMMON instructions",
         WithBlocks({}, CfiOps().SameValue(0).RestoreExtended(2)), "Need common to use restore"},
        {"opcode 0x0F", WithBlocks({Data(CfiOps().Op(0x0F))}), "illegal CFI instruction"},
        {"opcode 27", WithBlocks({Data(CfiOps().Nop().Op(27))}), "illegal CFI instruction"},
        {"opcode 38", WithBlocks({Data(CfiOps().Op(38))}), "illegal CFI instruction"},
        {"opcode 63 among COMMON instructions", WithBlocks({}, CfiOps().Op(63)),
         "illegal CFI instruction"},
        // A COMMON block with an advance among its initial instructions is
        // read; a data block that starts from its initial rules is refused.
        {"COMMON initial rules with an advance", WithBlocks({Data({})}, CfiOps().Advance(1)),
         "More than one row in call frame info data"},
        {"derived COMMON with an advance",
         WithBlocks(
             {CfiDerivedCommonBody(1, 0, 0, 0, CfiOps().SetLoc(0)), CfiDataBody(1, 0, 0, {})}),
         "More than one row in call frame info data"},
    });
}

TEST(UbrofDebugErrors, NumbersOutsideTheirNamesBlock) {
    CfiCommonSpec returnAddress;
    returnAddress.id = 1;
    returnAddress.returnAddress = 4;
    const std::string resource = "CFI resource number out of range: ";
    const std::string frame = "CFI frame number out of range: ";
    ExpectFails({
        {"return address", WithBlocks({CfiCommonBody(returnAddress)}), resource + "4"},
        {"frame on a resource", Cfi({CfiNamesBody(0, {{0, 2}}, {{"PC"}, {"SP"}})}), resource + "2"},
        {"virtual resource",
         Cfi({CfiVersionedNamesBody({.resources = {{"A"}, {"B"}}, .virtuals = {2}})}),
         resource + "2"},
        {"group parent",
         Cfi({CfiVersionedNamesBody({.resources = {{"A"}, {"B"}}, .groups = {{5, {0, 1}}}})}),
         resource + "5"},
        {"group part",
         Cfi({CfiVersionedNamesBody({.resources = {{"A"}, {"B"}}, .groups = {{1, {0, 9}}}})}),
         resource + "9"},
        {"base change",
         Cfi({CfiNamesBody(0, {}, {{"A"}}),
              CfiVersionedNamesBody({.id = 1, .base = 1, .changes = {{1, 7, {}}}})}),
         resource + "1"},
        {"0x80 + r", WithBlocks({Data(CfiOps().Offset(4, 1))}), resource + "4"},
        {"opcode 9, second resource", WithBlocks({Data(CfiOps().Register(1, 70))}),
         resource + "70"},
        {"restore in a data block", WithBlocks({Data(CfiOps().RestoreExtended(4))}),
         resource + "4"},
        {"opcode 36", WithBlocks({Data(CfiOps().RuleExpression(300, DwOp().Lit(1)))}),
         resource + "300"},
        {"opcode 28 frame", WithBlocks({Data(CfiOps().FrameCfa(1, 0, 0))}), frame + "1"},
        {"opcode 32 frame", WithBlocks({Data(CfiOps().FrameOffset(0, 5, 0))}), frame + "5"},
        {"opcode 37", WithBlocks({Data(CfiOps().Op37(0xFFFFFFFF))}), frame + "4294967295"},
        // Opcodes 0x80 + r, 5, 12, 13 and 14 name frame 0 without an operand.
        {"implicit frame 0",
         Cfi({CfiNamesBody(0, {}, {{"PC"}, {"SP"}}), CfiCommonBody({}),
              Data(CfiOps().DefCfa(1, 2))}),
         frame + "0"},
        {"implicit frame 0 of a saved resource",
         Cfi({CfiNamesBody(0, {}, {{"PC"}}), CfiCommonBody({}), Data(CfiOps().Offset(0, 1))}),
         frame + "0"},
        {"read operation entry",
         Cfi({CfiNamesBody(0, {}, {{"PC"}})})
             .DebugRecord(0xD9, ReadOperationBody(0x04, {}, 0, {0, 1})),
         resource + "1"},
        {"read operation without its names block",
         Cfi({CfiNamesBody(0, {}, {{"PC"}})}).DebugRecord(0xD9, ReadOperationBody(0, {}, 12, {0})),
         "No NAMES block defined for id 12"},
        {"read operation flags 0x02 without names block 0",
         Code().DebugRecord(0xD9, ReadOperationBody(0x02, {}, 0, {0})),
         "No NAMES block defined for id 0"},
    });
}

TEST(UbrofDebugErrors, ChainsAndRememberedStatesStopAtSixtyFourDeep) {
    // Names block k + 1 on block k: the 64th block in the chain is read, the
    // 65th refused.
    const auto names = [](int depth) {
        UbrofBuilder file = Code();
        file.DebugRecord(0xD4, CfiNamesBody(0, {}, {{"PC"}}));
        for (int k = 1; k < depth; ++k) {
            file.DebugRecord(0xD4, CfiVersionedNamesBody({.id = static_cast<uint64_t>(k),
                                                          .base = static_cast<uint64_t>(k)}));
        }
        return file;
    };
    const auto commons = [](int depth) {
        UbrofBuilder file = Code();
        file.DebugRecord(0xD4, CfiNamesBody(0, {{0, 0}}, {{"PC"}}));
        file.DebugRecord(0xD4, CfiCommonBody({}));
        for (int k = 1; k < depth; ++k) {
            file.DebugRecord(0xD4, CfiDerivedCommonBody(k, k - 1, 0, 0, {}));
        }
        return std::move(file.DebugRecord(0xD4, CfiDataBody(depth - 1, 0, 0, CfiOps().Restore(0))));
    };
    const auto remember = [](int depth) {
        CfiOps ops;
        for (int k = 0; k < depth; ++k) {
            ops.Remember();
        }
        return WithBlocks({Data(ops)});
    };
    for (const auto& [name, file] :
         {std::pair{"names", names(64)}, std::pair{"commons", commons(64)},
          std::pair{"remember", remember(64)}}) {
        SCOPED_TRACE(name);
        const ConvertResult r = ConvertBytes(UbrofBuilder(file).Close().bytes());
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.errors, "");
    }
    ExpectFails({
        {"names chain of 65", names(65), "CFI block chain too deep"},
        {"COMMON chain of 65", commons(65), "CFI block chain too deep"},
        {"65 remembered states", remember(65), "CFI remember state too deep"},
        {"65 remembered among COMMON instructions",
         WithBlocks({},
                    [] {
                        CfiOps ops;
                        for (int k = 0; k < 65; ++k) {
                            ops.Remember();
                        }
                        return ops.bytes();
                    }()),
         "CFI remember state too deep"},
    });
}

TEST(UbrofDebugErrors, StatementInfoSourceLinesAndReadOperations) {
    StatementCommonSpec format2(0);
    format2.format = 2;
    const auto statements = [] {
        UbrofBuilder file = Code();
        return std::move(file.DebugRecord(0xD5, StatementCommonBody({5}))
                             .DebugRecord(0xD5, StatementCommonBody({2})));
    };
    ExpectFails({
        {"statement sub tag 0", Code().DebugRecord(0xD5, {0}), "Unknown statement info sub tag"},
        {"statement sub tag 3", Code().DebugRecord(0xD5, {3, 0, 0}),
         "Unknown statement info sub tag"},
        {"statement format 2", Code().DebugRecord(0xD5, StatementCommonBody(format2)),
         "Cannot read statement info in format version other than 1"},
        // Refused before the parameters are read.
        {"statement format 2, body ending after it", Code().DebugRecord(0xD5, {1, 0, 2}),
         "Cannot read statement info in format version other than 1"},
        {"COMMON 5 and 2, then a statement for 3",
         statements().DebugRecord(0xD5, StatementBody(2, 1)).DebugRecord(0xD5, StatementBody(3, 1)),
         "No Common block defined for id 3"},
        {"a second statement COMMON 5", statements().DebugRecord(0xD5, StatementCommonBody({5})),
         "Multiple statement info COMMON blocks with id 5"},
        {"a statement before any COMMON", Code().DebugRecord(0xD5, StatementBody(0, 0)),
         "No Common block defined for id 0"},
        {"source item 0",
         Code().DebugRecord(0xD6, SourceLinesBody({}, {{"a.c"}}, SourceItems().Item(0))),
         "Unknown source line sequence tag"},
        {"source item 5",
         Code().DebugRecord(0xD6, SourceLinesBody({}, {{"a.c"}}, SourceItems().Line(1, 0).Item(5))),
         "Unknown source line sequence tag"},
        {"file index = file count",
         Code().DebugRecord(0xD6,
                            SourceLinesBody({}, {{"a.c"}, {"b.c"}}, SourceItems().Line(1, 2))),
         "File index out of range in source lines sequence info"},
        {"file index of item 3",
         Code().DebugRecord(0xD6, SourceLinesBody({}, {{"a.c"}}, SourceItems().Third(1, 1, 0))),
         "File index out of range in source lines sequence info"},
        {"file index of item 4 with no files",
         Code().DebugRecord(0xD6, SourceLinesBody({}, {}, SourceItems().Line2(1, 1, 0))),
         "File index out of range in source lines sequence info"},
        {"directory beyond the list",
         Code().DebugRecord(0xD6, SourceLinesBody({"a/"}, {{"a.c", 2}})),
         "Directory index out of range in source lines file info"},
        {"read operation flags 0x18", Code().DebugRecord(0xD9, ReadOperationBody(0x18, {}, 0, {})),
         "Unknown flag in Read operation."},
        {"read operation flags 0x3C", Code().DebugRecord(0xD9, ReadOperationBody(0x3F, 1, 0, {})),
         "Unknown flag in Read operation."},
    });
}

// A body shorter than its layout; bytes after it are ignored.
TEST(UbrofDebugErrors, BodiesShorterThanTheirLayout) {
    ExpectFails({
        {"empty call-frame body", Code().DebugRecord(0xD4, {}), kShort},
        {"names block without its resources", Cfi({{1, 0, 0}}), kShort},
        {"resource name cut", Cfi({{1, 0, 0, 1, 5, 'P', 'C'}}), kShort},
        {"bit table cut", Cfi({{5, 0, 1, 0, 2, 0, 9}}), kShort},
        {"COMMON cut in its augmentation", Cfi({{2, 0, 1, 5, 'I', 'A'}}), kShort},
        {"data block without its second value", WithBlocks({{3, 0, 0}}), kShort},
        {"data addresses cut", WithBlocks({Cut(CfiDataWithKindBody(0, 0, 0, 3, {{3, 1, 2}}, {}))}),
         kShort},
        {"instruction operand cut", WithBlocks({Cut(Data(CfiOps().SetLoc(5)))}), kShort},
        // Only an expression's length can run past the body.
        {"expression longer than the body",
         WithBlocks({Data(CfiOps().U8(36).Uleb(0).Uleb(10).Raw({0x30}))}), kShort},
        {"statement COMMON cut", Code().DebugRecord(0xD5, {1, 0, 1, 2, 3}), kShort},
        {"statement COMMON bytes cut", Code().DebugRecord(0xD5, Cut(StatementCommonBody({0}))),
         kShort},
        {"statement without its count",
         Code().DebugRecord(0xD5, StatementCommonBody({0})).DebugRecord(0xD5, {2, 0}), kShort},
        {"source directory cut", Code().DebugRecord(0xD6, {1, 4, 'a'}), kShort},
        {"source time cut", Code().DebugRecord(0xD6, {0, 1, 0, 1, 'a', 0, 1, 2, 3}), kShort},
        {"source item cut", Code().DebugRecord(0xD6, SourceLinesBody({}, {{"a.c"}}, {4, 1, 1})),
         kShort},
        {"read operation without A", Code().DebugRecord(0xD9, {0x01}), kShort},
        {"read operation count cut",
         Cfi({CfiNamesBody(0, {}, {{"PC"}})}).DebugRecord(0xD9, {0x14, 0}), kShort},
        {"read operation entries cut",
         Cfi({CfiNamesBody(0, {}, {{"PC"}})})
             .DebugRecord(0xD9, ReadOperationBody(0x08, {}, 0, {0, 0})),
         kShort},
    });
}

} // namespace
} // namespace ubrof_test
