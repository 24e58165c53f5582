#pragma once
// The target clock for flash work on the 0x89 family: measured by a RAM
// routine that counts cycles while the host waits, and set into the flash
// timing window by a search over the DCO (or an FLL set-up routine).

#include <cstdint>

namespace debugif {

// Runs the measurement routine with the clock bytes a, b (word 3), c, d
// (word 4) and e (word 5); the frequency in Hz, 0 when it failed or no
// time passed.
uint32_t MeasureClock(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint8_t e);
// 0 when the clock was brought into the window (up to 3 tries), else -1
// (no error number: the caller reports 13).
int32_t SetFlashClock();

// The window limits, in Hz.
inline constexpr uint32_t kStepSearchTooFast = 2140000;
inline constexpr uint32_t kStepSearchSlowest = 1410000;
inline constexpr uint32_t kBinarySearchTooFast = 2140001;

} // namespace debugif
