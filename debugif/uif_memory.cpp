#include "debugif/uif_memory.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/error_numbers.h"
#include "debugif/read_cache.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_blocks.h"
#include "debugif/uif_bulk.h"
#include "debugif/uif_command.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_transaction.h"
#include "platform/clock.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace debugif {

namespace {

// Peripheral registers change on their own: reads below this address are
// never served from the cache.
constexpr uint32_t kUncachedBelow = 0x200;
constexpr uint32_t kNoEdge = 0xFFFFFFFF;

int32_t ReadChunk(uint32_t address, uint8_t* out, uint32_t count) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (UifCommand(kUifReadMemory, kUifTypeParams, {address, count}) != 0 ||
        !UifReplyHasExactData(count)) {
        return -1;
    }
    std::memcpy(out, UifLink.ResponseBlock.data, count);
    return 0;
}

// Checks shared by the block writes; 1 when there is something to send.
int32_t BlockWriteAllowed(int32_t address, const uint8_t* bytes, int32_t count) {
    if (address < 0 || count < 0 || (bytes == nullptr && count > 0)) {
        return UifFail(kErrorInvalidParameter);
    }
    // The bulk blocks exist on the serial transport only: an adapter told
    // of blocks that never come would wait for them.
    if (OnHid()) {
        return UifFail(kErrorNotSupported);
    }
    if (count == 0) {
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    InvalidateReadCache(static_cast<uint32_t>(address), static_cast<uint32_t>(count));
    return 1;
}

int32_t Succeed() {
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t CachedRead(uint32_t address, uint8_t* buffer, uint32_t count) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    const uint32_t chunk = UifMemoryChunkSize();
    const uint32_t end = address + count;
    // The read-ahead stops at the memory top and at the cache's end.
    const uint32_t top = std::min<uint32_t>(gDeviceId.currentDeviceRecord.MainEnd(),
                                            static_cast<uint32_t>(kReadCacheEntries - 1));
    uint8_t ahead[kUifLargeChunkSize];
    for (uint32_t a = address; a < end;) {
        if (a >= kReadCacheEntries || Api.ReadCache.empty()) {
            return UifReadMemory(static_cast<int32_t>(a), buffer + (a - address),
                                 static_cast<int32_t>(end - a));
        }
        const ReadCacheEntry& e = Api.ReadCache[a];
        if (e.valid != 0) {
            buffer[a - address] = e.value;
            ++a;
            continue;
        }
        const uint32_t n = std::min(chunk, std::max(top, a) - a + 1);
        if (ReadChunk(a, ahead, n) != 0) {
            return -1;
        }
        for (uint32_t i = 0; i < n; ++i) {
            Api.ReadCache.Fill(a + i, ahead[i]);
        }
    }
    return Succeed();
}

int32_t Read(uint32_t address, uint8_t* buffer, uint32_t count) {
    if (UifCommands.CpuRunning != 0) {
        return UifFail(kErrorReadMemory);
    }
    if (!OnHid() || address < kUncachedBelow) {
        return UifReadMemory(static_cast<int32_t>(address), buffer, static_cast<int32_t>(count));
    }
    // Goes to the adapter directly while there is no cache.
    return CachedRead(address, buffer, count);
}

int32_t Write(uint32_t address, const uint8_t* buffer, uint32_t count) {
    // Before anything is sent: a write that fails half-way leaves the
    // target's bytes unknown as well.
    InvalidateReadCache(address, count);
    const uint32_t chunk = UifMemoryChunkSize();
    const CurrentDeviceRecord& r = gDeviceId.currentDeviceRecord;
    const uint32_t last = address + count - 1;
    const bool direct = last <= r.LayoutWord2() || (address >= r.RamStart() && last <= r.RamEnd());
    if (count > chunk && !direct && !OnHid()) {
        const int32_t a = static_cast<int32_t>(address);
        const int32_t n = static_cast<int32_t>(count);
        if (Api.DeviceJtagId == kJtagId89) {
            return UifBlockWrite89(a, buffer, n) == 0 ? Succeed() : -1;
        }
        if (Api.DeviceJtagId == kJtagId91) {
            return UifBlockWrite91(a, buffer, n) == 0 ? Succeed() : -1;
        }
        // No family known yet: the plain chunked write below still writes.
    }
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(chunk, count - done);
        std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
        std::memcpy(UifLink.UifFrameBuffer, buffer + done, n);
        if (UifCommand(kUifWriteMemory, kUifTypeParamsData, {address + done},
                       UifLink.UifFrameBuffer, n) != 0) {
            return -1;
        }
        done += n;
    }
    return Succeed();
}

} // namespace

