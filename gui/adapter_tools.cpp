#include "gui/adapter_tools.h"

#include "core/debug_api.h"
#include "core/debug_lib.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "gui/procedure_frame.h"
#include "platform/prompt.h"

#include <algorithm>

namespace gui {

namespace {

using ui::ControlKind;

constexpr int32_t kErrorErased = 56;
// The library text when the library does not tell the version it holds.
constexpr const char* kVersionUnknown = "n/a";
// The firmware update's dialog and its controls.
constexpr int kFirmwareDialogId = 221;
constexpr int kAvailableVersionText = 1180; // "Available firmware version:"
constexpr int kCurrentVersionText = 1182;   // "Current firmware version:"
constexpr int kUpdateStepText = 1179;       // the update's step or percent
constexpr int kUpdateProgress = 1178;
constexpr int kNoImageNote = 1176;
constexpr int kStartUpdateButton = 1177; // "Start Update"

ui::DialogTemplate FirmwareTemplate() {
    return ui::DialogTemplate{
        kFirmwareDialogId,
        "MSP-FET430UIF Firmware Update",
        260,
        120,
        {
            {-1, ControlKind::Static, "Available firmware version:", {8, 8, 120, 9}},
            {kAvailableVersionText, ControlKind::Static, "", {132, 8, 120, 9}},
            {-1, ControlKind::Static, "Current firmware version:", {8, 22, 120, 9}},
            {kCurrentVersionText, ControlKind::Static, "", {132, 22, 120, 9}},
            {kUpdateStepText, ControlKind::Static, "0", {8, 40, 244, 9}},
            {kUpdateProgress, ControlKind::Progress, "", {8, 54, 244, 12}},
            {kNoImageNote,
             ControlKind::Static,
             "This debug library holds no adapter firmware image:\nthe adapter's firmware cannot "
             "be updated with it.",
             {8, 72, 244, 18},
             ui::STYLE_HIDDEN},
            {kStartUpdateButton, ControlKind::Button, "Start Update", {8, 96, 70, 16}},
            {ui::IDCANCEL, ControlKind::Button, "Close", {182, 96, 70, 16}},
        }};
}

std::string LastErrorText() {
    const char* text = core::Debug_Error_String(core::Debug_Error_Number());
    return text != nullptr ? text : "";
}

void UpdateCallback(uint32_t step, uint32_t value1, uint32_t, void* context) {
    static_cast<CMSP_FET430UIF_SetupDlg*>(context)->Step(step, value1);
}

// The box text of both versions and what they say about the adapter.
std::string VersionsText(const std::string& available, const std::string& current, bool question) {
    std::string text = "Available firmware version:\r\n    " + available +
                       "\r\nCurrent firmware version in the MSP-FET430UIF:\r\n    " + current +
                       "\r\n\r\n";
    if (current == "1.00.00.000") {
        text += "WARNING!!!. Probably it is the EZ430 stick.\r\n"
                "It is not recommended to modify the firmware in the EZ430.\r\n"
                "The EZ430 can be destroyed if you reload the new firmware.\r\n\r\n";
        if (question) {
            text += "Would you like to overwrite firmware anyway? \r\n\r\n";
        }
    } else if (available == kVersionUnknown) {
        // Nothing to compare with: no mismatch can be claimed.
        text += "The firmware version this debug library holds is unknown.\r\n\r\n";
        if (question) {
            text += "Would you like to download its firmware anyway?\r\n\r\n";
        }
    } else if (current != available) {
        text += "The MSP-FET430UIF has not the same firmware.\r\n\r\n";
        if (question) {
            text += "Would you like to download current firmware?\r\n\r\n";
        }
    } else {
        text += "The MSP-FET430UIF has the same firmware.\r\n\r\n";
        if (question) {
            text += "Would you like to overwrite/repair firmware? \r\n\r\n";
        }
    }
    return text;
}

// Steps 1-3 of both tools: the versions when the adapter is on USB and
// opens. False after the box that says why not.
bool VersionsRead(std::string& available, std::string& current) {
    if (core::Settings.CommPortIndex != 3) {
        TimedMessageBox("The USB FET has not been selected.\r\n\r\n"
                        "Please select the TI-USB communication port\r\n"
                        "and try again.\r\n\r\n",
                        "Warning", platform::MB_ICONQUESTION);
        return false;
    }
    available = LibraryVersionText();
    current = FirmwareVersionText();
    if (core::TargetOpen() != 1) {
        TimedMessageBox("MSP430.dll initialization error.\r\n\r\n"
                        "Check communication port setup\r\n"
                        "or connection with the USB-FET adapter.\r\n",
                        "Error", platform::MB_ICONERROR);
        return false;
    }
    return true;
}

} // namespace

bool LibraryHoldsFirmwareImage() {
    return core::DebugLibraryHoldsFirmwareImage();
}

std::string VersionDotted(int32_t version) {
    std::string text = std::to_string(version);
    if (text.size() == 8) {
        text.insert(1, ".");
        text.insert(4, ".");
        text.insert(7, ".");
    }
    return text;
}

std::string LibraryVersionText() {
    core::TargetClose();
    int32_t version = 0;
    if (core::Debug_Initialize("LPT1", &version) != core::kDebugOk) {
        return kVersionUnknown;
    }
    core::Debug_Close(0);
    return VersionDotted(version);
}

std::string FirmwareVersionText() {
    core::TargetClose();
    if (core::TargetOpen() != 1) {
        return core::Debug_Error_Number() == kErrorErased ? "Erased!" : LastErrorText();
    }
    int32_t version = 0;
    if (core::Debug_FET_GetFwVersion(&version) != core::kDebugOk) {
        return LastErrorText();
    }
    return VersionDotted(version);
}

void AdapterFirmwareVersionShow() {
    std::string available;
    std::string current;
    if (!VersionsRead(available, current)) {
        return;
    }
    TimedMessageBox(VersionsText(available, current, false), "Info", platform::MB_OK);
}

void AdapterFirmwareDownload() {
    std::string available;
    std::string current;
    if (!VersionsRead(available, current)) {
        return;
    }
    // Nothing to ask about: the dialog says why no update can be made.
    if (!LibraryHoldsFirmwareImage()) {
        AdapterFirmwareUpdateRun();
        return;
    }
    const std::string text = "Warning: \r\n"
                             " Please use the following downloader to upgrade/downgrade\r\n"
                             " the TI's MSP-FET430UIF (USB-FET) only.\r\n\r\n"
                             "Important: \r\n"
                             " Please DO NOT download firmware to the TI's EZ430 stick.\r\n\r\n" +
                             VersionsText(available, current, true);
    if (TimedMessageBox(text, "Warning", platform::MB_YESNO) != platform::IDYES ||
        TimedMessageBox("Are you sure?\r\n\r\n    ", "Warning",
                        platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES) {
        return;
    }
    AdapterFirmwareUpdateRun();
}

CMSP_FET430UIF_SetupDlg::CMSP_FET430UIF_SetupDlg() : ui::Dialog(FirmwareTemplate()) {
    Map(ui::BN_CLICKED, kStartUpdateButton, [this] { OnStartUpdate(); });
}

bool CMSP_FET430UIF_SetupDlg::OnInitDialog() {
    SetItemText(kAvailableVersionText, LibraryVersionText());
    SetItemText(kCurrentVersionText, FirmwareVersionText());
    SetItemText(kUpdateStepText, "0");
    SetRange(kUpdateProgress, 0, 100);
    SetPos(kUpdateProgress, 0);
    if (!LibraryHoldsFirmwareImage()) {
        ShowItem(kNoImageNote, true);
        EnableItem(kStartUpdateButton, false);
    }
    return true;
}

void CMSP_FET430UIF_SetupDlg::Step(uint32_t step, uint32_t value) {
    switch (step) {
    case 0:
        SetItemText(kUpdateStepText, "Initializing Bootloader...");
        EnableItem(kStartUpdateButton, false);
        break;
    case 1:
        SetItemText(kUpdateStepText, "Erasing Interrupt Vectors...");
        break;
    case 2:
        SetItemText(kUpdateStepText, "Erasing Firmware...");
        break;
    case 3:
        SetItemText(kUpdateStepText, "Programming New Firmware...");
        break;
    case 4: {
        const int32_t percent = static_cast<int32_t>(std::min<uint32_t>(value, 100));
        SetPos(kUpdateProgress, percent);
        SetItemText(kUpdateStepText, std::to_string(percent));
        break;
    }
    case 5:
        SetItemText(kUpdateStepText, "Finishing...");
        break;
    case 6:
        SetItemText(kUpdateStepText, "Update Complete.");
        EnableItem(kStartUpdateButton, true);
        break;
    case 7:
        SetItemText(kUpdateStepText, LastErrorText());
        EnableItem(kStartUpdateButton, true);
        break;
    case 8:
        SetItemText(kUpdateStepText, "Wait for Bootloader to timeout (ca. 10s)...");
        break;
    default:
        break;
    }
    UpdateWindow();
}

void CMSP_FET430UIF_SetupDlg::OnStartUpdate() {
    const int32_t r = core::Debug_FET_FwUpdate(nullptr, UpdateCallback, this);
    if (r == 0) {
        SetItemText(kUpdateStepText, "100");
        SetPos(kUpdateProgress, 100);
    } else {
        // The operator must see why nothing was updated.
        SetItemText(kUpdateStepText, LastErrorText());
    }
    SetItemText(kCurrentVersionText, FirmwareVersionText());
    UpdateWindow();
}

} // namespace gui
