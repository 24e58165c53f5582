// Whole code files through CodeFileLoad: formats, end records, bad lines,
// warnings and the report, the stores, binary data and UBROF files.

#include "core/code_file_load.h"
#include "core/code_image.h"
#include "core/code_line_parse.h"
#include "core/code_store.h"
#include "core/passwords.h"
#include "core/segment_table.h"
#include "tests/codeimage/code_fixture.h"
#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_debug_builder.h"
#include "tests/ubrof/ubrof_sample_files.h"

#include <string>
#include <tuple>
#include <vector>

namespace codeimage_test {
namespace {

using namespace core;

struct FileCase {
    const char* what;
    std::string name; // the extension picks the format
    std::string text;
    int32_t result;
    ByteMap stored;
};

class CodeFileLoadTest : public CodeImageTest {
protected:
    void Check(const std::vector<FileCase>& cases) {
        for (const FileCase& c : cases) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(Load(c.name, c.text), c.result);
            EXPECT_EQ(Defined(Images.CodeImage), c.stored);
            EXPECT_EQ(Images.CodeImageHasData, c.stored.empty() ? 0 : 1);
        }
    }
};

TEST_F(CodeFileLoadTest, TiTxtFiles) {
    Check({
        {"without q: loads to the end of the file", "a.txt", "@1000\n01 02\n@1100\n03", 1,
         Merge(BytesAt(0x1000, {1, 2}), BytesAt(0x1100, {3}))},
        {"q ends the file", "a.txt", "@1000\n01\nq\n02\n", 1, BytesAt(0x1000, {1})},
        {"upper case, CR LF, blank lines, comments on their own lines", "A.TXT",
         "@F000\r\n\r\n; two\r\nAA BB\r\n\r\n  ; one\r\nCC\r\nQ\r\n", 1,
         BytesAt(0xF000, {0xAA, 0xBB, 0xCC})},
        // A comment after data bytes would drop the bytes after it and
        // shift every later one.
        {"a comment after data bytes fails the load",
         "a.txt",
         "@1100\n01 02 03 04; 05 06\n07 08\nq\n",
         0,
         {}},
        {"a comment between data bytes fails the load", "a.txt", "@1100\n01 02 ; 03\nq\n", 0, {}},
        {"leading blanks and TABs", "a.txt", "  @2000\n\t01 02\n", 1, BytesAt(0x2000, {1, 2})},
        {"an empty file loads nothing", "a.txt", "", 1, {}},
        {"a bad byte fails the load", "a.txt", "@1000\n01 02\n0x 03\nq\n", 0, {}},
    });
}

TEST_F(CodeFileLoadTest, IntelHexFiles) {
    Check({
        {"data after the end record is not loaded", "a.hex",
         ":01100000559A\n:00000001FF\n:01100100AA44\n", 1, BytesAt(0x1000, {0x55})},
        {"type 02 of 0x1000, then a record at 0x0010", "a.hex",
         ":020000021000EC\n:020010001122BB\n:00000001FF\n", 1, BytesAt(0x10010, {0x11, 0x22})},
        {"type 04 records", "a.hex",
         ":020000040001F9\n:02FFFE00A1B2AE\n:020000040004F6\n:02000000C3D467\n"
         ":020000040000FA\n:01100000559A\n:00000001FF\n",
         1,
         Merge(Merge(BytesAt(0x1FFFE, {0xA1, 0xB2}), BytesAt(0x40000, {0xC3, 0xD4})),
               BytesAt(0x1000, {0x55}))},
        {"lines without ':' are ignored", "a.hex", "junk\n:01100000559A\n:00000001FF\n", 1,
         BytesAt(0x1000, {0x55})},
        {"a bad checksum fails the load", "a.hex", ":01100000559A\n:01100100AA45\n", 0, {}},
        {"a truncated record fails the load", "a.hex", ":01100000559A\n:10100100AA44\n", 0, {}},
        {"upper-case extension", "A.HEX", ":01100000559A\n:00000001FF\n", 1,
         BytesAt(0x1000, {0x55})},
        {"format 6 reads the converted Intel HEX", "a.out", ":01100000559A\n:00000001FF\n", 1,
         BytesAt(0x1000, {0x55})},
    });
}

TEST_F(CodeFileLoadTest, MotorolaFiles) {
    const std::string s1 = "S1051000A1B297\n";
    const std::string s2 = "S206012345C1C20D\n";
    const std::string s3 = "S30700045BFED1D2F8\n";
    Check({
        {"s19", "a.s19", "S006000041424333\n" + s1 + "S9031000EC\n", 1,
         BytesAt(0x1000, {0xA1, 0xB2})},
        {"s28", "a.s28", s2 + "S804000000FB\n", 1, BytesAt(0x12345, {0xC1, 0xC2})},
        {"s37", "a.s37", s3 + "S70500000000FA\n", 1, BytesAt(0x45BFE, {0xD1, 0xD2})},
        {"records after the end record are not loaded", "a.s19", s1 + "S9031000EC\nS1042000AA31\n",
         1, BytesAt(0x1000, {0xA1, 0xB2})},
        {"bad checksum in s1", "a.s19", s1 + "S1042000AA32\n", 0, {}},
        {"bad checksum in s2", "a.s28", s1 + "S206012345C1C20E\n", 0, {}},
        {"bad checksum in s3", "a.s37", s1 + "S30700045BFED1D2F9\n", 0, {}},
        {"s6 fails the load and leaves the store empty",
         "a.s37",
         s1 + s2 + "S604000000FB\n" + s3,
         0,
         {}},
    });
}

TEST_F(CodeFileLoadTest, A43FilesDecideTheRecordFormatLineByLine) {
    Check({
        {"junk lines, then Intel records", "a.a43",
         "header junk line\n; comment\n  more junk 12 34\n:01100000559A\n:00000001FF\n", 1,
         BytesAt(0x1000, {0x55})},
        {"junk lines, then Motorola records", "a.a43", "header\n\nS1051000A1B297\nS9031000EC\n", 1,
         BytesAt(0x1000, {0xA1, 0xB2})},
        {"both kinds in one file", "a.a43", ":01100000559A\nS1042000AA31\nS9030000FC\n", 1,
         Merge(BytesAt(0x1000, {0x55}), BytesAt(0x2000, {0xAA}))},
        {"after an Intel line other lines are ignored", "a.a43",
         ":01100000559A\ntrailer\n:00000001FF\n", 1, BytesAt(0x1000, {0x55})},
        {"after a Motorola line other lines are bad", "a.a43", "S1042000AA31\ntrailer\n", 0, {}},
    });
}

TEST_F(CodeFileLoadTest, DamagedLinesFailTheLoad) {
    // Bytes 0x01 behind one leading blank, so that the cut at 1024
    // characters falls between two of them and the rest would still parse:
    // only the length check can fail such a line.
    const auto tokens = [](size_t length) {
        std::string line = " ";
        while (line.size() < length) {
            line += "01 ";
        }
        return line.substr(0, length);
    };
    ByteMap ones; // the 341 bytes of the 1023-character line
    for (uint32_t i = 0; i < 341; ++i) {
        ones[0x1000 + i] = 1;
    }
    const auto withNul = [](const std::string& before, const std::string& after) {
        return before + std::string(1, '\0') + after;
    };
    Check({
        {"a line longer than the line buffer", "a.txt", "@1000\n" + tokens(1200) + "\n", 0, {}},
        {"a line of exactly 1024 characters", "a.txt", "@1000\n" + tokens(1024) + "\n", 0, {}},
        {"a line of 1023 characters is read whole", "a.txt", "@1000\n" + tokens(1023) + "\n", 1,
         ones},
        {"a NUL inside an Intel line", "a.hex", withNul(":01100000559A", "junk\n"), 0, {}},
        {"a NUL inside a TI-TXT line", "a.txt", withNul("@1000\n01 02", " 03\n"), 0, {}},
    });
}

TEST_F(CodeFileLoadTest, FormatsOutsideTheLoaderFailWithoutLoading) {
    const std::string path = Write("a.bin", ":01100000559A\n");
    platform::File file(path, platform::FileModeRead);
    for (int32_t format : {0, 7, -1}) {
        SCOPED_TRACE(format);
        EXPECT_EQ(CodeFileLoad(0, format, file.get(), path), 0);
        EXPECT_EQ(CodeImageUsedCount(), 0);
    }
    EXPECT_EQ(CodeFileLoad(0, 3, nullptr, path), 0) << "no file";
    // A directory opens but cannot be read: a read error is no end of file.
    std::FILE* directory = std::fopen(dir_.path().c_str(), "rb");
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(CodeFileLoad(0, 3, directory, dir_.path().string()), 0);
    std::fclose(directory);
}

TEST_F(CodeFileLoadTest, FormatFromExtension) {
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"txt", 1}, {"TXT", 1},  {"s19", 2}, {"S28", 2}, {"s37", 2}, {"hex", 3},
        {"HEX", 3}, {"hexa", 3}, {"d43", 4}, {"a43", 5}, {"A43", 5}, {"out", 6},
        {"s18", 0}, {"he", 0},   {"", 0},    {"bin", 0}, {"prj", 0}, {"tx", 0},
    };
    for (const auto& [ext, format] : cases) {
        SCOPED_TRACE(ext);
        CodeLoad.CodeFileFormat = -1;
        EXPECT_EQ(CodeFileFormatFromExt(ext), format);
        EXPECT_EQ(CodeLoad.CodeFileFormat, format);
    }
}

