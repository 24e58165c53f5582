#pragma once
// Identifying the connected target: the debug library's identify record
// and the device descriptor read from the target choose the connected
// device, its memory map and segment table.

#include <cstdint>

namespace core {

// Identifies the target. On success ConnectedDevice holds the identified
// name, version, main start, flash end, RAM size, the match with the
// selected device and the early-F5xx flag, ConnectedDevice.TargetIdentified is 1
// and the segment table is rebuilt; returns 1. A failed identify call, or a
// failed read of the descriptor, returns 0 with nothing identified. A status
// of 8 from the identify call (fuse blown) sets Target.IdentifyFuseMarker.
int32_t TargetIdentify();

// TargetIdentify, then ConnectedDevice.TargetIdentified.
int32_t TargetIdentifyOk();

// ConnectedDevice.TargetIdentified = 0; returns 1.
int32_t TargetClearIdentified();

} // namespace core
