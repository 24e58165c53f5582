#pragma once
// The simulated library in process as the debug interface, the way the
// target and serialization tests use it: the debug interface reset, the full
// device list parsed, a fresh simulated F149 board on the USB port.

#include "core/debug_api.h"
#include "core/device_table.h"
#include "core/settings.h"
#include "debugif/debugif_reset.h"
#include "sim/sim_library.h"

#include <gtest/gtest.h>

namespace testsupport {

inline void SimTargetAttach() {
    debugif::ResetDebugifState();
    ASSERT_EQ(core::DeviceTableParse(core::kDeviceFilterAll), 1);
    sim::SimReset();
    core::DebugApiUse(&sim::SimDebugApi());
    core::Settings.CommPortIndex = 3;
}

inline void SimTargetDetach() {
    sim::SimReset();
    debugif::ResetDebugifState();
}

} // namespace testsupport
