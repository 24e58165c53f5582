#pragma once
// The built-in list of MSP430 device types, one text row per type.

#include <cstdint>

namespace core {

inline constexpr int32_t kDeviceTableTextRows = 154;

// Each row ends with CR. Columns, separated by blanks: name (after
// "MSP430F"), kind (information segments, "4B" = 4 with the B flag), main
// flash start-end, RAM bytes, information segment letter, interface code
// ('S' second = Spy-Bi-Wire), pin (TEST or TDI), device ID, two masks,
// family group, two supply voltages in volts, filter bits.
extern const char* const DeviceTableText[kDeviceTableTextRows];

} // namespace core
