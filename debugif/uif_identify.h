#pragma once
// Identifying the target through the adapter.

#include <cstdint>

namespace debugif {

// Identifies the device as row device_index of the device-ID table (0:
// detect it). Firmware below 20109000: command 3, whose 80-byte answer
// lands in core::IdentifyRecord and names the row. From 20109000: command 40
// with the row's device type, matching of its identification bytes, then
// command 41 with CurrentDeviceRecord, and within the extension range
// command 43 with the extension record. All under one hold of DebugLock.
// A row the table does not have is refused with 5 and leaves no device
// (row 0, and an identify record that says so).
// An index outside the table fails with 3 before anything is sent.
// Detecting (index 0) leaves the CPU counted as stopped and reads its
// registers; on HID also an empty read cache and the EEM registers, whose
// read is then the result. buffer and count are not used here.
int32_t UifIdentify(char* buffer, int32_t count, int32_t device_index);

} // namespace debugif