TEST_F(CodeFileLoadTest, BytesOutsideTheWindowAreFlaggedByRangeAndLogged) {
    struct RangeCase {
        uint32_t address;
        int32_t CodeLoadWarningFlags::*flag;
        const char* detected;
    };
    const std::vector<RangeCase> cases = {
        {0x01FF, &CodeLoadWarningFlags::dataOutsideFlash,
         "  - data outside of the FLASH space\r\n"},
        {0x0200, &CodeLoadWarningFlags::dataInRam,
         "  - data in the RAM space (warning only - can be ignored)\r\n"},
        {0x0BFF, &CodeLoadWarningFlags::dataInRam,
         "  - data in the RAM space (warning only - can be ignored)\r\n"},
        {0x0C00, &CodeLoadWarningFlags::dataInRom, "  - data in the ROM space\r\n"},
        {0x0FFF, &CodeLoadWarningFlags::dataInRom, "  - data in the ROM space\r\n"},
        {0x45C00, &CodeLoadWarningFlags::dataInRam,
         "  - data in the RAM space (warning only - can be ignored)\r\n"},
    };
    for (const RangeCase& c : cases) {
        char text[64];
        std::snprintf(text, sizeof text, "@%X\n5A\n", c.address);
        SCOPED_TRACE(text);
        EXPECT_EQ(Load("range.txt", text), 1);
        EXPECT_EQ(CodeImageUsedCount(), 0);
        EXPECT_EQ(Images.CodeImageHasData, 0);
        CodeLoadWarningFlags expected{};
        expected.*c.flag = 1;
        const CodeLoadWarningFlags& w = CodeLoad.CodeLoadWarnings;
        EXPECT_EQ(w.dataInRom, expected.dataInRom);
        EXPECT_EQ(w.dataInRam, expected.dataInRam);
        EXPECT_EQ(w.dataOutsideFlash, expected.dataOutsideFlash);
        EXPECT_EQ(w.dataOverwritten, 0);
        char report[96];
        std::snprintf(report, sizeof report,
                      "  Code from the file warnings report\r\nAddr %4.4X: 5A \r\n", c.address);
        EXPECT_EQ(CodeLoad.CodeLoadReport, report);
        std::string warning = "unchanged";
        ASSERT_TRUE(CodeFileWarningText("range.txt", warning));
        EXPECT_EQ(warning, std::string("The Code File \r\nrange.txt\r\n"
                                       "contains data outside of the MSP430Fxx\r\n"
                                       "Microcontroller Flash Memory space\r\n"
                                       "or data that should be verified!!\r\n\r\n"
                                       "Detected: \r\n") +
                               c.detected +
                               "See the report window for details.\r\n"
                               "\r\nPlease Check the Code file, source code or compiler "
                               "setup.\r\n\r\nExcess data will be ignored.\r\n\r\n");
    }
    // 0x1000 and 0x45BFF are inside.
    EXPECT_EQ(Load("edges.txt", "@1000\n01\n@45BFF\n02\n"), 1);
    EXPECT_EQ(Defined(Images.CodeImage), Merge(BytesAt(0x1000, {1}), BytesAt(0x45BFF, {2})));
    std::string warning = "unchanged";
    EXPECT_FALSE(CodeFileWarningText("edges.txt", warning));
    EXPECT_EQ(warning, "unchanged");
    EXPECT_EQ(CodeLoad.CodeLoadReport, "  Code from the file warnings report\r\n");
}

