#include "tests/ubrof/ubrof_sample_files.h"

#include <algorithm>

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
    file.U32Record(3).TwelveBytes().Tag(0x02).End();
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

UbrofBuilder ImageFile(const Bytes& image, uint32_t start) {
    UbrofBuilder file;
    file.Version(10).Module("bench").Address(start);
    for (size_t at = 0; at < image.size(); at += 255) {
        const size_t n = std::min<size_t>(255, image.size() - at);
        file.Data(Bytes(image.begin() + static_cast<std::ptrdiff_t>(at),
                        image.begin() + static_cast<std::ptrdiff_t>(at + n)));
    }
    return std::move(file.End());
}

} // namespace ubrof_test
