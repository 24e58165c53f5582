#include "core/code_image_state.h"

#include "core/state_registry.h"

namespace core {

void CodeImageStateReset() {
    StateObjectsReset(CoreStateObjects(), {"Images", "Passwords", "SerialData", "CodeLoad"});
}

} // namespace core
