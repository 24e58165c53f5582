#include "debugif/read_cache.h"

#include "debugif/api_state.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

namespace debugif {

ReadCacheTable::ReadCacheTable(ReadCacheTable&& other) noexcept {
    *this = std::move(other);
}

ReadCacheTable& ReadCacheTable::operator=(ReadCacheTable&& other) noexcept {
    if (this != &other) {
        entries_ = std::move(other.entries_);
        size_ = std::exchange(other.size_, 0);
        filledFirst_ = std::exchange(other.filledFirst_, 0);
        filledLast_ = std::exchange(other.filledLast_, 0);
    }
    return *this;
}

void ReadCacheTable::Allocate() {
    if (!entries_) {
        entries_ = std::make_unique_for_overwrite<ReadCacheEntry[]>(kReadCacheEntries);
        filledFirst_ = 0;
        filledLast_ = kReadCacheEntries;
    }
    if (filledFirst_ < filledLast_) {
        std::memset(&entries_[filledFirst_], 0,
                    (filledLast_ - filledFirst_) * sizeof(ReadCacheEntry));
    }
    filledFirst_ = 0;
    filledLast_ = 0;
    size_ = kReadCacheEntries;
}

void ReadCacheTable::Fill(size_t address, uint8_t value) {
    entries_[address] = ReadCacheEntry{value, 1};
    if (filledFirst_ >= filledLast_) {
        filledFirst_ = address;
        filledLast_ = address + 1;
    } else {
        filledFirst_ = std::min(filledFirst_, address);
        filledLast_ = std::max(filledLast_, address + 1);
    }
}

void ResetReadCache() {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    Api.ReadCache.Allocate();
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
    const uint64_t end =
        std::min<uint64_t>(static_cast<uint64_t>(address) + count, kReadCacheEntries);
    for (uint64_t a = address; a < end; ++a) {
        Api.ReadCache.Invalidate(static_cast<size_t>(a));
    }
}

} // namespace debugif
