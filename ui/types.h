#pragma once
// Small value types and the message constants shared by every part of the
// dialog layer.

#include "platform/prompt.h"

#include <cstdint>

namespace ui {

// Box flags and answers are the platform prompt service's own.
using platform::IDABORT;
using platform::IDCANCEL;
using platform::IDIGNORE;
using platform::IDNO;
using platform::IDOK;
using platform::IDRETRY;
using platform::IDYES;
using platform::MB_ABORTRETRYIGNORE;
using platform::MB_DEFBUTTON2;
using platform::MB_DEFBUTTON3;
using platform::MB_ICONERROR;
using platform::MB_ICONINFORMATION;
using platform::MB_ICONQUESTION;
using platform::MB_ICONWARNING;
using platform::MB_OK;
using platform::MB_OKCANCEL;
using platform::MB_RETRYCANCEL;
using platform::MB_YESNO;
using platform::MB_YESNOCANCEL;

// Notification codes of the message map. A menu command arrives as
// BN_CLICKED of its id, as a button click does; Enter and Escape arrive as
// BN_CLICKED of IDOK and IDCANCEL.
enum class Notify { Clicked, Change, SelChange };
inline constexpr Notify BN_CLICKED = Notify::Clicked;
inline constexpr Notify EN_CHANGE = Notify::Change;
inline constexpr Notify CBN_SELCHANGE = Notify::SelChange;
inline constexpr Notify LBN_SELCHANGE = Notify::SelChange;

// Virtual-key codes the application looks at.
inline constexpr uint32_t VK_TAB = 0x09;
inline constexpr uint32_t VK_RETURN = 0x0D;
inline constexpr uint32_t VK_ESCAPE = 0x1B;
inline constexpr uint32_t VK_SPACE = 0x20;
inline constexpr uint32_t VK_END = 0x23;
inline constexpr uint32_t VK_BACK = 0x08;
inline constexpr uint32_t VK_F1 = 0x70; // VK_F1 + n - 1 is Fn, up to F24
inline constexpr uint32_t VK_F5 = 0x74;
inline constexpr uint32_t VK_F6 = 0x75;
inline constexpr uint32_t VK_F12 = 0x7B;

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// Left, top, width, height. In templates: dialog units; elsewhere: pixels.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool operator==(const Rect&) const = default;
};

// 0xRRGGBB.
struct Color {
    uint32_t rgb = 0;
    static constexpr Color Rgb(uint8_t r, uint8_t g, uint8_t b) {
        return Color{(uint32_t{r} << 16) | (uint32_t{g} << 8) | b};
    }
    bool operator==(const Color&) const = default;
};

} // namespace ui
