#pragma once
// Dialog templates: the layout of a dialog as data. Rects are in dialog
// units (x: a quarter of the font's average character width, y: an eighth
// of its height), so a bigger application font makes the whole dialog
// bigger and keeps its proportions.

#include "ui/types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

enum class ControlKind {
    Button,
    CheckBox,
    Radio,
    Group,  // frame with a caption; other controls may lie inside it
    Static, // label
    Edit,
    Combo, // drop-down list, no typing
    ListBox,
    Progress,
    Picture, // a registered bitmap (ControlTemplate::bitmap)
};

// Style bits of a control.
inline constexpr uint32_t STYLE_READONLY = 0x1;  // Edit: operator cannot type
inline constexpr uint32_t STYLE_MULTILINE = 0x2; // Edit: several lines, vertical scroll
inline constexpr uint32_t STYLE_GROUP = 0x4;     // Radio: first of a radio group
inline constexpr uint32_t STYLE_DISABLED = 0x8;  // starts disabled
inline constexpr uint32_t STYLE_CENTER = 0x10;   // Static: text centred
inline constexpr uint32_t STYLE_RIGHT = 0x20;    // Static: text right-aligned
inline constexpr uint32_t STYLE_HIDDEN = 0x40;   // starts hidden
inline constexpr uint32_t STYLE_FIXED_PITCH =
    0x80; // Edit, Static: fixed-pitch font (columns of a dump)

struct ControlTemplate {
    int id = 0; // 0 or -1 for a label nobody addresses
    ControlKind kind = ControlKind::Static;
    std::string text;
    Rect rect;          // dialog units
    uint32_t style = 0; // STYLE_...
    int bitmap = 0;     // Picture: bitmap id
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int width = 0; // client size, dialog units
    int height = 0;
    std::vector<ControlTemplate> controls;
    int iconBitmap = 0; // window icon (registered bitmap), 0 for none
};

} // namespace ui
