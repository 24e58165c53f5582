#pragma once
// What a debug call gives back: 0 success, -1 failure, 34 when the library
// lacks the entry point; a library may also return an error number of its
// own. The target layer turns it into 1 or 0 (core/target_result.h).

#include <cstdint>

namespace core {

using DebugStatus = int32_t;

inline constexpr DebugStatus kDebugOk = 0;
inline constexpr DebugStatus kDebugFailed = -1;
inline constexpr DebugStatus kDebugEntryMissing = 34;

} // namespace core
