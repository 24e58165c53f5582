#include "sim/sim_layout.h"

#include <algorithm>

namespace sim {

int32_t SeriesOfDeviceId(uint32_t id) {
    const int32_t top = static_cast<int32_t>((id >> 12) & 0xF);
    if (top == 0xF) {
        const int32_t next = static_cast<int32_t>((id >> 8) & 0xF);
        return next != 0 ? next : 1;
    }
    return top != 0 ? top : 1;
}

SimLayout LayoutOfDevice(const core::DeviceInfo& row) {
    SimLayout l;
    l.series = SeriesOfDeviceId(row.deviceId & 0xFFFF);
    const int32_t segments = std::clamp(row.kind & 0xF, 1, 4);
    if (l.series == 5) {
        l.infoStart = 0x1800;
        l.infoEnd = 0x19FF;
        l.ramStart = 0x1C00;
        l.ramEnd = 0x1C00 + static_cast<uint32_t>(std::max(row.ramSize, 1)) - 1;
        l.descriptorAddress = 0x1A04;
    } else {
        l.infoStart = 0x1000;
        l.infoEnd = 0x10FF;
        const uint32_t low = static_cast<uint32_t>(std::clamp(row.ramSize, 1, 2048));
        l.ramStart = 0x0200;
        l.ramEnd = 0x0200 + low - 1;
        if (row.ramSize > 2048) {
            l.ram2Start = 0x1100;
            const uint32_t top = static_cast<uint32_t>(row.flashStart) > 0x1100
                                     ? static_cast<uint32_t>(row.flashStart) - 1
                                     : 0x1100;
            l.ram2End = std::min(0x1100 + static_cast<uint32_t>(row.ramSize) - 1, top);
            l.ramMirror = 0x1100;
        }
        l.descriptorAddress = 0x0FF0;
    }
    l.infoSegments = static_cast<uint32_t>(segments);
    l.infoSegmentSize = (l.infoEnd - l.infoStart + 1) / l.infoSegments;
    if (l.series == 2 || l.series == 5 || segments == 4) {
        l.lockedEnd = l.infoEnd;
        l.lockedStart = l.infoEnd - l.infoSegmentSize + 1;
    }
    l.mainStart = static_cast<uint32_t>(std::max(row.flashStart, 0));
    l.mainEnd =
        static_cast<uint32_t>(std::clamp(row.flashEnd, 0, static_cast<int32_t>(kMemorySize - 1)));
    return l;
}

Region SimLayout::RegionOf(uint32_t a) const {
    if (a >= kMemorySize) {
        return Region::Vacant;
    }
    if (a >= mainStart && a <= mainEnd && mainEnd >= mainStart) {
        return Region::Main;
    }
    if (a >= infoStart && a <= infoEnd) {
        return Region::Info;
    }
    if ((a >= ramStart && a <= ramEnd) || (ram2End != 0 && a >= ram2Start && a <= ram2End)) {
        return Region::Ram;
    }
    if (series == 5) {
        // Bootstrap loader flash, and the descriptor and calibration area.
        if ((a >= 0x0FF0 && a <= 0x17FF) || (a >= 0x1A00 && a <= 0x1AFF)) {
            return Region::Rom;
        }
        return a < 0x1000 ? Region::Peripheral : Region::Vacant;
    }
    if (a >= 0x0C00 && a <= 0x0FFF) {
        return Region::Rom;
    }
    return a < 0x0200 ? Region::Peripheral : Region::Vacant;
}

bool SimLayout::SegmentOf(uint32_t address, uint32_t& first, uint32_t& last) const {
    switch (RegionOf(address)) {
    case Region::Info:
        first = infoStart + (address - infoStart) / infoSegmentSize * infoSegmentSize;
        last = first + infoSegmentSize - 1;
        return true;
    case Region::Main:
        first = std::max(address & ~0x1FFu, mainStart);
        last = std::min((address & ~0x1FFu) + 0x1FF, mainEnd);
        return true;
    default:
        return false;
    }
}

} // namespace sim
