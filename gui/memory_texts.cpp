#include "gui/memory_texts.h"

#include "core/code_image.h"
#include "core/device_select.h"
#include "core/memory_map.h"

#include <algorithm>
#include <cstdio>

namespace gui {

namespace {

constexpr int32_t kRow = 16;

// Appends printf output (the texts are short).
template <typename... Args> void Append(std::string& text, const char* format, Args... args) {
    char buf[160];
    const int n = std::snprintf(buf, sizeof buf, format, args...);
    if (n > 0) {
        text.append(buf, std::min(static_cast<size_t>(n), sizeof buf - 1));
    }
}

// One row: bytes[i] is shown where show[i] is set. Rows from 0x10000 take a
// five-digit address, every later column one place to the right.
void AppendRow(std::string& text, int32_t address, const uint8_t* bytes, const bool* show) {
    static const char kHex[] = "0123456789ABCDEF";
    char line[96];
    int p = std::snprintf(line, sizeof line, address >= 0x10000 ? "0x%5.5X: " : "0x%4.4X: ",
                          static_cast<unsigned>(address));
    for (int i = 0; i < kRow; ++i) {
        if (show[i]) {
            line[p] = kHex[bytes[i] >> 4];
            line[p + 1] = kHex[bytes[i] & 0xF];
        } else {
            line[p] = '.';
            line[p + 1] = '.';
        }
        line[p + 2] = ' ';
        p += 3;
        if (i == 7) {
            line[p] = ' ';
            line[p + 1] = ' ';
            p += 2;
        }
    }
    line[p] = '|';
    line[p + 1] = ' ';
    p += 2;
    for (int i = 0; i < kRow; ++i) {
        line[p++] =
            show[i] && bytes[i] >= 32 && bytes[i] <= 127 ? static_cast<char>(bytes[i]) : '.';
    }
    line[p] = '\r';
    line[p + 1] = '\n';
    text.append(line, static_cast<size_t>(p + 2));
}

// A device's memory as the dumps walk it.
struct DumpMap {
    int32_t infoStart;
    int32_t infoEnd;
    int32_t mainStart;
    int32_t mainEnd;

