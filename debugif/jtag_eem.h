#pragma once
// The embedded emulation module through JTAG: register exchange, the
// trigger and control words, and the checked register entries.

#include <cstdint>

namespace debugif {

// Even register: writes *value; odd register: reads into *value. 16-bit
// exchange, 32-bit on CPUX and 0x91 targets. 0, or -1 with error 20.
int32_t EemAccess(uint32_t reg, uint32_t* value);
// EemAccess writing value to the even register reg; true when it went.
bool EemWrite(uint32_t reg, uint32_t value);
int32_t EemReadTrigger(uint16_t* value);
int32_t EemReadControl(uint16_t* value);
int32_t EemWriteControl(uint16_t value);
// Odd registers 0x01 .. 0xFF; no device 5, no EEM or out of range 3.
int32_t EemRegisterRead(uint32_t reg, uint32_t* value);
// Even registers 0x00 .. 0xFE, checked the same way.
int32_t EemRegisterWrite(uint32_t reg, uint32_t value);

} // namespace debugif
