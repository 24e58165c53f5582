#pragma once
// Memory layouts of the device types: one layout row per distinct memory
// arrangement, and per device type the row it uses.

#include <array>
#include <cstddef>
#include <cstdint>

#include "debugif/device_type_count.h"

namespace debugif {

inline constexpr std::size_t kMemoryLayoutCount = 50;

struct MemoryLayout {
    uint16_t mainStart;
    uint32_t mainEnd;
    uint16_t layoutWord1; // 0x0200 on every row but row 0
    uint16_t infoStart;
    uint16_t infoEnd;
    uint16_t layoutWord2; // 0x80, 0x40 or 0
    uint16_t ramStart;
    uint16_t ramEnd;
    uint16_t ram2Start;
    uint16_t ram2End;
    uint16_t bslStart;
    uint16_t bslEnd;
};

// Indexed by device type: the row of MemoryLayoutTable.
extern const std::array<uint16_t, kDeviceTypeCount> LayoutIndexTable;
extern const std::array<MemoryLayout, kMemoryLayoutCount> MemoryLayoutTable;

} // namespace debugif
