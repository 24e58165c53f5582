#pragma once
// The MSP430 debug API as the target layer calls it: one table of entry
// points. Quillbay fills it with the run-time binding of a debug library;
// Quillcore with its in-process implementation. Every entry returns 0 on
// success and -1 on failure (a library may also return its own error
// number); a missing entry counts as 34.

#include "core/debug_status.h"

#include <cstdint>
#include <type_traits>

namespace core {

// Which partial tables hold an entry: the fifth column of
// core/debug_entries.def, where each subset's reason stands.
enum DebugEntryUse : unsigned {
    kEntryInProcess = 1u,   // Quillcore's in-process debug interface
    kEntryLinkWatched = 2u, // Quillbay's watch for a link that gave up
};

} // namespace core

extern "C" {

// Progress of an adapter firmware update: step code and two values.
typedef void (*MSP430_FwUpdateCallback)(uint32_t step, uint32_t value1, uint32_t value2,
                                        void* context);

// The entry points every debug library exports under these names (the list
// is core/debug_entries.def).
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses)                               \
    result MSP430_##name parameters;
#include "core/debug_entries.def"

} // extern "C"

namespace core {

// Configure modes the target layer uses.
inline constexpr int32_t kConfigureLockedFlashAccess = 5;
inline constexpr int32_t kConfigureInterfaceMode = 8;
inline constexpr int32_t kConfigureRamPreserve = 10;

// Memory directions.
inline constexpr int32_t kMemoryWrite = 0;
inline constexpr int32_t kMemoryRead = 1;

// Erase types.
inline constexpr int32_t kEraseSegment = 0;
inline constexpr int32_t kEraseMain = 1;
inline constexpr int32_t kEraseAll = 2;

// One debug library's entry points. A null member is an entry the library
// does not have.
struct DebugApi {
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses) result(*name) parameters;
#include "core/debug_entries.def"
};

// What a missing entry gives: 34, or nullptr for a text.
template <typename Result> Result DebugEntryMissing() {
    if constexpr (std::is_pointer_v<Result>) {
        return nullptr;
    } else {
        return kDebugEntryMissing;
    }
}

// Picks the table the target layer calls; nullptr restores the default, the
// run-time binding's table (DebugLibApi). The caller keeps api alive while
// it is in use.
void DebugApiUse(const DebugApi* api);
const DebugApi& DebugApiInUse();

// Calls through the table in use; a missing entry gives 34 (Debug_Error_String
// gives nullptr) without calling anything.
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses) result Debug_##name parameters;
#include "core/debug_entries.def"

} // namespace core
