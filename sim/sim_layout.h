#pragma once
// Where things lie in the address space of a simulated MSP430: the regions
// of one device type and its flash segments.

#include "core/device_table.h"

#include <cstdint>

namespace sim {

// Addresses 0 .. 0x45BFF, the largest flash end of the device list.
inline constexpr uint32_t kMemorySize = 0x45C00;

enum class Region : uint8_t {
    Vacant,     // nothing there: reads 0xFF, writes vanish
    Peripheral, // registers: read and written as plain bytes
    Ram,
    Rom,  // bootstrap loader, descriptor and calibration areas: read only
    Info, // information flash
    Main, // main flash
};

struct SimLayout {
    int32_t series = 1; // 1, 2, 4 or 5
    uint32_t infoStart = 0x1000;
    uint32_t infoEnd = 0x10FF;
    uint32_t infoSegments = 2;
    uint32_t infoSegmentSize = 128;
    uint32_t lockedStart = 0; // the locked Info-A segment; both 0 when there is none
    uint32_t lockedEnd = 0;
    uint32_t mainStart = 0x1100;
    uint32_t mainEnd = 0xFFFF;
    uint32_t ramStart = 0x0200;
    uint32_t ramEnd = 0x09FF;
    uint32_t ram2Start = 0; // RAM above the information memory; both 0 when there is none
    uint32_t ram2End = 0;
    // Not 0: the RAM at ramStart..ramEnd is no RAM of its own but the
    // first bytes of the RAM at this address, seen a second time.
    uint32_t ramMirror = 0;
    uint32_t descriptorAddress = 0x0FF0; // 16 identification bytes

    bool operator==(const SimLayout&) const = default;

    Region RegionOf(uint32_t address) const;
    bool InLockedInfoA(uint32_t address) const {
        return lockedEnd != 0 && address >= lockedStart && address <= lockedEnd;
    }
    // The erase segment of a flash address: an information segment, or the
    // 512-byte main segment cut to the main flash. False for any other address.
    bool SegmentOf(uint32_t address, uint32_t& first, uint32_t& last) const;
};

// The series digit of a device ID: its top digit, or for top digit F the
// next one (1 where either is 0).
int32_t SeriesOfDeviceId(uint32_t id);

// The layout of a device-list row. Information memory and its locked Info-A
// segment follow the series and segment count the way the core's memory map
// has them; RAM starts at 0x0200 (0x1C00 on series 5). A part with more
// than 2 KB has its whole RAM at 0x1100 (up to the flash at most), and
// 0x0200-0x09FF shows the first 2 KB of it again.
SimLayout LayoutOfDevice(const core::DeviceInfo& row);

} // namespace sim