int32_t UifReadMemory(int32_t address, uint8_t* buffer, int32_t count) {
    if (address < 0 || count < 0 || (buffer == nullptr && count > 0)) {
        return UifFail(kErrorInvalidParameter);
    }
    const uint32_t chunk = UifMemoryChunkSize();
    const uint32_t total = static_cast<uint32_t>(count);
    for (uint32_t done = 0; done < total;) {
        if (done > 0) {
            platform::SleepMilliseconds(0);
        }
        const uint32_t n = std::min(chunk, total - done);
        if (ReadChunk(static_cast<uint32_t>(address) + done, buffer + done, n) != 0) {
            return -1;
        }
        done += n;
    }
    return Succeed();
}

int32_t UifBlockWrite89(int32_t address, const uint8_t* bytes, int32_t count) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    const int32_t allowed = BlockWriteAllowed(address, bytes, count);
    if (allowed <= 0) {
        return allowed;
    }
    uint32_t a = static_cast<uint32_t>(address);
    uint32_t n = static_cast<uint32_t>(count);
    const uint8_t* p = bytes;
    uint32_t odd_start = kNoEdge;
    uint32_t start_byte = kNoEdge;
    uint32_t odd_end = kNoEdge;
    uint32_t end_byte = kNoEdge;
    if ((a & 1) != 0) {
        odd_start = a;
        start_byte = p[0];
        ++a;
        ++p;
        --n;
    }
    // A last byte on its own (the end address odd) is the other edge.
    if (((a + n) & 1) != 0) {
        odd_end = a + n - 1;
        end_byte = p[n - 1];
        --n;
    }
    const UifBulkWrite w{kUifBlockWrite89, a, p, n};
    if (UifCommand(kUifBlockWrite89, kUifTypeParams,
                   {w.Blocks() & 0xFFFF, w.LastSize(), odd_start, start_byte, odd_end, end_byte}) !=
        0) {
        return UifBulkCommandFailed(w);
    }
    return UifBulkPhase(w);
}

int32_t UifBlockWrite91(int32_t address, const uint8_t* bytes, int32_t count) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    const int32_t allowed = BlockWriteAllowed(address, bytes, count);
    if (allowed <= 0) {
        return allowed;
    }
    const uint32_t a = static_cast<uint32_t>(address);
    const uint32_t n = static_cast<uint32_t>(count);
    const UifBulkWrite w{kUifBlockWrite91, a, bytes, n};
    if (UifCommand(kUifBlockWrite91, kUifTypeParams, {w.Blocks() & 0xFFFF, w.LastSize(), a, n}) !=
        0) {
        return UifBulkCommandFailed(w);
    }
    return UifBulkPhase(w);
}

int32_t UifMemory(int32_t address, uint8_t* buffer, int32_t count, int32_t read_flag) {
    const int64_t flash_end = gDeviceId.identifyRecord.MainEnd();
    if (address < 0 || count < 0 || buffer == nullptr ||
        static_cast<int64_t>(address) + count > flash_end + 1) {
        return UifFail(kErrorInvalidParameter);
    }
    if (count == 0) {
        return Succeed();
    }
    const uint32_t a = static_cast<uint32_t>(address);
    const uint32_t n = static_cast<uint32_t>(count);
    return read_flag != 0 ? Read(a, buffer, n) : Write(a, buffer, n);
}

} // namespace debugif
