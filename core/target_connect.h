#pragma once
// The target layer's connection half: opening and closing the debug
// interface, USB adapters, target power and reset. Every debug status goes
// through TargetResultMap.

#include <cstdint>

namespace core {

// Opens the interface on the port of CommPortIndex (1 "LPT2", 2 "LPT3",
// 3 "TIUSB" or the Selected_UIF name unless it begins with "auto", any other
// "LPT1") with the library of AdapterIndex, in the interface mode of
// InterfaceType (1 stays 1; otherwise 2 for a Spy-Bi-Wire device, else 0).
// An interface already open with the same port, library and mode is kept;
// when one of them changed it is closed and opened again. A newly opened
// interface gets its interface mode and RAM preserve off. Clears
// TargetErrorLog. Returns the open flag.
int32_t TargetOpen();

// Closes the interface (supply left as it is). Mapped status.
int32_t TargetClose();

// Switches the target supply on (VccIndex 0..7: 2200..3600 mV) or off,
// opening the interface first when it is not open; 0 when it cannot be
// opened. Clears TargetIdentified and waits 10 ms. Mapped status.
int32_t TargetPowerSet(int32_t on);

// Sets the supply display values without measuring: scale top 650, supply
// 300 when the adapter powers the target, else 0. Returns 0 (not measured).
int32_t TargetVccEstimate();

// Resets the target by the method of ResetModeIndex (1 -> 1, 2 -> 2,
// 3 -> 4, any other -> 7) and lets it run. 0 when the interface is not
// open, else the mapped status.
int32_t TargetReset();

// Fills UsbAdapterNames (" (used)" appended for an adapter in use) after
// closing an open interface. Returns the count, 0 for none, -1 when the
// list cannot be had or holds more than 100.
int32_t TargetListUsbAdapters();

// Opens the named adapter after closing an open interface: at most 20
// characters; a name that begins with "auto" (any case) or is shorter than
// 4 characters means "TIUSB". Returns the open flag.
int32_t TargetOpenUsbAdapter(const char* name);

} // namespace core
