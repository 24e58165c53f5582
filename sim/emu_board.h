#pragma once
// Choosing the device on an emulated adapter's simulated target by a row
// of the core's device list.

#include "sim/sim_target.h"

#include <cstdint>
#include <string_view>

namespace sim {

// A fresh board of device-list row row (the list is parsed first when the
// core has not done so): 0, or -1 for a row outside the list.
int32_t EmuSelectDeviceRow(SimTarget& target, int32_t row);
// The same by the row's name ("149", "5438"): the row, or -1.
int32_t EmuSelectDeviceNamed(SimTarget& target, std::string_view name);

} // namespace sim
