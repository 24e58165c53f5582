#include "gui/reset_option_dlg.h"

#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_state.h"
#include "ui/file_dialog.h"

namespace gui {

namespace {

// The dialog and its controls.
constexpr int kResetDialogId = 217;

// Reset Mode, in the order of ResetModeIndex.
constexpr int kResetAnyRadio = 1111;    // "Any    [ Recommended ]"
constexpr int kResetPucRadio = 1106;    // "PUC only"
constexpr int kResetRstNmiRadio = 1107; // "RST/NMI only"
constexpr int kResetVccRadio = 1108;    // "Vcc Off/On only"
// After the Procedure.
constexpr int kAppStartRadio = 1110; // "Reset and start the application program"
constexpr int kVccOffRadio = 1109;   // "Switch Vcc OFF"
// Port: the four radios are consecutive, in the order of CommPortIndex.
constexpr int kLpt1Radio = 1037;           // "LPT-1"
constexpr int kLpt2Radio = 1038;           // "LPT-2"
constexpr int kLpt3Radio = 1039;           // "LPT-3"
constexpr int kUsbRadio = 1040;            // "USB -->"
constexpr int kUsbAdapterList = 1194;      // "Automatic", then the adapters found
constexpr int kSelectedAdapterText = 1171; // "Selected adapter:"
constexpr int kIdentifyNote = 1198;        // "To identify a connection, ..."
// Adapter and Debug Library.
constexpr int kTiLibraryRadio = 1043;    // "TI's  FET, USB-FET or hardware compatible ..."
constexpr int kOther1Radio = 1041;       // "Other-1"
constexpr int kOther1LibraryText = 1169; // its library's path
constexpr int kOther1BrowseButton = 15;  // ">>"
constexpr int kOther2Radio = 1042;       // "Other-2"
constexpr int kOther2LibraryText = 1170;
constexpr int kOther2BrowseButton = 17; // ">>"
// Interface.
constexpr int kJtagRadio = 1112;      // "JTAG ( 4 wires )"
constexpr int kSpyBiWireRadio = 1114; // "Spy Bi Wire (2 wires) ..."
constexpr int kOkButton = 9;

using ui::ControlKind;
constexpr uint32_t G = ui::STYLE_GROUP;

constexpr size_t kUifMax = 20;
const char kUsed[] = " (used)";

ui::DialogTemplate ResetTemplate() {
    return ui::DialogTemplate{
        kResetDialogId,
        "Target's Connection / Reset Options",
        372,
        302,
        {
            {-1, ControlKind::Group, "Reset Mode", {6, 4, 176, 62}},
            {kResetAnyRadio, ControlKind::Radio, "Any    [ Recommended ]", {14, 16, 160, 10}, G},
            {kResetPucRadio, ControlKind::Radio, "PUC only", {14, 28, 160, 10}},
            {kResetRstNmiRadio, ControlKind::Radio, "RST/NMI only", {14, 40, 160, 10}},
            {kResetVccRadio, ControlKind::Radio, "Vcc Off/On only", {14, 52, 160, 10}},
            {-1, ControlKind::Group, "After the Procedure", {188, 4, 178, 62}},
            {kAppStartRadio,
             ControlKind::Radio,
             "Reset and start the application program",
             {194, 20, 170, 10},
             G},
            {kVccOffRadio, ControlKind::Radio, "Switch Vcc OFF", {194, 40, 170, 10}},
            {-1, ControlKind::Group, "Port", {6, 70, 360, 96}},
            {kLpt1Radio, ControlKind::Radio, "LPT-1", {14, 82, 50, 10}, G},
            {kLpt2Radio, ControlKind::Radio, "LPT-2", {14, 96, 50, 10}},
            {kLpt3Radio, ControlKind::Radio, "LPT-3", {14, 110, 50, 10}},
            {kUsbRadio, ControlKind::Radio, "USB -->", {14, 124, 50, 10}},
            {kUsbAdapterList, ControlKind::ListBox, "", {68, 82, 124, 78}},
            {-1, ControlKind::Static, "Selected adapter:", {200, 82, 160, 9}},
            {kSelectedAdapterText, ControlKind::Static, "", {200, 94, 160, 9}},
            {kIdentifyNote,
             ControlKind::Static,
             "To identify a connection, click a port in the list to see the Mode LED on the "
             "attached UIF light up.",
             {200, 110, 160, 48}},
            {-1, ControlKind::Group, "Adapter and Debug Library", {6, 170, 360, 62}},
            {kTiLibraryRadio,
             ControlKind::Radio,
             "TI's  FET, USB-FET or hardware compatible - uses TI's MSP430.dll  library.",
             {14, 182, 346, 10},
             G},
            {kOther1Radio, ControlKind::Radio, "Other-1", {14, 198, 44, 10}},
            {kOther1LibraryText, ControlKind::Static, "", {62, 199, 266, 9}},
            {kOther1BrowseButton, ControlKind::Button, ">>", {334, 196, 26, 13}},
            {kOther2Radio, ControlKind::Radio, "Other-2", {14, 214, 44, 10}},
            {kOther2LibraryText, ControlKind::Static, "", {62, 215, 266, 9}},
            {kOther2BrowseButton, ControlKind::Button, ">>", {334, 212, 26, 13}},
            {-1, ControlKind::Group, "Interface", {6, 236, 360, 40}},
            {kJtagRadio, ControlKind::Radio, "JTAG ( 4 wires )", {14, 248, 120, 10}, G},
            {kSpyBiWireRadio,
             ControlKind::Radio,
             "Spy Bi Wire (2 wires) (do not supported by Parallel Port FET)",
             {14, 261, 300, 10}},
            {kOkButton, ControlKind::Button, "OK", {240, 282, 60, 14}},
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
    const std::pair<int, int32_t> resets[] = {
        {kResetAnyRadio, 0}, {kResetPucRadio, 1}, {kResetRstNmiRadio, 2}, {kResetVccRadio, 3}};
    for (const auto& [id, value] : resets) {
        Map(ui::BN_CLICKED, id, [this, v = value] {
            resetMode_ = v;
            SetRadios();
        });
    }
    Map(ui::BN_CLICKED, kAppStartRadio, [this] {
        appStart_ = 1;
        appStartClicked_ = true;
        SetRadios();
    });
    Map(ui::BN_CLICKED, kVccOffRadio, [this] {
        appStart_ = 0;
        appStartClicked_ = true;
        SetRadios();
    });
    for (int32_t p = 0; p < 4; ++p) {
        Map(ui::BN_CLICKED, kLpt1Radio + p, [this, p] {
            port_ = p;
            FillList();
            SetRadios();
        });
    }
    const std::pair<int, int32_t> adapters[] = {
        {kTiLibraryRadio, 0}, {kOther1Radio, 1}, {kOther2Radio, 2}};
    for (const auto& [id, value] : adapters) {
        Map(ui::BN_CLICKED, id, [this, v = value] {
            adapter_ = v;
            SetRadios();
        });
    }
    Map(ui::BN_CLICKED, kJtagRadio, [this] {
        interface_ = 0;
        interfaceClicked_ = true;
        SetRadios();
    });
    Map(ui::BN_CLICKED, kSpyBiWireRadio, [this] {
        interface_ = 1;
        interfaceClicked_ = true;
        SetRadios();
    });
    Map(ui::LBN_SELCHANGE, kUsbAdapterList, [this] { ListPicked(); });
    Map(ui::BN_CLICKED, kOther1BrowseButton, [this] { Browse(kOther1LibraryText); });
    Map(ui::BN_CLICKED, kOther2BrowseButton, [this] { Browse(kOther2LibraryText); });
    Map(ui::BN_CLICKED, kOkButton, [this] { OnOkButton(); });
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
    SetItemText(kSelectedAdapterText, WithoutUsed(s.Selected_UIF).substr(0, kUifMax));
    SetItemText(kOther1LibraryText, s.MSP430DLL1);
    SetItemText(kOther2LibraryText, s.MSP430DLL2);
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
    ResetContent(kUsbAdapterList);
    AddString(kUsbAdapterList, "Automatic");
    for (const std::string& name : t.UsbAdapterNames) {
        if (name.empty()) {
            break;
        }
        AddString(kUsbAdapterList, name);
    }
    EnableItem(kUsbAdapterList, port_ == 3 && listed);
    EnableItem(kIdentifyNote, port_ == 3 && listed);
}

void ResetOptionDlg::ListPicked() {
    const int pos = GetCurSel(kUsbAdapterList);
    FillList();
    if (pos < 0 || pos >= GetCount(kUsbAdapterList)) {
        SetCurSel(kUsbAdapterList, -1); // the adapter has gone: nothing is opened
        SetRadios();
        return;
    }
    SetCurSel(kUsbAdapterList, pos);
    const std::string name = WithoutUsed(GetItemString(kUsbAdapterList, pos)).substr(0, kUifMax);
    SetItemText(kSelectedAdapterText, name);
    core::TargetOpenUsbAdapter(name.c_str());
    touchedAdapter_ = true;
    SetRadios();
}

void ResetOptionDlg::SetRadios() {
    static constexpr int kReset[] = {kResetAnyRadio, kResetPucRadio, kResetRstNmiRadio,
                                     kResetVccRadio};
    CheckRadioButton(kResetPucRadio, kResetAnyRadio,
                     kReset[resetMode_ >= 0 && resetMode_ <= 3 ? resetMode_ : 0]);
    CheckRadioButton(kVccOffRadio, kAppStartRadio, appStart_ == 0 ? kVccOffRadio : kAppStartRadio);
    CheckRadioButton(kLpt1Radio, kUsbRadio, kLpt1Radio + (port_ >= 0 && port_ <= 3 ? port_ : 0));
    static constexpr int kAdapter[] = {kTiLibraryRadio, kOther1Radio, kOther2Radio};
    CheckRadioButton(kOther1Radio, kTiLibraryRadio,
                     kAdapter[adapter_ >= 0 && adapter_ <= 2 ? adapter_ : 0]);
    CheckRadioButton(kJtagRadio, kSpyBiWireRadio, interface_ == 1 ? kSpyBiWireRadio : kJtagRadio);
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
    s.Selected_UIF = GetItemText(kSelectedAdapterText).substr(0, kUifMax);
    s.MSP430DLL1 = GetItemText(kOther1LibraryText);
    s.MSP430DLL2 = GetItemText(kOther2LibraryText);
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
