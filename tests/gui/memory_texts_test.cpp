// The viewer texts over small images: row layout, sections, gap and blank
// lines, code outside the device, and the two comparisons.

#include "core/flash_read.h"
#include "gui/memory_texts.h"
#include "tests/gui/dialogs_fixture.h"

namespace guitest {
namespace {

const std::string kCodeFlashHeader =
    "      :   ============  Data Result Comparation.  =============\r\n"
    "      :   == Only data from the code file that does not match==\r\n"
    "      :   ==    with the Flash Memory data is displayed.     ==\r\n"
    "      :   ==   Extra data from the Flash Memory is ignored.  ==\r\n\r\n"
    "      : First Line  - Data from the Code File.\r\n"
    "      : Second Line - Data from the Flash Memory.\r\n\r\n";
const std::string kNoDifference = "      : ====  No differencies found.  ====\r\n\r\n";

std::vector<uint8_t> Ascending(uint8_t first, int n) {
    std::vector<uint8_t> v;
    for (int i = 0; i < n; ++i) {
        v.push_back(static_cast<uint8_t>(first + i));
    }
    return v;
}

class MemoryTextsTest : public DialogTest {};

TEST_F(MemoryTextsTest, CodeDumps) {
    struct Case {
        const char* what;
        const char* device;
        std::function<void()> fill;
        int32_t skipBlank;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"F149, code only at 0xFFE0-0xFFFF: header, one gap line, the rows", "149",
         [] { PutCode(0xFFE0, Ascending(0x41, 32)); }, 1,
         "\r\n=== Information Memory Segments  0x1000 - 0x10FF ======\r\n\r\n"
         "0x1000:       -------------- g a p ---------------- \r\n\r\n"
         "\r\n========== Main Memory Segments  0x1100 - 0xFFFF ======\r\n\r\n"
         "0x1100:       -------------- g a p ---------------- \r\n\r\n"
         "0xFFE0: 41 42 43 44 45 46 47 48   49 4A 4B 4C 4D 4E 4F 50 | ABCDEFGHIJKLMNOP\r\n"
         "0xFFF0: 51 52 53 54 55 56 57 58   59 5A 5B 5C 5D 5E 5F 60 | QRSTUVWXYZ[\\]^_`\r\n"},
        {"a half row: '..' and '.' where nothing is defined, unprintable bytes as '.'", "149",
         [] {
             PutCode(0x2000, {0x00, 0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF, 0x61});
         },
         1,
         "\r\n=== Information Memory Segments  0x1000 - 0x10FF ======\r\n\r\n"
         "0x1000:       -------------- g a p ---------------- \r\n\r\n"
         "\r\n========== Main Memory Segments  0x1100 - 0xFFFF ======\r\n\r\n"
         "0x1100:       -------------- g a p ---------------- \r\n\r\n"
         "0x2000: 00 1F 20 7E 7F 80 FF 61   .. .. .. .. .. .. .. .. | .. ~\x7F..a........\r\n"
         "0x2010:       -------------- g a p ---------------- \r\n\r\n"},
        {"F5438: rows across 0x10000 take five digits, every extended block its header", "5438",
         [] {
             PutCode(0xFFFE, {0x12, 0x34});
             PutCode(0x10000, {0x56});
         },
         1,
         "\r\n=== Information Memory Segments  0x1800 - 0x19FF ======\r\n\r\n"
         "0x1800:       -------------- g a p ---------------- \r\n\r\n"
         "\r\n========== Main Memory Segments  0x5C00 - 0x45BFF ======\r\n\r\n"
         "0x5C00:       -------------- g a p ---------------- \r\n\r\n"
         "0xFFF0: .. .. .. .. .. .. .. ..   .. .. .. .. .. .. 12 34 | ...............4\r\n"
         "\r\n===== Extended Main Memory Block #1  (0x10000-0x1FFFF) =====\r\n\r\n"
         "0x10000: 56 .. .. .. .. .. .. ..   .. .. .. .. .. .. .. .. | V...............\r\n"
         "0x10010:       -------------- g a p ---------------- \r\n\r\n"
         "\r\n===== Extended Main Memory Block #2  (0x20000-0x2FFFF) =====\r\n\r\n"
         "0x20000:       -------------- g a p ---------------- \r\n\r\n"
         "\r\n===== Extended Main Memory Block #3  (0x30000-0x3FFFF) =====\r\n\r\n"
         "0x30000:       -------------- g a p ---------------- \r\n\r\n"
         "\r\n===== Extended Main Memory Block #4  (0x40000-0x45BFF) =====\r\n\r\n"
         "0x40000:       -------------- g a p ---------------- \r\n\r\n"},
        {"code outside the device: one notice, then its rows", "149",
         [] {
             PutCode(0x1000, {0xAA});
             PutCode(0x20008, {0xBB});
             PutCode(0x45BF0, {0xCC});
         },
         1,
         "\r\n=== Information Memory Segments  0x1000 - 0x10FF ======\r\n\r\n"
         "0x1000: AA .. .. .. .. .. .. ..   .. .. .. .. .. .. .. .. | ................\r\n"
         "0x1010:       -------------- g a p ---------------- \r\n\r\n"
         "\r\n========== Main Memory Segments  0x1100 - 0xFFFF ======\r\n\r\n"
         "0x1100:       -------------- g a p ---------------- \r\n\r\n"
         "\r\n!!!!! Data out of the Flash Memory Space - Ignored !!!!!\r\n\r\n"
         "0x20000: .. .. .. .. .. .. .. ..   BB .. .. .. .. .. .. .. | ................\r\n"
         "0x45BF0: CC .. .. .. .. .. .. ..   .. .. .. .. .. .. .. .. | ................\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core::CodeImageClear();
        Select(c.device);
        c.fill();
        EXPECT_EQ(gui::CodeDumpText(c.skipBlank), c.text);
    }
}

TEST_F(MemoryTextsTest, WithoutSkipBlankEveryRowOfTheDevicePrints) {
    Select("149");
    PutCode(0xFFE0, {0x01});
    const std::string text = gui::CodeDumpText(0);
    EXPECT_EQ(text.find("g a p"), std::string::npos);
    // 16 information rows and 0xEF0 main rows, each 78 characters, and the two headers.
    EXPECT_EQ(text.size(),
              (16u + 0xEF0u) * 78u +
                  std::string("\r\n=== Information Memory Segments  0x1000 - 0x10FF ======"
                              "\r\n\r\n\r\n========== Main Memory Segments  0x1100 - "
                              "0xFFFF ======\r\n\r\n")
                      .size());
    EXPECT_NE(
        text.find("0x10F0: .. .. .. .. .. .. .. ..   .. .. .. .. .. .. .. .. | ................\r\n"
                  "\r\n========== Main"),
        std::string::npos);
}

// The flash view walks the identified device's map (here an F149 while an
// F5438 is selected), only rows with a ReadMask word, all-0xFF rows as blank.
TEST_F(MemoryTextsTest, FlashDumpOfAReadBack) {
    Select("5438");
    Connect("149");
    sim::Sim().PokeRange(0x1010, {0x31, 0x32});
    sim::Sim().PokeRange(0x2000, Ascending(0x61, 16));
    sim::Sim().PokeRange(0xFFFE, {0x00, 0x11});
    MaskRead(0x1000, 0x20); // a blank row, then one with data
    MaskRead(0x2002, 2);    // one word selects the whole row
    MaskRead(0xFFE0, 0x20); // not adjacent to 0x2000
    ASSERT_EQ(core::TargetReadRange(0x1000, 0x20), 1);
    ASSERT_EQ(core::TargetReadRange(0x2000, 0x10), 1);
    ASSERT_EQ(core::TargetReadRange(0xFFE0, 0x20), 1);
    EXPECT_EQ(gui::FlashDumpText(1),
              "\r\n=== Information Memory Segments  0x1000 - 0x10FF ======\r\n\r\n"
              "0x1000:       ------- b l a n k ----(all 0xFF)------- \r\n\r\n"
              "0x1010: 31 32 FF FF FF FF FF FF   FF FF FF FF FF FF FF FF | 12..............\r\n"
              "\r\n========== Main Memory Segments  0x1100 - 0xFFFF ======\r\n\r\n"
              "0x2000: 61 62 63 64 65 66 67 68   69 6A 6B 6C 6D 6E 6F 70 | abcdefghijklmnop\r\n"
              "\r\n"
              "0xFFE0:       ------- b l a n k ----(all 0xFF)------- \r\n\r\n"
              "0xFFF0: FF FF FF FF FF FF FF FF   FF FF FF FF FF FF 00 11 | ................\r\n");
    // Without skipping, blank rows print as rows.
    EXPECT_NE(gui::FlashDumpText(0).find(
                  "0x1000: FF FF FF FF FF FF FF FF   FF FF FF FF FF FF FF FF | ................\r\n"
                  "0x1010: 31 32"),
              std::string::npos);
}

TEST_F(MemoryTextsTest, CodeAgainstFlash) {
    struct Case {
        const char* what;
        std::function<void()> fill;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"identical code and flash",
         [] {
             PutCode(0x5C00, {0x01, 0x02});
             core::Images.ReadImage[core::ImageIndex(0x5C00)] = 0x01;
             core::Images.ReadImage[core::ImageIndex(0x5C01)] = 0x02;
         },
         kNoDifference},
        {"code out of the memory, then a difference; flash bytes beyond the code ignored",
         [] {
             PutCode(0x1000, {0x01, 0x02});
             PutCode(0x5C00, {0xAA, 0x41});
             core::Images.ReadImage[core::ImageIndex(0x5C01)] = 0x41; // equal: not shown
             core::Images.ReadImage[core::ImageIndex(0x5C02)] = 0x00; // no code: ignored
         },
         "      :== Data from the Code File Only. ==\r\n"
         "      :== Data out of the Flash Memory Space of the selected MSP430. == \r\n\r\n"
         "0x1000: 01 02 .. .. .. .. .. ..   .. .. .. .. .. .. .. .. | ................\r\n"
         "\r\n\r\n      :== Data from the Code File and from Flash Memory. == \r\n\r\n"
         "      : First Line  - Data from the Code File.\r\n"
         "      : Second Line - Data from Flash Memory.\r\n\r\n"
         "0x5C00: AA .. .. .. .. .. .. ..   .. .. .. .. .. .. .. .. | ................\r\n"
         "0x5C00: FF .. .. .. .. .. .. ..   .. .. .. .. .. .. .. .. | ................\r\n"
         "\r\n"},
        {"a difference above 0x10000", [] { PutCode(0x2345F, {0x4B}); },
         "0x23450: .. .. .. .. .. .. .. ..   .. .. .. .. .. .. .. 4B | ...............K\r\n"
         "0x23450: .. .. .. .. .. .. .. ..   .. .. .. .. .. .. .. FF | ................\r\n"
         "\r\n"},
    };
    Select("5438");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core::CodeImageClear();
        core::ReadImageClear();
        c.fill();
        EXPECT_EQ(gui::CodeFlashCompareText(), kCodeFlashHeader + c.body);
    }
}

