#pragma once
// Device selection: the device chosen from the table, and the connected
// device that identification finds.

#include <cstdint>
#include <string>

namespace core {

// The device chosen from the table; its row is the setting
// Settings.SelectedProcessorIndex (0 = none, the generic device).
struct SelectedDeviceState {
    std::string name;      // "MSP430F" + row name; "xx" for a hidden row; empty without flash
    char infoLetter = 'A'; // upper case
    int32_t flashStart = 0x1100;
    int32_t flashEnd = 0xFFFF;
    int32_t ramSize = 2048;
    int32_t series = 1;       // 1, 2, 4 or 5
    int32_t infoSegments = 2; // kind & 0xF
    int32_t bFlag = 0;        // kind & 0x10
    int32_t vccHigh = 270;
    int32_t vccLow = 180;

    void Reset() { *this = SelectedDeviceState{}; } // row 0's values
};

extern SelectedDeviceState SelectedDevice;

// The device found on the target. The identification step of the target
// layer fills the flags and the version word; DeviceSelectById the rest.
// Its series is the active memory map's (MemoryMap.active.series).
struct ConnectedDeviceState {
    int32_t TargetIdentified = 0; // 1 after a successful identification
    uint16_t versionWord = 0;     // version from the device descriptor (high byte, low byte)
    std::string name;             // IdentifiedDevice: at most 14 characters
    std::string version;          // "ver. %2.1X.%2.2X"
    uint32_t deviceId = 0;        // as identified
    int32_t mainStart = 0x1100;
    int32_t flashEnd = 0xFFFF; // at most 0x45BFF
    int32_t ramSize = 2048;
    char infoLetter = 'A';
    int32_t infoSegments = 2;
    int32_t bFlag = 0;     // kind & 0x10 of the matching row
    int32_t above64k = 0;  // 1 when flashEnd > 0xFFFF
    int32_t match = 0;     // 1 when the identified row is the selected one
    int32_t earlyF5xx = 0; // series 5 with an early descriptor (set by identification)
    int32_t vccHigh = 270;
    int32_t vccLow = 180;

    // Nothing identified: the defaults of DeviceSelectById.
    void Reset() { *this = ConnectedDeviceState{}; }
};

extern ConnectedDeviceState ConnectedDevice;

inline constexpr int32_t kMaxFlashEnd = 0x45BFF;

// Copies row Settings.SelectedProcessorIndex into SelectedDevice and builds the memory
// map with it as the active device. An index outside the table selects row 0.
void DeviceSelectByIndex();

// Sets the connected-device fields from an identified device ID: from the
// selected row when its ID matches, else from the matching row with the
// lowest flash start. Rebuilds the memory map. Returns 1.
int32_t DeviceSelectById(uint32_t id);

// 1 when the selected row's interface code has 'S' (any case) as its
// second character (Spy-Bi-Wire), else 0.
int32_t DeviceHasSbwInterface();

} // namespace core
