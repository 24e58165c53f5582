#pragma once
// The result sounds of a run. Playing them comes with the preferences that
// choose them; until then a sound only leaves its kind in the dialog
// layer's transcript ("sound 2").

#include <cstdint>

namespace gui {

inline constexpr int32_t kSoundPassed = 1;
inline constexpr int32_t kSoundFailed = 2;

void ResultSound(int32_t kind);

} // namespace gui
