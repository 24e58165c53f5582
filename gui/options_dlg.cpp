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

// The dialog and its controls.
constexpr int kOptionsDialogId = 185;

// Erase / write.
constexpr int kEraseUpdateOnlyRadio = 1075;  // "Update only"
constexpr int kEraseAllRadio = 1076;         // "All Memory"
constexpr int kEraseMainRadio = 1077;        // "Main Memory only"
constexpr int kEraseUsedByCodeRadio = 1078;  // "Used by Code File"
constexpr int kEraseUserDefinedRadio = 1079; // "User defined"
constexpr int kEraseLockedInfoACheck = 1268; // "including locked INFO-A segment"
constexpr int kEraseInfoACheck = 1038;
constexpr int kEraseInfoBCheck = 1039;
constexpr int kEraseInfoCCheck = 1040;
constexpr int kEraseInfoDCheck = 1041;
constexpr int kEraseInfoACaption = 1200; // then B, C, D: the segment's address range
constexpr int kEraseInfoBCaption = 1201;
constexpr int kEraseInfoCCaption = 1202;
constexpr int kEraseInfoDCaption = 1203;
constexpr int kEraseRangeCheck = 1044; // "Enable"
constexpr int kEraseStartEdit = 1018;
constexpr int kEraseStopEdit = 1019;
// Verification.
constexpr int kVerifyFastRadio = 1074;     // "Fast ..."
constexpr int kVerifyStandardRadio = 1073; // "Standard ..."
constexpr int kVerifyNoneRadio = 1072;     // "None"
// The selected device.
constexpr int kDeviceNameText = 1107; // "Device:"
constexpr int kFlashStartText = 1105; // "Main memory:" from
constexpr int kFlashEndText = 1191;   // to
constexpr int kRamSizeText = 1208;    // "RAM size:"
// Read.
constexpr int kReadAllRadio = 1100;         // "All Memory"
constexpr int kReadMainRadio = 1101;        // "Main Memory only"
constexpr int kReadInfoRadio = 1104;        // "Info Memory only"
constexpr int kReadUserDefinedRadio = 1103; // "User defined"
constexpr int kReadInfoACheck = 1036;
constexpr int kReadInfoBCheck = 1037;
constexpr int kReadInfoCCheck = 1042;
constexpr int kReadInfoDCheck = 1043;
constexpr int kReadInfoACaption = 1204; // then B, C, D
constexpr int kReadInfoBCaption = 1205;
constexpr int kReadInfoCCaption = 1206;
constexpr int kReadInfoDCaption = 1207;
constexpr int kReadRangeCheck = 1045; // "Enable"
constexpr int kReadStartEdit = 1020;
constexpr int kReadStopEdit = 1021;
// Retained data.
constexpr int kRetainDcoCheck = 1232;         // "DCO constants in INFO-A ..."
constexpr int kRetainUserDefinedCheck = 1233; // "User defined"
constexpr int kRetainStartEdit = 1234;
constexpr int kRetainStopEdit = 1235;
constexpr int kCheckDcoCheck = 1267; // "Check DCO constants ..."
constexpr int kOkButton = 11;
constexpr int kCancelButton = 1080;

using ui::ControlKind;
using ui::ControlTemplate;

constexpr uint32_t G = ui::STYLE_GROUP;

