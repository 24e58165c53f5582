#pragma once
// Opening and closing the adapter's HID device.

#include "debugif/hid_device.h"

namespace debugif {

// Opens the index-th interface with these ids: 0, 3 when the device is
// open already, 1 when there is none, 5 when its report descriptor cannot
// be read or its input reports exceed the input buffer.
int32_t OpenHidDevice(HidDevice& device, uint16_t vendor_id, uint16_t product_id, int32_t index);
// Opens the matching interface with that adapter name: as above, and 3 when
// another program holds it.
int32_t OpenHidByName(HidDevice& device, uint16_t vendor_id, uint16_t product_id, const char* name);
// 0 closed; 6 when the device is not open.
int32_t CloseHidDevice(HidDevice& device);

} // namespace debugif
