#pragma once
// The debug interface's error numbers that the adapter link sets itself.

#include <cstdint>

namespace debugif {

inline constexpr int32_t kErrorNone = 0;
// "Invalid parameter(s)"
inline constexpr int32_t kErrorInvalidParameter = 3;
// "Could not write device memory"
inline constexpr int32_t kErrorWriteMemory = 7;
// "Not supported by selected Interface or Interface is not initialized"
inline constexpr int32_t kErrorNotSupported = 34;
// "Could not communicate with FET"
inline constexpr int32_t kErrorCommunication = 35;
// "Invalid error number"
inline constexpr int32_t kErrorInvalidErrorNumber = 63;

} // namespace debugif
