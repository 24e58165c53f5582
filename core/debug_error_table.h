#pragma once
// The texts of the debug API's error numbers, which the target layer turns
// into its error messages.

#include <cstdint>

namespace core {

struct DebugErrorEntry {
    int32_t number; // -1 marks the end of the table
    const char* text;
};

inline constexpr int32_t kDebugErrorCount = 64; // numbers 0..63

// "MSP-FET430UIF Firmware erased - Bootloader active.": the adapter answered
// with its bootloader only.
inline constexpr int32_t kDebugErrorFirmwareErased = 56;

// In number order, "No error" to "Invalid error number", then the end mark.
extern const DebugErrorEntry DebugErrorTable[kDebugErrorCount + 1];

// The text of number; nullptr outside 0..63.
const char* DebugErrorText(int32_t number);

} // namespace core
