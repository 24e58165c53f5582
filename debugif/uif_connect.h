#pragma once
// Connecting to the adapter and closing the connection.

#include <cstdint>

namespace debugif {

// Opens the adapter named by port and, with with_command set, asks it for
// its firmware version and data:
// - a name containing "USB" takes, with with_command set, the first HID
//   adapter when one is present, else the first adapter COM port (error 1
//   when the port list ends without one);
// - a name containing "COM" (but not ":COM") is a COM port, one containing
//   "HID" a HID adapter name; anything else is opened as given (serial);
// - an interface already open is kept, unless the name (without "USB")
//   differs from UifPortName: error 1.
// Open failures give 57 (not found), 58 (in use) or 1. An adapter whose
// data begins with 'E' reports version 20400000 and sets UifBootloaderMode.
// An adapter that stays silent on serial is probed through its bootloader:
// when that answers, the result is 0 with the interface closed and version
// 0; when it does not, error 35. *version may be null.
int32_t UifConnect(const char* port, int32_t* version, int32_t with_command);

// The error number of a port that did not open, by the system's error:
// 57 not found, 58 in use, 1 anything else.
int32_t UifOpenErrorNumber(int32_t system_error);

// Command 2; on success the transport is closed and the interface counts
// as closed.
int32_t UifClose(int32_t vccOff);

// After a transaction spent every try the interface counts as closed, yet
// the port is still held, and an adapter that comes back would keep the
// target powered. When that is so: one try of command 2 with the supply
// off under a short time-out (about wait_ms, also on a dead adapter; 0:
// the port's own), whatever it brings, then the port is released. 0 when
// it was answered (UifLink.supply_off_confirmed is then set) or there was
// nothing to do; -1 otherwise (the port is released all the same).
inline constexpr uint32_t kUifLostLinkCloseMs = 200;
int32_t UifReleaseLostLink(uint32_t wait_ms = kUifLostLinkCloseMs);

} // namespace debugif
