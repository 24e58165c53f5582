#pragma once
// Every debug status becomes a yes/no result and, for an error number, a
// message in TargetLastErrorText that is also collected in TargetErrorLog.

#include "core/debug_status.h"

#include <cstdint>

namespace core {

// 0 gives 1. -1 and 34 (entry missing) give 0 without a message. 1..58 give
// the error table's text ending in '.', 59 "Invalid error number.", any
// other value "Fatal error ( %2.2li )"; the message gets "\r\n" and goes
// into the log, and the result is 0.
int32_t TargetResultMap(DebugStatus status);

} // namespace core
