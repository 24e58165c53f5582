#pragma once
// The state the procedure frame shares with the main window's status display.

#include <cstdint>

namespace gui {

struct FrameState {
    int32_t PortOpenResult = 0; // result of the last interface open by a procedure (1 = open)

    void Reset() { *this = FrameState{}; }
};

extern FrameState Frame;

} // namespace gui
