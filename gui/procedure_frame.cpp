#include "gui/procedure_frame.h"

namespace gui {

FrameState Frame;

} // namespace gui
