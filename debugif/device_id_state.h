#pragma once
// What identification leaves behind: the matched row of the device-ID table,
// its device type, and the three records built from them. Alive for the
// process; the adapter commands and the identify operation read it.

#include <cstdint>

#include "core/identify_record.h"
#include "debugif/current_device_record.h"
#include "debugif/device_extra_record.h"

namespace debugif {

struct DeviceIdState {
    uint16_t currentDeviceIndex = 0; // matched row; 0 = no device
    uint16_t currentDeviceType = 0;
    CurrentDeviceRecord currentDeviceRecord;
    DeviceExtraRecord deviceExtraRecord;
    core::IdentifyRecord identifyRecord;

    void Reset();
};

extern DeviceIdState gDeviceId;

} // namespace debugif
