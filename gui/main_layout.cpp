#include "gui/main_layout.h"

#include "gui/artwork.h"

namespace gui {
namespace {

using ui::ControlKind;
using ui::MenuItem;
using ui::STYLE_MULTILINE;
using ui::STYLE_READONLY;
using ui::STYLE_RIGHT;

constexpr uint32_t kShown = STYLE_READONLY; // fields the program fills, the operator only reads

// Left column: device, adapter and code file; middle: serial numbers, the
// status picture, power and checksums, report below; right: the action
// buttons with their lamps just left of them (the lamps are drawn at fixed
// design positions, see the status display).
ui::DialogTemplate BuildTemplate() {
    ui::DialogTemplate t;
    t.id = kMainDialogId;
    t.caption = "Quillbay - MSP430 Flash Programmer";
    t.width = kMainDesignWidth;
    t.height = kMainDesignHeight;
    t.iconBitmap = kIconBitmap;
    t.controls = {
        // Device and adapter.
        {-1, ControlKind::Static, "MSP430F-", {5, 7, 34, 10}},
        {1014, ControlKind::Combo, "", {40, 5, 74, 12}},
        {-1, ControlKind::Static, "Group:", {5, 21, 34, 10}},
        {1021, ControlKind::Combo, "", {40, 19, 74, 12}},
        {1184, ControlKind::Static, "", {5, 34, 109, 9}},
        {1185, ControlKind::Static, "", {5, 44, 109, 9}},
        {-1, ControlKind::Static, "Target:", {5, 57, 30, 10}},
        {1015, ControlKind::Edit, "", {36, 55, 78, 12}, kShown},
        {-1, ControlKind::Static, "BSL:", {5, 71, 30, 10}},
        {1016, ControlKind::Edit, "", {36, 69, 78, 12}, kShown},
        // The information line is longer than the column: it wraps onto a
        // second line rather than scroll out of sight, and its width makes
        // the break fall between the RAM and the flash part at any font.
        {149, ControlKind::Group, "Selected Device Information", {5, 84, 109, 35}},
        {161, ControlKind::Static, "", {9, 96, 80, 18}},
        {1186, ControlKind::Static, "", {5, 122, 109, 9}},
        {1108, ControlKind::Static, "", {5, 132, 109, 9}},

        // Serial number and model text.
        {1111, ControlKind::Static, "Model:", {119, 7, 38, 10}},
        {1050, ControlKind::Edit, "", {158, 5, 60, 12}},
        {1107, ControlKind::Static, "  Next SN:", {119, 21, 38, 10}},
        {1051, ControlKind::Edit, "", {158, 19, 60, 12}},
        {1093, ControlKind::Static, "", {119, 35, 99, 9}},

        // Target supply and serialization counts.
        {-1, ControlKind::Static, "Vcc:", {222, 7, 17, 10}},
        {1013, ControlKind::Edit, "", {240, 5, 36, 12}, kShown},
        {1028, ControlKind::Combo, "", {279, 5, 40, 12}},
        {-1, ControlKind::Static, "Total:", {222, 21, 30, 10}},
        {1052, ControlKind::Edit, "", {253, 19, 35, 12}},
        {-1, ControlKind::Static, "Balance:", {222, 35, 30, 10}},
        {1053, ControlKind::Edit, "", {253, 33, 35, 12}, kShown},
        {1002, ControlKind::Button, "POWER ON/OFF", {222, 67, 65, 14}},

        // Read-back, serial-number list, checksums.
        {1012, ControlKind::Button, "Read SN", {119, 87, 34, 14}},
        {1054, ControlKind::Edit, "", {156, 88, 50, 12}, kShown},
        {1055, ControlKind::Edit, "", {209, 88, 79, 12}, kShown},
        {1011, ControlKind::Button, "SN File", {119, 102, 34, 14}},
        {1023, ControlKind::Edit, "", {156, 103, 132, 12}, kShown},
        {1190, ControlKind::Static, "SN qty", {119, 120, 34, 10}},
        {1056, ControlKind::Edit, "", {156, 118, 42, 12}, kShown},
        // Wide enough for "0x%8.8X", and ending left of the checksum lamp.
        {-1, ControlKind::Static, "Source:", {199, 124, 33, 10}, STYLE_RIGHT},
        {1047, ControlKind::Edit, "", {233, 122, 57, 12}, kShown},
        {-1, ControlKind::Static, "Memory:", {199, 138, 33, 10}, STYLE_RIGHT},
        {1048, ControlKind::Edit, "", {233, 136, 57, 12}, kShown},

        // Code file.
        {1033, ControlKind::CheckBox, "Reload Code File", {119, 135, 78, 10}},
        {1010, ControlKind::Button, "Open Code File        ->", {5, 149, 109, 14}},
        {1022, ControlKind::Edit, "", {119, 150, 169, 12}, kShown},
        {-1, ControlKind::Static, "path:", {5, 167, 20, 10}},
        {1020, ControlKind::Edit, "", {26, 165, 262, 12}, kShown},

        // The running step and the report.
        {1032, ControlKind::Edit, "", {5, 180, 313, 12}, kShown},
        {1026, ControlKind::Edit, "", {5, 195, 313, 88}, kShown | STYLE_MULTILINE},
        {1024, ControlKind::Progress, "", {5, 287, 313, 10}},

        // Actions, each right of its lamp.
        {1019, ControlKind::Button, "RESET", {340, 5, 80, 14}},
        {1018, ControlKind::Button, "BLOW FUSE", {340, 29, 80, 14}},
        {1037, ControlKind::CheckBox, "Enable", {340, 46, 80, 10}},
        {1128, ControlKind::CheckBox, "Blow Security Fuse", {340, 58, 80, 10}},
        {1001, ControlKind::Button, "AUTO PROG.", {340, 79, 80, 14}},
        {1004, ControlKind::Button, "Verify Password", {340, 101, 80, 14}},
        {1003, ControlKind::Button, "ERASE FLASH", {340, 123, 80, 14}},
        {1007, ControlKind::Button, "BLANK CHECK", {340, 145, 80, 14}},
        {1005, ControlKind::Button, "WRITE FLASH", {340, 167, 80, 14}},
        {1009, ControlKind::Button, "WRITE SN / Model", {340, 189, 80, 14}},
        {1006, ControlKind::Button, "VERIFY FLASH", {340, 211, 80, 14}},
        {1008, ControlKind::Button, "READ / COPY", {340, 233, 80, 14}},
        {1121, ControlKind::Group, "", {323, 255, 97, 43}},
        {1017, ControlKind::Button, "NEXT  ( F5 )", {330, 266, 83, 26}},
    };
    return t;
}

ui::MenuTemplate BuildMenu() {
    using C = MenuItem;
    return ui::MenuTemplate{
        kMainMenuId,
        {
            C::Popup("File", {C::Command(23, "Open Project"), C::Command(24, "Save Project as.."),
                              C::Separator(), C::Command(213, "New Setup"),
                              C::Command(153, "Load Setup "), C::Command(154, "Save Setup"),
                              C::Command(155, "Save Setup as.."), C::Separator(),
                              C::Command(120, "Open Code File"),
                              C::Command(216, "Combine Code Files"),
                              C::Command(217, "Save Code as.."),
                              C::Command(223, "Save Memory as.."), C::Separator(),
                              C::Command(203, "1."), C::Command(205, "2."), C::Command(206, "3."),
                              C::Command(207, "4."), C::Separator(), C::Command(128, "Exit")}),
            C::Popup("View", {C::Command(180, "Code File Data"),
                              C::Command(199, "Flash Memory Data"),
                              C::Command(21, "View pending SN list"), C::Separator(),
                              C::Command(214, "Compare Code File and Flash Data"),
                              C::Command(232, "Compare Two Code Files. Current and ...")}),
            C::Popup("Setup", {C::Command(218, "Lock/Unlock Setup"), C::Separator(),
                               C::Command(194, "Memory Options"),
                               C::Command(225, "BSL Password and Access"),
                               C::Command(220, "Connection / Device Reset"),
                               C::Command(221, "Preferences..")}),
            C::Popup("Serialization", {C::Command(195, "Serialization Setup"),
                                       C::Command(219, "Serialization Report"),
                                       C::Command(21, "View pending SN list")}),
            C::Popup("Tools", {C::Command(216, "Combine Code Files"), C::Separator(),
                               C::Command(233, "Read MSP-FET430UIF Firmware version"),
                               C::Command(228, "MSP-FET430UIF Firmware Downloader")}),
            C::Popup("Help", {C::Command(122, "About Software"), C::Command(230, "User's Guide"),
                              C::Separator(), C::Command(229, "Support"),
                              C::Command(231, "Morvane on the Web")}),
        }};
}

} // namespace

const ui::DialogTemplate& MainDialogTemplate() {
    static const ui::DialogTemplate t = BuildTemplate();
    return t;
}

const ui::MenuTemplate& MainMenuTemplate() {
    static const ui::MenuTemplate m = BuildMenu();
    return m;
}

} // namespace gui
