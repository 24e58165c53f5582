#pragma once
// The debug interface's error numbers that the API layer, the adapter link
// and the adapter commands set themselves.

#include <cstdint>

namespace debugif {

inline constexpr int32_t kErrorNone = 0;
// "Could not initialize device interface"
inline constexpr int32_t kErrorInitialize = 1;
// "Invalid parameter(s)"
inline constexpr int32_t kErrorInvalidParameter = 3;
// "Could not read device memory"
inline constexpr int32_t kErrorReadMemory = 6;
// "Could not write device memory"
inline constexpr int32_t kErrorWriteMemory = 7;
// "Could not write device Register"
inline constexpr int32_t kErrorWriteRegister = 32;
// "Could not read device Register"
inline constexpr int32_t kErrorReadRegister = 33;
// "Not supported by selected Interface or Interface is not initialized"
inline constexpr int32_t kErrorNotSupported = 34;
// "Could not communicate with FET"
inline constexpr int32_t kErrorCommunication = 35;
// "MSP-FET430UIF Firmware erased - Bootloader active."
inline constexpr int32_t kErrorFirmwareErased = 56;
// "Could not find MSP-FET430UIF on specified COM port."
inline constexpr int32_t kErrorNoAdapterOnPort = 57;
// "MSP-FET430UIF is already in use."
inline constexpr int32_t kErrorAdapterInUse = 58;
// "Could not perform access, BSL memory segments are protected."
inline constexpr int32_t kErrorBslProtected = 62;
// "Invalid error number"
inline constexpr int32_t kErrorInvalidErrorNumber = 63;

} // namespace debugif
