#pragma once
// Quillbay's pictures, drawn by our own code: the status lamps (15 x 16),
// the large status pictures with their words (98 x 31), the start-up
// picture and the program icon.

#include "ui/canvas.h"

#include <cstdint>

namespace gui {

inline constexpr int32_t kSplashBitmap = 210;
inline constexpr int32_t kSplashWidth = 368;
inline constexpr int32_t kSplashHeight = 192;
inline constexpr int32_t kIconBitmap = 128; // the program icon, 32 x 32

// Draws bitmap id (a lamp, a status picture, the start-up picture or the
// icon) on canvas; nothing for another id.
void ArtworkDraw(int32_t id, ui::Canvas& canvas);

// Registers every picture above with the dialog layer.
void ArtworkRegister();

} // namespace gui
