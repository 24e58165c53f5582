#include "gui/options_dlg.h"

#include "core/device_select.h"
#include "core/memory_map.h"
#include "core/number_parse.h"
#include "core/settings.h"
#include "ui/message_box.h"

#include <algorithm>
#include <cstdio>

namespace gui {

namespace {

using ui::ControlKind;
using ui::ControlTemplate;

constexpr uint32_t G = ui::STYLE_GROUP;

ui::DialogTemplate OptionsTemplate() {
    std::vector<ControlTemplate> c = {
        // Erase / write.
        {-1, ControlKind::Group, "Memory Erase / Write", {6, 4, 234, 152}},
        {1075, ControlKind::Radio, "Update only", {14, 16, 96, 10}, G},
        {1076, ControlKind::Radio, "All Memory", {14, 28, 96, 10}},
        {1077, ControlKind::Radio, "Main Memory only", {14, 40, 96, 10}},
        {1078, ControlKind::Radio, "Used by Code File", {14, 52, 96, 10}},
        {1079, ControlKind::Radio, "User defined", {14, 64, 96, 10}},
        {1268, ControlKind::CheckBox, "including locked\nINFO-A segment", {114, 24, 120, 22}},
        {1038, ControlKind::CheckBox, "", {24, 80, 12, 10}},
        {1200, ControlKind::Static, "", {38, 81, 120, 9}},
        {1039, ControlKind::CheckBox, "", {24, 92, 12, 10}},
        {1201, ControlKind::Static, "", {38, 93, 120, 9}},
        {1040, ControlKind::CheckBox, "", {24, 104, 12, 10}},
        {1202, ControlKind::Static, "", {38, 105, 120, 9}},
        {1041, ControlKind::CheckBox, "", {24, 116, 12, 10}},
        {1203, ControlKind::Static, "", {38, 117, 120, 9}},
        {1044, ControlKind::CheckBox, "Enable", {24, 136, 44, 10}},
        {1018, ControlKind::Edit, "", {72, 134, 56, 13}},
        {-1, ControlKind::Static, "-", {132, 136, 8, 9}, ui::STYLE_CENTER},
        {1019, ControlKind::Edit, "", {142, 134, 56, 13}},
        // Verification.
        {-1, ControlKind::Group, "Verification", {6, 160, 234, 52}},
        {1074, ControlKind::Radio, "Fast          (Write,Verify + Check Sum)  [ Recommended ]",
         {14, 172, 222, 10}, G},
        {1073, ControlKind::Radio, "Standard  (Write,Verify + Check Sum + Read,Verify)",
         {14, 184, 222, 10}},
        {1072, ControlKind::Radio, "None", {14, 196, 80, 10}},
        // The selected device.
        {-1, ControlKind::Group, "Selected device", {6, 216, 234, 56}},
        {-1, ControlKind::Static, "Device:", {14, 228, 60, 9}},
        {1107, ControlKind::Static, "", {76, 228, 150, 9}},
        {-1, ControlKind::Static, "Main memory:", {14, 241, 60, 9}},
        {1105, ControlKind::Static, "", {76, 241, 44, 9}},
        {-1, ControlKind::Static, "-", {122, 241, 8, 9}, ui::STYLE_CENTER},
        {1191, ControlKind::Static, "", {132, 241, 50, 9}},
        {-1, ControlKind::Static, "RAM size:", {14, 254, 60, 9}},
        {1208, ControlKind::Static, "", {76, 254, 44, 9}},
        // Read.
        {-1, ControlKind::Group, "Memory Read", {246, 4, 234, 152}},
        {1100, ControlKind::Radio, "All Memory", {254, 16, 96, 10}, G},
        {1101, ControlKind::Radio, "Main Memory only", {254, 28, 96, 10}},
        {1104, ControlKind::Radio, "Info Memory only", {254, 40, 96, 10}},
        {1103, ControlKind::Radio, "User defined", {254, 52, 96, 10}},
        {1036, ControlKind::CheckBox, "", {264, 68, 12, 10}},
        {1204, ControlKind::Static, "", {278, 69, 120, 9}},
        {1037, ControlKind::CheckBox, "", {264, 80, 12, 10}},
        {1205, ControlKind::Static, "", {278, 81, 120, 9}},
        {1042, ControlKind::CheckBox, "", {264, 92, 12, 10}},
        {1206, ControlKind::Static, "", {278, 93, 120, 9}},
        {1043, ControlKind::CheckBox, "", {264, 104, 12, 10}},
        {1207, ControlKind::Static, "", {278, 105, 120, 9}},
        {1045, ControlKind::CheckBox, "Enable", {264, 124, 44, 10}},
        {1020, ControlKind::Edit, "", {312, 122, 56, 13}},
        {-1, ControlKind::Static, "-", {372, 124, 8, 9}, ui::STYLE_CENTER},
        {1021, ControlKind::Edit, "", {382, 122, 56, 13}},
        // Retained data.
        {-1, ControlKind::Group, "Retain Data during Erase", {246, 160, 234, 90}},
        {1232, ControlKind::CheckBox, "DCO constants in INFO-A ( 0x10F8 - 0x10FF )\n( MSP430F2xx only )",
         {254, 172, 222, 20}},
        {1233, ControlKind::CheckBox, "User defined", {254, 198, 62, 10}},
        {1234, ControlKind::Edit, "", {318, 196, 56, 13}},
        {-1, ControlKind::Static, "-", {376, 198, 8, 9}, ui::STYLE_CENTER},
        {1235, ControlKind::Edit, "", {386, 196, 56, 13}},
        {-1, ControlKind::Static, "(max 256 bytes)", {318, 212, 80, 9}},
        {1267, ControlKind::CheckBox, "Check DCO constants ( 0x0000 or 0xFFFF are invalid )",
         {254, 230, 222, 10}},
        {11, ControlKind::Button, "OK", {348, 256, 60, 14}},
        {1080, ControlKind::Button, "Cancel", {414, 256, 60, 14}},
    };
    return ui::DialogTemplate{185, "Memory Options", 486, 276, std::move(c)};
}

constexpr int32_t kRangeLow = 0x1100;
constexpr int32_t kRangeHigh = 0x45BFF;

std::string Hex4(int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%4.4X", static_cast<unsigned>(v));
    return buf;
}

int32_t Clamp(int32_t v) {
    return std::clamp(v, kRangeLow, kRangeHigh);
}

// The radio of a group that is checked, as the index its id stands for.
int32_t RadioIndex(const ui::Dialog& d, std::initializer_list<std::pair<int, int32_t>> radios,
                   int32_t otherwise) {
    for (const auto& [id, index] : radios) {
        if (d.IsDlgButtonChecked(id)) {
            return index;
        }
    }
    return otherwise;
}

// The checks of an address range, as the erase and read groups share them.
std::string RangeFailure(int32_t start, int32_t stop, const char* stopHighText) {
    if (start & 1) {
        return "'Main Memory Start Address' must be even.\r\n\r\n";
    }
    if (start < 0x1100) {
        return "'Main Memory Start Address' must be higher then 0x1000.\r\n\r\n";
    }
    if (start > 0x45BFE) {
        return "'Main Memory Start Address' must be lower then 0xFFFF.\r\n\r\n";
    }
    if ((stop & 1) == 0) {
        return "'Main Memory Stop Address' cannot be even.\r\n\r\n";
    }
    if (stop < 0x1101) {
        return "'Main Memory Stop Address' must be higher then 0x1001.\r\n\r\n";
    }
    if (stop > 0x45BFF) {
        return stopHighText;
    }
    if (start >= stop) {
        return "'Main Memory Stop Address' must be higher then Memory Start Address.\r\n\r\n";
    }
    return "";
}

} // namespace

OptionsDlg::OptionsDlg() : ui::Dialog(OptionsTemplate()) {
    for (int id : {1075, 1076, 1077, 1078, 1079, 1038, 1039, 1040, 1041, 1044, 1268, 1074, 1073,
                   1072, 1100, 1101, 1104, 1103, 1036, 1037, 1042, 1043, 1045, 1232, 1233, 1267}) {
        Map(ui::BN_CLICKED, id, [this] { Clicked(); });
    }
    Map(ui::BN_CLICKED, 11, [this] { OnOkButton(); });
    Map(ui::BN_CLICKED, 1080, [this] { EndDialog(ui::IDCANCEL); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter closes nothing
    Map(ui::BN_CLICKED, ui::IDCANCEL, [this] { EndDialog(ui::IDCANCEL); });
}

bool OptionsDlg::OnInitDialog() {
    core::DeviceSelectByIndex();
    const core::SelectedDeviceState& dev = core::SelectedDevice;
    SetItemText(1107, dev.name);
    SetItemText(1105, Hex4(dev.flashStart));
    SetItemText(1191, Hex4(dev.flashEnd));
    char ram[16];
    std::snprintf(ram, sizeof ram, "%5.1i", static_cast<int>(dev.ramSize));
    SetItemText(1208, ram);

    // The information segments from the lowest up are D, C, B, A; a device
    // with fewer segments has no captions for the letters it lacks.
    const core::MemoryMapInstance& map = core::MemoryMap.selected;
    const int32_t n = std::clamp(map.infoSegments, 1, 4);
    for (int32_t letter = 0; letter < 4; ++letter) { // A, B, C, D
        std::string caption;
        if (letter < n) {
            const int32_t start = map.infoStart + (n - 1 - letter) * map.infoSegmentSize;
            char buf[64];
            std::snprintf(buf, sizeof buf, " - %c  [0x%4.4X - 0x%4.4X]", "ABCD"[letter],
                          static_cast<unsigned>(start),
                          static_cast<unsigned>(start + map.infoSegmentSize - 1));
            caption = buf;
        }
        SetItemText(1200 + letter, caption);
        SetItemText(1204 + letter, caption);
    }
    const bool f2xx = dev.series == 2;
    EnableItem(1232, f2xx);
    EnableItem(1267, f2xx);

    const core::SettingsState& s = core::Settings;
    v_ = Values{s.FlashEraseModeIndex, s.EraseInfoSegmA,     s.EraseInfoSegmB,  s.EraseInfoSegmC,
                s.EraseInfoSegmD,      s.EraseDefMainMemEn,  s.EraseFlashStart, s.EraseFlashStop,
                s.EraseInfoA_F2xx_En,  s.VerifyModeIndex,    s.FlashReadModeIndex,
                s.ReadInfoSegmA,       s.ReadInfoSegmB,      s.ReadInfoSegmC,   s.ReadInfoSegmD,
                s.ReadDefMainMemEn,    s.ReadStartAddr,      s.ReadStopAddr,    s.RetainInfoCalData,
                s.RetainDefinedData,   s.RetainDataStart,    s.RetainDataStop,
                s.CheckDCOconstants_F2xx};
    for (int id : {1018, 1019, 1020, 1021, 1234, 1235}) {
        SetLimitText(id, 12);
    }
    Show();
    return true;
}

void OptionsDlg::Show() {
    v_.eraseStart = Clamp(v_.eraseStart);
    v_.eraseStop = std::max(Clamp(v_.eraseStop), v_.eraseStart);
    v_.readStart = Clamp(v_.readStart);
    v_.readStop = std::max(Clamp(v_.readStop), v_.readStart);

    static constexpr int kErase[] = {1075, 1076, 1077, 1078, 1079};
    CheckRadioButton(1075, 1079, kErase[v_.eraseMode >= 0 && v_.eraseMode <= 4 ? v_.eraseMode : 0]);
    CheckRadioButton(1072, 1074, v_.verifyMode == 0 ? 1072 : v_.verifyMode == 1 ? 1073 : 1074);
    static constexpr int kRead[] = {1100, 1101, 1104, 1103};
    CheckRadioButton(1100, 1104, kRead[v_.readMode >= 0 && v_.readMode <= 3 ? v_.readMode : 0]);
    CheckDlgButton(1038, v_.eraseA != 0);
    CheckDlgButton(1039, v_.eraseB != 0);
    CheckDlgButton(1040, v_.eraseC != 0);
    CheckDlgButton(1041, v_.eraseD != 0);
    CheckDlgButton(1044, v_.eraseRangeEn != 0);
    CheckDlgButton(1268, v_.eraseInfoA != 0);
    CheckDlgButton(1036, v_.readA != 0);
    CheckDlgButton(1037, v_.readB != 0);
    CheckDlgButton(1042, v_.readC != 0);
    CheckDlgButton(1043, v_.readD != 0);
    CheckDlgButton(1045, v_.readRangeEn != 0);
    CheckDlgButton(1232, v_.retainCal != 0);
    CheckDlgButton(1233, v_.retainDefined != 0);
    CheckDlgButton(1267, v_.checkDco != 0);
    SetItemText(1018, Hex4(v_.eraseStart));
    SetItemText(1019, Hex4(v_.eraseStop));
    SetItemText(1020, Hex4(v_.readStart));
    SetItemText(1021, Hex4(v_.readStop));
    SetItemText(1234, Hex4(v_.retainStart));
    SetItemText(1235, Hex4(v_.retainStop));
    Enable();
}

void OptionsDlg::ReadControls() {
    v_.eraseMode = RadioIndex(*this, {{1075, 0}, {1076, 1}, {1077, 2}, {1078, 3}, {1079, 4}}, 0);
    v_.verifyMode = RadioIndex(*this, {{1074, 2}, {1073, 1}, {1072, 0}}, 2);
    v_.readMode = RadioIndex(*this, {{1100, 0}, {1101, 1}, {1104, 2}, {1103, 3}}, 0);
    v_.eraseA = IsDlgButtonChecked(1038);
    v_.eraseB = IsDlgButtonChecked(1039);
    v_.eraseC = IsDlgButtonChecked(1040);
    v_.eraseD = IsDlgButtonChecked(1041);
    v_.eraseRangeEn = IsDlgButtonChecked(1044);
    v_.eraseInfoA = IsDlgButtonChecked(1268);
    v_.readA = IsDlgButtonChecked(1036);
    v_.readB = IsDlgButtonChecked(1037);
    v_.readC = IsDlgButtonChecked(1042);
    v_.readD = IsDlgButtonChecked(1043);
    v_.readRangeEn = IsDlgButtonChecked(1045);
    v_.retainCal = IsDlgButtonChecked(1232);
    v_.retainDefined = IsDlgButtonChecked(1233);
    v_.checkDco = IsDlgButtonChecked(1267);
    auto number = [this](int id) {
        return core::TextParseNumber(GetItemText(id).substr(0, 12).c_str());
    };
    v_.eraseStart = number(1018);
    v_.eraseStop = number(1019);
    v_.readStart = number(1020);
    v_.readStop = number(1021);
    v_.retainStart = number(1234);
    v_.retainStop = number(1235);
}

void OptionsDlg::Enable() {
    const bool eraseUser = IsDlgButtonChecked(1079) != 0;
    for (int id : {1038, 1039, 1040, 1041, 1044}) {
        EnableItem(id, eraseUser);
    }
    EnableItem(1018, eraseUser && IsDlgButtonChecked(1044));
    EnableItem(1019, eraseUser && IsDlgButtonChecked(1044));
    EnableItem(1268, IsDlgButtonChecked(1076) && core::MemoryMap.selected.lockedInfoA != 0);
    const bool readUser = IsDlgButtonChecked(1103) != 0;
    for (int id : {1036, 1037, 1042, 1043, 1045}) {
        EnableItem(id, readUser);
    }
    EnableItem(1020, readUser && IsDlgButtonChecked(1045));
    EnableItem(1021, readUser && IsDlgButtonChecked(1045));
    EnableItem(1234, IsDlgButtonChecked(1233) != 0);
    EnableItem(1235, IsDlgButtonChecked(1233) != 0);
}

void OptionsDlg::Clicked() {
    ReadControls();
    Show();
}

std::string OptionsDlg::CheckFailure() const {
    const bool eraseUser = v_.eraseMode == 4;
    const bool readUser = v_.readMode == 3;
    if (((eraseUser && (v_.eraseC || v_.eraseD)) || (readUser && (v_.readC || v_.readD))) &&
        core::MemoryMap.selected.infoSegments < 4 && core::Settings.SelectedProcessorIndex != 0) {
        return "The INFO Segment 'C' or 'D' has been selected!!\r\n\r\n"
               "In the selected microcontroller these segments are undefined.\r\n\r\n"
               "Please correct the INFO Segments selection.";
    }
    const char* kCorrect = "Please correct the address.";
    if (eraseUser && v_.eraseRangeEn) {
        const std::string f = RangeFailure(
            v_.eraseStart, v_.eraseStop, "'Main Memory Stop Address' cannot be higher then 0xFFFF.\r\n\r\n");
        if (!f.empty()) {
            return "'Memory Erase / Write Address Range' error!!\r\n\r\n" + f + kCorrect;
        }
    }
    if (readUser && v_.readRangeEn) {
        const std::string f = RangeFailure(
            v_.readStart, v_.readStop, "'Main Memory Stop Address' cannot be higher then 0x1FFFF.\r\n\r\n");
        if (!f.empty()) {
            return "'Read Address Range' error!!\r\n\r\n" + f + kCorrect;
        }
    }
    if (v_.retainDefined) {
        const std::string header = "'Retain Address Range' error!!\r\n\r\n";
        if (v_.retainStart < 0x1000) {
            return header + "'Ratain Memory Start Address' must be higher then 0x1000.\r\n\r\n" + kCorrect;
        }
        if (v_.retainStop > 0x45BFF) {
            return header + "'Retain Memory Stop Address' cannot be higher then 0x1FFFF.\r\n\r\n" + kCorrect;
        }
        // Every retain step would refuse a range that ends before it starts.
        if (v_.retainStop < v_.retainStart) {
            return header +
                   "'Retain Memory Stop Address' cannot be lower then Memory Start Address.\r\n\r\n" +
                   kCorrect;
        }
        if (v_.retainStop - v_.retainStart + 1 > 256) {
            return std::string("Retain block size error!!\r\n\r\n") +
                   "'Max block size = 256 (0x100).\r\n\r\n" + kCorrect;
        }
    }
    return "";
}

void OptionsDlg::OnOkButton() {
    ReadControls();
    const std::string failure = CheckFailure();
    if (!failure.empty()) {
        ui::MessageBox(failure, "Warning", ui::MB_OK | ui::MB_ICONWARNING);
        return;
    }
    // Ranges that no check looked at are stored as they were shown.
    v_.eraseStart = Clamp(v_.eraseStart);
    v_.eraseStop = std::max(Clamp(v_.eraseStop), v_.eraseStart);
    v_.readStart = Clamp(v_.readStart);
    v_.readStop = std::max(Clamp(v_.readStop), v_.readStart);
    core::SettingsState& s = core::Settings;
    s.FlashEraseModeIndex = v_.eraseMode;
    s.EraseInfoSegmA = v_.eraseA;
    s.EraseInfoSegmB = v_.eraseB;
    s.EraseInfoSegmC = v_.eraseC;
    s.EraseInfoSegmD = v_.eraseD;
    s.EraseDefMainMemEn = v_.eraseRangeEn;
    s.EraseFlashStart = v_.eraseStart;
    s.EraseFlashStop = v_.eraseStop;
    s.EraseInfoA_F2xx_En = v_.eraseInfoA;
    s.VerifyModeIndex = v_.verifyMode;
    s.FlashReadModeIndex = v_.readMode;
    s.ReadInfoSegmA = v_.readA;
    s.ReadInfoSegmB = v_.readB;
    s.ReadInfoSegmC = v_.readC;
    s.ReadInfoSegmD = v_.readD;
    s.ReadDefMainMemEn = v_.readRangeEn;
    s.ReadStartAddr = v_.readStart;
    s.ReadStopAddr = v_.readStop;
    s.RetainInfoCalData = v_.retainCal;
    s.RetainDefinedData = v_.retainDefined;
    s.RetainDataStart = v_.retainStart;
    s.RetainDataStop = v_.retainStop;
    s.CheckDCOconstants_F2xx = v_.checkDco;
    EndDialog(ui::IDOK);
}

} // namespace gui
