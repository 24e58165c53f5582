#include "core/device_select.h"

#include "core/settings.h"

#include "core/device_table.h"
#include "core/memory_map.h"
#include "platform/ascii.h"

#include <cstdio>
#include <cstring>

namespace core {

SelectedDeviceState SelectedDevice;
ConnectedDeviceState ConnectedDevice;

namespace {

std::string Format(const char* fmt, unsigned a, unsigned b = 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

// The row's text field up to its first blank (or its end), at most max characters.
std::string Trimmed(const char* field, size_t max) {
    size_t n = 0;
    while (n < max && field[n] != '\0' && field[n] != ' ') {
        ++n;
    }
    return std::string(field, n);
}

// One 16-bit key of a row against an identified ID. A key written without
// its leading F (top digit 0) also stands for the ID with that digit; a key
// with any other top digit is a device of its own series and is never
// widened, so that F437 cannot reach the F5437 row through 5437.
bool KeyMatches(uint32_t key, uint32_t id) {
    return id == key || ((key & 0xF000) == 0 && id == (key | 0xF000));
}

// The row's device ID holds one or two 16-bit keys. An upper half of 0 (a
// row with one ID) or 0001 (the mark of a second-ID row) is no key:
// otherwise a blank descriptor's 0 would match every row of the table.
bool IdMatches(uint32_t rowId, uint32_t id) {
    const uint32_t low = rowId & 0xFFFF;
    const uint32_t high = rowId >> 16;
    return KeyMatches(low, id) || (high > 0x0001 && KeyMatches(high, id));
}

void TakeRow(const DeviceInfo& row) {
    ConnectedDeviceState& c = ConnectedDevice;
    c.mainStart = row.flashStart;
    c.ramSize = row.ramSize;
    c.infoLetter = row.infoLetter;
    c.flashEnd = row.flashEnd > kMaxFlashEnd ? kMaxFlashEnd : row.flashEnd;
    c.infoSegments = row.kind & 0xF;
    c.bFlag = row.kind & 0x10;
    c.vccHigh = row.vccHigh;
    c.vccLow = row.vccLow;
    c.above64k = c.flashEnd > 0xFFFF ? 1 : 0;
}

} // namespace

void DeviceSelectByIndex() {
    SelectedDeviceState& s = SelectedDevice;
    int32_t& index = Settings.SelectedProcessorIndex;
    if (!DeviceRowValid(index)) {
        index = 0; // a stale index must not read past the table
    }
    const DeviceInfo& row = DeviceInfoTable.records[index];
    if (row.flashEnd < 1) {
        s.name.clear();
    } else if (std::strncmp(row.name, "xx", 2) == 0) {
        s.name = "xx";
    } else {
        s.name = std::string("MSP430F") + row.name;
    }
    s.infoLetter = platform::AsciiUpper(row.infoLetter);
    s.flashStart = row.flashStart;
    s.flashEnd = row.flashEnd;
    s.ramSize = row.ramSize;
    s.series = DeviceSeriesFromId(index);
    s.infoSegments = row.kind & 0xF;
    s.bFlag = row.kind & 0x10;
    s.vccHigh = row.vccHigh;
    s.vccLow = row.vccLow;
    MemoryMapBuild(0);
}

int32_t DeviceSelectById(uint32_t id) {
    ConnectedDeviceState& c = ConnectedDevice;
    c.match = 1;
    c.mainStart = 0x1100;
    c.ramSize = 2048;
    c.infoLetter = 'A';
    c.flashEnd = 0xFFFF;
    c.above64k = 0;
    c.bFlag = 0;
    c.infoSegments = 2;
    c.vccHigh = 270;
    c.vccLow = 180;
    c.deviceId = id;

    const uint32_t top = (id >> 12) & 0xF;
    int32_t series;
    if (id < 0xC000) {
        c.name = Format("MSP430 F%4.4X", id);
        series = static_cast<int32_t>(top);
    } else {
        c.name = Format("MSP430 %4.4X", id);
        if (top == 0xC || top == 0xF) {
            id |= 0xF000;
        }
        series = static_cast<int32_t>((id >> 8) & 0xF);
    }
    c.name = c.name.substr(0, 14);
    c.version = Format("ver. %2.1X.%2.2X", c.versionWord >> 8, c.versionWord & 0xFFu);

    const int32_t selected =
        DeviceRowValid(Settings.SelectedProcessorIndex) ? Settings.SelectedProcessorIndex : 0;
    if (selected == 0) {
        c.infoLetter = series == 4 ? 'B' : 'A';
    }

    const DeviceInfo& sel = DeviceInfoTable.records[selected];
    if (selected != 0 && IdMatches(sel.deviceId, id)) {
        TakeRow(sel);
        c.name = (std::string("MSP430F") + Trimmed(sel.name, sizeof sel.name)).substr(0, 14);
    } else {
        // Among all matching rows the lowest flash start wins, a later row
        // on a tie; a row starting above 0xFF00 never wins.
        int32_t best = -1;
        int32_t bestStart = 0xFF00;
        for (int32_t r = 1; r < kDeviceInfoTableSize && DeviceInfoTable.records[r].flashStart != 0;
             ++r) {
            const DeviceInfo& row = DeviceInfoTable.records[r];
            if (IdMatches(row.deviceId, id) && row.flashStart <= bestStart) {
                best = r;
                bestStart = row.flashStart;
            }
        }
        if (best > 0) {
            const DeviceInfo& row = DeviceInfoTable.records[best];
            TakeRow(row);
            c.name = Trimmed(row.group, 14);
            if (selected != 0 && sel.deviceId != row.deviceId) {
                c.match = 0;
            }
        } else if (selected != 0) {
            c.match = 0; // no row knows this ID, so it cannot be the selected device
        }
    }

    // The selected instance first, then the active one for the device found.
    MemoryMapBuild(0);
    MemoryMap.active.series = series;
    MemoryMap.active.infoSegments = c.infoSegments;
    MemoryMapBuild(1);
    return 1;
}

int32_t DeviceHasSbwInterface() {
    const int32_t index =
        DeviceRowValid(Settings.SelectedProcessorIndex) ? Settings.SelectedProcessorIndex : 0;
    return platform::AsciiUpper(DeviceInfoTable.records[index].ifCode[1]) == 'S' ? 1 : 0;
}

} // namespace core