    bool Inside(int32_t row) const {
        return (row >= infoStart && row <= infoEnd) || (row >= mainStart && row <= mainEnd);
    }
};

DumpMap SelectedMap() {
    return {core::MemoryMap.selected.infoStart, core::MemoryMap.selected.infoEnd,
            core::SelectedDevice.flashStart, core::SelectedDevice.flashEnd};
}

DumpMap IdentifiedMap() {
    return {core::MemoryMap.active.infoStart, core::MemoryMap.active.infoEnd,
            core::ConnectedDevice.mainStart, core::ConnectedDevice.flashEnd};
}

// The section line a row opens, if any; true when one was written.
bool AppendSectionHeader(std::string& text, int32_t row, const DumpMap& map) {
    if (row == map.infoStart) {
        Append(text, "\r\n=== Information Memory Segments  0x%4.4X - 0x%4.4X ======\r\n\r\n",
               map.infoStart, map.infoEnd);
        return true;
    }
    if (row == map.mainStart) {
        Append(text, "\r\n========== Main Memory Segments  0x%4.4X - 0x%4.4X ======\r\n\r\n",
               map.mainStart, map.mainEnd);
        return true;
    }
    if (row % 0x10000 == 0) {
        Append(text, "\r\n===== Extended Main Memory Block #%1.1i  (0x%4.4X-0x%4.4X) =====\r\n\r\n",
               (row >> 16) & 0xF, row, std::min(row + 0xFFFF, map.mainEnd));
        return true;
    }
    return false;
}

const core::ImageBytes& Code() {
    return core::Images.CodeImage;
}

bool RowUsed(const core::ImageBytes& image, int32_t row, bool* show) {
    const int32_t at = core::ImageIndex(row);
    bool any = false;
    for (int i = 0; i < kRow; ++i) {
        show[i] = image.used[at + i] != 0;
        any |= show[i];
    }
    return any;
}

} // namespace

std::string CodeDumpText(int32_t skipBlank) {
    const DumpMap map = SelectedMap();
    std::string text;
    text.reserve(1 << 16);
    bool inGap = false;
    bool outsideHeader = false;
    bool show[kRow];
    for (int32_t row = core::kImageStart; row <= core::kImageEnd; row += kRow) {
        const bool any = RowUsed(Code(), row, show);
        const uint8_t* bytes = &Code().data[core::ImageIndex(row)];
        if (!map.Inside(row)) {
            if (any) {
                if (!outsideHeader) {
                    text += "\r\n!!!!! Data out of the Flash Memory Space - Ignored !!!!!\r\n\r\n";
                    outsideHeader = true;
                }
                AppendRow(text, row, bytes, show);
            }
            inGap = false;
            continue;
        }
        if (AppendSectionHeader(text, row, map)) {
            inGap = false;
        }
        if (any || skipBlank == 0) {
            AppendRow(text, row, bytes, show);
            inGap = false;
        } else if (!inGap) {
            Append(text,
                   row >= 0x10000 ? "0x%5.5X:       -------------- g a p ---------------- \r\n\r\n"
                                  : "0x%4.4X:       -------------- g a p ---------------- \r\n\r\n",
                   row);
            inGap = true;
        }
    }
    return text;
}

std::string FlashDumpText(int32_t skipBlank) {
    const DumpMap map = IdentifiedMap();
    std::string text;
    text.reserve(1 << 16);
    bool inBlank = false;
    int32_t lastRow = -1; // the last row taken, printed or folded into a blank line
    bool show[kRow];
    std::fill(show, show + kRow, true);
    const uint8_t* mask = core::Images.ReadMask;
    for (int32_t row = core::kImageStart; row <= core::kImageEnd; row += kRow) {
        if (!map.Inside(row)) {
            continue;
        }
        if (AppendSectionHeader(text, row, map)) {
            inBlank = false;
            lastRow = -1;
        }
        const int32_t w = core::WordIndex(row);
        if (!std::any_of(mask + w, mask + w + kRow / 2, [](uint8_t m) { return m != 0; })) {
            continue;
        }
        const uint8_t* bytes = &core::Images.ReadImage[core::ImageIndex(row)];
        const bool blank = std::all_of(bytes, bytes + kRow, [](uint8_t b) { return b == 0xFF; });
        const bool follows = lastRow < 0 || row == lastRow + kRow;
        lastRow = row;
        if (!blank || skipBlank == 0) {
            if (!follows) {
                text += "\r\n";
            }
            AppendRow(text, row, bytes, show);
            inBlank = false;
        } else if (!inBlank) {
            if (!follows) {
                text += "\r\n";
            }
            Append(text,
                   row >= 0x10000
                       ? "0x%5.5X:       ------- b l a n k ----(all 0xFF)------- \r\n\r\n"
                       : "0x%4.4X:       ------- b l a n k ----(all 0xFF)------- \r\n\r\n",
                   row);
            inBlank = true;
        }
    }
    return text;
}

namespace {

const char kNoDifference[] = "      : ====  No differencies found.  ====\r\n\r\n";

} // namespace

std::string CodeFlashCompareText() {
    const DumpMap map = SelectedMap();
    std::string text = "      :   ============  Data Result Comparation.  =============\r\n"
                       "      :   == Only data from the code file that does not match==\r\n"
                       "      :   ==    with the Flash Memory data is displayed.     ==\r\n"
                       "      :   ==   Extra data from the Flash Memory is ignored.  ==\r\n\r\n"
                       "      : First Line  - Data from the Code File.\r\n"
                       "      : Second Line - Data from the Flash Memory.\r\n\r\n";
    bool any = false;
    bool outsideOpen = false; // the out-of-memory section was the last one written
    bool outsideHeader = false;
    bool show[kRow];
    for (int32_t row = core::kImageStart; row <= core::kImageEnd; row += kRow) {
        const int32_t at = core::ImageIndex(row);
        const uint8_t* code = &Code().data[at];
        if (!map.Inside(row)) {
            if (RowUsed(Code(), row, show)) {
                if (!outsideHeader) {
                    text +=
                        "      :== Data from the Code File Only. ==\r\n"
                        "      :== Data out of the Flash Memory Space of the selected MSP430. == "
                        "\r\n\r\n";
                    outsideHeader = true;
                }
                AppendRow(text, row, code, show);
                outsideOpen = true;
                any = true;
            }
            continue;
        }
        const uint8_t* flash = &core::Images.ReadImage[at];
        bool differs = false;
        for (int i = 0; i < kRow; ++i) {
            show[i] = Code().used[at + i] != 0 && code[i] != flash[i];
            differs |= show[i];
        }
        if (!differs) {
            continue;
        }
        if (outsideOpen) {
            text += "\r\n\r\n      :== Data from the Code File and from Flash Memory. == \r\n\r\n"
                    "      : First Line  - Data from the Code File.\r\n"
                    "      : Second Line - Data from Flash Memory.\r\n\r\n";
            outsideOpen = false;
        }
        AppendRow(text, row, code, show);
        AppendRow(text, row, flash, show);
        text += "\r\n";
        any = true;
    }
    if (!any) {
        text += kNoDifference;
    }
    return text;
}

std::string CodeFilesCompareText() {
    const core::ImageBytes& first = Code();
    const core::ImageBytes& second = core::Images.ProgramImage;
    std::string text = "      :   ========== Code Files Data Result Comparation.  ===========\r\n"
                       "      : Only data from code files that does not match is displayed.\r\n"
                       "      : First Line  - Data from the Current Code File.\r\n"
                       "      : Second Line - Data from the Second Code File.\r\n\r\n";
    bool any = false;
    bool showFirst[kRow];
    bool showSecond[kRow];
    for (int32_t row = core::kImageStart; row <= core::kImageEnd; row += kRow) {
        const int32_t at = core::ImageIndex(row);
        bool differs = false;
        for (int i = 0; i < kRow; ++i) {
            const bool a = first.used[at + i] != 0;
            const bool b = second.used[at + i] != 0;
            const bool d = a != b || (a && first.data[at + i] != second.data[at + i]);
            showFirst[i] = d && a;
            showSecond[i] = d && b;
            differs |= d;
        }
        if (!differs) {
            continue;
        }
        AppendRow(text, row, &first.data[at], showFirst);
        AppendRow(text, row, &second.data[at], showSecond);
        text += "\r\n";
        any = true;
    }
    if (!any) {
        text += kNoDifference;
    }
    return text;
}

} // namespace gui
