#pragma once
// The application font: the base of dialog units on both back ends.

namespace ui {

// Point size of the application font (default 9, DejaVu Sans). Dialogs
// opened afterwards are laid out with it.
void SetFontPointSize(double points);
double FontPointSize();

} // namespace ui
