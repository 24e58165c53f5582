#pragma once
// The device-ID table: identification bytes read from a target select one
// row, whose device type indexes the type tables.

#include <array>
#include <cstddef>
#include <cstdint>

namespace debugif {

// A match key or fuse value that accepts any byte.
inline constexpr uint16_t kDeviceIdAny = 0xFFFF;

// Identification bytes that take part in matching, in key order; the fuse
// value is byte 16, so a usable block has at least 17 bytes.
inline constexpr std::array<std::size_t, 7> kDeviceIdKeyBytes = {0, 1, 2, 3, 8, 9, 13};
inline constexpr std::size_t kDeviceIdFuseByte = 16;
inline constexpr std::size_t kIdentificationBlockSize = 17;

struct DeviceIdRow {
    std::array<uint16_t, 7> keys; // for bytes 0, 1, 2, 3, 8, 9, 13; kDeviceIdAny = any
    uint16_t fuseValue;           // for byte 16; kDeviceIdAny = any
    uint16_t fuseMask;
    uint16_t deviceType; // index into the type tables
    const char* name;
};

inline constexpr uint16_t DeviceIdTableRowCount = 127;

extern const std::array<DeviceIdRow, DeviceIdTableRowCount> DeviceIdTable;

} // namespace debugif
