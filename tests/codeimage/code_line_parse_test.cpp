// The record parser on single lines of the three formats.

#include "core/code_line_parse.h"
#include "core/code_store.h"
#include "core/passwords.h"
#include "tests/codeimage/code_fixture.h"

#include <string>
#include <vector>

namespace codeimage_test {
namespace {

using namespace core;

struct LineCase {
    const char* what;
    int32_t format;
    std::string line;
    int32_t result;
    ByteMap stored;          // what the code image holds afterwards
    uint32_t addressIn = 0;  // running address before the line
    uint32_t baseIn = 0;     // Intel base before the line
    int64_t addressOut = -1; // -1: not checked
    int64_t baseOut = -1;    // -1: not checked
};

class CodeLineParseTest : public CodeImageTest {
protected:
    // Puts text into the reader's line and parses it into the code image.
    static int32_t Parse(int32_t format, const std::string& text, uint32_t& address, uint32_t& base,
                         int32_t mode = 0) {
        EXPECT_LT(text.size(), sizeof LineReader.line);
        std::memcpy(LineReader.line, text.c_str(), text.size() + 1);
        return CodeFileParseLine(format, mode, address, base);
    }
    static void Check(const std::vector<LineCase>& cases) {
        for (const LineCase& c : cases) {
            SCOPED_TRACE(c.what);
            CodeImageClear();
            uint32_t address = c.addressIn;
            uint32_t base = c.baseIn;
            EXPECT_EQ(Parse(c.format, c.line, address, base), c.result);
            EXPECT_EQ(Defined(Images.CodeImage), c.stored);
            if (c.addressOut >= 0) {
                EXPECT_EQ(address, static_cast<uint32_t>(c.addressOut));
            }
            if (c.baseOut >= 0) {
                EXPECT_EQ(base, static_cast<uint32_t>(c.baseOut));
            }
        }
    }
};

TEST_F(CodeLineParseTest, TiTxtLines) {
    Check({
        {"address line", 1, "@1a2b", 1, {}, 0, 0, 0x1A2B},
        {"address above the window", 1, "@fffffff0", 1, {}, 0, 0, 0xFFFFFFF0},
        {"end record", 1, "q", 2, {}},
        {"bytes at the running address", 1, "01 a2 ff", 1, BytesAt(0x2000, {0x01, 0xA2, 0xFF}),
         0x2000, 0, 0x2003},
        {"separators of every kind", 1, "01,02\t03 = 04 ", 1, BytesAt(0x2000, {1, 2, 3, 4}),
         0x2000},
        // A data line holds bytes only: a comment sign makes it bad (the
        // loader then empties the store of what the line put there).
        {"a comment after the bytes", 1, "01 02 ; 03", -1, BytesAt(0x2000, {1, 2}), 0x2000},
        {"a comment right after a byte", 1, "01 02;03", -1, BytesAt(0x2000, {1, 2}), 0x2000},
        {"a comment after the last byte", 1, "01 02 ;", -1, BytesAt(0x2000, {1, 2}), 0x2000},
        {"a '#' after the bytes", 1, "01 # 02", -1, BytesAt(0x2000, {1}), 0x2000},
        {"an address with a comment", 1, "@1000 ; start", 1, {}, 0, 0, 0x1000},
        // Nothing is lost without a word: bytes on an address line and a
        // token of other than two digits make the line bad.
        {"bytes after the address", 1, "@1000 01 02", -1, {}},
        {"four digits in one token", 1, "0102", -1, {}, 0x2000},
        {"three digits in a later token", 1, "01 123 45", -1, BytesAt(0x2000, {1}), 0x2000},
        {"one digit in the middle", 1, "01 2 03", -1, BytesAt(0x2000, {1}), 0x2000},
        {"a bad byte stops the line", 1, "01 g2 03", -1, BytesAt(0x2000, {1}), 0x2000},
        {"a lone digit at the end", 1, "01 2", -1, BytesAt(0x2000, {1}), 0x2000},
        // An address that is not hex digits would put the bytes at 0.
        {"address of letters", 1, "@xyz", -1, {}, 0x2000, 0, 0x2000},
        {"address with a 0x prefix", 1, "@0x1100", -1, {}, 0x2000, 0, 0x2000},
        {"bare @", 1, "@", -1, {}, 0x2000, 0, 0x2000},
        {"@ and a comment", 1, "@;1000", -1, {}, 0x2000, 0, 0x2000},
        {"hex then a letter", 1, "@10g0", -1, {}, 0x2000, 0, 0x2000},
        {"nine digits", 1, "@123456789", -1, {}, 0x2000, 0, 0x2000},
        {"upper-case digits", 1, "@ABCDEF01", 1, {}, 0, 0, 0xABCDEF01},
    });
}

TEST_F(CodeLineParseTest, IntelHexRecords) {
    Check({
        {"data record", 3, ":0310000001A2FF4B", 1, BytesAt(0x1000, {0x01, 0xA2, 0xFF})},
        {"data record, lower case", 3, ":0310000001a2ff4b", 1, BytesAt(0x1000, {0x01, 0xA2, 0xFF})},
        {"data record plus the base", 3, ":020010001122BB", 1, BytesAt(0x10010, {0x11, 0x22}), 0,
         0x10000},
        {"blanks after the checksum", 3, ":01100000559A \t\r", 1, BytesAt(0x1000, {0x55})},
        // Whatever else follows the checksum would be dropped unread.
        {"text after the checksum", 3, ":01100000559A xyz", -1, {}},
        {"two records on one line", 3, ":0411000001020304E1:0411040005060708CD", -1, {}},
        {"a data record glued to the end record", 3, ":00000001FF:0420000001020304D2", -1, {}},
        {"one more digit after the end record", 3, ":00000001FF0", -1, {}},
        {"end record", 3, ":00000001FF", 2, {}},
        {"end record, lower case", 3, ":00000001ff", 2, {}},
        {"end record with an address field", 3, ":00100001EF", 2, {}},
        {"type 02 sets the base", 3, ":020000021000EC", 1, {}, 0, 0, -1, 0x10000},
        {"type 04 sets the base", 3, ":020000040003F7", 1, {}, 0, 0, -1, 0x30000},
        {"start address records are ignored",
         3,
         ":0400000300001000E9",
         1,
         {},
         0,
         0x20000,
         -1,
         0x20000},
        {"linear start address ignored", 3, ":0400000500001000E7", 1, {}},
        {"a line without ':' is ignored", 3, "0310000001A2FF4B", 1, {}},
        {"bad checksum", 3, ":0310000001A2FF4C", -1, {}},
        {"bad hex digit", 3, ":0310000001A2FG4B", -1, {}},
        {"count larger than the line", 3, ":1010000001A2FF4B", -1, {}},
        {"cut inside the header", 3, ":0310", -1, {}},
        {"only a colon", 3, ":", -1, {}},
        {"a colon and one digit", 3, ":0", -1, {}},
        {"count 255 on a short line", 3, ":FF100000", -1, {}},
        {"type 02 without its value", 3, ":00000002FE", -1, {}},
        {"type 04 with one byte", 3, ":0100000401FA", -1, {}},
        // The base is two bytes: the others of a longer record would be
        // dropped.
        {"type 04 with four bytes", 3, ":0400000400010203F2", -1, {}, 0, 0x20000, -1, 0x20000},
        {"type 02 with four bytes", 3, ":0400000200010203F4", -1, {}, 0, 0x20000, -1, 0x20000},
    });
}

TEST_F(CodeLineParseTest, MotorolaRecords) {
    Check({
        {"s1", 2, "s1061000aabbccb8", 1, BytesAt(0x1000, {0xAA, 0xBB, 0xCC})},
        {"S1 upper case", 2, "S1061000AABBCCB8", 1, BytesAt(0x1000, {0xAA, 0xBB, 0xCC})},
        {"s2", 2, "s206012345aabb2b", 1, BytesAt(0x12345, {0xAA, 0xBB})},
        {"s3", 2, "s30700045bfe112268", 1, BytesAt(0x45BFE, {0x11, 0x22})},
        {"s1 without data", 2, "s1031000ec", 1, {}},
        {"trailing blanks", 2, "s1061000aabbccb8  ", 1, BytesAt(0x1000, {0xAA, 0xBB, 0xCC})},
        {"s0 header skipped unchecked", 2, "s0zz", 1, {}},
        {"s5 count skipped", 2, "s5030001fb", 1, {}},
        {"s7 end", 2, "s70500000000fa", 2, {}},
        {"s8 end", 2, "s804000000fb", 2, {}},
        {"s9 end", 2, "s9031000ec", 2, {}},
        {"s9 end with trailing blanks", 2, "s9031000ec \t", 2, {}},
        // A count shorter than the line leaves bytes that would be dropped.
        {"s1 longer than its count", 2, "s1051000aabbccb8", -1, {}},
        {"text after the checksum", 2, "s1061000aabbccb8 x", -1, {}},
        {"s1 glued to s9", 2, "s1061000aabbccb8s9031000ec", -1, {}},
        {"s9 glued to s1", 2, "s9031000ecs1061000aabbccb8", -1, {}},
        {"s9 with a bad checksum", 2, "s9031000ed", -1, {}},
        {"s9 alone", 2, "s9", -1, {}},
        {"bad checksum s1", 2, "s1061000aabbccb9", -1, {}},
        {"bad checksum s2", 2, "s206012345aabb2c", -1, {}},
        {"bad checksum s3", 2, "s30700045bfe112269", -1, {}},
        {"s4 is unknown", 2, "s4030000fc", -1, {}},
        {"s6 is unknown", 2, "s6030000fc", -1, {}},
        {"not an S-record", 2, "x1061000aabbccb8", -1, {}},
        {"only the type", 2, "s1", -1, {}},
        {"count 2 on s1 (sum right, no room for the checksum)", 2, "s10210ed", -1, {}},
        {"count 4 on s3 (sum right)", 2, "s30400045b9c", -1, {}},
        {"count larger than the line", 2, "s1101000aabbccb8", -1, {}},
        {"bad hex digit", 2, "s1061000aabxccb8", -1, {}},
    });
}

// Each bad line names its fault.
TEST_F(CodeLineParseTest, EveryBadLineNamesItsFault) {
    struct WhyCase {
        int32_t format;
        std::string line;
        std::string why;
    };
    const std::vector<WhyCase> cases = {
        {1, "@xyz", "bad address (1 to 8 hex digits after '@')"},
        {1, "@123456789", "bad address (1 to 8 hex digits after '@')"},
        {1, "@1000 01", "text after the address"},
        {1, "01 0g", "bad hex digit"},
        {1, "01 123", "a data byte is not two hex digits"},
        {1, "01 02; 03", "a comment on a line of data bytes"},
        {3, ":041000000102030400", "checksum error"},
        {3, ":0410000001020304", "record shorter than its length field"},
        {3, ":0410000001020304  ", "record shorter than its length field"},
        {3, ":04100000010203x4E2", "bad hex digit"},
        {3, ":0g", "bad hex digit"},
        {3, ":", "record shorter than its length field"},
        {3, ":0410000001020304E2 x", "text after the record's checksum"},
        {3, ":0400000400010203F2", "type 04 record length must be 2"},
        {3, ":0400000200010203F4", "type 02 record length must be 2"},
        {3, ":0100000401FA", "type 04 record length must be 2"},
        {2, "s4030000fc", "unknown record type"},
        {2, "x1061000aabbccb8", "unknown record type"},
        {2, "s", "unknown record type"},
        {2, "s1", "record shorter than its length field"},
        {2, "s10210ed", "length field too small for the record type"},
        {2, "s1061000aabbccb9", "checksum error"},
        {2, "s1061000aabb", "record shorter than its length field"},
        {2, "s1061000aabxccb8", "bad hex digit"},
        {2, "s9031000ecs1", "text after the record's checksum"},
        {4, "00", "not a code-file line format"},
    };
    for (const WhyCase& c : cases) {
        SCOPED_TRACE(c.line);
        std::memcpy(LineReader.line, c.line.c_str(), c.line.size() + 1);
        uint32_t address = 0x2000;
        uint32_t base = 0;
        const char* why = nullptr;
        EXPECT_EQ(CodeFileParseLine(c.format, 0, address, base, &why), kLineBad);
        ASSERT_NE(why, nullptr);
        EXPECT_EQ(std::string(why), c.why);
    }
}

TEST_F(CodeLineParseTest, UnknownFormatIsABadLine) {
    for (int32_t format : {0, 4, 5, 6, 7, -1}) {
        SCOPED_TRACE(format);
        uint32_t address = 0x1000, base = 0;
        EXPECT_EQ(Parse(format, "00", address, base), -1);
    }
}

// Records that reach past the window keep the bytes inside and report the
// rest; the store mode picks the store.
TEST_F(CodeLineParseTest, StoreModesAndWindowEdges) {
    uint32_t address = 0;
    uint32_t base = 0x40000;
    CodeLoad.CodeLoadReport.clear();
    EXPECT_EQ(Parse(3, ":045BFE0011223344F9", address, base, 2), 1);
    EXPECT_EQ(Defined(Images.CodeImage), ByteMap{});
    EXPECT_EQ(Defined(Images.ProgramImage), BytesAt(0x45BFE, {0x11, 0x22}));
    EXPECT_EQ(CodeLoad.CodeLoadWarnings.dataInRam, 1);
    EXPECT_EQ(CodeLoad.CodeLoadReport, "\r\nAddr 45C00: 33 44 ");

    // The password store takes 0xFFE0..0xFFFF only, without warnings.
    CodeLoad.CodeLoadWarnings = {};
    CodeLoad.CodeLoadReport.clear();
    base = 0;
    EXPECT_EQ(Parse(3, ":04FFDE00AABBCCDD11", address, base, 1), 1);
    EXPECT_EQ(Passwords.BslPassword[0], 0xCC);
    EXPECT_EQ(Passwords.BslPassword[1], 0xDD);
    EXPECT_EQ(Passwords.BslPassword[2], -1);
    EXPECT_EQ(CodeLoad.CodeLoadReport, "");
    EXPECT_EQ(Defined(Images.CodeImage), ByteMap{});

    // Other store modes store nothing and warn about nothing.
    for (int32_t mode : {3, 4, 7}) {
        EXPECT_EQ(Parse(3, ":0310000001A2FF4B", address, base, mode), 1);
        EXPECT_EQ(Parse(3, ":0100000055AA", address, base, mode), 1);
    }
    EXPECT_EQ(Defined(Images.CodeImage), ByteMap{});
    EXPECT_EQ(CodeLoad.CodeLoadReport, "");
    EXPECT_EQ(CodeLoad.CodeLoadWarnings.dataOutsideFlash, 0);
}

} // namespace
} // namespace codeimage_test
