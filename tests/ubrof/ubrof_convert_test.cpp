// Conversion of builder-made UBROF files to TI-TXT text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_debug_builder.h"
#include "tests/ubrof/ubrof_sample_files.h"
#include "tests/ubrof/ubrof_test_util.h"

namespace ubrof_test {
namespace {

struct TextCase {
    std::string name;
    UbrofBuilder file;
    std::string text;
};

// Each file, closed as a linker closes it, converts to exactly its text.
void ExpectConverts(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ConvertResult r = ConvertBytes(UbrofBuilder(c.file).Close().bytes());
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.errors, "");
        EXPECT_EQ(r.text, c.text);
    }
}

TEST(UbrofConvert, FilesWithoutCodeRecordsGiveNoText) {
    ExpectConverts({
        {"the closing checksum record alone", UbrofBuilder(), ""},
        {"version record alone", UbrofBuilder().Version(10), ""},
    });
}

TEST(UbrofConvert, AddressRecordsWriteTheOffsetAlone) {
    ExpectConverts({
        {"five digits", UbrofBuilder().Address(0x12345), "@12345\n"},
        {"padded to four", UbrofBuilder().Address(0x10), "@0010\n"},
        {"zero", UbrofBuilder().Address(0), "@0000\n"},
        {"32 bits", UbrofBuilder().Address(0xFFFFFFFF, 7), "@FFFFFFFF\n"},
        {"segment code not written", UbrofBuilder().Address(0xABCD, 16), "@ABCD\n"},
    });
}

TEST(UbrofConvert, DataRecordsWriteSixteenValuesALineAndAnEmptyLine) {
    const std::string line16 = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n";
    std::string line255;
    for (int i = 0; i < 255; ++i) {
        static const char* hex = "0123456789ABCDEF";
        line255 += hex[i >> 4];
        line255 += hex[i & 15];
        line255 += (i % 16 == 15) ? '\n' : ' ';
    }
    ExpectConverts({
        {"0 bytes", UbrofBuilder().Address(0x1000).DataCount(0), "@1000\n\n"},
        {"3 bytes", UbrofBuilder().Address(0x1000).Data({0xAB, 0x00, 0xFF}),
         "@1000\nAB 00 FF \n\n"},
        {"16 bytes", UbrofBuilder().Address(0x1000).DataCount(16), "@1000\n" + line16 + "\n"},
        {"17 bytes", UbrofBuilder().Address(0x1000).DataCount(17), "@1000\n" + line16 + "10 \n\n"},
        {"255 bytes", UbrofBuilder().Address(0x1000).DataCount(255), "@1000\n" + line255 + "\n\n"},
        {"data before any address", UbrofBuilder().Data({0x12}), "12 \n\n"},
        {"consecutive records continue the run",
         UbrofBuilder().Address(0xF000).Data({1, 2}).DataCount(0).DataCount(0).Data({3}),
         "@F000\n01 02 \n\n\n\n03 \n\n"},
        {"a new address starts a new run",
         UbrofBuilder().Address(0xF000).Data({1}).Address(0xFFFE).Data({0x00, 0xF0}),
         "@F000\n01 \n\n@FFFE\n00 F0 \n\n"},
    });
}

// Every fixed-layout record is read over exactly; its bodies are filled with
// bytes that would look like code records if the reader lost its place.
TEST(UbrofConvert, FixedRecordsAreReadOverWithoutOutput) {
    const auto around = [](UbrofBuilder b) { return b.Address(0x2000).Data({0x5A}); };
    const std::string code = "@2000\n5A \n\n";
    ExpectConverts({
        {"module 0x00", around(UbrofBuilder().Module("main")), code},
        {"module 0x01", around(UbrofBuilder().Module(std::string(255, 'Q'), 0x01)), code},
        {"checksums", around(UbrofBuilder().ValidChecksum().ValidChecksum()), code},
        {"checksum with prefix", around(UbrofBuilder().ValidChecksumWithPrefix()), code},
        {"empty", around(UbrofBuilder().Empty().Empty()), code},
        {"two names", around(UbrofBuilder().TwoNames("Q", std::string(300, 'Q'))), code},
        {"u16 records", around(UbrofBuilder().U16Record(0x4F, 0x3951).U16Record(0x53, 0x5139)),
         code},
        {"byte record", around(UbrofBuilder().ByteRecord(0x39)), code},
        {"u16 and name", around(UbrofBuilder().U16AndName(0x5151, "9Q")), code},
        {"time stamp", around(UbrofBuilder().TimeStamp(59, 59, 23, 31, 12, 124)), code},
        {"odd time stamp", around(UbrofBuilder().TimeStamp(255, 255, 255, 0, 0, 255)), code},
        {"twelve bytes", around(UbrofBuilder().TwelveBytes()), code},
        {"u32 record", around(UbrofBuilder().U32Record(0x39515139)), code},
        {"debug records",
         around(std::move(AddDebugRecords(UbrofBuilder().Version(10), 0x39, 0x51))), code},
    });
}

TEST(UbrofConvert, ChecksumRecordsThatMatchTheirBytesLetTheConversionGoOn) {
    UbrofBuilder file;
    file.Version(9).Address(0x8000).Data({1}).ValidChecksum().Data({2}).ValidChecksumWithPrefix();
    file.Data({3}).ValidChecksum().Data({4}).ValidChecksum();
    ExpectConverts({{"four checksums", file, "@8000\n01 \n\n02 \n\n03 \n\n04 \n\n"}});
}