ui::DialogTemplate OptionsTemplate() {
    std::vector<ControlTemplate> c = {
        // Erase / write.
        {-1, ControlKind::Group, "Memory Erase / Write", {6, 4, 234, 152}},
        {kEraseUpdateOnlyRadio, ControlKind::Radio, "Update only", {14, 16, 96, 10}, G},
        {kEraseAllRadio, ControlKind::Radio, "All Memory", {14, 28, 96, 10}},
        {kEraseMainRadio, ControlKind::Radio, "Main Memory only", {14, 40, 96, 10}},
        {kEraseUsedByCodeRadio, ControlKind::Radio, "Used by Code File", {14, 52, 96, 10}},
        {kEraseUserDefinedRadio, ControlKind::Radio, "User defined", {14, 64, 96, 10}},
        {kEraseLockedInfoACheck,
         ControlKind::CheckBox,
         "including locked\nINFO-A segment",
         {114, 24, 120, 22}},
        {kEraseInfoACheck, ControlKind::CheckBox, "", {24, 80, 12, 10}},
        {kEraseInfoACaption, ControlKind::Static, "", {38, 81, 120, 9}},
        {kEraseInfoBCheck, ControlKind::CheckBox, "", {24, 92, 12, 10}},
        {kEraseInfoBCaption, ControlKind::Static, "", {38, 93, 120, 9}},
        {kEraseInfoCCheck, ControlKind::CheckBox, "", {24, 104, 12, 10}},
        {kEraseInfoCCaption, ControlKind::Static, "", {38, 105, 120, 9}},
        {kEraseInfoDCheck, ControlKind::CheckBox, "", {24, 116, 12, 10}},
        {kEraseInfoDCaption, ControlKind::Static, "", {38, 117, 120, 9}},
        {kEraseRangeCheck, ControlKind::CheckBox, "Enable", {24, 136, 44, 10}},
        {kEraseStartEdit, ControlKind::Edit, "", {72, 134, 56, 13}},
        {-1, ControlKind::Static, "-", {132, 136, 8, 9}, ui::STYLE_CENTER},
        {kEraseStopEdit, ControlKind::Edit, "", {142, 134, 56, 13}},
        // Verification.
        {-1, ControlKind::Group, "Verification", {6, 160, 234, 52}},
        {kVerifyFastRadio,
         ControlKind::Radio,
         "Fast          (Write,Verify + Check Sum)  [ Recommended ]",
         {14, 172, 222, 10},
         G},
        {kVerifyStandardRadio,
         ControlKind::Radio,
         "Standard  (Write,Verify + Check Sum + Read,Verify)",
         {14, 184, 222, 10}},
        {kVerifyNoneRadio, ControlKind::Radio, "None", {14, 196, 80, 10}},
        // The selected device.
        {-1, ControlKind::Group, "Selected device", {6, 216, 234, 56}},
        {-1, ControlKind::Static, "Device:", {14, 228, 60, 9}},
        {kDeviceNameText, ControlKind::Static, "", {76, 228, 150, 9}},
        {-1, ControlKind::Static, "Main memory:", {14, 241, 60, 9}},
        {kFlashStartText, ControlKind::Static, "", {76, 241, 44, 9}},
        {-1, ControlKind::Static, "-", {122, 241, 8, 9}, ui::STYLE_CENTER},
        {kFlashEndText, ControlKind::Static, "", {132, 241, 50, 9}},
        {-1, ControlKind::Static, "RAM size:", {14, 254, 60, 9}},
        {kRamSizeText, ControlKind::Static, "", {76, 254, 44, 9}},
        // Read.
        {-1, ControlKind::Group, "Memory Read", {246, 4, 234, 152}},
        {kReadAllRadio, ControlKind::Radio, "All Memory", {254, 16, 96, 10}, G},
        {kReadMainRadio, ControlKind::Radio, "Main Memory only", {254, 28, 96, 10}},
        {kReadInfoRadio, ControlKind::Radio, "Info Memory only", {254, 40, 96, 10}},
        {kReadUserDefinedRadio, ControlKind::Radio, "User defined", {254, 52, 96, 10}},
        {kReadInfoACheck, ControlKind::CheckBox, "", {264, 68, 12, 10}},
        {kReadInfoACaption, ControlKind::Static, "", {278, 69, 120, 9}},
        {kReadInfoBCheck, ControlKind::CheckBox, "", {264, 80, 12, 10}},
        {kReadInfoBCaption, ControlKind::Static, "", {278, 81, 120, 9}},
        {kReadInfoCCheck, ControlKind::CheckBox, "", {264, 92, 12, 10}},
        {kReadInfoCCaption, ControlKind::Static, "", {278, 93, 120, 9}},
        {kReadInfoDCheck, ControlKind::CheckBox, "", {264, 104, 12, 10}},
        {kReadInfoDCaption, ControlKind::Static, "", {278, 105, 120, 9}},
        {kReadRangeCheck, ControlKind::CheckBox, "Enable", {264, 124, 44, 10}},
        {kReadStartEdit, ControlKind::Edit, "", {312, 122, 56, 13}},
        {-1, ControlKind::Static, "-", {372, 124, 8, 9}, ui::STYLE_CENTER},
        {kReadStopEdit, ControlKind::Edit, "", {382, 122, 56, 13}},
        // Retained data.
        {-1, ControlKind::Group, "Retain Data during Erase", {246, 160, 234, 90}},
        {kRetainDcoCheck,
         ControlKind::CheckBox,
         "DCO constants in INFO-A ( 0x10F8 - 0x10FF )\n( MSP430F2xx only )",
         {254, 172, 222, 20}},
        {kRetainUserDefinedCheck, ControlKind::CheckBox, "User defined", {254, 198, 62, 10}},
        {kRetainStartEdit, ControlKind::Edit, "", {318, 196, 56, 13}},
        {-1, ControlKind::Static, "-", {376, 198, 8, 9}, ui::STYLE_CENTER},
        {kRetainStopEdit, ControlKind::Edit, "", {386, 196, 56, 13}},
        {-1, ControlKind::Static, "(max 256 bytes)", {318, 212, 80, 9}},
        {kCheckDcoCheck,
         ControlKind::CheckBox,
         "Check DCO constants ( 0x0000 or 0xFFFF are invalid )",
         {254, 230, 222, 10}},
        {kOkButton, ControlKind::Button, "OK", {348, 256, 60, 14}},
        {kCancelButton, ControlKind::Button, "Cancel", {414, 256, 60, 14}},
    };
    return ui::DialogTemplate{kOptionsDialogId, "Memory Options", 486, 276, std::move(c)};
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
    for (int id : {kEraseUpdateOnlyRadio,   kEraseAllRadio,         kEraseMainRadio,
                   kEraseUsedByCodeRadio,   kEraseUserDefinedRadio, kEraseInfoACheck,
                   kEraseInfoBCheck,        kEraseInfoCCheck,       kEraseInfoDCheck,
                   kEraseRangeCheck,        kEraseLockedInfoACheck, kVerifyFastRadio,
                   kVerifyStandardRadio,    kVerifyNoneRadio,       kReadAllRadio,
                   kReadMainRadio,          kReadInfoRadio,         kReadUserDefinedRadio,
                   kReadInfoACheck,         kReadInfoBCheck,        kReadInfoCCheck,
                   kReadInfoDCheck,         kReadRangeCheck,        kRetainDcoCheck,
                   kRetainUserDefinedCheck, kCheckDcoCheck}) {
        Map(ui::BN_CLICKED, id, [this] { Clicked(); });
    }
    Map(ui::BN_CLICKED, kOkButton, [this] { OnOkButton(); });
    Map(ui::BN_CLICKED, kCancelButton, [this] { EndDialog(ui::IDCANCEL); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter closes nothing
    Map(ui::BN_CLICKED, ui::IDCANCEL, [this] { EndDialog(ui::IDCANCEL); });
}

bool OptionsDlg::OnInitDialog() {
    core::DeviceSelectByIndex();
    const core::SelectedDeviceState& dev = core::SelectedDevice;
    SetItemText(kDeviceNameText, dev.name);
    SetItemText(kFlashStartText, Hex4(dev.flashStart));
    SetItemText(kFlashEndText, Hex4(dev.flashEnd));
    char ram[16];
    std::snprintf(ram, sizeof ram, "%5.1i", static_cast<int>(dev.ramSize));
    SetItemText(kRamSizeText, ram);

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
        SetItemText(kEraseInfoACaption + letter, caption);
        SetItemText(kReadInfoACaption + letter, caption);
    }
    const bool f2xx = dev.series == 2;
    EnableItem(kRetainDcoCheck, f2xx);
    EnableItem(kCheckDcoCheck, f2xx);

    const core::SettingsState& s = core::Settings;
    v_ = Values{
        s.FlashEraseModeIndex, s.EraseInfoSegmA,    s.EraseInfoSegmB,        s.EraseInfoSegmC,
        s.EraseInfoSegmD,      s.EraseDefMainMemEn, s.EraseFlashStart,       s.EraseFlashStop,
        s.EraseInfoA_F2xx_En,  s.VerifyModeIndex,   s.FlashReadModeIndex,    s.ReadInfoSegmA,
        s.ReadInfoSegmB,       s.ReadInfoSegmC,     s.ReadInfoSegmD,         s.ReadDefMainMemEn,
        s.ReadStartAddr,       s.ReadStopAddr,      s.RetainInfoCalData,     s.RetainDefinedData,
        s.RetainDataStart,     s.RetainDataStop,    s.CheckDCOconstants_F2xx};
    for (int id : {kEraseStartEdit, kEraseStopEdit, kReadStartEdit, kReadStopEdit, kRetainStartEdit,
                   kRetainStopEdit}) {
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

    static constexpr int kErase[] = {kEraseUpdateOnlyRadio, kEraseAllRadio, kEraseMainRadio,
                                     kEraseUsedByCodeRadio, kEraseUserDefinedRadio};
    CheckRadioButton(kEraseUpdateOnlyRadio, kEraseUserDefinedRadio,
                     kErase[v_.eraseMode >= 0 && v_.eraseMode <= 4 ? v_.eraseMode : 0]);
    CheckRadioButton(kVerifyNoneRadio, kVerifyFastRadio,
                     v_.verifyMode == 0   ? kVerifyNoneRadio
                     : v_.verifyMode == 1 ? kVerifyStandardRadio
                                          : kVerifyFastRadio);
    static constexpr int kRead[] = {kReadAllRadio, kReadMainRadio, kReadInfoRadio,
                                    kReadUserDefinedRadio};
    CheckRadioButton(kReadAllRadio, kReadInfoRadio,
                     kRead[v_.readMode >= 0 && v_.readMode <= 3 ? v_.readMode : 0]);
    CheckDlgButton(kEraseInfoACheck, v_.eraseA != 0);
    CheckDlgButton(kEraseInfoBCheck, v_.eraseB != 0);
    CheckDlgButton(kEraseInfoCCheck, v_.eraseC != 0);
    CheckDlgButton(kEraseInfoDCheck, v_.eraseD != 0);
    CheckDlgButton(kEraseRangeCheck, v_.eraseRangeEn != 0);
    CheckDlgButton(kEraseLockedInfoACheck, v_.eraseInfoA != 0);
    CheckDlgButton(kReadInfoACheck, v_.readA != 0);
    CheckDlgButton(kReadInfoBCheck, v_.readB != 0);
    CheckDlgButton(kReadInfoCCheck, v_.readC != 0);
    CheckDlgButton(kReadInfoDCheck, v_.readD != 0);
    CheckDlgButton(kReadRangeCheck, v_.readRangeEn != 0);
    CheckDlgButton(kRetainDcoCheck, v_.retainCal != 0);
    CheckDlgButton(kRetainUserDefinedCheck, v_.retainDefined != 0);
    CheckDlgButton(kCheckDcoCheck, v_.checkDco != 0);
    SetItemText(kEraseStartEdit, Hex4(v_.eraseStart));
    SetItemText(kEraseStopEdit, Hex4(v_.eraseStop));
    SetItemText(kReadStartEdit, Hex4(v_.readStart));
    SetItemText(kReadStopEdit, Hex4(v_.readStop));
    SetItemText(kRetainStartEdit, Hex4(v_.retainStart));
    SetItemText(kRetainStopEdit, Hex4(v_.retainStop));
    Enable();
}

void OptionsDlg::ReadControls() {
    v_.eraseMode = RadioIndex(*this,
                              {{kEraseUpdateOnlyRadio, 0},
                               {kEraseAllRadio, 1},
                               {kEraseMainRadio, 2},
                               {kEraseUsedByCodeRadio, 3},
                               {kEraseUserDefinedRadio, 4}},
                              0);
    v_.verifyMode = RadioIndex(
        *this, {{kVerifyFastRadio, 2}, {kVerifyStandardRadio, 1}, {kVerifyNoneRadio, 0}}, 2);
    v_.readMode = RadioIndex(
        *this,
        {{kReadAllRadio, 0}, {kReadMainRadio, 1}, {kReadInfoRadio, 2}, {kReadUserDefinedRadio, 3}},
        0);
    v_.eraseA = IsDlgButtonChecked(kEraseInfoACheck);
    v_.eraseB = IsDlgButtonChecked(kEraseInfoBCheck);
    v_.eraseC = IsDlgButtonChecked(kEraseInfoCCheck);
    v_.eraseD = IsDlgButtonChecked(kEraseInfoDCheck);
    v_.eraseRangeEn = IsDlgButtonChecked(kEraseRangeCheck);
    v_.eraseInfoA = IsDlgButtonChecked(kEraseLockedInfoACheck);
    v_.readA = IsDlgButtonChecked(kReadInfoACheck);
    v_.readB = IsDlgButtonChecked(kReadInfoBCheck);
    v_.readC = IsDlgButtonChecked(kReadInfoCCheck);
    v_.readD = IsDlgButtonChecked(kReadInfoDCheck);
    v_.readRangeEn = IsDlgButtonChecked(kReadRangeCheck);
    v_.retainCal = IsDlgButtonChecked(kRetainDcoCheck);
    v_.retainDefined = IsDlgButtonChecked(kRetainUserDefinedCheck);
    v_.checkDco = IsDlgButtonChecked(kCheckDcoCheck);
    auto number = [this](int id) {
        return core::TextParseNumber(GetItemText(id).substr(0, 12).c_str());
    };
    v_.eraseStart = number(kEraseStartEdit);
    v_.eraseStop = number(kEraseStopEdit);
    v_.readStart = number(kReadStartEdit);
    v_.readStop = number(kReadStopEdit);
    v_.retainStart = number(kRetainStartEdit);
    v_.retainStop = number(kRetainStopEdit);
}

void OptionsDlg::Enable() {
    const bool eraseUser = IsDlgButtonChecked(kEraseUserDefinedRadio) != 0;
    for (int id : {kEraseInfoACheck, kEraseInfoBCheck, kEraseInfoCCheck, kEraseInfoDCheck,
                   kEraseRangeCheck}) {
        EnableItem(id, eraseUser);
    }
    EnableItem(kEraseStartEdit, eraseUser && IsDlgButtonChecked(kEraseRangeCheck));
    EnableItem(kEraseStopEdit, eraseUser && IsDlgButtonChecked(kEraseRangeCheck));
    EnableItem(kEraseLockedInfoACheck,
               IsDlgButtonChecked(kEraseAllRadio) && core::MemoryMap.selected.lockedInfoA != 0);
    const bool readUser = IsDlgButtonChecked(kReadUserDefinedRadio) != 0;
    for (int id :
         {kReadInfoACheck, kReadInfoBCheck, kReadInfoCCheck, kReadInfoDCheck, kReadRangeCheck}) {
        EnableItem(id, readUser);
    }
    EnableItem(kReadStartEdit, readUser && IsDlgButtonChecked(kReadRangeCheck));
    EnableItem(kReadStopEdit, readUser && IsDlgButtonChecked(kReadRangeCheck));
    EnableItem(kRetainStartEdit, IsDlgButtonChecked(kRetainUserDefinedCheck) != 0);
    EnableItem(kRetainStopEdit, IsDlgButtonChecked(kRetainUserDefinedCheck) != 0);
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
        const std::string f =
            RangeFailure(v_.eraseStart, v_.eraseStop,
                         "'Main Memory Stop Address' cannot be higher then 0xFFFF.\r\n\r\n");
        if (!f.empty()) {
            return "'Memory Erase / Write Address Range' error!!\r\n\r\n" + f + kCorrect;
        }
    }
    if (readUser && v_.readRangeEn) {
        const std::string f =
            RangeFailure(v_.readStart, v_.readStop,
                         "'Main Memory Stop Address' cannot be higher then 0x1FFFF.\r\n\r\n");
        if (!f.empty()) {
            return "'Read Address Range' error!!\r\n\r\n" + f + kCorrect;
        }
    }
    if (v_.retainDefined) {
        const std::string header = "'Retain Address Range' error!!\r\n\r\n";
        if (v_.retainStart < 0x1000) {
            return header + "'Ratain Memory Start Address' must be higher then 0x1000.\r\n\r\n" +
                   kCorrect;
        }
        if (v_.retainStop > 0x45BFF) {
            return header + "'Retain Memory Stop Address' cannot be higher then 0x1FFFF.\r\n\r\n" +
                   kCorrect;
        }
        // Every retain step would refuse a range that ends before it starts.
        if (v_.retainStop < v_.retainStart) {
            return header +
                   "'Retain Memory Stop Address' cannot be lower then Memory Start "
                   "Address.\r\n\r\n" +
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
