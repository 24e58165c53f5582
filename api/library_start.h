#pragma once
// The library's start-up as the host drives it: the state reset,
// F_Initialization's work, the device items a host may ask for, and the
// attach and detach of the debug interface.

#include <cstdint>
#include <string>

namespace api {

// The texts, flags, images and password emptied, the segment table rebuilt,
// every key of the library's tables at its default, the connected device's
// start values.
void StateReset();

// The host program's directory: HostDirectory, then the device table, the
// state reset, "config.ini" beside the host program, and the adapter line.
// 1 when an adapter is selected, 4 when none is.
int32_t Initialization();

// One item of the selected device row (SelectedProcessorIndex; a row
// outside the table is row 0), selecting nothing: 0..19 the name's
// characters, 20 flash start, 21 flash end, 22 information start, 23
// information segment size, 24 segment count, 25 RAM size, 26 family digit,
// 27 second-ID row. -1 for any other index.
int32_t DeviceInfoItem(int32_t index);

// Everything the library keeps back to its state at load, with the debug
// API table of the in-process interface (tests put in their own).
void LibraryStateReset();

// At load: HostDirectory, settings at their defaults, the library's debug
// API table, open rule and progress operation.
void LibraryLoad();

// LIB_Init's reasons: 1 attaches the debug interface again (the settings
// file beside module_address), 0 detaches it now, others nothing.
void LibraryAttach(const void* module_address, uint32_t reason);

// What a host program's directory is: the running program's directory with
// a trailing '/'.
std::string HostProgramDirectory();

} // namespace api