TEST_F(CodeFileLoadTest, ReportStartsANewAddrLineEveryEightBytesAndEveryLine) {
    EXPECT_EQ(Load("low.txt", "@0100\n00 01 02 03 04 05 06 07 08 09\n0A\n@0FFE\n"
                              "AA BB CC\n"),
              1);
    EXPECT_EQ(Defined(Images.CodeImage), BytesAt(0x1000, {0xCC}));
    EXPECT_EQ(CodeLoad.CodeLoadReport, "  Code from the file warnings report"
                                       "\r\nAddr 0100: 00 01 02 03 04 05 06 07 "
                                       "\r\nAddr 0108: 08 09 "
                                       "\r\nAddr 010A: 0A "
                                       "\r\nAddr 0FFE: AA BB \r\n");
    // The next load starts the report and the flags again.
    EXPECT_EQ(Load("ok.txt", "@1000\n01\n"), 1);
    EXPECT_EQ(CodeLoad.CodeLoadReport, "  Code from the file warnings report\r\n");
    EXPECT_EQ(CodeLoad.CodeLoadWarnings.dataInRom, 0);
    EXPECT_EQ(CodeLoad.CodeLoadWarnings.dataOutsideFlash, 0);
}

TEST_F(CodeFileLoadTest, AnAddressDefinedTwiceKeepsTheSecondByte) {
    EXPECT_EQ(Load("twice.txt", "@1000\n11 22\n@1001\n33 44\n@0001\n55\n"), 1);
    EXPECT_EQ(Defined(Images.CodeImage), BytesAt(0x1000, {0x11, 0x33, 0x44}));
    EXPECT_EQ(CodeLoad.CodeLoadWarnings.dataOverwritten, 1);
    EXPECT_EQ(CodeLoad.CodeLoadReport, "  Code from the file warnings report"
                                       "\r\nAddr 1001 overwritten 22 33"
                                       "\r\nAddr 0001: 55 \r\n");
    std::string warning;
    ASSERT_TRUE(CodeFileWarningText("twice.txt", warning));
    EXPECT_NE(warning.find("Detected: \r\n  - data outside of the FLASH space\r\n"
                           "  - data has been overwritten (specified more then one time on the "
                           "same location)\r\nSee the report window"),
              std::string::npos)
        << warning;
}

