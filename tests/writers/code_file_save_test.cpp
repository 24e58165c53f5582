// Saving code files: what the save functions write, where the format comes
// from, what they remember, and that a failed save keeps the old file.

#include "core/code_file_filter.h"
#include "core/code_file_names.h"
#include "core/code_file_save.h"
#include "core/code_file_view.h"
#include "core/code_line_parse.h"
#include "core/memory_map.h"
#include "platform/atomic_file.h"
#include "tests/writers/writers_fixture.h"

#include <filesystem>
#include <random>
#include <string>

namespace writers_test {
namespace {

using namespace core;
using testsupport::ReadFile;
using testsupport::WriteFile;

class CodeFileSaveTest : public WritersTest {};

bool FailBeforeRename(const std::string&, const std::string&) {
    return false;
}

TEST_F(CodeFileSaveTest, FormatFollowsTheExtension) {
    Put(0x1005, 0xAB);
    struct Case {
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {"a.txt", "@1005\r\nAB  \r\nq\r\n"},
        {"a.S19", "S1041005AB3B\r\nS9030000FC\r\n"},
        {"a.s28", "S1041005AB3B\r\nS9030000FC\r\n"},
        {"a.s37", "S1041005AB3B\r\nS9030000FC\r\n"},
        {"a.hex", ":01100500AB3F\r\n:00000001FF\r\n"},
        {"a.a43", ":01100500AB3F\r\n:00000001FF\r\n"}, // read back as Intel records
        // Every other extension writes TI-TXT.
        {"a.d43", "@1005\r\nAB  \r\nq\r\n"},
        {"a.bin", "@1005\r\nAB  \r\nq\r\n"},
        {"noext", "@1005\r\nAB  \r\nq\r\n"},
        {"dir.hex/a", "@1005\r\nAB  \r\nq\r\n"}, // a dot in the directory is no extension
    };
    std::filesystem::create_directory(dir_.File("dir.hex"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(CodeFileSaveAs(dir_.File(c.name)), 1);
        EXPECT_EQ(ReadFile(dir_.File(c.name)), c.text);
    }
    EXPECT_TRUE(prompts_.Transcript().empty());
}

TEST_F(CodeFileSaveTest, SaveAsMakesTheFileCurrent) {
    Put(0x1000, 1);
    CodeLoad.CodeFileFormat = kFormatTiTxt;
    const std::string path = dir_.File("new code.hex");
    ASSERT_EQ(CodeFileSaveAs(path), 1);
    EXPECT_EQ(CodeFileNames.CodeFile.FullPath(), path);
    EXPECT_EQ(CodeFileNames.CodeFile.name, "new code.hex");
    EXPECT_EQ(CodeFileNames.CodeFile.extension, "hex");
    EXPECT_EQ(CodeLoad.CodeFileFormat, kFormatIntelHex);

    // An empty path is a cancelled dialog: nothing happens.
    EXPECT_EQ(CodeFileSaveAs(""), 0);
    EXPECT_EQ(CodeFileNames.CodeFile.FullPath(), path);
    EXPECT_TRUE(prompts_.Transcript().empty());
}

TEST_F(CodeFileSaveTest, AFailedSaveKeepsTheOldFileAndSaysSo) {
    const std::string path = dir_.File("keep.txt");
    WriteFile(path, "old contents\r\n");
    CodeFileNames.CodeFile.Set(dir_.File("current.txt"));
    Put(0x1000, 1);
    platform::SetAtomicFileCommitHook(&FailBeforeRename);
    EXPECT_EQ(CodeFileSaveAs(path), 0);
    EXPECT_EQ(ReadFile(path), "old contents\r\n");
    EXPECT_EQ(CodeFileNames.CodeFile.FullPath(), dir_.File("current.txt"));
    ASSERT_EQ(prompts_.Transcript().size(), 1u);
    EXPECT_EQ(prompts_.Transcript()[0].text, "Open File or Write File Error\r\n\r\n" + path);
    EXPECT_EQ(prompts_.Transcript()[0].caption, "Error");
    // Nothing is left behind beside the file.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);

    // A folder that does not exist gives the same box.
    platform::SetAtomicFileCommitHook(nullptr);
    const std::string missing = dir_.File("no/such/dir/x.txt");
    EXPECT_EQ(CodeFileSaveAs(missing), 0);
    ASSERT_EQ(prompts_.Transcript().size(), 2u);
    EXPECT_EQ(prompts_.Transcript()[1].text, "Open File or Write File Error\r\n\r\n" + missing);
}

TEST_F(CodeFileSaveTest, BlockSaveKeepsItsOwnNameAndCanOpenTheViewer) {
    CodeFileNames.CodeFile.Set("/code/main.txt");
    const uint8_t data[4] = {1, 2, 3, 4};
    const std::string path = dir_.File("block.s19");
    ASSERT_EQ(CodeFileSaveBlockAs(path, 0x1200, 4, data, nullptr, 0, 1), 1);
    EXPECT_EQ(ReadFile(path), "S107120001020304DC\r\nS9030000FC\r\n");
    EXPECT_EQ(CodeFileNames.BlockFile.FullPath(), path);
    EXPECT_EQ(CodeFileNames.CodeFile.FullPath(), "/code/main.txt");
    ASSERT_EQ(launcher_.started.size(), 1u);
    EXPECT_EQ(launcher_.started[0].back(), path);

    ASSERT_EQ(CodeFileSaveBlockAs(dir_.File("quiet.txt"), 0x1200, 4, data, nullptr, 0, 0), 1);
    EXPECT_EQ(launcher_.started.size(), 1u);
}

TEST_F(CodeFileSaveTest, MemorySaveTakesTheSelectedDevicesMemoryOnly) {
    Settings.SelectedProcessorIndex = RowNamed("5438");
    DeviceSelectByIndex();
    std::mt19937 rng(5);
    for (uint8_t& b : Images.ReadImage) {
        b = static_cast<uint8_t>(rng());
    }
    ByteMap expected;
    for (int32_t i = 0; i < kImageSize; ++i) {
        if (MemoryRangeCheck(0, kImageStart + i, 1)) {
            expected[static_cast<uint32_t>(kImageStart + i)] = Images.ReadImage[i];
        }
    }
    ASSERT_GT(expected.size(), 0x10000u); // reaches above 64 KiB
    ASSERT_LT(expected.size(), static_cast<size_t>(kImageSize));
    for (const char* name : {"mem.s19", "mem.hex", "mem.txt"}) {
        SCOPED_TRACE(name);
        const std::string path = dir_.File(name);
        ASSERT_EQ(MemorySaveAs(path, Images.ReadImage), 1);
        const std::string text = ReadFile(path);
        // Full 16-byte records: S2 with count 20 (16 + 4), Intel with 0x10.
        if (std::string(name) == "mem.s19") {
            EXPECT_EQ(text.substr(0, 4), "S214");
        }
        if (std::string(name) == "mem.hex") {
            EXPECT_EQ(text.substr(0, 3), ":10");
        }
        ASSERT_EQ(LoadPath(path), 1);
        EXPECT_EQ(Defined(Images.CodeImage), expected);
    }
}

TEST_F(CodeFileSaveTest, ViewsWriteTiTxtOrIntelAndOpenOnRequest) {
    // The read-back image with its per-word read mask.
    Images.ReadImage[ImageIndex(0x1100)] = 0x12;
    Images.ReadImage[ImageIndex(0x1101)] = 0x34;
    Images.ReadMask[WordIndex(0x1100)] = 1;
    const std::string ti = dir_.File("Target_m.txt");
    ASSERT_EQ(CodeFileWriteView(kViewOpen, Images.ReadImage, ti, Images.ReadMask, 1), 1);
    EXPECT_EQ(ReadFile(ti), "@1100\r\n12 34  \r\nq\r\n");
    ASSERT_EQ(launcher_.started.size(), 1u);
    EXPECT_EQ(launcher_.started[0].back(), ti);

    const std::string hex = dir_.File("Target_m.hex");
    ASSERT_EQ(CodeFileWriteView(kViewIntel, Images.ReadImage, hex, Images.ReadMask, 1), 1);
    EXPECT_EQ(ReadFile(hex), ":021100001234A7\r\n:00000001FF\r\n");
    EXPECT_EQ(launcher_.started.size(), 1u); // not opened without the flag

    // The code image, per byte.
    Put(0x1001, 0x55);
    const std::string code = dir_.File("code_mem.txt");
    ASSERT_EQ(CodeFileWriteView(kViewOpen, Images.CodeImage.data, code, Images.CodeImage.used), 1);
    EXPECT_EQ(ReadFile(code), "@1001\r\n55  \r\nq\r\n");
}

TEST_F(CodeFileSaveTest, FiltersListTheCurrentFormatFirst) {
    const std::string e0 = "*.txt, *.s19,*.s28,*.s37, *.hex, *.d43, *.a43, *.out|"
                           "*.txt;*.s19;*.s28;*.s37;*.hex;*.d43;*.a43;*.out|";
    const std::string e1 = "Texas Instruments (*.txt)|*.txt|";
    const std::string e2 = "Motorola  (*.s19, *.s28, *.s37)|*.s19;*.s28;*.s37|";
    const std::string e3 = "Intel  (*.hex)|*.hex|";
    const std::string e4 = "IAR (ubrof 9)  (*.d43)|*.d43|";
    const std::string e5 = "debug Intel/Motorola  (*.a43)|*.a43|";
    const std::string e6 = "TI's CCE (*.out)|*.out|";
    EXPECT_EQ(CodeFileOpenFilter(0), e0 + e1 + e2 + e3 + e4 + e5 + e6 + "|");
    EXPECT_EQ(CodeFileOpenFilter(3), "-->" + e3 + e0 + e1 + e2 + e4 + e5 + e6 + "|");
    EXPECT_EQ(CodeFileOpenFilter(6), "-->" + e6 + e0 + e1 + e2 + e3 + e4 + e5 + "|");
    EXPECT_EQ(CodeFileOpenFilter(9), CodeFileOpenFilter(0));
    EXPECT_EQ(CodeFileSaveFilter(2), e2 + e1 + e3 + "|");
    EXPECT_EQ(CodeFileSaveFilter(3), e3 + e1 + e2 + "|");
    EXPECT_EQ(CodeFileSaveFilter(0), e1 + e2 + e3 + "|");
    EXPECT_EQ(CodeFileSaveFilter(5), e1 + e2 + e3 + "|");
    CodeLoad.CodeFileFormat = 1;
    EXPECT_EQ(CodeFileOpenFilter(), "-->" + e1 + e0 + e2 + e3 + e4 + e5 + e6 + "|");
    EXPECT_EQ(CodeFileSaveFilter(), e1 + e2 + e3 + "|");
}

} // namespace
} // namespace writers_test
