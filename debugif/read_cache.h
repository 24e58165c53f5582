#pragma once
// The per-byte read cache of the HID transport (Api.ReadCache): target
// addresses 0 .. 0xFFFF, each a byte and a valid flag.

#include <cstdint>

namespace debugif {

// Frees the cache and allocates it anew with every entry invalid.
void ResetReadCache();
// Frees the cache: reads go to the adapter until it is allocated again.
void FreeReadCache();
// Marks the entries of address .. address + count - 1 invalid, as far as
// the cache reaches; nothing when there is no cache.
void InvalidateReadCache(uint32_t address, uint32_t count);

} // namespace debugif
