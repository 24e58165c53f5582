#pragma once
// The debug interface's state objects (its table in the registry of
// core/state_registry.h) and the reset the debug library and the tests use.

#include "core/state_registry.h"

namespace debugif {

// Api, the device id, the parallel-port path, the UIF link and commands,
// the bootloader link, the transports and the COM-port search.
core::StateTable DebugifStateObjects();

// The link time-outs (LinkTiming). The product never changes them; tests
// shorten them before they build a bench, and the bench resets the state
// above, so ResetDebugifState leaves them as set.
core::StateTable DebugifSettingObjects();

// Puts every piece of the debug interface's process state back to its
// start-up value, so that tests do not leak state into each other. The link
// time-outs stay.
void ResetDebugifState();

// The debug library as a whole: its state and its link time-outs.
void DebugLibraryStateReset();

} // namespace debugif