TEST_F(CodeFileLoadTest, EveryWarningInOneText) {
    EXPECT_EQ(Load("all.hex", ":0101FF0011EE\n:0102000022DB\n:010C000033C0\n:01100000559A\n:"
                              "011000006689\n:020000040004F6\n:015C0000445F\n:00000001FF\n"),
              1);
    EXPECT_EQ(Defined(Images.CodeImage), BytesAt(0x1000, {0x66}));
    std::string warning;
    ASSERT_TRUE(CodeFileWarningText("C:\\code\\all.hex", warning));
    EXPECT_EQ(warning, "The Code File \r\nC:\\code\\all.hex\r\n"
                       "contains data outside of the MSP430Fxx\r\n"
                       "Microcontroller Flash Memory space\r\n"
                       "or data that should be verified!!\r\n\r\n"
                       "Detected: \r\n"
                       "  - data in the ROM space\r\n"
                       "  - data in the RAM space (warning only - can be ignored)\r\n"
                       "  - data outside of the FLASH space\r\n"
                       "  - data has been overwritten (specified more then one time on the same "
                       "location)\r\n"
                       "See the report window for details.\r\n"
                       "\r\nPlease Check the Code file, source code or compiler setup.\r\n\r\n"
                       "Excess data will be ignored.\r\n\r\n");
}

// Each store is cleared by its own load, and a failed load leaves it empty.
TEST_F(CodeFileLoadTest, ABadLineEmptiesTheStoreItWasLoading) {
    const std::string good = Write("good.hex", ":02FFE0001234D9\n:01100000559A\n:00000001FF\n");
    const std::string bad = Write("bad.hex", ":02FFE000567851\n:01100000559B\n");
    for (int32_t target : {0, 1, 2}) {
        SCOPED_TRACE(target);
        ASSERT_EQ(LoadPath(good, 0), 1);
        ASSERT_EQ(LoadPath(good, 1), 1);
        ASSERT_EQ(LoadPath(good, 2), 1);
        const ByteMap image = Merge(BytesAt(0xFFE0, {0x12, 0x34}), BytesAt(0x1000, {0x55}));
        ASSERT_EQ(Defined(Images.CodeImage), image);
        ASSERT_EQ(Defined(Images.ProgramImage), image);
        ASSERT_EQ(Passwords.BslPassword[1], 0x34);

        EXPECT_EQ(LoadPath(bad, target), 0);
        // The code image's store takes the programming image with it.
        EXPECT_EQ(Defined(Images.CodeImage), target == 0 ? ByteMap{} : image);
        EXPECT_EQ(Defined(Images.ProgramImage), target == 1 ? image : ByteMap{});
        EXPECT_EQ(Passwords.BslPassword[0], target == 1 ? -1 : 0x12);
        EXPECT_EQ(Passwords.BslPassword[1], target == 1 ? -1 : 0x34);
        EXPECT_EQ(Images.CodeImageHasData, target == 0 ? 0 : 1);
    }
    // A failed load into the programming image leaves the flag as the code
    // image has it.
    CodeImageClear();
    EXPECT_EQ(LoadPath(bad, 2), 0);
    EXPECT_EQ(Images.CodeImageHasData, 0);
}

