#include "gui/main_layout.h"

#include "gui/artwork.h"
#include "gui/main_ids.h"

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
        {kMainDeviceCombo, ControlKind::Combo, "", {40, 5, 74, 12}},
        {-1, ControlKind::Static, "Group:", {5, 21, 34, 10}},
        {kMainGroupCombo, ControlKind::Combo, "", {40, 19, 74, 12}},
        {kMainInterfaceCaption, ControlKind::Static, "", {5, 34, 109, 9}},
        {kMainPortCaption, ControlKind::Static, "", {5, 44, 109, 9}},
        {-1, ControlKind::Static, "Target:", {5, 57, 30, 10}},
        {kMainTargetEdit, ControlKind::Edit, "", {36, 55, 78, 12}, kShown},
        {-1, ControlKind::Static, "BSL:", {5, 71, 30, 10}},
        {kMainBslEdit, ControlKind::Edit, "", {36, 69, 78, 12}, kShown},
        // The information line is longer than the column: it wraps onto a
        // second line rather than scroll out of sight, and its width makes
        // the break fall between the RAM and the flash part at any font.
        {kMainDeviceInfoGroup, ControlKind::Group, "Selected Device Information", {5, 84, 109, 35}},
        {kMainDeviceInfoText, ControlKind::Static, "", {9, 96, 80, 18}},
        {kMainEraseModeCaption, ControlKind::Static, "", {5, 122, 109, 9}},
        {kMainSpareCaption, ControlKind::Static, "", {5, 132, 109, 9}},

        // Serial number and model text.
        {kMainModelCaption, ControlKind::Static, "Model:", {119, 7, 38, 10}},
        {kMainModelEdit, ControlKind::Edit, "", {158, 5, 60, 12}},
        {kMainNextSnCaption, ControlKind::Static, "  Next SN:", {119, 21, 38, 10}},
        {kMainNextSnEdit, ControlKind::Edit, "", {158, 19, 60, 12}},
        {kMainSnFormatCaption, ControlKind::Static, "", {119, 35, 99, 9}},

        // Target supply and serialization counts.
        {-1, ControlKind::Static, "Vcc:", {222, 7, 17, 10}},
        {kMainVccEdit, ControlKind::Edit, "", {240, 5, 36, 12}, kShown},
        {kMainVccCombo, ControlKind::Combo, "", {279, 5, 40, 12}},
        {-1, ControlKind::Static, "Total:", {222, 21, 30, 10}},
        {kMainSnTotalEdit, ControlKind::Edit, "", {253, 19, 35, 12}},
        {-1, ControlKind::Static, "Balance:", {222, 35, 30, 10}},
        {kMainSnBalanceEdit, ControlKind::Edit, "", {253, 33, 35, 12}, kShown},
        {kMainPowerButton, ControlKind::Button, "POWER ON/OFF", {222, 67, 65, 14}},

        // Read-back, serial-number list, checksums.
        {kMainReadSnButton, ControlKind::Button, "Read SN", {119, 87, 34, 14}},
        {kMainReadModelEdit, ControlKind::Edit, "", {156, 88, 50, 12}, kShown},
        {kMainReadSnEdit, ControlKind::Edit, "", {209, 88, 79, 12}, kShown},
        {kMainSnFileButton, ControlKind::Button, "SN File", {119, 102, 34, 14}},
        {kMainSnFileEdit, ControlKind::Edit, "", {156, 103, 132, 12}, kShown},
        {kMainSnQtyCaption, ControlKind::Static, "SN qty", {119, 120, 34, 10}},
        {kMainSnQtyEdit, ControlKind::Edit, "", {156, 118, 42, 12}, kShown},
        // Wide enough for "0x%8.8X", and ending left of the checksum lamp.
        {-1, ControlKind::Static, "Source:", {199, 124, 33, 10}, STYLE_RIGHT},
        {kMainSourceSumEdit, ControlKind::Edit, "", {233, 122, 57, 12}, kShown},
        {-1, ControlKind::Static, "Memory:", {199, 138, 33, 10}, STYLE_RIGHT},
        {kMainMemorySumEdit, ControlKind::Edit, "", {233, 136, 57, 12}, kShown},

        // Code file.
        {kMainReloadCodeFileCheck, ControlKind::CheckBox, "Reload Code File", {119, 135, 78, 10}},
        {kMainOpenCodeFileButton,
         ControlKind::Button,
         "Open Code File        ->",
         {5, 149, 109, 14}},
        {kMainCodeFileNameEdit, ControlKind::Edit, "", {119, 150, 169, 12}, kShown},
        {-1, ControlKind::Static, "path:", {5, 167, 20, 10}},
        {kMainCodeFilePathEdit, ControlKind::Edit, "", {26, 165, 262, 12}, kShown},

        // The running step and the report.
        {kMainStepEdit, ControlKind::Edit, "", {5, 180, 313, 12}, kShown},
        {kMainReportEdit, ControlKind::Edit, "", {5, 195, 313, 88}, kShown | STYLE_MULTILINE},
        {kMainProgressBar, ControlKind::Progress, "", {5, 287, 313, 10}},

        // Actions, each right of its lamp.
        {kMainResetButton, ControlKind::Button, "RESET", {340, 5, 80, 14}},
        {kMainBlowFuseButton, ControlKind::Button, "BLOW FUSE", {340, 29, 80, 14}},
        {kMainFuseEnableCheck, ControlKind::CheckBox, "Enable", {340, 46, 80, 10}},
        {kMainBlowSecurityFuseCheck,
         ControlKind::CheckBox,
         "Blow Security Fuse",
         {340, 58, 80, 10}},
        {kMainAutoProgramButton, ControlKind::Button, "AUTO PROG.", {340, 79, 80, 14}},
        {kMainVerifyFuseButton, ControlKind::Button, "Verify Password", {340, 101, 80, 14}},
        {kMainEraseFlashButton, ControlKind::Button, "ERASE FLASH", {340, 123, 80, 14}},
        {kMainBlankCheckButton, ControlKind::Button, "BLANK CHECK", {340, 145, 80, 14}},
        {kMainWriteFlashButton, ControlKind::Button, "WRITE FLASH", {340, 167, 80, 14}},
        {kMainWriteSnButton, ControlKind::Button, "WRITE SN / Model", {340, 189, 80, 14}},
        {kMainVerifyFlashButton, ControlKind::Button, "VERIFY FLASH", {340, 211, 80, 14}},
        {kMainReadCopyButton, ControlKind::Button, "READ / COPY", {340, 233, 80, 14}},
        {kMainNextCaption, ControlKind::Group, "", {323, 255, 97, 43}},
        {kMainNextButton, ControlKind::Button, "NEXT  ( F5 )", {330, 266, 83, 26}},
    };
    return t;
}

