#pragma once
// The main window's template (dialog 107, 425 x 313 dialog units) and its
// menu bar (menu 117).

#include "ui/dialog_template.h"
#include "ui/menu.h"

namespace gui {

inline constexpr int kMainDialogId = 107;
inline constexpr int kMainMenuId = 117;
inline constexpr int kMainDesignWidth = 425;
inline constexpr int kMainDesignHeight = 313;

const ui::DialogTemplate& MainDialogTemplate();
const ui::MenuTemplate& MainMenuTemplate();

// The target-supply choices of the Vcc selector (1028), by VccIndex.
inline constexpr const char* kVccChoices[] = {"2.2 V", "2.4 V", "2.6 V", "2.8 V",
                                              "3.0 V", "3.2 V", "3.4 V", "3.6 V"};

} // namespace gui
