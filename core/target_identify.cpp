#include "core/target_identify.h"

#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/identify_record.h"
#include "core/memory_map.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_result.h"
#include "core/target_state.h"
#include "platform/ascii.h"

#include <array>
#include <cstring>
#include <string>

namespace core {

namespace {

inline constexpr int32_t kIdentifyBufferSize = 100;
inline constexpr int32_t kDescriptorAddress = 0x0FF0;
inline constexpr int32_t kSeries5DescriptorAddress = 0x1A04;
inline constexpr int32_t kSeries5RevisionAddress = 0x1A06;
inline constexpr uint8_t kSeries5DescriptorMark = 0x80;
inline constexpr size_t kIdentifiedNameMax = 14;

// Reads target memory; a failure is mapped (and logged) and gives false.
bool ReadTarget(int32_t address, uint8_t* buffer, int32_t count) {
    return TargetResultMap(
               Debug_Memory(address, reinterpret_cast<char*>(buffer), count, kMemoryRead)) == 1;
}

// The record's name, at most 14 characters, cut at a '/' in positions 8..13
// ("MSP430F12x2/F11x2" gives "MSP430F12x2").
std::string IdentifiedName(const core::IdentifyRecord& record) {
    std::string name(record.Name().substr(0, kIdentifiedNameMax));
    for (size_t i = 8; i < name.size(); ++i) {
        if (name[i] == '/') {
            name.resize(i);
            break;
        }
    }
    return name;
}

// The series digit at position 7 of the name ("MSP430F2274" gives 2), else
// the low four bits of position 8 ("MSP430FG4619" gives 4).
int32_t SeriesOfName(const std::string& name) {
    if (name.size() > 7 && name[7] >= '1' && name[7] <= '8') {
        return name[7] - '0';
    }
    return name.size() > 8 ? (static_cast<unsigned char>(name[8]) & 0xF) : 0;
}

// 1 when no device is selected, or when the identified name from position 3
// on equals "MSP430F" + the selected row's name, case-insensitively, an 'x'
// in the identified name standing for any character.
int32_t MatchesSelection(const std::string& name) {
    const int32_t row = Settings.SelectedProcessorIndex;
    if (row == 0 || !DeviceRowValid(row)) {
        return 1;
    }
    const std::string expected = std::string("MSP430F") + DeviceInfoTable.records[row].name;
    for (size_t i = 3; i < name.size(); ++i) {
        const char c = platform::AsciiUpper(name[i]);
        if (c == 'X') {
            continue;
        }
        if (i >= expected.size() || c != platform::AsciiUpper(expected[i])) {
            return 0;
        }
    }
    return 1;
}

int32_t NotIdentified() {
    ConnectedDevice.TargetIdentified = 0;
    return 0;
}

} // namespace

int32_t TargetIdentify() {
    ConnectedDeviceState& c = ConnectedDevice;
    c.match = 0;
    c.mainStart = 0x1100;
    c.ramSize = 2048;
    Target.IdentifyFuseMarker = 0;
    c.TargetIdentified = 0;
    c.flashEnd = 0xFFFF;
    c.name.clear();
    c.earlyF5xx = 0;

    std::array<char, kIdentifyBufferSize> buffer{};
    const DebugStatus status = Debug_Identify(buffer.data(), kIdentifyBufferSize, 0);
    if (status != kDebugOk) {
        if (status == 8) {
            Target.IdentifyFuseMarker = kFuseBlownMarker;
        }
        TargetResultMap(status);
        return 0;
    }
    c.TargetIdentified = 1;
    Debug_Configure(kConfigureRamPreserve, 0);

    // No device may be chosen from bytes that were not read.
    std::array<uint8_t, kDescriptorSize>& d = Target.descriptor;
    d.fill(0);
    if (!ReadTarget(kDescriptorAddress, d.data(), kDescriptorSize)) {
        return NotIdentified();
    }
    if (d[0] == kSeries5DescriptorMark) {
        d.fill(0);
        if (!ReadTarget(kSeries5DescriptorAddress, d.data(), kDescriptorSize)) {
            return NotIdentified();
        }
    }

    core::IdentifyRecord record;
    std::memcpy(record.MutableBytes().data(), buffer.data(), core::IdentifyRecord::kSize);
    const std::string name = IdentifiedName(record);
    const int32_t series = SeriesOfName(name);

    // Every read comes before anything is taken over, so a target that
    // stops answering halfway leaves no part of a device behind.
    int32_t earlyF5xx = 0;
    if (series == 5) {
        // Unknown silicon revision must not pass as a late one: the block
        // write protects bytes on the early parts.
        uint8_t revision[2] = {0, 0};
        if (!ReadTarget(kSeries5RevisionAddress, revision, 2)) {
            return NotIdentified();
        }
        if (revision[0] == 0 || revision[0] == 1) {
            earlyF5xx = 1;
        }
    }

    c.versionWord = static_cast<uint16_t>(d[10] << 8 | d[11]);
    DeviceSelectById(static_cast<uint32_t>(d[0] << 8 | d[1]));
    c.name = name;
    MemoryMap.active.series = series;

    c.ramSize = static_cast<int32_t>(record.RamEnd()) - 511;
    c.mainStart = record.MainStart();
    const int32_t flashEnd = static_cast<int32_t>(record.MainEnd() & 0xFFFFF);
    c.flashEnd = flashEnd > kMaxFlashEnd ? kMaxFlashEnd : flashEnd;
    c.above64k = c.flashEnd > 0xFFFF ? 1 : 0;
    c.earlyF5xx = earlyF5xx;

    c.match = MatchesSelection(c.name);
    SegmentTableBuild();
    return 1;
}

int32_t TargetIdentifyOk() {
    TargetIdentify();
    return ConnectedDevice.TargetIdentified;
}

int32_t TargetClearIdentified() {
    ConnectedDevice.TargetIdentified = 0;
    return 1;
}

} // namespace core
