#pragma once
// One call that resets the global state of the code images and the loader.

namespace core {

// Images, Passwords, SerialData and CodeLoad back to their start-up values.
void CodeImageStateReset();

} // namespace core
