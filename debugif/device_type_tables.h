#pragma once
// Per-type device properties that the adapter is told about: emulation
// resources, option bytes, supply limits, options and byte pairs.

#include <array>
#include <cstdint>

#include "debugif/device_type_count.h"

namespace debugif {

using EmulationRow = std::array<uint16_t, 6>;
using OptionByteRow = std::array<uint8_t, 10>; // [0] = device has a TEST pin
using SupplyRow = std::array<uint16_t, 5>;     // mV: [0] minimum, [1] maximum, [2]..[4] limits
using OptionsRow = std::array<uint16_t, 5>;
using BytePairRow = std::array<uint16_t, 6>; // only the low bytes are used

extern const std::array<EmulationRow, kDeviceTypeCount> EmulationTable;
extern const std::array<OptionByteRow, kDeviceTypeCount> OptionByteTable;
extern const std::array<SupplyRow, kDeviceTypeCount> SupplyTable;
extern const std::array<OptionsRow, kDeviceTypeCount> OptionsTable;
extern const std::array<BytePairRow, kDeviceTypeCount> BytePairTable;

} // namespace debugif
