#include "debugif/read_cache.h"

#include "debugif/api_state.h"

#include <mutex>

namespace debugif {

void ResetReadCache() {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    Api.ReadCache.assign(kReadCacheEntries, ReadCacheEntry{});
}

void FreeReadCache() {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    Api.ReadCache.clear();
    Api.ReadCache.shrink_to_fit();
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
