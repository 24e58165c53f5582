#pragma once
// The debug API layer: the MSP430_* entries of core/debug_api.h, each
// returning 0 on success and -1 on failure with the reason in
// Api.LastErrorNumber. Each entry checks its arguments, then passes the
// call on by the interface kind that MSP430_Initialize chose: kind 1 to the
// parallel-port path (lpt_interface_path.h) under DebugLock, kind 2 to the adapter
// commands, any other kind fails with 34. Here are the layer's own
// operations besides those entries.

#include "core/debug_api.h"

#include <cstdint>

namespace debugif {

// Api.LastErrorNumber, which is set to 0.
int32_t TakeLastError();

// Sets Api.LastErrorNumber to error and returns -1.
int32_t ApiFail(int32_t error);

// One read (rw not 0) or write (rw 0) of count bytes, even address and
// count, passed on by the interface kind. count 0 is done at once. A write
// that touches the BSL range is refused with 62 unless configure mode 11
// unlocked it on a device that lets it be unlocked; a refusal withdraws
// the unlock.
int32_t MemoryBlockAccess(int32_t address, uint8_t* buffer, int32_t count, int32_t rw);

// The BSL guard of erase and write: true (with BslUnlock withdrawn) when
// first .. last overlaps the BSL range of the identify record and the
// access is not unlocked. A BSL range of 0 .. 0 is no BSL.
bool BslRangeProtected(int64_t first, int64_t last);

} // namespace debugif
