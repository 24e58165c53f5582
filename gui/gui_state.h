#pragma once
// The application's state objects (its table in the registry of
// core/state_registry.h) and the resets built on them.

#include "core/state_registry.h"

namespace gui {

// CommandLine, Startup, the main window's state, the status display and
// what the window shows of the board and the code, the
// bar-code history, the frame, serialization with its dialogs and hooks,
// the setup runners, the preferences, the memory views, the actions and
// the link watch.
core::StateTable GuiStateObjects();

// The application's table and the project files' table back to their
// start-up values (tests call it between cases).
void GuiStateReset();

// Quillbay as a whole: the core's tables, the project files' and the
// application's. The debug interface is a library of its own
// (debugif::ResetDebugifState).
void QuillbayStateReset();

} // namespace gui
