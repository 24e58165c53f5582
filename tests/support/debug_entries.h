#pragma once
// The names a debug library exports and the binding looks up, from the one
// list of the debug API's entries, for the tests that check exports and
// lookups against them.

#include "core/debug_api.h"

#include <array>

namespace testsupport {

inline constexpr auto kDebugEntryNames = std::to_array<const char*>({
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses) "MSP430_" #name,
#include "core/debug_entries.def"
});
// Every entry is a member of the table, and nothing else is.
static_assert(sizeof(core::DebugApi) == kDebugEntryNames.size() * sizeof(void (*)()));

} // namespace testsupport
