#pragma once
// The debug API table of the in-process debug interface, for the core's
// target layer (core::DebugApiUse) in Quillcore's build.

#include "core/debug_api.h"

namespace debugif {

// Fills api with the MSP430_* entries of this library. The three entries it
// does not have (Error_Number, Error_String and FET_FwUpdate) are left
// null, which the core counts as missing. FET_GetFwVersion, which no
// export of Quillcore offers, is there for the core's connect: it names an
// adapter whose firmware is gone (error 56).
void FillInProcessDebugApi(core::DebugApi& api);

// A table filled so, alive for the process.
const core::DebugApi& InProcessDebugApi();

} // namespace debugif
