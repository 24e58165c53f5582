#pragma once
// The debug API's error texts as the shared debug library hands them out:
// the one table the core also maps its results with.

#include "core/debug_error_table.h"

#include <cstdint>

namespace debugif {

using core::DebugErrorTable;
using core::kDebugErrorCount;

// The text of number. The adapter's own error bytes are kept as they came,
// also above 63, so any number outside the table reads "Invalid error
// number".
const char* DebugErrorString(int32_t number);

} // namespace debugif
