// The record writers: the exact text of each format for the cases that
// shape it (address lines, continuation, 64 KiB boundaries, end records).

#include "core/code_line_parse.h"
#include "core/code_writer.h"
#include "tests/writers/writers_fixture.h"

#include <string>

namespace writers_test {
namespace {

using namespace core;

class CodeWriterTest : public WritersTest {
protected:
    static std::string Image(int32_t format) {
        return Output([format](std::FILE* f) { return CodeFileWriteImage(format, f); });
    }
};

TEST_F(CodeWriterTest, OneByteInEachFormat) {
    Put(0x1005, 0xAB);
    EXPECT_EQ(Image(kFormatTiTxt), "@1005\r\nAB  \r\nq\r\n");
    EXPECT_EQ(Image(kFormatMotorola), "S1041005AB3B\r\nS9030000FC\r\n");
    EXPECT_EQ(Image(kFormatIntelHex), ":01100500AB3F\r\n:00000001FF\r\n");
}

TEST_F(CodeWriterTest, ARunAcrossALineBoundaryIsSplitThereAndContinues) {
    for (uint32_t i = 0; i < 20; ++i) {
        Put(0x1008 + i, static_cast<uint8_t>(i));
    }
    EXPECT_EQ(Image(kFormatTiTxt), "@1008\r\n"
                                   "00 01 02 03 04 05 06 07  \r\n"
                                   "08 09 0A 0B 0C 0D 0E 0F 10 11 12 13  \r\n"
                                   "q\r\n");
    EXPECT_EQ(Image(kFormatIntelHex), ":081008000001020304050607C4\r\n"
                                      ":0C10100008090A0B0C0D0E0F1011121332\r\n"
                                      ":00000001FF\r\n");
    EXPECT_EQ(Image(kFormatMotorola), "S10B10080001020304050607C0\r\n"
                                      "S10F101008090A0B0C0D0E0F101112132E\r\n"
                                      "S9030000FC\r\n");
}

TEST_F(CodeWriterTest, AGapStartsANewAddressLine) {
    PutRun(0x1000, {1, 2});
    Put(0x1003, 3);
    EXPECT_EQ(Image(kFormatTiTxt), "@1000\r\n01 02  \r\n@1003\r\n03  \r\nq\r\n");
}

TEST_F(CodeWriterTest, LongRunsRepeatTheAddressEvery0x80Bytes) {
    for (uint32_t a = 0x1000; a < 0x1100; ++a) {
        Put(a, 0x11);
    }
    const std::string text = Image(kFormatTiTxt);
    std::string line16;
    for (int i = 0; i < 16; ++i) {
        line16 += i < 15 ? "11 " : "11  ";
    }
    line16 += "\r\n";
    std::string block;
    for (int i = 0; i < 8; ++i) {
        block += line16;
    }
    EXPECT_EQ(text, "@1000\r\n" + block + "@1080\r\n" + block + "q\r\n");
}

TEST_F(CodeWriterTest, DataAbove64KiBUsesExtendedAddresses) {
    PutRun(0xFFFE, {1, 2});
    Put(0x10000, 0x5A);
    Put(0x20010, 0x77);
    EXPECT_EQ(Image(kFormatIntelHex), ":02FFFE000102FE\r\n"
                                      ":020000040001F9\r\n"
                                      ":010000005AA5\r\n"
                                      ":020000040002F8\r\n"
                                      ":010010007778\r\n"
                                      ":00000001FF\r\n");
    // Motorola switches the whole file to 24-bit records.
    EXPECT_EQ(Image(kFormatMotorola), "S20600FFFE0102F9\r\n"
                                      "S2050100005A9F\r\n"
                                      "S2050200107771\r\n"
                                      "S804000000FB\r\n");
    EXPECT_EQ(Image(kFormatTiTxt), "@FFFE\r\n01 02  \r\n@10000\r\n5A  \r\n@20010\r\n77  \r\nq\r\n");
}

TEST_F(CodeWriterTest, EachFileStartsBelow64KiBAgain) {
    Put(0x10000, 0x5A);
    const std::string once = Image(kFormatIntelHex);
    EXPECT_EQ(Image(kFormatIntelHex), once); // the upper byte does not carry over
    EXPECT_EQ(once, ":020000040001F9\r\n:010000005AA5\r\n:00000001FF\r\n");
}

TEST_F(CodeWriterTest, EmptyImageWritesOnlyTheEndRecord) {
    EXPECT_EQ(Image(kFormatTiTxt), "q\r\n");
    EXPECT_EQ(Image(kFormatMotorola), "S9030000FC\r\n");
    EXPECT_EQ(Image(kFormatIntelHex), ":00000001FF\r\n");
    EXPECT_EQ(Image(kFormatIntelOrMotorola), "q\r\n"); // no record form of its own: TI-TXT
}

TEST_F(CodeWriterTest, RecordsOutsideTheirFormatAreRefused) {
    const uint8_t bytes[252] = {};
    struct Case {
        int32_t flags;
        int32_t count;
        uint32_t address;
    };
    const Case cases[] = {
        {kFormatIntelHex, 0, 0x1000},                        // empty
        {kFormatIntelHex, 252, 0x1000},                      // count byte overflows
        {kFormatMotorola, 2, 0xFFFF},                        // S1 cannot reach 0x10000
        {kFormatMotorola | kWriteWideAddress, 1, 0x1000000}, // beyond 24 bits
        {kFormatTiTxt, 2, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(Output(
                      [&](std::FILE* f) {
                          return CodeFileWriteRecord(c.flags, f, c.count, c.address, 0, bytes);
                      },
                      0),
                  "");
    }
}

TEST_F(CodeWriterTest, BlocksTakeTheirOwnUsedMaps) {
    const uint8_t data[5] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4};
    // Per word, aligned to even addresses: the block starts in the middle of
    // the word 0x2000/0x2001.
    const uint8_t words[3] = {1, 0, 1};
    ImageBlock block;
    block.start = 0x2001;
    block.size = 5;
    block.data = data;
    block.used = words;
    block.usedPerWord = 1;
    EXPECT_EQ(Output([&](std::FILE* f) { return CodeFileWriteBlock(kFormatTiTxt, f, block); }),
              "@2001\r\nA0  \r\n@2004\r\nA3 A4  \r\nq\r\n");
    const uint8_t bytes[5] = {0, 1, 1, 0, 1};
    block.used = bytes;
    block.usedPerWord = 0;
    EXPECT_EQ(Output([&](std::FILE* f) { return CodeFileWriteBlock(kFormatTiTxt, f, block); }),
              "@2002\r\nA1 A2  \r\n@2005\r\nA4  \r\nq\r\n");
    block.used = nullptr;
    EXPECT_EQ(Output([&](std::FILE* f) { return CodeFileWriteBlock(kFormatTiTxt, f, block); }),
              "@2001\r\nA0 A1 A2 A3 A4  \r\nq\r\n");
    block.start = 0xFFFFFE; // runs past 24 bits
    EXPECT_EQ(Output([&](std::FILE* f) { return CodeFileWriteBlock(kFormatTiTxt, f, block); }, 0),
              "");
}

TEST_F(CodeWriterTest, AFailedWriteIsReported) {
    Put(0x1000, 1);
    std::FILE* f = std::fopen("/dev/null", "rb"); // open, but not for writing
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(CodeFileWriteImage(kFormatIntelHex, f), 0);
    std::fclose(f);
}

} // namespace
} // namespace writers_test
