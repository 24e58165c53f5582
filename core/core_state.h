#pragma once
// One call that resets every global state struct of the core: the core
// table of core/state_registry.h.

namespace core {

// LineReader, DeviceInfoTable, SelectedDevice, ConnectedDevice, MemoryMap,
// SegmentTable, Settings, the code-image state, the code writer, the file
// names, the setup-file state, the target layer's state, the flash
// operations' state, the progress operation (none installed) and the
// debug-library binding (its library freed, the default table in use) back
// to their start-up values.
void CoreStateReset();

} // namespace core
