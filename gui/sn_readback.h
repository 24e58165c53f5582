#pragma once
// Reading a target's model text and SN location back before an SN is written.

#include <cstdint>

namespace gui {

inline constexpr int32_t kReadBackSnDecoded = 1;   // the SN location decoded
inline constexpr int32_t kReadBackNotEmpty = 0x20; // a model or SN byte is not 0xFF
inline constexpr int32_t kReadBackFailed = 4;

// Reads the model-text area (ModelTextEnable) into the second half of
// ModelTextBytes and the SN area (SerializationEnable) into SnReadBack,
// decoding it into SnReadBackText. Bytes past 0x45BFF read as 0xFF. Returns
// 4 when a read failed; else 0x20 when anything read is not blank, ORed
// with SerialNumberFromMemory's result. A non-blank SN location sets
// SnStatus bit 8, SnFoundFlag and SnEditChoice 1; a blank one SnEditChoice 2.
int32_t SerialNumberReadBack();

} // namespace gui
