#include "gui/reset_option_dlg.h"

#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_state.h"
#include "ui/file_dialog.h"

namespace gui {

namespace {

using ui::ControlKind;
constexpr uint32_t G = ui::STYLE_GROUP;

constexpr size_t kUifMax = 20;
const char kUsed[] = " (used)";

ui::DialogTemplate ResetTemplate() {
    return ui::DialogTemplate{
        217,
        "Target's Connection / Reset Options",
        372,
        302,
        {
            {-1, ControlKind::Group, "Reset Mode", {6, 4, 176, 62}},
            {1111, ControlKind::Radio, "Any    [ Recommended ]", {14, 16, 160, 10}, G},
            {1106, ControlKind::Radio, "PUC only", {14, 28, 160, 10}},
            {1107, ControlKind::Radio, "RST/NMI only", {14, 40, 160, 10}},
            {1108, ControlKind::Radio, "Vcc Off/On only", {14, 52, 160, 10}},
            {-1, ControlKind::Group, "After the Procedure", {188, 4, 178, 62}},
            {1110, ControlKind::Radio, "Reset and start the application program", {194, 20, 170, 10}, G},
            {1109, ControlKind::Radio, "Switch Vcc OFF", {194, 40, 170, 10}},
            {-1, ControlKind::Group, "Port", {6, 70, 360, 96}},
            {1037, ControlKind::Radio, "LPT-1", {14, 82, 50, 10}, G},
            {1038, ControlKind::Radio, "LPT-2", {14, 96, 50, 10}},
            {1039, ControlKind::Radio, "LPT-3", {14, 110, 50, 10}},
            {1040, ControlKind::Radio, "USB -->", {14, 124, 50, 10}},
            {1194, ControlKind::ListBox, "", {68, 82, 124, 78}},
            {-1, ControlKind::Static, "Selected adapter:", {200, 82, 160, 9}},
            {1171, ControlKind::Static, "", {200, 94, 160, 9}},
            {1198, ControlKind::Static,
             "To identify a connection, click a port in the list to see the Mode LED on the "
             "attached UIF light up.",
             {200, 110, 160, 48}},
            {-1, ControlKind::Group, "Adapter and Debug Library", {6, 170, 360, 62}},
            {1043, ControlKind::Radio,
             "TI's  FET, USB-FET or hardware compatible - uses TI's MSP430.dll  library.",
             {14, 182, 346, 10}, G},
            {1041, ControlKind::Radio, "Other-1", {14, 198, 44, 10}},
            {1169, ControlKind::Static, "", {62, 199, 266, 9}},
            {15, ControlKind::Button, ">>", {334, 196, 26, 13}},
            {1042, ControlKind::Radio, "Other-2", {14, 214, 44, 10}},
            {1170, ControlKind::Static, "", {62, 215, 266, 9}},
            {17, ControlKind::Button, ">>", {334, 212, 26, 13}},
            {-1, ControlKind::Group, "Interface", {6, 236, 360, 40}},
            {1112, ControlKind::Radio, "JTAG ( 4 wires )", {14, 248, 120, 10}, G},
            {1114, ControlKind::Radio, "Spy Bi Wire (2 wires) (do not supported by Parallel Port FET)",
             {14, 261, 300, 10}},
            {9, ControlKind::Button, "OK", {240, 282, 60, 14}},
            {ui::IDCANCEL, ControlKind::Button, "Cancel", {306, 282, 60, 14}},
        }};
}

std::string WithoutUsed(std::string name) {
    const size_t n = sizeof kUsed - 1;
    if (name.size() >= n && name.compare(name.size() - n, n, kUsed) == 0) {
        name.resize(name.size() - n);
    }
    return name;
}

} // namespace

ResetOptionDlg::ResetOptionDlg() : ui::Dialog(ResetTemplate()) {
    const std::pair<int, int32_t> resets[] = {{1111, 0}, {1106, 1}, {1107, 2}, {1108, 3}};
    for (const auto& [id, value] : resets) {
        Map(ui::BN_CLICKED, id, [this, v = value] {
            resetMode_ = v;
            SetRadios();
        });
    }
    Map(ui::BN_CLICKED, 1110, [this] {
        appStart_ = 1;
        appStartClicked_ = true;
        SetRadios();
    });
    Map(ui::BN_CLICKED, 1109, [this] {
        appStart_ = 0;
        appStartClicked_ = true;
        SetRadios();
    });
    for (int32_t p = 0; p < 4; ++p) {
        Map(ui::BN_CLICKED, 1037 + p, [this, p] {
            port_ = p;
            FillList();
            SetRadios();
        });
    }
    const std::pair<int, int32_t> adapters[] = {{1043, 0}, {1041, 1}, {1042, 2}};
    for (const auto& [id, value] : adapters) {
        Map(ui::BN_CLICKED, id, [this, v = value] {
            adapter_ = v;
            SetRadios();
        });
    }
    Map(ui::BN_CLICKED, 1112, [this] {
        interface_ = 0;
        interfaceClicked_ = true;
        SetRadios();
    });
    Map(ui::BN_CLICKED, 1114, [this] {
        interface_ = 1;
        interfaceClicked_ = true;
        SetRadios();
    });
    Map(ui::LBN_SELCHANGE, 1194, [this] { ListPicked(); });
    Map(ui::BN_CLICKED, 15, [this] { Browse(1169); });
    Map(ui::BN_CLICKED, 17, [this] { Browse(1170); });
    Map(ui::BN_CLICKED, 9, [this] { OnOkButton(); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter closes nothing
    Map(ui::BN_CLICKED, ui::IDCANCEL, [this] { OnCancelButton(); });
}

bool ResetOptionDlg::OnInitDialog() {
    const core::SettingsState& s = core::Settings;
    resetMode_ = s.ResetModeIndex;
    appStart_ = s.ApplicationStartEnable;
    port_ = s.CommPortIndex;
    adapter_ = s.AdapterIndex;
    interface_ = s.InterfaceType;
    SetItemText(1171, WithoutUsed(s.Selected_UIF).substr(0, kUifMax));
    SetItemText(1169, s.MSP430DLL1);
    SetItemText(1170, s.MSP430DLL2);
    FillList();
    SetRadios();
    return true;
}

void ResetOptionDlg::FillList() {
    core::TargetState& t = core::Target;
    for (std::string& name : t.UsbAdapterNames) {
        name.clear();
    }
    bool listed = false;
    if (port_ == 3) {
        listed = core::TargetListUsbAdapters() != -1;
        touchedAdapter_ = true;
    }
    ResetContent(1194);
    AddString(1194, "Automatic");
    for (const std::string& name : t.UsbAdapterNames) {
        if (name.empty()) {
            break;
        }
        AddString(1194, name);
    }
    EnableItem(1194, port_ == 3 && listed);
    EnableItem(1198, port_ == 3 && listed);
}

void ResetOptionDlg::ListPicked() {
    const int pos = GetCurSel(1194);
    FillList();
    if (pos < 0 || pos >= GetCount(1194)) {
        SetCurSel(1194, -1); // the adapter has gone: nothing is opened
        SetRadios();
        return;
    }
    SetCurSel(1194, pos);
    const std::string name = WithoutUsed(GetItemString(1194, pos)).substr(0, kUifMax);
    SetItemText(1171, name);
    core::TargetOpenUsbAdapter(name.c_str());
    touchedAdapter_ = true;
    SetRadios();
}

void ResetOptionDlg::SetRadios() {
    static constexpr int kReset[] = {1111, 1106, 1107, 1108};
    CheckRadioButton(1106, 1111, kReset[resetMode_ >= 0 && resetMode_ <= 3 ? resetMode_ : 0]);
    CheckRadioButton(1109, 1110, appStart_ == 0 ? 1109 : 1110);
    CheckRadioButton(1037, 1040, 1037 + (port_ >= 0 && port_ <= 3 ? port_ : 0));
    static constexpr int kAdapter[] = {1043, 1041, 1042};
    CheckRadioButton(1041, 1043, kAdapter[adapter_ >= 0 && adapter_ <= 2 ? adapter_ : 0]);
    CheckRadioButton(1112, 1114, interface_ == 1 ? 1114 : 1112);
}

void ResetOptionDlg::Browse(int staticId) {
    ui::FileDialogOptions o;
    o.open = true;
    o.filter = "MSP430.dll    (*.dll)|*.dll||";
    const std::string current = GetItemText(staticId);
    const size_t slash = current.rfind('/');
    if (slash != std::string::npos) {
        o.initialDir = current.substr(0, slash);
        o.fileName = current.substr(slash + 1);
    } else {
        o.fileName = current;
    }
    if (const std::optional<std::string> path = ui::FileDialog(o)) {
        SetItemText(staticId, *path);
    }
}

void ResetOptionDlg::OnOkButton() {
    core::SettingsState& s = core::Settings;
    s.ResetModeIndex = resetMode_ >= 0 && resetMode_ <= 3 ? resetMode_ : 0;
    if (appStartClicked_) {
        s.ApplicationStartEnable = appStart_;
    }
    s.CommPortIndex = port_ >= 0 && port_ <= 3 ? port_ : 0;
    s.AdapterIndex = adapter_ >= 0 && adapter_ <= 2 ? adapter_ : 0;
    if (interfaceClicked_) {
        s.InterfaceType = interface_;
    }
    s.Selected_UIF = GetItemText(1171).substr(0, kUifMax);
    s.MSP430DLL1 = GetItemText(1169);
    s.MSP430DLL2 = GetItemText(1170);
    EndDialog(ui::IDOK);
}

void ResetOptionDlg::OnCancelButton() {
    // The next connect must take the stored adapter, not one clicked here.
    if (touchedAdapter_) {
        core::TargetClose();
    }
    EndDialog(ui::IDCANCEL);
}

} // namespace gui
