#pragma once
// One call that resets every global state struct of the application.

namespace gui {

// CommandLine, Startup, the main window's state, the status display, the
// bar-code history, the frame, serialization and setup-runner state back
// to their start-up values (tests call it between cases).
void GuiStateReset();

} // namespace gui
