#pragma once
// The error numbers the parallel-port path and its JTAG routines set, beside
// those of error_numbers.h.

#include <cstdint>

namespace debugif {

// "Could not close device interface"
inline constexpr int32_t kErrorClose = 2;
// "Could not find device (or device not supported)"
inline constexpr int32_t kErrorNoDevice = 4;
// "Unknown device"
inline constexpr int32_t kErrorUnknownDevice = 5;
// "Could not read device configuration fuses"
inline constexpr int32_t kErrorFuseRead = 8;
// "Incorrectly configured device; device derivative not supported"
inline constexpr int32_t kErrorConfiguration = 9;
// "Could not set device Vcc"
inline constexpr int32_t kErrorVcc = 10;
// "Could not reset device"
inline constexpr int32_t kErrorReset = 11;
// "Could not preserve/restore device memory"
inline constexpr int32_t kErrorPreserve = 12;
// "Could not set device operating frequency"
inline constexpr int32_t kErrorFrequency = 13;
// "Could not erase device memory"
inline constexpr int32_t kErrorErase = 14;
// "Could not set device breakpoint"
inline constexpr int32_t kErrorBreakpoint = 15;
// "Could not single step device"
inline constexpr int32_t kErrorSingleStep = 16;
// "Could not run device (to breakpoint)"
inline constexpr int32_t kErrorRun = 17;
// "Could not determine device state"
inline constexpr int32_t kErrorState = 18;
// "Could not read Enhanced Emulation Module register"
inline constexpr int32_t kErrorEem = 20;
// "Verification error"
inline constexpr int32_t kErrorVerify = 28;
// "Could not blow device security fuse"
inline constexpr int32_t kErrorFuseBlow = 29;
// "Could not access device - security fuse is blown"
inline constexpr int32_t kErrorFuseBlown = 30;
// "Could not unlock BSL memory segments"
inline constexpr int32_t kErrorBslUnlock = 61;

} // namespace debugif
