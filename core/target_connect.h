#pragma once
// The target layer's connection half: opening and closing the debug
// interface, USB adapters, target power and reset. Every debug status goes
// through TargetResultMap.

#include <cstdint>
#include <string>

namespace core {

// What TargetOpen opens: the port name handed to the debug library and the
// interface mode, with the port and adapter numbers whose change (like the
// mode's) makes an open interface open again.
struct TargetOpenChoice {
    std::string portName;
    int32_t port = 0;
    int32_t adapter = 0;
    int32_t mode = 0;
};

// The deliverable's rule for that choice. Quillbay keeps the default rule
// (TargetOpen below); Quillcore names its own adapter and mode. With a rule
// installed a changed port name also opens the interface again.
using TargetOpenRule = TargetOpenChoice (*)();
// nullptr restores the default rule.
void TargetOpenRuleSet(TargetOpenRule rule);

// Opens the interface by the rule in force; the default rule takes the port of CommPortIndex (1
// "LPT2", 2 "LPT3", 3 "TIUSB" or the Selected_UIF name unless it begins with "auto", any other
// "LPT1") with the library of AdapterIndex, in the interface mode of
// InterfaceType (1 stays 1; otherwise 2 for a Spy-Bi-Wire device, else 0).
// An interface already open with the same port, library and mode is kept;
// when one of them changed it is closed and opened again. A newly opened
// interface gets its interface mode and RAM preserve off. Clears
// TargetErrorLog. An adapter that answered with its bootloader only (the
// library reports the connect made, version -1, and error 56 to the
// firmware-version question) counts as not open when the library holds no
// firmware image to load into it: Target.bootloaderOnly is then set and
// the error text is "MSP-FET430UIF Firmware erased - Bootloader active.".
// Returns the open flag.
int32_t TargetOpen();

// Closes the interface (supply left as it is). Mapped status.
int32_t TargetClose();

// Switches the target supply on (VccIndex 0..7: 2200..3600 mV) or off,
// opening the interface first when it is not open; 0 when it cannot be
// opened. Clears TargetIdentified and waits 10 ms. Mapped status. A
// switch-on that reached the library sets Target.supplyMayBeOn, a
// switch-off it confirmed clears it. A switch-off right after an open that
// found the adapter in its bootloader only gives 0 without opening again.
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
// 4 characters means "TIUSB". An adapter that runs only its bootloader
// counts as not open, as for TargetOpen. Returns the open flag.
int32_t TargetOpenUsbAdapter(const char* name);

// Takes an interface that TargetOpenUsbAdapter opened as TargetOpen's own:
// sets its interface mode (by the rule in force) and RAM preserve off and
// records port, adapter, mode and the opened name, so that the next
// TargetOpen keeps it. Does nothing while the interface is closed.
void TargetOpenAdopt();

} // namespace core
