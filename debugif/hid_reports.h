#pragma once
// The adapter's byte stream over HID reports. An output report carries its
// payload length n in byte 0, which is also its report id (255, 63, 32, 17
// or 1..16), and the payload after it. An input report carries the payload
// length in byte 1 and the payload after it; payload a read does not want
// is kept for the next read.

#include "debugif/hid_device.h"

#include <cstdint>

namespace debugif {

// Writes count bytes in reports of the largest fitting size: 0, 2 not open,
// 4 time-out, 5 failure (also: a report the device has no room for). The
// first failure stops.
int32_t WriteHidReports(HidDevice& device, const uint8_t* bytes, uint32_t count);

// Reads count bytes, taking leftover payload first: 0, 2 not open, 4
// time-out, 5 failure; *count_out tells how many bytes were handed out.
int32_t ReadHidReports(HidDevice& device, uint8_t* buffer, uint32_t count, uint32_t* count_out);

} // namespace debugif
