#pragma once
// The debug interface's process-wide state: the one last-error number every
// entry leaves behind, the interface kind chosen at initialisation, whether
// the adapter connection is open, the caches the adapter commands fill and
// read (CPU registers, EEM registers, the per-byte read cache on HID), what
// identification decided about the device, the list of USB interfaces, and
// the lock that serialises every adapter transaction. The adapter transaction closes the connection
// in this view when every try failed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <type_traits>

namespace debugif {

inline constexpr int32_t kInterfaceNone = 0;
inline constexpr int32_t kInterfaceParallel = 1;
inline constexpr int32_t kInterfaceUsb = 2;

// JTAG ids of the two device families the block writes tell apart.
inline constexpr uint16_t kJtagId89 = 0x89;
inline constexpr uint16_t kJtagId91 = 0x91; // the 430F5xx and 430F6xx families

inline constexpr size_t kCpuRegisterCount = 16;

// One entry per even EEM register address 0x00 .. 0xAE.
inline constexpr size_t kEemRegisterCount = 88;
struct EemRegisterEntry {
    uint32_t value = 0;
    uint32_t changed = 0; // 1: to be written back to the adapter
};

// The read cache covers target addresses 0 .. 0xFFFF; reads above it go to
// the adapter every time.
inline constexpr size_t kReadCacheEntries = 0x10000;
// Trivial, so that a cache of them is zeroed (all invalid) in one go.
struct ReadCacheEntry {
    uint8_t value;
    uint32_t valid;
};
static_assert(std::is_trivial_v<ReadCacheEntry>);
static_assert(sizeof(ReadCacheEntry) == 8 && offsetof(ReadCacheEntry, valid) == 4);

// The cache's entries: kReadCacheEntries while it exists, none while it does
// not. Identify, every reset and every stop make it anew, so making it must
// not cost a walk over half a megabyte: the storage stays once taken, and
// only the entries filled since the last time are made invalid again (the
// rest are still zero).
class ReadCacheTable {
public:
    ReadCacheTable() = default;
    // A table moved from is empty and holds no storage.
    ReadCacheTable(ReadCacheTable&& other) noexcept;
    ReadCacheTable& operator=(ReadCacheTable&& other) noexcept;

    bool empty() const { return size_ == 0; }
    size_t size() const { return size_; }
    const ReadCacheEntry& operator[](size_t address) const { return entries_[address]; }

    // Every entry invalid.
    void Allocate();
    // No entries; reads go to the adapter.
    void clear() { size_ = 0; }
    // The entry of address valid with value; address < size().
    void Fill(size_t address, uint8_t value);
    void Invalidate(size_t address) { entries_[address].valid = 0; }

private:
    std::unique_ptr<ReadCacheEntry[]> entries_;
    size_t size_ = 0;
    // Entries first .. last - 1 may hold a value; outside them all are zero.
    size_t filledFirst_ = 0;
    size_t filledLast_ = 0;
};

// The USB interfaces the last list build found: adapter COM ports first,
// then HID adapters. A name handed out stays valid until the next build.
inline constexpr size_t kUsbIfSlots = 100;
inline constexpr size_t kUsbIfNameSize = 18; // 17 characters and the terminating zero
inline constexpr int32_t kUsbIfFree = 0;
inline constexpr int32_t kUsbIfInUse = 1;
struct UsbIfSlot {
    char name[kUsbIfNameSize] = {};
    int32_t status = kUsbIfFree;
};
struct UsbIfListState {
    std::array<UsbIfSlot, kUsbIfSlots> slots{};
    int32_t count = 0;
    int32_t built = 0; // 1 once a build ran
};

// Every field but the lock, so that a reset can start them afresh in one go.
struct ApiValues {
    // Reason of the last failure, 0 after a success. Error bytes the adapter
    // sends are kept as they came, also above 63; a text lookup clamps.
    int32_t LastErrorNumber = 0;
    int32_t InterfaceKind = kInterfaceNone;
    int32_t InterfaceOpen = 0; // 1 while the adapter connection is open
    int32_t SupplyOn = 0;      // 1 after a supply other than 0 was set
    std::array<uint32_t, kCpuRegisterCount> RegisterCache{}; // R0 .. R15
    // 0 until a device is identified, then kJtagId89 or kJtagId91.
    uint16_t DeviceJtagId = 0;
    int32_t CycleCounterEncoded = 0; // 1 together with kJtagId91
    uint32_t LastStateQueryTime = 0; // ms of the last state query while the CPU ran
    uint16_t BslUnlock = 0;          // value of the last configure mode 11
    int32_t ProtocolSetting = 0;     // 0 JTAG, 1 Spy-Bi-Wire, 2 Spy-Bi-Wire in JTAG mode
    std::array<EemRegisterEntry, kEemRegisterCount> EemRegisterCache{};
    // kReadCacheEntries entries while the cache exists (HID only), empty
    // while it does not.
    ReadCacheTable ReadCache;
    UsbIfListState UsbIfList;
};

struct ApiState : ApiValues {
    // Held by every adapter command for its whole transaction; identify,
    // the block writes and verify hold it across all their commands and
    // take it again for each, hence recursive.
    std::recursive_mutex DebugLock;

    // The read cache's storage stays allocated (empty): half a megabyte
    // given back and taken again at every reset costs more than it saves.
    void Reset() {
        ReadCacheTable storage = std::move(ReadCache);
        storage.clear();
        static_cast<ApiValues&>(*this) = ApiValues{};
        ReadCache = std::move(storage);
    }
};
extern ApiState Api;

} // namespace debugif
