// Code and password files as the host reads them: results, warning bits,
// report lines, and the one flag that says there is code to program.

#include "core/code_image.h"
#include "core/code_store.h"

#include "tests/api/api_fixture.h"
#include "tests/support/device_rows.h"
#include <tuple>

namespace api_test {
namespace {

class CodeFilesTest : public ApiTest {
protected:
    std::string File(const std::string& name, const std::string& text) {
        const std::string path = dir.File(name);
        testsupport::WriteFile(path, text);
        return path;
    }
};

TEST_F(CodeFilesTest, CodeFileResultsAndLines) {
    const std::string good = File("good.txt", "@2000\r\n01 02\r\nq\r\n");
    const std::string ram = File("ram.txt", "@0200\r\n01\r\n@2000\r\n02\r\nq\r\n");
    const std::string bad = File("bad.txt", "@2000\r\nZZ\r\nq\r\n");
    const std::string missing = dir.File("missing.txt");
    struct Case {
        int32_t format;
        std::string path;
        int32_t result;
        int32_t hasCode;
        std::string report;
    };
    const std::string reading = "Reading Code File ........................";
    const std::string notValid = "   This in not a valid Code File\r\n";
    const Case cases[] = {
        {1, good, 1, 1, reading + "...\t done\r\n"},
        {1, ram, 0x21, 1, reading + "...\t done\r\n"},
        {1, bad, 0x200, 0,
         reading + "...\t failed\r\n" + notValid + "   Line 2: bad hex digit\r\n"},
        {0, good, 0x200, 0, notValid},
        {6, good, 0x200, 0, notValid},
        {1, missing, 8, 1, "Code File Open error\r\n " + missing + "\r\n"},
    };
    for (const Case& c : cases) {
        // Each case starts with code loaded, to see what the read does to it.
        ASSERT_EQ(F_Put_Byte_to_Code_Buffer(0x3000, 0x77), 1);
        TakeReport();
        EXPECT_EQ(F_ReadCodeFile(c.format, c.path.c_str()), c.result) << c.path << c.format;
        EXPECT_EQ(core::Images.CodeImageHasData, c.hasCode) << c.path << c.format;
        EXPECT_EQ(TakeReport(), c.report) << c.path << c.format;
    }
    // A host that names no file: the open error's line, and the code stays.
    ASSERT_EQ(F_Put_Byte_to_Code_Buffer(0x3000, 0x77), 1);
    TakeReport();
    EXPECT_EQ(F_ReadCodeFile(1, nullptr), 8);
    EXPECT_EQ(TakeReport(), "Code File Open error\r\n (null)\r\n");
    EXPECT_EQ(core::Images.CodeImageHasData, 1);
}

// A refused file tells why under the verdict: the bad line with its number
// and fault in every text format, the UBROF reader's message, or the cut of
// a file without its end record; nothing goes to stderr.
TEST_F(CodeFilesTest, TheReasonAFileWasRefusedIsInTheReport) {
    // Address 0x1000, one byte, a checksum record that does not match, end.
    const std::string d43 = File("bad.d43", std::string("\x51\x00\x00\x00\x10\x00\x39\x01\xAA"
                                                        "\x3F\x12\x34\xFF",
                                                        13));
    const std::string cut = File("cut.hex", ":021100001234A7\r\n");
    const std::string titxt = File("bad.txt", "@1100\r\n01 02 03 04; 05 06\r\n07 08\r\nq\r\n");
    const std::string intel =
        File("bad.hex", ":0410000001020304E2\r\n\r\n:041000000102030400\r\n:00000001FF\r\n");
    const std::string motorola =
        File("bad.s19", "S1061000AABBCCB8\r\nS6030000FC\r\nS9030000FC\r\n");
    const std::string a43 = File("bad.a43", "header\r\n:0400000400010203F2\r\n:00000001FF\r\n");
    const std::string reading = "Reading Code File ........................";
    const std::string notValid = "   This in not a valid Code File\r\n";
    for (const auto& [format, path, why] :
         {std::tuple{4, d43, std::string("UBROF checksum error at offset 9")},
          std::tuple{3, cut,
                     std::string("The Code File ends after line 1 without its end record "
                                 "(cut short)")},
          std::tuple{1, titxt, std::string("Line 2: a comment on a line of data bytes")},
          std::tuple{3, intel, std::string("Line 3: checksum error")},
          std::tuple{2, motorola, std::string("Line 2: unknown record type")},
          std::tuple{5, a43, std::string("Line 2: type 04 record length must be 2")}}) {
        TakeReport();
        testing::internal::CaptureStderr();
        EXPECT_EQ(F_ReadCodeFile(format, path.c_str()), 0x200) << path;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(core::Images.CodeImageHasData, 0);
        EXPECT_EQ(TakeReport(), reading + "...\t failed\r\n" + notValid + "   " + why + "\r\n");
    }
}

// Code the selected device has no memory for sets 0x40, at both ends of
// its flash; the device is the one selected when the file is read, with no
// procedure run in between.
TEST_F(CodeFilesTest, CodeOutsideTheSelectedDeviceIsWarned) {
    ASSERT_EQ(SelectAndInitialize(), 1);
    struct Case {
        const char* device;
        const char* file; // TI-TXT
        int32_t result;
    };
    const Case cases[] = {
        {"149",
         "@FFF0\r\n"
         "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\r\nq\r\n",
         1},
        {"149",
         "@FFF0\r\n"
         "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11\r\nq\r\n",
         0x41},
        {"149", "@10000\r\n00\r\nq\r\n", 0x41},
        {"149", "@20000\r\n00 01\r\nq\r\n", 0x41},
        {"149", "@1000\r\n00\r\n@1100\r\n01\r\nq\r\n", 1},
        {"2274", "@8000\r\n00\r\n@FFFF\r\n01\r\nq\r\n", 1},
        {"2274", "@7FFF\r\n00\r\nq\r\n", 0x41},
        {"2274", "@10000\r\n00\r\nq\r\n", 0x41},
        {"2274", "@1100\r\n00\r\nq\r\n", 0x41}, // fits the F149, not this one
        {"149", "@7FFF\r\n00\r\nq\r\n", 1},
        {"2274", "@10FF\r\n00\r\nq\r\n", 1},
    };
    for (const Case& c : cases) {
        const int32_t row = testsupport::DeviceRowNamed(c.device);
        ASSERT_EQ(F_SetConfig(1, static_cast<uint32_t>(row)), 1);
        const std::string path = File("code.txt", c.file);
        EXPECT_EQ(F_ReadCodeFile(1, path.c_str()), c.result) << c.device << " " << c.file;
        EXPECT_EQ(core::Images.CodeImageHasData, 1) << c.file;
    }
    // The same in Intel HEX: one byte at 0x10000.
    ASSERT_EQ(F_SetConfig(1, static_cast<uint32_t>(testsupport::DeviceRowNamed("149"))), 1);
    const std::string hex = File("code.hex", ":020000021000EC\r\n:0100000001FE\r\n:00000001FF\r\n");
    EXPECT_EQ(F_ReadCodeFile(3, hex.c_str()), 0x41);
}

TEST_F(CodeFilesTest, AFileWithoutBytesIsNoCode) {
    const std::string empty = File("empty.txt", "q\r\n");
    TakeReport();
    EXPECT_EQ(F_ReadCodeFile(1, empty.c_str()), 1);
    EXPECT_EQ(core::Images.CodeImageHasData, 0);
    // It loaded, and its report says it brought no code.
    EXPECT_EQ(TakeReport(), "Reading Code File ...........................\t done\r\n"
                            "   The Code File holds no code\r\n");
}

TEST_F(CodeFilesTest, PasswordFileResultsAndLines) {
    std::string full = "@FFE2\r\n";
    for (int i = 0; i < 30; ++i) {
        full += "5A ";
    }
    full += "\r\nq\r\n";
    const std::string complete = File("complete.txt", full);
    const std::string partial = File("partial.txt", "@FFE0\r\n01 02 03\r\nq\r\n");
    const std::string bad = File("bad.txt", "@FFE0\r\nXY\r\nq\r\n");
    const std::string missing = dir.File("missing.txt");
    struct Case {
        int32_t format;
        std::string path;
        int32_t result;
        int32_t loaded;
        std::string report;
    };
    const std::string reading = "Reading Password File ...................";
    const Case cases[] = {
        {1, complete, 1, 1, reading + "...\t done\r\n"},
        {1, partial, 0x100, 0, reading + "...\t done\r\n Warning!!  - Password not found \r\n"},
        {1, bad, 0x200, 0, reading + "...\t failed\r\n   Line 2: bad hex digit\r\n"},
        {7, complete, 0x200, 0, "   This in not a valid Code File\r\n"},
        {1, missing, 8, 0, "Password File Open error\r\n " + missing + "\r\n"},
    };
    for (const Case& c : cases) {
        api::LibSettings.PasswordLoaded = 0;
        TakeReport();
        EXPECT_EQ(F_ReadPasswFile(c.format, c.path.c_str()), c.result) << c.path;
        EXPECT_EQ(api::LibSettings.PasswordLoaded, c.loaded) << c.path;
        EXPECT_EQ(TakeReport(), c.report) << c.path;
    }
    EXPECT_EQ(F_Get_Byte_from_Password_Buffer(0xFFE0), -1);
    TakeReport();
    EXPECT_EQ(F_ReadPasswFile(1, nullptr), 8);
    EXPECT_EQ(TakeReport(), "Password File Open error\r\n (null)\r\n");
}

} // namespace
} // namespace api_test
