#include "gui/main_controls.h"
#include "platform/ascii.h"

#include "gui/adapter_tools.h"

#include "core/model_text.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/main_actions.h"
#include "gui/main_dialog.h"
#include "gui/main_ids.h"
#include "gui/main_window_state.h"
#include "gui/procedure_frame.h"
#include "gui/project/project_files.h"
#include "gui/project/project_state.h"
#include "gui/serial_number.h"
#include "gui/setup_runners.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_list.h"
#include "gui/startup_load.h"
#include "platform/prompt.h"
#include "quill_version.h"
#include "ui/dialog.h"
#include "ui/file_dialog.h"

#include <cctype>
#include <cstdio>
#include <optional>

namespace gui {
namespace {

MainDialog* Window() {
    return MainWindow.TheMainDialog;
}

std::string Formatted(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%1.1i", value);
    return text;
}

// What the lock governs: the action and file buttons, the selectors, and
// these menu items.
constexpr int kLockedButtons[] = {
    kMainOpenCodeFileButton, kMainSnFileButton,      kMainEraseFlashButton, kMainVerifyFuseButton,
    kMainWriteFlashButton,   kMainVerifyFlashButton, kMainBlankCheckButton, kMainReadCopyButton};
constexpr int kSelectors[] = {kMainDeviceCombo,     kMainGroupCombo,
                              kMainVccCombo,        kMainReloadCodeFileCheck,
                              kMainFuseEnableCheck, kMainBlowSecurityFuseCheck};
constexpr int kLockedMenuItems[] = {
    kMenuOpenProject,     kMenuSaveProjectAs,       kMenuNewSetup,
    kMenuLoadSetup,       kMenuSaveSetup,           kMenuSaveSetupAs,
    kMenuOpenCodeFile,    kMenuCombineCodeFiles,    kMenuSaveCodeAs,
    kMenuSaveMemoryAs,    kMenuRecentSetup1,        kMenuRecentSetup2,
    kMenuRecentSetup3,    kMenuRecentSetup4,        kMenuCodeFileData,
    kMenuFlashMemoryData, kMenuCompareCodeAndFlash, kMenuCompareTwoCodeFiles,
    kMenuLockUnlockSetup, kMenuMemoryOptions,       kMenuBslPassword,
    kMenuConnectionReset, kMenuSerializationSetup,  kMenuSerializationReport};
constexpr int kViewerItems[] = {kMenuCodeFileData, kMenuFlashMemoryData, kMenuCompareCodeAndFlash,
                                kMenuCompareTwoCodeFiles};

bool SetupIsUnlocked() {
    return SetupRunner.SetupUnlocked != 0;
}

} // namespace

void OnLockUnlockSetup() {
    int32_t& options = Startup.LockOptions;
    options &= ~kLockByOperator;
    if ((options & kProjectLocked) != 0) {
        // A project lock yields only to the project's password.
        if ((options & kProjectUnlockWithPassword) != 0 && ProjectUnlockCheck() == 1) {
            options = kLockUnlockedByPassword;
            SetupRunner.SetupUnlocked = 0xFF;
        }
    } else if (Startup.StartupLoading != 0) {
        SetupRunner.SetupUnlocked = 0xFF;
    } else if (platform::ShowMessageBox(
                   "Would you like to lock current Setup ?  \r\n\r\n", "Lock Setup",
                   platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES) {
        SetupRunner.SetupUnlocked = 0;
        options |= kLockByOperator;
    } else {
        SetupRunner.SetupUnlocked = 0xFF;
        options &= ~kLockByOperator;
    }
    MainDialogRefresh();
}

void MainDialogRefresh() {
    if (MainWindow.MainDialogExists == 0 || Window() == nullptr) {
        return;
    }
    FuseControlsUpdate();
    for (int id : {kMenuLoadSetup, kMenuSaveSetup, kMenuSaveSetupAs}) {
        Window()->EnableMenuItem(id, true);
    }
    // Serialization Setup (195) follows the lock alone.
    Window()->EnableMenuItem(kMenuSerializationReport, core::Settings.SerializationEnable == 1);
    ConnectionCaptionsUpdate();
    ControlsEnableByLock();
}

void ControlsEnableByLock() {
    MainDialog* w = Window();
    if (w == nullptr) {
        return;
    }
    const bool unlocked = SetupIsUnlocked();
    for (int id : kLockedButtons) {
        w->EnableItem(id, unlocked);
    }
    for (int id : kSelectors) {
        w->EnableItem(id, unlocked);
    }
    w->EnableItem(kMainPowerButton, unlocked && core::Settings.PowerFromPODEnable == 1);
    for (int id : kLockedMenuItems) {
        w->EnableMenuItem(id, unlocked);
    }
    if (unlocked) {
        // Empty recent slots stay grayed.
        for (size_t i = 0; i < 4; ++i) {
            w->EnableMenuItem(kRecentSetupItems[i], !core::Settings.RecentSetups[i].empty());
        }
    } else {
        RepeatActionSet(1, "");
        const int32_t options = Startup.LockOptions;
        if (core::Settings.SerializationEnable == 1) {
            w->EnableMenuItem(kMenuSerializationReport, true);
        }
        if ((options & kProjectLocked) != 0) {
            w->EnableMenuItem(kMenuOpenProject, true);
        }
        if ((options & (kProjectUnlockWithPassword | kLockByOperator)) != 0) {
            w->EnableMenuItem(kMenuLockUnlockSetup, true);
        }
        if ((options & (kLockByOperator | kLockByCommandLine)) != 0 || (options & 3) == 1) {
            for (int id : kViewerItems) {
                w->EnableMenuItem(id, true);
            }
        }
    }
    VccComboUpdate();
    SerialNumberDisplayUpdate(1);
}

void ConnectionCaptionsUpdate() {
    MainWindowSetText(kMainInterfaceCaption, core::Settings.InterfaceType == 1
                                                 ? "Spy-Bi-Wire (2-wires)"
                                                 : "JTAG (4-wires)");
    std::string port;
    switch (core::Settings.CommPortIndex) {
    case 0:
        port = "Port: LPT-1";
        break;
    case 1:
        port = "Port: LPT-2";
        break;
    case 2:
        port = "Port: LPT-3";
        break;
    case 3:
        port = "Port: USB " + core::Settings.Selected_UIF;
        break;
    default:
        break;
    }
    MainWindowSetText(kMainPortCaption, port);
    MemoryOptionCaptionUpdate();
}

void MemoryOptionCaptionUpdate() {
    static const char* const kCaptions[] = {"* Update only *", "* All Memory *",
                                            "* Main Memory only *", "* Used by Code File *",
                                            "* User Defined *"};
    const int32_t mode = core::Settings.FlashEraseModeIndex;
    MainWindowSetText(kMainEraseModeCaption, mode >= 0 && mode <= 4 ? kCaptions[mode] : "");
}

void FuseControlsUpdate() {
    MainDialog* w = Window();
    if (w == nullptr) {
        return;
    }
    const bool unlocked = SetupIsUnlocked();
    const int checked = core::Settings.BlowFuseEnable == 1 ? 1 : 0;
    w->CheckDlgButton(kMainFuseEnableCheck, checked);
    w->CheckDlgButton(kMainBlowSecurityFuseCheck, checked);
    w->SetItemText(kMainVerifyFuseButton, "Verify Security Fuse");
    w->EnableItem(kMainBlowFuseButton, unlocked && core::Settings.BlowFuseEnable == 1);
    w->EnableItem(kMainFuseEnableCheck, unlocked);
    w->EnableItem(kMainBlowSecurityFuseCheck, unlocked);
}

void FuseEnableConfirm() {
    if (core::Settings.BlowFuseEnable != 0 && SetupIsUnlocked()) {
        const int answer = platform::ShowMessageBox(
            "Blow the Security Fuse Procedure is NOT reversible!!!\r\n"
            "When Fuse is blown, then microcontroller\r\n"
            "is not accessible via the JTAG interface.\r\n\r\n"
            "Would you like to enable the option of blowing the Security Fuse?\r\n\r\n",
            "Warning", platform::MB_YESNO | platform::MB_ICONWARNING);
        if (answer != platform::IDYES) {
            core::Settings.BlowFuseEnable = 0;
        }
    }
    FuseControlsUpdate();
}

void VccComboUpdate() {
    MainDialog* w = Window();
    if (w == nullptr) {
        return;
    }
    w->SetCurSel(kMainVccCombo, core::Settings.VccIndex & 7);
    w->EnableItem(kMainVccCombo, (SetupRunner.SetupUnlocked & 1) != 0);
}

void OnVccSelect() {
    if (Window() == nullptr) {
        return;
    }
    const int selection = Window()->GetCurSel(kMainVccCombo);
    if (selection >= 0) {
        core::Settings.VccIndex = selection & 7;
    }
}

void OnReloadCodeFile() {
    if (Window() != nullptr) {
        core::Settings.CodeFileReload =
            Window()->IsDlgButtonChecked(kMainReloadCodeFileCheck) != 0 ? 1 : 0;
    }
}

void OnSnTotalChange() {
    if (Window() == nullptr) {
        return;
    }
    const std::string text = Window()->GetItemText(kMainSnTotalEdit).substr(0, 8);
    int32_t total = 0;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    for (; i < text.size() && platform::AsciiIsDigit(text[i]); ++i) {
        total = total * 10 + (text[i] - '0');
    }
    SetupRunner.SnTotal = total;
    SetupRunner.SnBalance = total;
    Window()->SetItemText(kMainSnBalanceEdit, Formatted(total));
}

void OnSnFile() {
    ui::FileDialogOptions o;
    o.filter = "SN list (*.txt)|*.txt|Any (*.*)|*.*||";
    o.defaultExt = "txt";
    const std::optional<std::string> path = ui::FileDialog(o);
    if (!path) {
        return;
    }
    core::Settings.SN_DataFile = *path;
    MainWindowSetText(kMainSnFileEdit, *path);
    const int32_t read = SnListLoad(*path);
    const SnPendingListState& list = SerialNumber.SnPendingList;
    char line[64];
    ReportAppend("Reading SN Data File ...........");
    std::snprintf(line, sizeof line, ".. %3.1i - SN removed\r\n", list.alreadyUsed);
    ReportAppend(line);
    std::snprintf(line, sizeof line, ".. %3.1i - SN accepted\r\n", list.accepted);
    ReportAppend(line);
    std::snprintf(line, sizeof line, ".. %3.1i - SN size error.................", list.wrongLength);
    ReportAppend(line);
    ReportDoneFailed(read >= 0 && list.wrongLength == 0);
    SerialNumber.ManualSnFlag = 0;
    SerialNumberComputeNext();
    SerialNumberDisplayUpdate(1);
    OnPendingSnList();
}

void SerialNumberDisplayUpdate(int32_t) {
    MainDialog* w = Window();
    if (w == nullptr) {
        return;
    }
    const core::SettingsState& s = core::Settings;
    w->SetItemText(kMainNextSnCaption, Frame.AutoProgramActive == 1 ? "Coming SN:" : "  Next SN:");
    const bool listMode = s.SerializationEnable == 1 && s.SNDispFormatIndex == 7;
    if (listMode) {
        const int32_t left = SnListCount();
        w->SetItemText(kMainSnQtyEdit, Formatted(left));
        w->SetItemText(kMainSnQtyCaption, left == 0 ? "empty" : "SN qty");
    }
    for (int id : {kMainSnFileEdit, kMainSnQtyEdit, kMainSnQtyCaption}) {
        w->EnableItem(id, listMode);
    }
    w->EnableItem(kMainSnFileButton, listMode && SetupIsUnlocked());
    // A number typed or scanned stays in the field.
    if (SerialNumber.ManualSnFlag != 1) {
        std::string model;
        core::BytesToText(SerialNumber.ModelTextMode, s.ModelTextSize,
                          core::SerialData.ModelTextBytes, model);
        w->SetItemText(kMainModelEdit, model);
        w->SetItemText(kMainNextSnEdit, SnComingText());
        w->SetItemText(kMainSnFormatCaption, SerialNumberFormatCaption());
    }
    const bool serial = s.SerializationEnable == 1;
    for (int id : {kMainNextSnEdit, kMainSnFormatCaption, kMainReadSnButton, kMainWriteSnButton}) {
        w->EnableItem(id, serial);
    }
    for (int id : {kMainModelEdit, kMainModelCaption}) {
        w->EnableItem(id, s.ModelTextEnable == 1);
    }
    w->EnableMenuItem(kMenuSerializationReport, serial);
}

namespace {

ui::DialogTemplate AboutTemplate() {
    ui::DialogTemplate t;
    t.id = kAboutDialogId;
    t.caption = "About Quillbay";
    t.width = 200;
    t.height = 86;
    t.controls = {
        {-1, ui::ControlKind::Static, "Quillbay - MSP430 Flash Programmer", {10, 8, 180, 10}},
        {-1, ui::ControlKind::Static, "Software part number:", {10, 24, 80, 10}},
        {kAboutPartNumber, ui::ControlKind::Static, "", {92, 24, 98, 10}},
        {-1, ui::ControlKind::Static, "Debug library:", {10, 36, 80, 10}},
        {kAboutLibraryVersion, ui::ControlKind::Static, "", {92, 36, 98, 10}},
        {-1, ui::ControlKind::Static, "Adapter firmware:", {10, 48, 80, 10}},
        {kAboutFirmwareVersion, ui::ControlKind::Static, "", {92, 48, 98, 10}},
        {ui::IDOK, ui::ControlKind::Button, "OK", {75, 66, 50, 14}},
    };
    return t;
}

class AboutDlg : public ui::Dialog {
public:
    AboutDlg() : ui::Dialog(AboutTemplate()) {}

protected:
    bool OnInitDialog() override {
        SetItemText(kAboutPartNumber, QUILL_PROJECT_VERSION);
        // The same texts the adapter tools show: the version the debug
        // library reports of itself, and the adapter's firmware (which
        // opens the interface again, as the version menu does).
        SetItemText(kAboutLibraryVersion, LibraryVersionText());
        SetItemText(kAboutFirmwareVersion, FirmwareVersionText());
        return ui::Dialog::OnInitDialog();
    }
};

} // namespace

void AboutDialog() {
    AboutDlg dialog;
    dialog.DoModal();
}

} // namespace gui
