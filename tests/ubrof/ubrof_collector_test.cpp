// What the record loop keeps aside besides the code: module names and the
// objects parsed from the debug records, keyed by the current address where
// they belong.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/ubrof/cfi_print.h"
#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_debug_builder.h"
#include "ubrof/cfi_rule_stream.h"
#include "ubrof/collector.h"
#include "ubrof/fatal.h"
#include "ubrof/input_stream.h"
#include "ubrof/record_reader.h"
#include "ubrof/titxt_handler.h"

using namespace ubrof;

namespace ubrof_test {
namespace {

struct ReaderRun {
    UbrofCollector collector;
    std::string text;
    TaggedAddress last;
};

// Reads the records of the file, closed as a linker closes it.
void ReadAll(const UbrofBuilder& file, ReaderRun& run) {
    const Bytes bytes = UbrofBuilder(file).Close().bytes();
    std::istringstream source(std::string(bytes.begin(), bytes.end()));
    UbrofInputStream stream(source.rdbuf());
    UbrofTiTxtHandler handler(run.collector, run.text);
    UbrofRecordReader reader(stream, handler);
    EXPECT_EQ(reader.CurrentAddress(), TaggedAddress(3, 1, 0));
    while (reader.ReadRecord()) {
    }
    run.last = reader.CurrentAddress();
}

// The rows of the data block under the address, replayed into a printing
// sink.
std::vector<std::string> Rows(const UbrofCollector& c, const TaggedAddress& at) {
    const auto it = c.CallFrameInfo().find(at);
    EXPECT_NE(it, c.CallFrameInfo().end());
    if (it == c.CallFrameInfo().end()) {
        return {};
    }
    PrintSink sink;
    CfiRuleReplay(it->second->Rows()).All(sink);
    return sink.calls;
}

// A names block 0 with frame 0 on resource 1 and four resources, and a COMMON
// block 0 over it with the given augmentation, flags, data alignment factor
// and initial instructions.
UbrofBuilder& Blocks(UbrofBuilder& file, const std::string& augmentation, uint64_t flags,
                     int64_t dataAlignment, const Bytes& initial) {
    file.DebugRecord(0xD4, CfiNamesBody(0, {{0, 1, 0, ""}}, {{"PC"}, {"SP"}, {"R2"}, {"R3"}}));
    CfiCommonSpec common;
    common.augmentation = augmentation;
    common.flags = flags;
    common.dataAlignment = dataAlignment;
    common.instructions = initial;
    return file.DebugRecord(0xD4, CfiCommonBody(common));
}

TEST(UbrofCollector, KeepsModulesAndDebugObjects) {
    UbrofBuilder file;
    file.Version(10).Module("first");
    Blocks(file, "IAR 1", 0, 2, {});
    file.DebugRecord(0xD4, CfiDataBody(0, 1, 2, CfiOps().Undefined(1)));
    file.Address(0x1000, 7).DataCount(16).DebugRecord(0xD4,
                                                      CfiDataBody(0, 3, 4, CfiOps().SameValue(2)));
    file.DebugRecord(0xD5, StatementCommonBody({1})).DebugRecord(0xD5, StatementBody(1, 4, {5, 6}));
    file.DebugRecord(0xD6, SourceLinesBody({}, {{"a.c"}}));
    file.Module("second", 0x01).DebugRecord(0xD9, ReadOperationBody(0, {}, 0, {1}));
    file.Address(0x1000, 7).DebugRecord(0xD5, StatementBody(1, 1, {9}));
    file.Address(0x20, 16).DataCount(3);
    ReaderRun run;
    ReadAll(file, run);

    const UbrofCollector& c = run.collector;
    EXPECT_EQ(c.ModuleNames(), (std::vector<std::string>{"first", "second"}));
    // A null entry per module record, one per source-lines record.
    ASSERT_EQ(c.SourceLinesList().size(), 3u);
    EXPECT_FALSE(c.SourceLinesList()[0]);
    ASSERT_TRUE(c.SourceLinesList()[1]);
    EXPECT_EQ(c.SourceLinesList()[1]->files.at(0)->Path(), "a.c");
    EXPECT_FALSE(c.SourceLinesList()[2]);
    EXPECT_EQ(c.ReadOperations().Count(), 1u);
    // Names and COMMON records give no result; code 7 is internal kind 2 and
    // the data record moved the offset on.
    ASSERT_EQ(c.CallFrameInfo().size(), 2u);
    EXPECT_EQ(Rows(c, {3, 1, 0}), (std::vector<std::string>{"undefined r1"}));
    EXPECT_EQ(Rows(c, {3, 2, 0x1010}), (std::vector<std::string>{"same r2"}));
    EXPECT_EQ(c.CallFrameInfo().at({3, 2, 0x1010})->first, 3u);
    // A COMMON record gives no statement; a later statement at the same
    // address takes the place of the earlier.
    ASSERT_EQ(c.StatementInfo().size(), 2u);
    EXPECT_EQ(c.StatementInfo().at({3, 2, 0x1010})->bytes, (Bytes{5, 6}));
    EXPECT_EQ(c.StatementInfo().at({3, 2, 0x1010})->size, 8u); // 4 x P1 2
    EXPECT_EQ(c.StatementInfo().at({3, 2, 0x1000})->bytes, (Bytes{9}));
    // Code 16 is internal kind 4.
    EXPECT_EQ(run.last, TaggedAddress(3, 4, 0x23));
}

TEST(UbrofCollector, DataBlockRowsReplayWithTheirOffsetsAndLocations) {
    UbrofBuilder file;
    Blocks(file.Version(10), "IAR 1", 0, 2, {});
    // n 3 with a data alignment factor of 2: -6 for a saved resource, +6 for
    // a CFA offset.
    file.DebugRecord(
        0xD4,
        CfiDataBody(0, 0, 0, CfiOps().Offset(3, 3).DefCfa(1, 3).Advance(5).FrameOffset(2, 0, 1)));
    file.Address(0x10).DebugRecord(0xD4, CfiDataBody(0, 0, 0, CfiOps().SetLoc(10).SetLoc(16)));
    file.Address(0x20).DebugRecord(0xD4, CfiDataBody(0, 0, 0, CfiOps().OffsetExtended(2, 2)));
    ReaderRun run;
    ReadAll(file, run);
    const UbrofCollector& c = run.collector;
    EXPECT_EQ(Rows(c, {3, 1, 0}), (std::vector<std::string>{"offset r3 f0 -6", "cfa f0 r1 +6",
                                                            "advance 5", "offset r2 f0 -2"}));
    // Advances to 10 and 16 are kept as the distances 10 and 6.
    EXPECT_EQ(c.CallFrameInfo().at({3, 0, 0x10})->Rows().Stream(), (Bytes{0, 10, 0, 6}));
    EXPECT_EQ(Rows(c, {3, 0, 0x10}), (std::vector<std::string>{"advance 10", "advance 16"}));
    // An offset of -4 is kept as the 32-bit pattern 0xFFFFFFFC.
    EXPECT_EQ(c.CallFrameInfo().at({3, 0, 0x20})->Rows().Stream(),
              (Bytes{3, 2, 0, 0xFC, 0xFF, 0xFF, 0xFF, 0x0F}));
    EXPECT_EQ(Rows(c, {3, 0, 0x20}), (std::vector<std::string>{"offset r2 f0 -4"}));
}

TEST(UbrofCollector, ARestoreInADataBlockAppliesTheInitialRule) {
    UbrofBuilder file;
    // Same value for every resource (flags bit 1), then r2 saved at +4.
    Blocks(file.Version(10), "IAR 2", 2, -2, CfiOps().Offset(2, 2).Register(3, 1));
    file.DebugRecord(
        0xD4, CfiDataBody(0, 0, 0, CfiOps().Undefined(2).Restore(2).RestoreExtended(3).Restore(0)));
    // Without "IAR 2" a resource has no initial rule: its restore does nothing.
    file.DebugRecord(0xD4, CfiNamesBody(1, {{0, 1, 0, ""}}, {{"PC"}, {"SP"}}));
    CfiCommonSpec plain;
    plain.id = 1;
    plain.names = 1;
    plain.augmentation = "IAR 1";
    file.DebugRecord(0xD4, CfiCommonBody(plain));
    file.Address(0x40).DebugRecord(0xD4, CfiDataBody(1, 0, 0, CfiOps().Restore(1).SameValue(0)));
    ReaderRun run;
    ReadAll(file, run);
    EXPECT_EQ(
        Rows(run.collector, {3, 1, 0}),
        (std::vector<std::string>{"undefined r2", "offset r2 f0 +4", "register r3 r1", "same r0"}));
    EXPECT_EQ(Rows(run.collector, {3, 0, 0x40}), (std::vector<std::string>{"same r0"}));
    // The data block's rules after its last row start from the initial ones.
    const CfiDataBlock& data = *run.collector.CallFrameInfo().at({3, 1, 0});
    EXPECT_EQ(data.State().Rule(2).kind, 1);
    EXPECT_EQ(data.State().Rule(1).holdsFrameValue, false);
    EXPECT_EQ(data.State().Rule(1).kind, 3);
}

TEST(UbrofCollector, EqualReadOperationsShareOnePoolNode) {
    UbrofBuilder file;
    file.Version(10).DebugRecord(0xD4, CfiNamesBody(4, {}, {{"A"}, {"B"}, {"C"}}));
    file.DebugRecord(0xD9, ReadOperationBody(0x05, 7, 4, {2, 0}));
    file.DebugRecord(0xD9, ReadOperationBody(0x05, 7, 4, {2, 0}));
    file.DebugRecord(0xD9, ReadOperationBody(0x04, {}, 4, {2, 0}));
    // Flags 0x02: no B read, names block 0.
    file.DebugRecord(0xD4, CfiNamesBody(0, {}, {{"Z"}}));
    file.DebugRecord(0xD9, ReadOperationBody(0x16, {}, 0, {0, 0, 0}));
    ReaderRun run;
    ReadAll(file, run);
    const ReadOperationPool& pool = run.collector.ReadOperations();
    EXPECT_EQ(pool.Count(), 4u);
    EXPECT_EQ(pool.DistinctNodes(), 3u);
    ASSERT_NE(pool.Node(0), nullptr);
    EXPECT_EQ(pool.Node(0), pool.Node(1));
    EXPECT_NE(pool.Node(0), pool.Node(2));
    EXPECT_EQ(pool.Node(0)->value, 7u);
    EXPECT_FALSE(pool.Node(2)->value.has_value());
    ASSERT_EQ(pool.Node(0)->entries.size(), 2u);
    EXPECT_EQ(pool.Node(0)->entries[0]->name, "C");
    EXPECT_EQ(pool.Node(3)->entries.size(), 3u);
    EXPECT_EQ(pool.Node(3)->entries[0]->name, "Z");
}

TEST(UbrofRecordReader, OffsetsWrapAtThirtyTwoBits) {
    UbrofBuilder file;
    file.Address(0xFFFFFFFE, 2).DataCount(3);
    ReaderRun run;
    ReadAll(file, run);
    EXPECT_EQ(run.last, TaggedAddress(3, 3, 1));
    EXPECT_EQ(run.text, "@FFFFFFFE\n00 01 02 \n\n");
}

// A buffer that says it is longer than what it gives: a file whose reading
// failed part-way.
class ShortBuffer : public std::stringbuf {
public:
    ShortBuffer(const std::string& text, std::streamoff claimed)
        : std::stringbuf(text), claimed_(claimed) {}

protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir,
                     std::ios_base::openmode which) override {
        if (dir == std::ios_base::end) {
            return pos_type(claimed_ + off);
        }
        return std::stringbuf::seekoff(off, dir, which);
    }

private:
    std::streamoff claimed_;
};

TEST(UbrofRecordReader, AFileThatStopsShortOfItsSizeFails) {
    const Bytes bytes = UbrofBuilder().Address(0x1000).DataCount(2).bytes();
    ShortBuffer below(std::string(bytes.begin(), bytes.end()),
                      static_cast<std::streamoff>(bytes.size() + 10));
    UbrofInputStream stream(&below);
    UbrofCollector collector;
    std::string text;
    UbrofTiTxtHandler handler(collector, text);
    UbrofRecordReader reader(stream, handler);
    EXPECT_TRUE(reader.ReadRecord());
    EXPECT_TRUE(reader.ReadRecord());
    try {
        reader.ReadRecord();
        ADD_FAILURE() << "no error raised";
    } catch (const UbrofFormatError& error) {
        EXPECT_EQ(std::string(error.what()), "Unexpected end of UBROF file");
    }
}

} // namespace
} // namespace ubrof_test
