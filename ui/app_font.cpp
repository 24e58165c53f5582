#include "ui/app_font.h"

#include "ui/backend.h"
#include "ui/globals.h"

namespace ui {

void SetFontPointSize(double points) {
    if (!(points >= 4.0 && points <= 72.0)) {
        return; // a size no operator could read; keep the one we have
    }
    detail::Globals().fontPoints = points;
    CurrentBackend().FontChanged();
}

double FontPointSize() {
    return detail::Globals().fontPoints;
}

} // namespace ui
