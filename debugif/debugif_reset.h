#pragma once

namespace debugif {

// Puts every piece of the debug interface's process state back to its
// start-up value, so that tests do not leak state into each other.
void ResetDebugifState();

} // namespace debugif
