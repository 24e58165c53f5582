#include "tests/ubrof/ubrof_sample_files.h"

#include <algorithm>
#include <string>

#include "tests/ubrof/ubrof_debug_builder.h"

namespace ubrof_test {

UbrofBuilder& AddDebugRecords(UbrofBuilder& file, uint64_t namesId, uint64_t statementId) {
    file.DebugRecord(0xD4, CfiNamesBody(namesId, {{0, 1, 0, ""}, {1, 0, 0, "Q9"}},
                                        {{"PC", 2}, {"SP", 2}, {"R4", 2}}));
    CfiCommonSpec common;
    common.id = namesId;
    common.names = namesId;
    common.flags = 2;
    common.instructions = CfiOps().DefCfa(1, 1).Offset(0, 1);
    file.DebugRecord(0xD4, CfiCommonBody(common));
    file.DebugRecord(
        0xD4, CfiDataBody(namesId, 0, 0x10,
                          CfiOps().Advance(2).DefCfaOffset(2).Offset(2, 2).Advance(4).Restore(2)));
    file.DebugRecord(0xD5, StatementCommonBody({statementId}));
    file.DebugRecord(0xD5, StatementBody(statementId, 3, {0x39, 0x51}));
    file.DebugRecord(0xD6, SourceLinesBody({"src/"}, {{"main.c", 1}},
                                           SourceItems().Line(4, 0).Line2(2, 7, 0).EndSequence()));
    file.DebugRecord(0xD9, ReadOperationBody(1, 0x39, namesId, {2}));
    return file;
}

UbrofBuilder Version10Seed() {
    UbrofBuilder file;
    file.Version(10, 0, 0, {{0xD0, 0xFC}, {0xD8, 0xFF}}).Module("seed10", 0x01).TwoNames("a", "bc");
    file.TType(0x33, {300}).TType(0x2A, {5}).Address(0xF000, 0).DataCount(16).DataCount(0);
    AddDebugRecords(file);
    file.Declared(0xD0, 252, 2).Declared(0xD8, 255, 1).ValidChecksumWithPrefix().U16AndName(2, "x");
    file.U32Record(3).TwelveBytes().Tag(0x02).Close();
    return file;
}

UbrofBuilder MegabyteFile() {
    UbrofBuilder file;
    file.Version(10, 0, 0, {{0xBE, 252}}).Module("bench");
    file.DebugRecord(0xD5, StatementCommonBody({1}));
    uint32_t address = 0x10000;
    while (file.bytes().size() < (1u << 20)) {
        file.Address(address);
        for (int i = 0; i < 16; ++i) {
            file.DataCount(255);
            address += 255;
        }
        file.DebugRecord(0xD5, StatementBody(1, 1, Bytes(21, 1))).Declared(0xBE, 252, 16);
        file.ValidChecksum();
    }
    return std::move(file.End());
}

namespace {

// A versioned names block of count default-size resources without names,
// frame 0 on resource 1.
Bytes ManyResources(uint64_t id, uint32_t count) {
    CfiVersionedNamesSpec names;
    names.id = id;
    names.frames = {{0, 1, 0, ""}};
    names.resources.assign(count, CfiResourceSpec(""));
    return CfiVersionedNamesBody(names);
}

UbrofBuilder CodeHead() {
    UbrofBuilder file;
    file.Version(10).Module("crafted").Address(0xF000).DataCount(16);
    return file;
}

CfiCommonSpec CommonOn(uint64_t id, uint64_t names) {
    CfiCommonSpec common;
    common.id = id;
    common.names = names;
    common.flags = 2;
    common.instructions = CfiOps().DefCfa(1, 1).Offset(0, 1);
    return common;
}

} // namespace

std::vector<CraftedFile> CraftedCfiFiles(uint32_t divisor) {
    const auto n = [divisor](uint32_t count) { return std::max<uint32_t>(count / divisor, 2); };
    std::vector<CraftedFile> files;
    {
        UbrofBuilder file = CodeHead();
        file.DebugRecord(0xD4, ManyResources(0, n(60000)));
        file.DebugRecord(0xD4, CfiCommonBody(CommonOn(0, 0)));
        for (uint32_t i = 0; i < n(5000); ++i) {
            file.DebugRecord(0xD4, CfiDataBody(0, 0, 0, {}));
        }
        files.push_back({"cfi_empty_data_blocks", std::move(file.Close()), ""});
    }
    {
        UbrofBuilder file = CodeHead();
        file.DebugRecord(0xD4, CfiNamesBody(0, {{0, 0, 0, ""}}, {{"PC"}}));
        file.DebugRecord(0xD4, ManyResources(1, n(55000)));
        CfiCommonSpec base = CommonOn(0, 0);
        base.instructions = CfiOps().Offset(0, 1);
        file.DebugRecord(0xD4, CfiCommonBody(base));
        for (uint64_t id = 1; id <= n(4400); ++id) {
            file.DebugRecord(0xD4, CfiDerivedCommonBody(id, 0, 2, 1, {}));
            if (id % n(50) == 0) {
                file.DebugRecord(0xD4, CfiDataBody(id, 0, 0, CfiOps().Restore(7)));
            }
        }
        files.push_back({"cfi_derived_commons", std::move(file.Close()), ""});
    }
    {
        UbrofBuilder file = CodeHead();
        file.DebugRecord(0xD4, ManyResources(0, n(55000)));
        file.DebugRecord(0xD4, CfiCommonBody(CommonOn(0, 0)));
        CfiOps ops;
        for (uint32_t i = 0; i < n(15000); ++i) {
            ops.Remember();
            if (i % n(10) == 0) {
                ops.Offset(2, 1);
            }
            ops.RestoreState();
        }
        file.DebugRecord(0xD4, CfiDataBody(0, 0, 0, ops));
        files.push_back({"cfi_remember_pairs", std::move(file.Close()), ""});
    }
    {
        UbrofBuilder file = CodeHead();
        file.DebugRecord(0xD4, ManyResources(0, n(55000)));
        CfiCommonSpec common = CommonOn(0, 0);
        CfiOps initial;
        // 32 and 64 deep are the depth caps' shape: not divided.
        for (int i = 0; i < 32; ++i) {
            initial.Remember().Undefined(static_cast<uint64_t>(i));
        }
        common.instructions = initial;
        file.DebugRecord(0xD4, CfiCommonBody(common));
        CfiOps ops;
        for (int i = 0; i < 32; ++i) {
            ops.Remember().SameValue(static_cast<uint64_t>(100 + i));
        }
        for (int i = 0; i < 64; ++i) {
            ops.RestoreState();
        }
        for (uint32_t i = 0; i < n(200); ++i) {
            file.DebugRecord(0xD4, CfiDataBody(0, 0, 0, ops));
        }
        files.push_back({"cfi_nested_remembers", std::move(file.Close()), ""});
    }
    {
        // Over the cap of 65,536 resources only at full size.
        const uint32_t resources = n(80000);
        UbrofBuilder file = CodeHead();
        file.DebugRecord(0xD4, ManyResources(0, resources));
        file.DebugRecord(0xD4, CfiCommonBody(CommonOn(0, 0)));
        CfiOps ops;
        for (int i = 0; i < 64; ++i) {
            ops.Remember();
        }
        file.DebugRecord(0xD4, CfiDataBody(0, 0, 0, ops));
        files.push_back(
            {"cfi_too_many_resources", std::move(file.Close()),
             resources > 65536 ? "Too many CFI resources: " + std::to_string(resources) : ""});
    }
    return files;
}

UbrofBuilder ImageFile(const Bytes& image, uint32_t start) {
    UbrofBuilder file;
    file.Version(10).Module("bench").Address(start);
    for (size_t at = 0; at < image.size(); at += 255) {
        const size_t n = std::min<size_t>(255, image.size() - at);
        file.Data(Bytes(image.begin() + static_cast<std::ptrdiff_t>(at),
                        image.begin() + static_cast<std::ptrdiff_t>(at + n)));
    }
    return std::move(file.Close());
}

} // namespace ubrof_test
