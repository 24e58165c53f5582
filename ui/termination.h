#pragma once
// Termination signals (SIGTERM, SIGINT, SIGHUP) as the dialog layer
// handles them: once one has arrived every open dialog ends through its
// own close path (the close box: WM_CLOSE, which is Cancel unless the
// dialog maps it; a dialog still open after that ends IDCANCEL), every box
// open or opened later gets its unattended answer (Cancel, else No, else
// its first button) and every file dialog is cancelled. The application's
// own window therefore closes the way the operator would close it, saving
// what it saves then. A handler that runs when the signal comes (a long
// procedure) is not interrupted: it may look at TerminationRequested()
// and end early; its dialog closes once it returned.

namespace ui {

// Installs the handlers of the three signals. Call it first thing, before
// any window exists: a signal during the start-up is then kept and acted on
// as soon as the first dialog opens.
void TerminationSignalsCatch();
// True once a termination signal arrived (or TerminationRequest ran).
bool TerminationRequested();
// What the signal does, from code. Safe inside a signal handler.
void TerminationRequest();
// Forgets a signal that arrived (a test session does so at its start and
// end).
void TerminationClear();

} // namespace ui
