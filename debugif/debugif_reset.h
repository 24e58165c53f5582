#pragma once
// The debug interface's state objects (its table in the registry of
// core/state_registry.h) and the reset the debug library and the tests use.

#include "core/state_registry.h"

namespace debugif {

// Api, the device id, the parallel-port path, the UIF link and commands,
// the bootloader link, the transports, the COM-port search and the link
// time-outs (LinkTiming: the product never changes them; a test that
// shortens them does so after its bench has reset this state).
core::StateTable DebugifStateObjects();

// Puts every piece of the debug interface's process state back to its
// start-up value, so that tests do not leak state into each other.
void ResetDebugifState();

} // namespace debugif