// A kept load adds to its store; a failed one puts the store back exactly,
// with the bytes of the bad file's good lines gone again.
TEST_F(CodeFileLoadTest, AKeptLoadAddsAndAFailedOneRestoresTheStore) {
    UseDevice("2619", 0xF26F);
    ASSERT_GT(SegmentTableBuild(), 0);
    const std::string first = Write("first.txt", "@1000\n01\n@FFFE\n00 F0\nq\n");
    const std::string second = Write("second.txt", "@2100\n02\n@FFE0\n33\nq\n");
    // Good lines first (a new segment, a byte over a defined one), then a bad one.
    const std::string bad = Write("bad.txt", "@4000\n44\n@1000\n55\nzz\nq\n");
    for (int32_t target : {0, 1, 2}) {
        SCOPED_TRACE(target);
        CodeImageClear();
        PasswordClear();
        ASSERT_EQ(LoadPath(first, target), 1);
        ASSERT_EQ(LoadPath(second, target | kStoreKeep), 1);
        const ImageBytes& image = target == 2 ? Images.ProgramImage : Images.CodeImage;
        if (target == 1) {
            EXPECT_EQ(Passwords.BslPassword[0], 0x33);
            EXPECT_EQ(Passwords.BslPassword[30], 0x00);
        } else {
            EXPECT_EQ(Defined(image),
                      Merge(Merge(BytesAt(0x1000, {1}), BytesAt(0x2100, {2})),
                            Merge(BytesAt(0xFFE0, {0x33}), BytesAt(0xFFFE, {0x00, 0xF0}))));
        }
        std::vector<uint8_t> fileData;
        for (int32_t k = 0; k < SegmentTable.count; ++k) {
            fileData.push_back(SegmentTable.segments[k].hasFileData);
        }
        const std::vector<uint8_t> data(image.data, image.data + kImageSize);
        const std::vector<uint8_t> used(image.used, image.used + kImageSize);
        std::vector<int32_t> password(Passwords.BslPassword, Passwords.BslPassword + kPasswordSize);

        EXPECT_EQ(LoadPath(bad, target | kStoreKeep), 0);
        EXPECT_EQ(std::vector<uint8_t>(image.data, image.data + kImageSize), data);
        EXPECT_EQ(std::vector<uint8_t>(image.used, image.used + kImageSize), used);
        EXPECT_EQ(
            std::vector<int32_t>(Passwords.BslPassword, Passwords.BslPassword + kPasswordSize),
            password);
        EXPECT_EQ(Images.CodeImageHasData, target == 1 ? 0 : 1);
        for (int32_t k = 0; k < SegmentTable.count; ++k) {
            EXPECT_EQ(SegmentTable.segments[k].hasFileData, fileData[static_cast<size_t>(k)])
                << SegmentTable.segments[k].start;
        }
        // The warnings of the failed file stay for the caller to report.
        EXPECT_EQ(CodeLoad.CodeLoadWarnings.dataOverwritten, target == 1 ? 0 : 1);
    }
}

TEST_F(CodeFileLoadTest, StoredBytesMarkTheirSegment) {
    UseDevice("2619", 0xF26F); // info 0x1000-0x10FF in 4 segments, flash from 0x2100
    ASSERT_GT(SegmentTableBuild(), 0);
    EXPECT_EQ(Load("seg.txt", "@1000\n01\n@10C0\n02\n@2100\n03\n@20FF\n04\n@1FFFF\n05\n@45000\n06"),
              1);
    std::vector<int32_t> marked;
    for (int32_t k = 0; k < SegmentTable.count; ++k) {
        if (SegmentTable.segments[k].hasFileData) {
            marked.push_back(SegmentTable.segments[k].start);
        }
    }
    // 0x20FF lies below the cut segment, 0x45000 beyond the table.
    EXPECT_EQ(marked, (std::vector<int32_t>{0x1000, 0x10C0, 0x2100, 0x1FE00}));
    CodeImageClear();
    for (int32_t k = 0; k < SegmentTable.count; ++k) {
        EXPECT_EQ(SegmentTable.segments[k].hasFileData, 0);
    }
    // The programming image leaves the segments alone.
    EXPECT_EQ(Load("seg.txt", "@1000\n01\n", 2), 1);
    EXPECT_EQ(SegmentTable.segments[0].hasFileData, 0);
}

TEST_F(CodeFileLoadTest, BinaryDataFromAStartAddress) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i) {
        bytes += static_cast<char>(i * 7);
    }
    const std::string path = Write("image.bin", bytes);
    ASSERT_EQ(Load("old.txt", "@2000\n99\n"), 1);
    {
        platform::File file(path, platform::FileModeRead);
        LineReaderReset();
        EXPECT_EQ(CodeImageLoadBinary(0, 0x45800, file.get()), 3000);
    }
    ByteMap expected;
    for (uint32_t i = 0; 0x45800 + i <= 0x45BFF; ++i) {
        expected[0x45800 + i] = static_cast<uint8_t>(i * 7);
    }
    EXPECT_EQ(Defined(Images.CodeImage), expected) << "mode 0 clears the image first";
    EXPECT_EQ(CodeLoad.CodeLoadWarnings.dataInRam, 1) << "the bytes past 0x45BFF";

    // Into the programming image: the code image stays, the flags start again.
    {
        platform::File file(path, platform::FileModeRead);
        LineReaderReset();
        EXPECT_EQ(CodeImageLoadBinary(2, 0x1000, file.get()), 3000);
    }
    EXPECT_EQ(Defined(Images.CodeImage), expected);
    EXPECT_EQ(CodeLoad.CodeLoadWarnings.dataInRam, 0);
    ByteMap program;
    for (uint32_t i = 0; i < 3000; ++i) {
        program[0x1000 + i] = static_cast<uint8_t>(i * 7);
    }
    EXPECT_EQ(Defined(Images.ProgramImage), program);
}

