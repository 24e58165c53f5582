#pragma once
// One call that resets every global state struct of the core.

namespace core {

// LineReader, DeviceInfoTable, SelectedDevice, ConnectedDevice, MemoryMap,
// SegmentTable, Settings and the code-image state back to their start-up
// values.
void CoreStateReset();

} // namespace core