TEST_F(MemoryTextsTest, TwoCodeFiles) {
    const std::string header =
        "      :   ========== Code Files Data Result Comparation.  ===========\r\n"
        "      : Only data from code files that does not match is displayed.\r\n"
        "      : First Line  - Data from the Current Code File.\r\n"
        "      : Second Line - Data from the Second Code File.\r\n\r\n";
    PutCode(0x1000, {0x11, 0x22, 0x33});
    Put(core::Images.ProgramImage, 0x1000, {0x11, 0x23});
    Put(core::Images.ProgramImage, 0x1003, {0x44});
    Put(core::Images.ProgramImage, 0x30000, {0x55});
    EXPECT_EQ(
        gui::CodeFilesCompareText(),
        header + "0x1000: .. 22 33 .. .. .. .. ..   .. .. .. .. .. .. .. .. | .\"3.............\r\n"
                 "0x1000: .. 23 .. 44 .. .. .. ..   .. .. .. .. .. .. .. .. | .#.D............\r\n"
                 "\r\n"
                 "0x30000: .. .. .. .. .. .. .. ..   .. .. .. .. .. .. .. .. | ................\r\n"
                 "0x30000: 55 .. .. .. .. .. .. ..   .. .. .. .. .. .. .. .. | U...............\r\n"
                 "\r\n");
    core::ProgramImageClear();
    Put(core::Images.ProgramImage, 0x1000, {0x11, 0x22, 0x33});
    EXPECT_EQ(gui::CodeFilesCompareText(), header + kNoDifference);
}

} // namespace
} // namespace guitest
