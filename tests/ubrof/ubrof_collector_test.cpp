// What the record loop keeps aside besides the code: module names and the
// debug record bodies, keyed by the current address where they belong.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/ubrof/ubrof_builder.h"
#include "ubrof/collector.h"
#include "ubrof/fatal.h"
#include "ubrof/input_stream.h"
#include "ubrof/record_reader.h"
#include "ubrof/titxt_handler.h"

namespace ubrof_test {
namespace {

struct ReaderRun {
    UbrofCollector collector;
    std::string text;
    TaggedAddress last;
};

void ReadAll(const UbrofBuilder& file, ReaderRun& run) {
    const Bytes& bytes = file.bytes();
    std::istringstream source(std::string(bytes.begin(), bytes.end()));
    UbrofInputStream stream(source.rdbuf());
    UbrofTiTxtHandler handler(run.collector, run.text);
    UbrofRecordReader reader(stream, handler);
    EXPECT_EQ(reader.CurrentAddress(), TaggedAddress(3, 1, 0));
    while (reader.ReadRecord()) {
    }
    run.last = reader.CurrentAddress();
}

TEST(UbrofCollector, KeepsModulesAndDebugBodies) {
    UbrofBuilder file;
    file.Version(10).Module("first").DebugRecord(0xD4, {1, 2, 3});
    file.Address(0x1000, 7).DataCount(16).DebugRecord(0xD4, {4}).DebugRecord(0xD5, {5, 6});
    file.DebugRecord(0xD6, {7}).Module("second", 0x01).DebugRecord(0xD9, {8}).DebugRecord(0xD9, {});
    file.Address(0x1000, 7).DebugRecord(0xD5, {9}).Address(0x20, 16).DataCount(3);
    ReaderRun run;
    ReadAll(file, run);

    const UbrofCollector& c = run.collector;
    EXPECT_EQ(c.ModuleNames(), (std::vector<std::string>{"first", "second"}));
    // An empty entry per module record, one per source-lines record.
    EXPECT_EQ(c.SourceLines(), (std::vector<Bytes>{{}, {7}, {}}));
    EXPECT_EQ(c.ReadOperations(), (std::vector<Bytes>{{8}, {}}));
    // Code 7 is internal kind 2; the data record moved the offset on.
    const std::map<TaggedAddress, Bytes> cfi = {{{3, 1, 0}, {1, 2, 3}}, {{3, 2, 0x1010}, {4}}};
    EXPECT_EQ(c.CallFrameInfo(), cfi);
    // A later record at the same address takes the place of the earlier.
    const std::map<TaggedAddress, Bytes> statements = {{{3, 2, 0x1000}, {9}},
                                                       {{3, 2, 0x1010}, {5, 6}}};
    EXPECT_EQ(c.StatementInfo(), statements);
    // Code 16 is internal kind 4.
    EXPECT_EQ(run.last, TaggedAddress(3, 4, 0x23));
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
    testing::internal::CaptureStderr();
    EXPECT_THROW(reader.ReadRecord(), UbrofFormatError);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unexpected end of UBROF file");
}

} // namespace
} // namespace ubrof_test