ui::MenuTemplate BuildMenu() {
    using C = MenuItem;
    return ui::MenuTemplate{
        kMainMenuId,
        {
            C::Popup("File",
                     {C::Command(kMenuOpenProject, "Open Project"),
                      C::Command(kMenuSaveProjectAs, "Save Project as.."), C::Separator(),
                      C::Command(kMenuNewSetup, "New Setup"),
                      C::Command(kMenuLoadSetup, "Load Setup "),
                      C::Command(kMenuSaveSetup, "Save Setup"),
                      C::Command(kMenuSaveSetupAs, "Save Setup as.."), C::Separator(),
                      C::Command(kMenuOpenCodeFile, "Open Code File"),
                      C::Command(kMenuCombineCodeFiles, "Combine Code Files"),
                      C::Command(kMenuSaveCodeAs, "Save Code as.."),
                      C::Command(kMenuSaveMemoryAs, "Save Memory as.."), C::Separator(),
                      C::Command(kMenuRecentSetup1, "1."), C::Command(kMenuRecentSetup2, "2."),
                      C::Command(kMenuRecentSetup3, "3."), C::Command(kMenuRecentSetup4, "4."),
                      C::Separator(), C::Command(kMenuExit, "Exit")}),
            C::Popup(
                "View",
                {C::Command(kMenuCodeFileData, "Code File Data"),
                 C::Command(kMenuFlashMemoryData, "Flash Memory Data"),
                 C::Command(kMenuPendingSnList, "View pending SN list"), C::Separator(),
                 C::Command(kMenuCompareCodeAndFlash, "Compare Code File and Flash Data"),
                 C::Command(kMenuCompareTwoCodeFiles, "Compare Two Code Files. Current and ...")}),
            C::Popup("Setup", {C::Command(kMenuLockUnlockSetup, "Lock/Unlock Setup"),
                               C::Separator(), C::Command(kMenuMemoryOptions, "Memory Options"),
                               C::Command(kMenuBslPassword, "BSL Password and Access"),
                               C::Command(kMenuConnectionReset, "Connection / Device Reset"),
                               C::Command(kMenuPreferences, "Preferences..")}),
            C::Popup("Serialization", {C::Command(kMenuSerializationSetup, "Serialization Setup"),
                                       C::Command(kMenuSerializationReport, "Serialization Report"),
                                       C::Command(kMenuPendingSnList, "View pending SN list")}),
            C::Popup("Tools",
                     {C::Command(kMenuCombineCodeFiles, "Combine Code Files"), C::Separator(),
                      C::Command(kMenuFirmwareVersion, "Read MSP-FET430UIF Firmware version"),
                      C::Command(kMenuFirmwareDownloader, "MSP-FET430UIF Firmware Downloader")}),
            C::Popup("Help", {C::Command(kMenuAbout, "About Software"),
                              C::Command(kMenuUserGuide, "User's Guide"), C::Separator(),
                              C::Command(kMenuSupport, "Support"),
                              C::Command(kMenuWeb, "Morvane on the Web")}),
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