// A UBROF file loads into the code image with the bytes of the TI-TXT text
// its conversion gives, also across runs of empty data records.
TEST_F(CodeFileLoadTest, UbrofFileLoadsLikeItsTiTxtText) {
    ubrof_test::UbrofBuilder file;
    file.Version(10).Module("main").Address(0xF000).Data({1, 2}).DataCount(0).DataCount(0);
    file.DataCount(0).Data({3}).Address(0xFFFE).Data({0x00, 0xF0}).Address(0x10000);
    file.DataCount(40).Close();
    const std::string d43 = file.WriteFile(dir_.File("code.d43"));
    std::string text = "@F000\n01 02 \n\n\n\n\n03 \n\n@FFFE\n00 F0 \n\n@10000\n";
    for (int i = 0; i < 40; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X%c", i, i % 16 == 15 ? '\n' : ' ');
        text += b;
    }
    text += "\n\n";

    ASSERT_EQ(Load("expected.txt", text), 1);
    const ByteMap expected = Defined(Images.CodeImage);
    ASSERT_EQ(expected.size(), 45u);
    EXPECT_EQ(expected.at(0xF002), 3);
    EXPECT_EQ(expected.at(0x10027), 39);

    EXPECT_EQ(LoadPath(d43), 1);
    EXPECT_EQ(Defined(Images.CodeImage), expected);
    EXPECT_EQ(Images.CodeImageHasData, 1);
    EXPECT_EQ(CodeLoad.CodeFileFormat, 4);

    // The same file into the programming image.
    EXPECT_EQ(LoadPath(d43, 2), 1);
    EXPECT_EQ(Defined(Images.ProgramImage), expected);
}

// Every record kind, the debug records included, and the code of the seed
// file: it loads like its TI-TXT text.
TEST_F(CodeFileLoadTest, UbrofFileWithEveryRecordKindLoadsLikeItsTiTxtText) {
    ubrof_test::UbrofBuilder file = ubrof_test::Version10Seed();
    file.Truncate(1); // the end record
    file.Address(0x1100).Data({0xAA, 0x55});
    ubrof_test::AddDebugRecords(file, 9, 9).Data({0x11}).Close();
    const std::string d43 = file.WriteFile(dir_.File("every.d43"));
    std::string text = "@F000\n00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n\n\n";
    text += "@1100\nAA 55 \n\n11 \n\n";
    ASSERT_EQ(Load("expected.txt", text), 1);
    const ByteMap expected = Defined(Images.CodeImage);
    ASSERT_EQ(expected.size(), 19u);

    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadPath(d43), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Defined(Images.CodeImage), expected);
}

