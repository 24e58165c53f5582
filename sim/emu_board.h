#pragma once
// Choosing the device on a simulated target by a row of the core's device
// list, for the simulated library and the emulated adapter alike.

#include "core/device_table.h"
#include "sim/sim_target.h"

#include <cstdint>
#include <string_view>

namespace sim {

// The row's name as the list gives it ("149", "5438"), without its padding.
std::string_view DeviceRowName(const core::DeviceInfo& row);

// A fresh board of device-list row row (the list is parsed first when the
// core has not done so): 0, or -1 for a row outside the list.
int32_t EmuSelectDeviceRow(SimTarget& target, int32_t row);
// The same by the row's name, compared without regard to case ("149",
// "g4619"): the row, or -1 with the board left as it was.
int32_t EmuSelectDeviceNamed(SimTarget& target, std::string_view name);

} // namespace sim
