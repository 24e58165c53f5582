#include "debugif/read_cache.h"

#include "debugif/api_state.h"

#include <cstring>
#include <mutex>

namespace debugif {

void ResetReadCache() {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    // All entries invalid: zero bytes, set in one go.
    Api.ReadCache.resize(kReadCacheEntries);
    std::memset(Api.ReadCache.data(), 0, kReadCacheEntries * sizeof(ReadCacheEntry));
}

void FreeReadCache() {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    // Empty is freed for every reader; the storage is kept for the next
    // allocation, which follows soon (after every erase, reset and stop).
    Api.ReadCache.clear();
}

void InvalidateReadCache(uint32_t address, uint32_t count) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (Api.ReadCache.empty()) {
        return;
    }
    const uint64_t end = static_cast<uint64_t>(address) + count;
    for (uint64_t a = address; a < end && a < kReadCacheEntries; ++a) {
        Api.ReadCache[a].valid = 0;
    }
}

} // namespace debugif