TEST(UbrofConvert, UndeclaredOneByteTagsCarryNoBody) {
    UbrofBuilder file;
    file.Address(0x3000);
    for (uint8_t tag : {0x02, 0x50, 0xC2, 0xDA, 0xFE}) {
        file.Tag(tag).Data({tag});
    }
    ExpectConverts({{"one-byte tags", file, "@3000\n02 \n\n50 \n\nC2 \n\nDA \n\nFE \n\n"}});
}

TEST(UbrofConvert, DeclaredRecordsAreSkippedAsTheirSkipCodeSays) {
    const std::string code = "@4000\n77 \n\n";
    const auto with = [](uint16_t skip, size_t length) {
        UbrofBuilder b;
        b.Version(10, 1, 2, {{0xBE, static_cast<uint8_t>(skip)}});
        return b.Declared(0xBE, skip, length).Address(0x4000).Data({0x77});
    };
    ExpectConverts({
        {"code 0: empty body", with(0, 0), code},
        {"code 1", with(1, 1), code},
        {"code 127", with(127, 127), code},
        {"code 252: LEB128 length", with(252, 300), code},
        {"code 252: zero length", with(252, 0), code},
        {"code 253: byte length", with(253, 255), code},
        {"code 254: u16 length", with(254, 1000), code},
        {"code 255: u32 length", with(255, 70000), code},
    });
}

TEST(UbrofConvert, EveryDeclarableTagUsesTheSkipTable) {
    UbrofBuilder file;
    file.Version(9, 0, 0,
                 {{0xBE, 1},
                  {0xBF, 2},
                  {0xC0, 3},
                  {0xC1, 4},
                  {0xC3, 5},
                  {0xC6, 6},
                  {0xC9, 7},
                  {0xCD, 8},
                  {0xCE, 9},
                  {0xD0, 10},
                  {0xD3, 11},
                  {0xD7, 12},
                  {0xD8, 13}});
    int length = 1;
    for (uint8_t tag :
         {0xBE, 0xBF, 0xC0, 0xC1, 0xC3, 0xC6, 0xC9, 0xCD, 0xCE, 0xD0, 0xD3, 0xD7, 0xD8}) {
        file.Declared(tag, static_cast<uint16_t>(length), static_cast<size_t>(length));
        ++length;
    }
    file.Address(0x10).Data({0});
    ExpectConverts({{"thirteen tags", file, "@0010\n00 \n\n"}});
}

// Only the tags of the declared row take their length from the skip table; a
// skip code that a version record gives any other tag changes nothing.
TEST(UbrofConvert, SkipCodesOfOtherTagsLeaveTheirLayout) {
    UbrofBuilder file;
    file.Version(10, 0, 0, {{0x39, 5}, {0x51, 0}, {0x02, 3}, {0x49, 253}, {0xD4, 0}});
    file.Address(0x6000)
        .Data({0x11, 0x22})
        .Tag(0x02)
        .Empty()
        .DebugRecord(0xD4, CfiNamesBody(0x39, {}, {}));
    file.Data({0x33});
    ExpectConverts({{"fixed and one-byte tags", file, "@6000\n11 22 \n\n33 \n\n"}});
}

TEST(UbrofConvert, LaterVersionRecordsAddToAndOverwriteTheSkipTable) {
    UbrofBuilder file;
    file.Version(9, 0, 0, {{0xBE, 2}, {0xBF, 3}});
    file.Version(10, 0, 0, {{0xBE, 253}});
    file.Declared(0xBE, 253, 4).Declared(0xBF, 3, 3).Address(0x20).Data({9});
    ExpectConverts({{"two version records", file, "@0020\n09 \n\n"}});
}

// Index values chosen so that reading them with the other width loses the
// place: 0x8081 is not one LEB128 number of two bytes, 5 and 0x4000 take one
// and three bytes as LEB128.
TEST(UbrofConvert, TTypeIndexesFollowTheVersion) {
    const std::string code = "@5000\n01 02 03 \n\n";
    std::vector<TextCase> cases;
    for (const uint8_t sub : {0x0F, 0x13, 0x23, 0x29, 0x2A, 0x2B, 0x31, 0x32, 0x33, 0x34, 0x35}) {
        const std::string tag = " sub tag " + std::to_string(sub);
        const auto then = [](UbrofBuilder b) { return b.Address(0x5000).Data({1, 2, 3}); };
        cases.push_back({"version 9," + tag,
                         then(UbrofBuilder().Version(9).TType(sub, {0x8081, 0x0139, 0xFFFF})),
                         code});
        cases.push_back({"version 10," + tag,
                         then(UbrofBuilder().Version(10).TType(sub, {5, 0x4000, 0xFFFFFFFF, 300})),
                         code});
        cases.push_back(
            {"no version record," + tag, then(UbrofBuilder().TType(sub, {0x8081, 0x3900})), code});
        cases.push_back({"version 10 then 9," + tag,
                         then(UbrofBuilder().Version(10).Version(9).TType(sub, {0x8081})), code});
        cases.push_back({"version 9 then 10," + tag,
                         then(UbrofBuilder().Version(9).Version(10).TType(sub, {0x4000, 5})),
                         code});
    }
    ExpectConverts(cases);
}

TEST(UbrofConvert, SuccessReplacesTheCallersText) {
    const ConvertResult r =
        ConvertBytes(UbrofBuilder().Address(0x1100).Data({0xC3}).Close().bytes());
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.text, "@1100\nC3 \n\n");
}

} // namespace
} // namespace ubrof_test
