#pragma once
// The adapter commands on the target that take one or two commands each:
// configure, supply, reset, registers, erase, fuse, supply reading and the
// adapter's own data. Each returns 0, or -1 with LastErrorNumber set.

#include <cstdint>

namespace debugif {

// Mode 10 is answered here with success and nothing sent; mode 11 keeps
// the value (16 bits) in BslUnlock, also without a command; every other
// mode goes to the adapter as command 5.
int32_t UifConfigure(int32_t mode, int32_t value);

// Command 6: the adapter's target supply in millivolts (0 switches it off).
int32_t UifSetVcc(int32_t millivolts);

// Command 7, then the registers read back. On HID the read cache is freed
// and the changed EEM registers written first (a failure there sends no
// reset), and afterwards the cache starts empty and the EEM registers are
// read again.
int32_t UifReset(int32_t method, int32_t execute, int32_t releaseJTAG);

// read 1: command 8, the 16 registers into RegisterCache (error 33 when
// that fails); read 0: command 9 with all 16 registers of RegisterCache.
int32_t UifRegisters(int32_t read);

// Command 12. In bootloader mode on serial an erase of type 2 is followed
// by a segment erase of 0x1000 .. 0x10FF. On HID the read cache is freed
// first and starts empty afterwards, whatever the outcome.
int32_t UifErase(int32_t type, int32_t address, int32_t length);

// Command 19: blows the security fuse.
int32_t UifSecure();

// Command 29: the target supply the adapter measures, in millivolts.
int32_t UifReadVcc(int32_t* millivolts);

// Command 39: up to length bytes of the adapter's own data into buffer;
// bytes the adapter does not send stay as they were.
int32_t UifReadAdapterData(uint8_t* buffer, int32_t length);

} // namespace debugif
