#pragma once
// The debug API table of the in-process debug interface, for the core's
// target layer (core::DebugApiUse) in Quillcore's build.

#include "core/debug_api.h"

namespace debugif {

// Fills api with the MSP430_* entries of this library (those marked
// core::kEntryInProcess in core/debug_entries.def); the others are left
// null, which the core counts as missing.
void FillInProcessDebugApi(core::DebugApi& api);

// A table filled so, alive for the process.
const core::DebugApi& InProcessDebugApi();

} // namespace debugif
