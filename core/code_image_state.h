#pragma once
// One call that resets the global state of the code images.

namespace core {

// Images, Passwords and SerialData back to their start-up values.
void CodeImageStateReset();

} // namespace core
