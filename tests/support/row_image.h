#pragma once
// A code image for one row of the device list, as a production engineer
// tries a row: bytes at the row's flash start, at the top of the 64 KiB
// window, the reset vector, and past 64 KiB where the row has flash there.
// The TI-TXT text to load and every byte it defines, to compare with what
// the board holds after a run.

#include "core/device_table.h"
#include "sim/sim_library.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct RowImage {
    std::map<uint32_t, uint8_t> bytes; // address -> byte
    std::string tiTxt;
};

inline RowImage RowImageOf(const core::DeviceInfo& row) {
    RowImage image;
    auto put = [&](uint32_t start, uint32_t count, uint8_t seed) {
        char line[16];
        std::snprintf(line, sizeof line, "@%04X\n", static_cast<unsigned>(start));
        image.tiTxt += line;
        for (uint32_t i = 0; i < count; ++i) {
            // Never 0xFF, so an unwritten byte never passes for a written one.
            const uint8_t b = static_cast<uint8_t>((i * 13 + seed) % 0xFF);
            image.bytes[start + i] = b;
            std::snprintf(line, sizeof line, "%02X%s", b, (i % 16 == 15) ? "\n" : " ");
            image.tiTxt += line;
        }
        if (count % 16 != 0) {
            image.tiTxt += "\n";
        }
    };
    const uint32_t flashStart = static_cast<uint32_t>(row.flashStart);
    put(flashStart, 512, 1);
    put(0xFF00, 32, 2);
    put(0xFFFE, 2, 3);
    if (row.flashEnd > 0xFFFF) {
        put(0x10000, 64, 4);
    }
    image.tiTxt += "q\n";
    return image;
}

// What the simulated board holds where the image has bytes: "" when it
// holds every one of them (erased: 0xFF at each, nothing written), else the
// first address that differs, for the failure message.
inline std::string BoardDiffers(const RowImage& image, bool erased = false) {
    for (const auto& [address, byte] : image.bytes) {
        const uint8_t want = erased ? 0xFF : byte;
        if (sim::Sim().Peek(address) != want) {
            char at[48];
            std::snprintf(at, sizeof at, "0x%05X holds 0x%02X, not 0x%02X",
                          static_cast<unsigned>(address), sim::Sim().Peek(address), want);
            return at;
        }
    }
    return "";
}

// A row as the failure messages and kBoardsStartingHigher name it:
// "36 (1481)".
inline std::string RowLabel(int32_t row) {
    std::string n(core::DeviceInfoTable.records[row].name);
    n.erase(n.find_last_not_of(' ') + 1);
    return std::to_string(row) + " (" + n + ")";
}

// The rows whose simulated board identifies as a type of the identification
// tables whose main memory starts higher than the row's flash start: F133
// for 1471..1491, F41x for 415 and 417, FE423 for the two FW rows, F1610
// for 169-M. The image at the row's flash start lies below the memory the
// run programs.
inline const std::vector<std::string> kBoardsStartingHigher = {
    "35 (1471)", "36 (1481)",   "37 (1491)",   "39 (415)",
    "40 (417)",  "62 (415-FW)", "63 (417-FW)", "67 (169-M)"};

} // namespace testsupport
