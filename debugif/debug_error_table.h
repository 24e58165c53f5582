#pragma once
// The texts of the debug API's error numbers, in number order, as the
// shared debug library hands them out.

#include <cstdint>

namespace debugif {

struct DebugErrorText {
    int32_t number; // -1 marks the end of the table
    const char* text;
};

inline constexpr int32_t kDebugErrorCount = 64; // numbers 0 .. 63

// "No error" to "Invalid error number", then the end mark.
extern const DebugErrorText DebugErrorTable[kDebugErrorCount + 1];

// The text of number. The adapter's own error bytes are kept as they came,
// also above 63, so any number outside the table reads "Invalid error
// number".
const char* DebugErrorString(int32_t number);

} // namespace debugif
