#pragma once
// The 30-value setup block and the indexed configuration (0..65) over the
// working settings, and the setup listing.

#include "api/api_state.h"

#include <cstdint>

namespace api {

// An index of the configuration F_SetConfig and F_GetConfig take: 0..29
// the setup block's fields (31 is field 24 again), 30 the presentation, the
// others settings one by one; 62 and anything above 65 none.
using ConfigIndex = uint32_t;

inline constexpr ConfigIndex kConfigIndexLast = 65;
inline constexpr ConfigIndex kConfigIndexNone = 62;
inline constexpr ConfigIndex kConfigPresentation = 30;
inline constexpr ConfigIndex kConfigJtagSpeedAlias = 31; // the same setting as field 24

// The working settings into the setup block.
void SetupBlockGather();

// values into the setup block and from it into the working settings, then
// serialization and model text off and, when the adapter does not power the
// target but it is powered, its supply off. Returns 1.
int32_t SetupBlockApply(const std::array<uint32_t, kSetupBlockSize>& values);

// Stores value as given at index (no clamping: each use of a setting
// clamps it), then applies the whole block. 0 for index 62 or above 65.
int32_t ConfigSet(ConfigIndex index, uint32_t value);

// The value at index; 0 for 62 or above 65. Index 30 reads 0, 1 or 2.
uint32_t ConfigGet(ConfigIndex index);

// The report log replaced by the 29 setup lines.
void SetupDisplay();

} // namespace api
