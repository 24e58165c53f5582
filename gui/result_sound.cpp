#include "gui/result_sound.h"

#include "ui/transcript.h"

#include <string>

namespace gui {

void ResultSound(int32_t kind) {
    ui::TranscriptAdd("sound " + std::to_string(kind));
}

} // namespace gui
