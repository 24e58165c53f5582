#include "gui/gui_state.h"

#include "gui/action_state.h"
#include "gui/barcode_input.h"
#include "gui/command_line.h"
#include "gui/link_watch.h"
#include "gui/main_window_state.h"
#include "gui/memory_view_dlgs.h"
#include "gui/preferences.h"
#include "gui/procedure_frame.h"
#include "gui/project/project_state.h"
#include "gui/serial_number.h"
#include "gui/setup_runners.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_hooks.h"
#include "gui/startup_load.h"
#include "gui/status_lamps.h"
#include "gui/window_facts.h"

namespace gui {

namespace {

constexpr core::StateObject kGuiStateObjects[] = {
    {"CommandLine", [] { CommandLine.Reset(); }},
    {"Startup", [] { Startup.Reset(); }},
    {"MainWindow", [] { MainWindow.Reset(); }},
    {"StatusDisplay", [] { StatusDisplay.Reset(); }},
    {"WindowFacts", [] { WindowFacts.Reset(); }},
    {"Barcode", [] { Barcode.Reset(); }},
    {"Frame", [] { Frame.Reset(); }},
    {"SerialNumber", [] { SerialNumber.Reset(); }},
    {"SetupRunner", [] { SetupRunner.Reset(); }},
    {"Preferences", [] { Preferences.Reset(); }},
    {"MemoryView", [] { MemoryView.Reset(); }},
    {"Actions", [] { Actions.Reset(); }},
    {"LinkWatch", [] { LinkWatchReset(); }},
    {"SerializationHooks", [] { SetSerializationHooks(nullptr); }},
    {"SnDialogs", [] { SnDialogs.Reset(); }},
};

} // namespace

core::StateTable GuiStateObjects() {
    return kGuiStateObjects;
}

void GuiStateReset() {
    core::StateTablesReset({ProjectStateObjects(), GuiStateObjects()});
}

void QuillbayStateReset() {
    core::StateTablesReset({core::CoreStateObjects(), ProjectStateObjects(), GuiStateObjects()});
}

} // namespace gui
