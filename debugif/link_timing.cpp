#include "debugif/link_timing.h"

namespace debugif {

LinkTimingState LinkTiming;

void LinkTimingState::Reset() {
    *this = LinkTimingState{};
}

} // namespace debugif
