#include "gui/artwork.h"
#include "gui/main_dialog.h"
#include "gui/programmer_app.h"
#include "ui/qt_app.h"

namespace gui {

int QuillbayMain(int argc, char** argv) {
    ui::qt::Application application(argc, argv);
    ArtworkRegister();
    TerminationSignalsCatch();
    TheApp.InitInstance(std::vector<std::string>(argv + 1, argv + argc));
    return 0;
}

} // namespace gui