// A bad call-frame record fails the load with the reader's message; the
// next load goes on as usual.
TEST_F(CodeFileLoadTest, ABadCallFrameRecordFailsTheLoadWithTheReadersMessage) {
    ubrof_test::UbrofBuilder file;
    file.Version(10).Address(0x2000).Data({1, 2, 3});
    file.DebugRecord(0xD4, ubrof_test::CfiNamesBody(0, {}, {{"PC"}}));
    file.DebugRecord(0xD4, ubrof_test::CfiDataBody(4, 0, 0, {}));
    const std::string d43 = file.WriteFile(dir_.File("badcfi.d43"));
    ASSERT_EQ(Load("old.txt", "@2000\n99\n"), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadPath(d43), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(CodeLoad.CodeLoadFailure, "No Common block defined for id 4");
    EXPECT_EQ(CodeImageUsedCount(), 0);
    EXPECT_EQ(Images.CodeImageHasData, 0);

    ubrof_test::UbrofBuilder good;
    good.Version(10).Address(0x2000).Data({7}).Close();
    EXPECT_EQ(LoadPath(good.WriteFile(dir_.File("good.d43"))), 1);
    EXPECT_EQ(CodeImageUsedCount(), 1);
    EXPECT_EQ(CodeLoad.CodeLoadFailure, "");
}

TEST_F(CodeFileLoadTest, ABrokenUbrofFileFailsTheLoadWithTheReadersMessage) {
    ubrof_test::UbrofBuilder file;
    file.Version(10).Address(0x2000).Data({1, 2, 3, 4}).Truncate(3);
    const std::string d43 = file.WriteFile(dir_.File("broken.d43"));
    ASSERT_EQ(Load("old.txt", "@2000\n99\n"), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadPath(d43), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(CodeLoad.CodeLoadFailure, "Unexpected end of UBROF file");
    EXPECT_EQ(CodeImageUsedCount(), 0);
    EXPECT_EQ(Images.CodeImageHasData, 0);

    const std::string missing = dir_.File("missing.d43");
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadPath(missing), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(CodeLoad.CodeLoadFailure, "Problem opening file: '" + missing + "'");
}

// A 0xFF where a tag belongs ends nothing: the load of a linked file whose
// tail is padded, or that has a second file after it, is refused with the
// reader's reason instead of loading what came before.
TEST_F(CodeFileLoadTest, AUbrofFilePaddedOrJoinedIsRefusedNotLoadedShort) {
    ubrof_test::UbrofBuilder file;
    file.Version(10).Module("main").Address(0xF000).DataCount(40).ValidChecksum();
    file.Address(0xFFFE);
    const size_t tail = file.bytes().size(); // the last data record
    file.Data({0x00, 0xF0}).Close();
    const ubrof_test::Bytes whole = file.bytes();
    ubrof_test::Bytes padded(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(tail));
    padded.resize(whole.size(), 0xFF);
    ubrof_test::Bytes joined = whole;
    joined.insert(joined.end(), whole.begin(), whole.end());
    for (const auto& [what, bytes, failure] :
         {std::tuple{"padded from the last data record on", padded,
                     "UBROF end tag at offset " + std::to_string(tail) +
                         " is not after a checksum record"},
          std::tuple{"two files joined", joined,
                     "UBROF data after the end of the file at offset " +
                         std::to_string(whole.size())}}) {
        SCOPED_TRACE(what);
        ASSERT_EQ(Load("old.txt", "@2000\n99\n"), 1);
        ubrof_test::UbrofBuilder damaged;
        damaged.Raw(bytes);
        EXPECT_EQ(LoadPath(damaged.WriteFile(dir_.File("damaged.d43"))), 0);
        EXPECT_EQ(CodeLoad.CodeLoadFailure, failure);
        EXPECT_EQ(CodeImageUsedCount(), 0);
        EXPECT_EQ(Images.CodeImageHasData, 0);
    }
    ubrof_test::UbrofBuilder good;
    good.Raw(whole);
    EXPECT_EQ(LoadPath(good.WriteFile(dir_.File("whole.d43"))), 1);
    EXPECT_EQ(CodeImageUsedCount(), 42);
}

// A file whose last records are missing has lost code: without its end
// record it is refused and the reason names the cut and the last line; a
// bad line names its own.
TEST_F(CodeFileLoadTest, IntelAndMotorolaFilesWithoutTheirEndRecordAreCutShort) {
    struct Case {
        const char* what;
        std::string name;
        std::string text;
        std::string failure;
    };
    const std::string intel = ":0411000001020304E1\n:0411040005060708CD\n";
    const std::string motorola = "S1061000AABBCCB8\n";
    const auto cut = [](int line) {
        return "The Code File ends after line " + std::to_string(line) +
               " without its end record (cut short)";
    };
    for (const Case& c : std::vector<Case>{
             {"Intel HEX without its end record", "cut.hex", intel, cut(2)},
             {"Intel HEX, empty", "empty.hex", "", "The Code File is empty: it has no end record"},
             {"Intel HEX, blank lines only", "empty.hex", "\r\n\r\n",
              "The Code File is empty: it has no end record"},
             {"Motorola without S9", "cut.s19", motorola, cut(1)},
             {"Motorola, header only", "cut.s28", "S006000041424333\n", cut(1)},
             {"Motorola, a count record of too few", "cut.s19",
              motorola + motorola + "S5030001FB\n", cut(3)},
             {"Motorola, records after the count record", "cut.s19",
              motorola + "S5030001FB\n" + motorola, cut(3)},
             {".a43 without its end record", "cut.a43", intel, cut(2)},
             {".out converted without its end record", "cut.out", intel, cut(2)},
             {"the last line counts blank lines before it", "cut.hex", "\r\n" + intel + "\r\n\r\n",
              cut(3)},
             {"two records on one line", "glued.hex",
              ":0411000001020304E1:0411040005060708CD\n:00000001FF\n",
              "Line 1: text after the record's checksum"},
             {"the end record glued to a data record", "glued.hex",
              ":00000001FF:0420000001020304D2\n:00000001FF\n",
              "Line 1: text after the record's checksum"},
             {"an S1 shorter than its line", "long.s19", "S1051000AABBCCB8\nS9031000EC\n",
              "Line 1: checksum error"},
         }) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Load("old.txt", "@2000\n99\n"), 1);
        EXPECT_EQ(Load(c.name, c.text), 0);
        EXPECT_EQ(CodeLoad.CodeLoadFailure, c.failure);
        EXPECT_EQ(CodeImageUsedCount(), 0);
        EXPECT_EQ(Images.CodeImageHasData, 0);
    }
    // With the end record the same records load; TI-TXT needs no "q".
    EXPECT_EQ(Load("whole.hex", intel + ":00000001FF\n"), 1);
    EXPECT_EQ(CodeImageUsedCount(), 8);
    EXPECT_EQ(CodeLoad.CodeLoadFailure, "");
    EXPECT_EQ(Load("whole.s19", motorola + "S9031000EC \n"), 1);
    // SRecord closes a file without a start address with its count record.
    EXPECT_EQ(Load("counted.s19", "S006000041424333\n" + motorola + "S5030001FB\n"), 1);
    EXPECT_EQ(CodeImageUsedCount(), 3);
    EXPECT_EQ(Load("noq.txt", "@1100\n01 02\n"), 1);
    EXPECT_EQ(CodeLoad.CodeLoadFailure, "");
}

