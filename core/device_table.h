#pragma once
// The device table: the records parsed from the built-in device list.

#include <cstdint>

namespace core {

// One MSP430 device type, parsed from a row of DeviceTableText.
struct DeviceInfo {
    char name[9]{};         // the row's name (after "MSP430F"), blank-padded to 8; "xx" when hidden
    int32_t kind = 0;       // information segments 2..4, + 0x10 for a "B" kind
    int32_t flashStart = 0; // main flash start; 0 marks the end of the table
    int32_t flashEnd = 0;   // main flash end (0xFFFF when the row gives none)
    int32_t ramSize = 0;    // RAM bytes
    char infoLetter = 0;    // information segment letter: 'A', 'B', 'D' or '-'
    char ifCode[4]{};       // interface code; 'S' as second character means Spy-Bi-Wire
    int32_t hasTestPin = 0; // 1 for a TEST pin, 0 for TDI
    uint32_t deviceId = 0;  // 4 or 8 hex digits
    uint32_t mask1 = 0;
    uint32_t mask2 = 0;
    int32_t vccLow = 0;  // hundredths of a volt
    int32_t vccHigh = 0; // hundredths of a volt
    char group[17]{};    // family group name, blank-padded to 16
};

inline constexpr int32_t kDeviceTableMaxRows = 249;
// Record 0, up to 249 parsed rows, and the end record after them.
inline constexpr int32_t kDeviceInfoTableSize = kDeviceTableMaxRows + 2;

struct DeviceInfoTableState {
    DeviceInfo records[kDeviceInfoTableSize]{};
    int32_t count = 0; // rows parsed; records[count + 1].flashStart is 0

    // Record 0 (the generic default device) and an empty table after it.
    void Reset();
};

extern DeviceInfoTableState DeviceInfoTable;

// The filter bits that show every row; both deliverables parse with it.
inline constexpr int32_t kDeviceFilterAll = 7;

// Builds DeviceInfoTable from DeviceTableText. Rows whose filter shares no
// bit with filter are kept but named "xx". Uses the line reader. Returns 1.
int32_t DeviceTableParse(int32_t filter);

// 1 when the row's ID has 0x0001 in its upper 16 bits (such rows stay out of
// the device choice lists), else 0. 0 for a row outside the table.
int32_t DeviceIsSecondIdRow(int32_t row);

// The series digit of a row from its device ID: the ID's top digit, or for
// top digit F the next one (1 where either is 0). 1 for a row outside the table.
int32_t DeviceSeriesFromId(int32_t row);

// True when row is 0..DeviceInfoTable.count (a record that holds a device).
bool DeviceRowValid(int32_t row);

} // namespace core
