#pragma once
// Status codes of the adapter transports.

#include <cstdint>

namespace debugif {

// Serial transport: open and close.
inline constexpr int32_t kSerialOk = 0;
inline constexpr int32_t kSerialOpenFailed = 2;      // could not be opened or prepared
inline constexpr int32_t kSerialSettingsRefused = 3; // line settings not taken
inline constexpr int32_t kSerialCloseFailed = 4;

// HID transport.
inline constexpr int32_t kHidOk = 0;
inline constexpr int32_t kHidNotFound = 1;
inline constexpr int32_t kHidNotOpen = 2;
inline constexpr int32_t kHidInUse = 3; // already open here, or held by another program
inline constexpr int32_t kHidTimeout = 4;
inline constexpr int32_t kHidFailure = 5;
inline constexpr int32_t kHidInvalidHandle = 6; // also: close of a device that is not open
inline constexpr int32_t kHidNameTooLong = 7;   // longer than the caller's buffer
inline constexpr int32_t kHidFlushFailed = 0xFF;

} // namespace debugif