// Every refused text file names the line (as an editor numbers it: blank
// lines and each CR LF, CR or LF count) and what is wrong with it.
TEST_F(CodeFileLoadTest, EveryRefusedTextFileNamesItsLineAndFault) {
    struct Case {
        const char* what;
        std::string name;
        std::string text;
        std::string failure;
    };
    std::string longLine = "@1000\n";
    for (int i = 0; i < 400; ++i) {
        longLine += "01 ";
    }
    const std::string end = ":00000001FF\n";
    for (const Case& c : std::vector<Case>{
             {"TI-TXT, a bad digit", "a.txt", "@1000\n01 02\n\n03 0g\nq\n",
              "Line 4: bad hex digit"},
             {"TI-TXT, a comment after bytes", "a.txt",
              "@1100\r\n01 02 03 04; 05 06\r\n07 08\r\nq\r\n",
              "Line 2: a comment on a line of data bytes"},
             {"TI-TXT, a line over 1024 characters", "a.txt", longLine + "\nq\n",
              "Line 2: line of 1024 characters or more"},
             {"TI-TXT, a bad address", "a.txt", "; start\n@10g0\n01\n",
              "Line 2: bad address (1 to 8 hex digits after '@')"},
             {"TI-TXT, bytes on the address line", "a.txt", "@1000 01\n",
              "Line 1: text after the address"},
             {"TI-TXT, a byte of three digits", "a.txt", "\r\r@1000\r012\r",
              "Line 4: a data byte is not two hex digits"},
             {"TI-TXT, a NUL", "a.txt", std::string("@1000\n01\0 02\n", 13),
              "Line 2: NUL character in the line"},
             {"Intel HEX, a bad checksum", "a.hex",
              ":0410000001020304E2\n:041000000102030400\n" + end, "Line 2: checksum error"},
             {"Intel HEX, a type 04 record of four bytes", "a.hex",
              ":0400000400010203F2\n:01100000559A\n" + end,
              "Line 1: type 04 record length must be 2"},
             {"Intel HEX, a record cut short", "a.hex",
              ":01100000559A\r\n:04100000010203\r\n" + end,
              "Line 2: record shorter than its length field"},
             {"Intel HEX, after a byte-order mark", "a.hex", "\xEF\xBB\xBF:0110000055\n" + end,
              "Line 1: record shorter than its length field"},
             {"Motorola, an S6 record", "a.s19", "S006000041424333\nS604000000FB\nS9031000EC\n",
              "Line 2: unknown record type"},
             {"Motorola, a bad checksum", "a.s28", "\n\nS206012345C1C20E\nS804000000FB\n",
              "Line 3: checksum error"},
             {".a43, a bad Motorola line", "a.a43", "header\nS1042000AA31\ntrailer\n",
              "Line 3: unknown record type"},
         }) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Load("old.txt", "@2000\n99\n"), 1);
        EXPECT_EQ(Load(c.name, c.text), 0);
        EXPECT_EQ(CodeLoad.CodeLoadFailure, c.failure);
        EXPECT_EQ(CodeImageUsedCount(), 0);
    }
}

// An editor's UTF-8 byte-order mark ahead of the first record is passed
// over in every text format; anywhere else it is a bad line as before.
TEST_F(CodeFileLoadTest, AByteOrderMarkAtTheStartIsPassedOver) {
    const std::string bom = "\xEF\xBB\xBF";
    Check({
        {"Intel HEX", "bom.hex", bom + ":01100000559A\n:00000001FF\n", 1, BytesAt(0x1000, {0x55})},
        {"Motorola", "bom.s19", bom + "S1051000A1B297\nS9031000EC\n", 1,
         BytesAt(0x1000, {0xA1, 0xB2})},
        {"TI-TXT", "bom.txt", bom + "@1000\n01\nq\n", 1, BytesAt(0x1000, {1})},
        {".a43", "bom.a43", bom + ":01100000559A\n:00000001FF\n", 1, BytesAt(0x1000, {0x55})},
        {"a mark on a later line", "bom.txt", "@1000\n" + bom + "01\nq\n", 0, {}},
        {"two marks", "bom.txt", bom + bom + "@1000\n01\nq\n", 0, {}},
        {"half a mark", "bom.txt", "\xEF\xBB@1000\n01\nq\n", 0, {}},
    });
}

} // namespace
} // namespace codeimage_test
