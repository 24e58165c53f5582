#pragma once
// One call that resets every global state struct of the core.

namespace core {

// LineReader, DeviceInfoTable, SelectedDevice, ConnectedDevice, MemoryMap,
// SegmentTable, Settings, the code-image state, the code writer, the file
// names and the setup-file state back to their start-up values.
void CoreStateReset();

} // namespace core
