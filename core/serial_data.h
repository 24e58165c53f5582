#pragma once
// The serial-number and model-text bytes that the program image places at
// SNStartAddress and ModelTextStartAddr. The serialization engine fills them;
// until it exists they are plain inputs.

#include <cstdint>

namespace core {

inline constexpr int32_t kSerialNumberMax = 256;
inline constexpr int32_t kModelTextMax = 32; // ModelTextSize never places more

struct SerialDataState {
    uint8_t SerialNumberBytes[kSerialNumberMax]{};
    int32_t SerialNumberCount = 0; // bytes of SerialNumberBytes in use, 0..256
    // The model text in the first 32 bytes; the second half keeps the bytes
    // read back from a target. Its count is the setting ModelTextSize.
    uint8_t ModelTextBytes[2 * kModelTextMax]{};

    void Reset(); // no serial number, all bytes 0xFF
};

extern SerialDataState SerialData;

// SerialNumberCount clamped to 0..256 and ModelTextSize to 0..32: the counts
// of bytes that placing and overlap checks take.
int32_t SerialNumberPlacedCount();
int32_t ModelTextPlacedCount();

} // namespace core
