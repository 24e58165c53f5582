#include "gui/programmer_app.h"

#include "gui/command_line.h"
#include "gui/main_dialog.h"

namespace gui {

ProgrammerApp TheApp;

int32_t ProgrammerApp::InitInstance(const std::vector<std::string>& arguments) {
    const std::string text = CommandLineJoin(arguments);
    if (!text.empty()) {
        CommandLine.CommandLineText = text;
    }
    MainDialog dialog;
    dialog.DoModal();
    return 0;
}

} // namespace gui
