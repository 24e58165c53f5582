#pragma once
// The inside of a dialog, shared by the dialog layer and its back ends.
// Applications never use this header.

#include "ui/backend.h"
#include "ui/dialog.h"
#include "ui/driver.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ui::detail {

struct ControlState {
    ControlTemplate tmpl;
    std::string text;
    int checked = 0;
    bool enabled = true;
    bool visible = true;
    bool readOnly = false;
    int limit = 0;
    std::vector<std::string> items;
    int selection = -1;
    int low = 0;
    int high = 100;
    int pos = 0;
    int firstLine = 0;
    int bitmap = 0;
};

struct TimerState {
    int id = 0;
    uint32_t period = 0;
    uint64_t dueMs = 0;
};

struct MenuEntryState {
    bool enabled = true;
    bool checked = false;
    std::string caption;
};

struct DialogState {
    DialogTemplate tmpl;
    std::vector<ControlState> controls;
    std::map<std::pair<Notify, int>, Handler> handlers;
    Handler closeHandler;
    MenuTemplate menu;
    bool hasMenu = false;
    unsigned menuVersion = 0; // changes with every SetMenu
    std::map<int, MenuEntryState> menuState;
    std::vector<TimerState> timers;
    std::string caption;
    bool open = false;
    bool ending = false;
    int endCode = 0;
    int handlerDepth = 0;    // > 0 while a handler of this dialog runs
    bool terminated = false; // a termination signal closed it (once)
    int focus = 0;
    std::unique_ptr<DialogView> view;
};

// Milliseconds on the platform clock.
uint64_t NowMs();

// What became of a key once the dialog layer saw it.
enum class KeyOutcome {
    Swallowed, // the key filter took it
    Handled,   // Enter or Escape: the IDOK / IDCANCEL command ran
    Dropped,   // a handler of the dialog was running
    PassOn,    // to the focused control
};

struct DialogAccess {
    static DialogState& State(Dialog& d) { return *d.state_; }
    static const DialogState& State(const Dialog& d) { return *d.state_; }
    static ControlState* Find(Dialog& d, int id);

    // Operator input. Each checks that the dialog is open and idle and the
    // control able to take it, records refusals and drops, updates the state
    // and runs the handler. They return false when the input was refused or
    // dropped (a back end then puts its widget back as the state says).
    static bool OperatorClick(Dialog& d, int id);
    static bool OperatorEdit(Dialog& d, int id, const std::string& text);
    static bool OperatorSelect(Dialog& d, int id, int index);
    static bool OperatorMenu(Dialog& d, int id);
    static bool OperatorClose(Dialog& d);
    static void OperatorFocus(Dialog& d, int id);
    // Key filter, then Enter / Escape.
    static KeyOutcome OperatorKey(Dialog& d, const KeyMessage& key);
    // What a key that passed on does to the focused control (headless).
    static void DefaultKey(Dialog& d, const KeyMessage& key);

    static bool IsButtonKindForKey(ControlKind k);
    // Fires the dialog's due timers unless a handler of it runs.
    static void FireDueTimers(Dialog& d);
    // Earliest due time of a timer that may fire now, or UINT64_MAX.
    static uint64_t NextDue(const Dialog& d);
    static void Paint(Dialog& d, PaintContext& paint);
    static bool InitDialog(Dialog& d);

    // Runs the session's script for this dialog (or ends it IDCANCEL).
    static void RunDialogScript(Dialog& d);
    // The close box's path (WM_CLOSE) for a termination signal: no
    // operator input, so nothing is refused or dropped.
    static void CloseForTermination(Dialog& d);
};

// Termination signals (ui/termination.h): the read end of the self-pipe
// (-1 before TerminationSignalsCatch), emptying it, and the dialog layer's
// reaction, run wherever the layer is idle: after a handler returned,
// when a dialog has opened, when a test's clock moves on, and on Qt when
// the pipe wakes the event loop. Ends the top dialog unless a handler of
// it runs.
int TerminationWakeFd();
void TerminationWakeDrain();
void TerminationDispatch();

// Every open dialog, bottom first.
std::vector<Dialog*>& OpenDialogs();
Dialog* TopDialog();
// Tag used in transcript lines: "[107] ".
std::string Tag(const Dialog& d);

} // namespace ui::detail
