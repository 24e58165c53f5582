#include "gui/gui_state.h"

#include "gui/action_state.h"
#include "gui/barcode_input.h"
#include "gui/sn_hooks.h"
#include "gui/command_line.h"
#include "gui/link_watch.h"
#include "gui/main_window_state.h"
#include "gui/memory_view_dlgs.h"
#include "gui/preferences.h"
#include "gui/procedure_frame.h"
#include "gui/serial_number.h"
#include "gui/setup_runners.h"
#include "gui/startup_load.h"
#include "gui/status_lamps.h"

namespace gui {

void GuiStateReset() {
    CommandLine.Reset();
    Startup.Reset();
    MainWindow.Reset();
    StatusDisplay.Reset();
    Barcode.Reset();
    Frame.Reset();
    SerialNumber.Reset();
    SetupRunner.Reset();
    Preferences.Reset();
    MemoryView.Reset();
    Actions.Reset();
    LinkWatchReset();
    SetSerializationHooks(nullptr);
}

} // namespace gui
