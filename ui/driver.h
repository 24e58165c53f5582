#pragma once
// The operator's hands in tests: everything goes through the same path as
// real input on the installed back end (Qt widgets on the Qt back end), so
// handlers run only for operator input, disabled controls and grayed menu
// items refuse it, and input to a dialog whose handler is running is
// dropped. Each refusal or drop is a transcript line.

#include "ui/canvas.h"
#include "ui/key_message.h"
#include "ui/types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

class Dialog;

class Driver {
public:
    explicit Driver(Dialog& dialog) : dialog_(dialog) {}
    Dialog& Target() { return dialog_; }

    // Button, check box (toggles) or radio (checks it): BN_CLICKED.
    void Click(int id);
    // Replaces the edit's text as one operator edit: one EN_CHANGE.
    void Type(int id, const std::string& text);
    // Picks an item of a combo or list box: CBN_SELCHANGE / LBN_SELCHANGE.
    void Select(int id, int index);
    // Picks a menu command: its BN_CLICKED handler.
    void Menu(int id);
    // A key press at the focused control: PreTranslateMessage first, then
    // Enter is IDOK, Escape IDCANCEL, Space clicks a focused button, a
    // character goes into a focused edit. Enter, Escape, Tab, Backspace and
    // Space always yield their character (ch may be left 0 for them).
    void Key(uint32_t vk, uint32_t ch = 0, bool repeat = false);
    // Types each character of text as key presses (vk from the character).
    void KeyText(const std::string& text);
    void Focus(int id);
    // The close box: WM_CLOSE.
    void Close();
    // Moves the platform clock on by ms, firing every timer that falls due,
    // in time order.
    void Advance(uint32_t ms);
    // Paints the dialog now; returns the bitmaps OnPaint drew.
    std::vector<PaintedBitmap> Paint();
    void Note(const std::string& text);

private:
    Dialog& dialog_;
};

} // namespace ui
