#include "gui/startup_view.h"

#include "gui/artwork.h"

namespace gui {
namespace {

constexpr int kStartupPicture = 1124;

ui::DialogTemplate StartupViewTemplate() {
    ui::DialogTemplate t;
    t.id = kStartupViewId;
    t.caption = "Quillbay";
    // The picture's pixels in dialog units of the default font.
    t.width = 210;
    t.height = 110;
    ui::ControlTemplate picture;
    picture.id = kStartupPicture;
    picture.kind = ui::ControlKind::Picture;
    picture.rect = {0, 0, 210, 110};
    picture.bitmap = kSplashBitmap;
    t.controls.push_back(picture);
    return t;
}

} // namespace

StartUp2View::StartUp2View() : ui::Dialog(StartupViewTemplate()) {}

bool StartUp2View::OnInitDialog() {
    SetTimer(kStartupViewTimer, kStartupViewMs);
    return true;
}

void StartUp2View::OnTimer(int id) {
    if (id == kStartupViewTimer) {
        KillTimer(kStartupViewTimer);
        EndDialog(ui::IDOK);
    }
}

} // namespace gui
