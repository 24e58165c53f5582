#include "core/model_text.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/barcode_input.h"
#include "gui/serial_number.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_format.h"
#include "platform/ascii.h"
#include "platform/sound.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace gui {
namespace {

// Controls of the Serialization dialog (IDD_SERIAL).
constexpr int kSnEnableCheck = 1052; // "ENABLE Serialization"
// SN type, in the order of the type index.
constexpr int kSnTypeYearRadio = 1057;      // "YYYY-1234(5)"
constexpr int kSnTypeYearMonthRadio = 1058; // "YYMM-1234(5)"
constexpr int kSnTypeNumberRadio = 1059;    // "12345678"
constexpr int kSnTypeCounterRadio = 1060;   // "1234(5)"
constexpr int kSnTypeYearDayRadio = 1073;   // "YYDDD-1234(5)"
constexpr int kSnTypeDateRadio = 1074;      // "YYMMDD-1234"
constexpr int kSnTypeCustomRadio = 1076;    // "Custom"
constexpr int kSnTypeFromFileRadio = 1236;  // "from File"
// SN in memory, in the order of the mode index.
constexpr int kSnHexMswRadio = 1061;         // "HEX (MSW First)"
constexpr int kSnBcdRadio = 1062;            // "BCD"
constexpr int kSnAsciiRadio = 1063;          // "Ascii"
constexpr int kSnHexLswRadio = 1075;         // "HEX (LSW/LSB First)"
constexpr int kSnHexMsbRadio = 1266;         // "HEX (MSB First)"
constexpr int kSnStartAddressEdit = 1064;    // "Start address"
constexpr int kSnUsedBytesEdit = 1065;       // "Used bytes"
constexpr int kSnCustomSizeEdit = 1077;      // "Custom size"
constexpr int kSnCustomSizeRange = 1209;     // "(4..256)"
constexpr int kSnStartingSnEdit = 1072;      // "Starting SN"
constexpr int kSnIncrementEdit = 1078;       // "Increment"
constexpr int kSnHistoryFileEdit = 1068;     // "SN history file"
constexpr int kSnHistoryBrowseButton = 1070; // "Browse.."
// Model / Group / Revision.
constexpr int kModelEnableCheck = 1053;      // "ENABLE"
constexpr int kModelSizeEdit = 1066;         // "Text size in Bytes"
constexpr int kModelStartAddressEdit = 1067; // "Start Address in Memory"
constexpr int kModelTextModeCombo = 1237;    // "Text": Ascii or Hex
constexpr int kModelTextEdit = 1045;
constexpr int kModelTextBytesCaption = 1157; // "%2.1lli bytes"
// Bar-code scanner.
constexpr int kBarcodeEnableCheck = 1054;     // "ENABLE"
constexpr int kBarcodeAutoStartCheck = 1055;  // "Start AUTOPROGRAM following BarCode scan"
constexpr int kBarcodeTerminatorCombo = 1155; // "Terminator"
constexpr int kSnExistWarnCheck = 1056;       // "Warn if Device's Flash Memory is not empty ..."
constexpr int kRemoveCodeCheck = 1269;        // "Remove code contents in the location ..."
constexpr int kOkButton = 1071;
constexpr int kCancelButton = 1069;

constexpr int kTypeRadios[] = {kSnTypeYearRadio,    kSnTypeYearMonthRadio, kSnTypeNumberRadio,
                               kSnTypeCounterRadio, kSnTypeYearDayRadio,   kSnTypeDateRadio,
                               kSnTypeCustomRadio,  kSnTypeFromFileRadio};
constexpr int kModeRadios[] = {kSnHexMswRadio, kSnBcdRadio, kSnAsciiRadio, kSnHexLswRadio,
                               kSnHexMsbRadio};
constexpr int kTerminatorRows = 9; // the table's rows before its end row

std::string Printf(const char* f, long long v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

// A number as the operator typed it: decimal, or hexadecimal after "0x".
int32_t NumberOf(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ') {
        ++p;
    }
    const bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    const long long v = std::strtoll(hex ? p + 2 : p, nullptr, hex ? 16 : 10);
    return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

ui::DialogTemplate SerialTemplate() {
    using ui::ControlKind;
    ui::DialogTemplate t;
    t.id = IDD_SERIAL;
    t.caption = "Serialization";
    t.width = 420;
    t.height = 252;
    t.controls = {
        {kSnEnableCheck, ControlKind::CheckBox, "ENABLE Serialization", {7, 7, 120, 10}},
        {-1, ControlKind::Group, "SN type", {7, 20, 100, 110}},
        {kSnTypeYearRadio, ControlKind::Radio, "YYYY-1234(5)", {13, 31, 90, 10}, ui::STYLE_GROUP},
        {kSnTypeYearMonthRadio, ControlKind::Radio, "YYMM-1234(5)", {13, 43, 90, 10}},
        {kSnTypeNumberRadio, ControlKind::Radio, "12345678", {13, 55, 90, 10}},
        {kSnTypeCounterRadio, ControlKind::Radio, "1234(5)", {13, 67, 90, 10}},
        {kSnTypeYearDayRadio, ControlKind::Radio, "YYDDD-1234(5)", {13, 79, 90, 10}},
        {kSnTypeDateRadio, ControlKind::Radio, "YYMMDD-1234", {13, 91, 90, 10}},
        {kSnTypeCustomRadio, ControlKind::Radio, "Custom", {13, 103, 90, 10}},
        {kSnTypeFromFileRadio, ControlKind::Radio, "from File", {13, 115, 90, 10}},
        {-1, ControlKind::Group, "SN in memory", {112, 20, 112, 74}},
        {kSnHexMswRadio,
         ControlKind::Radio,
         "HEX (MSW First)",
         {118, 31, 102, 10},
         ui::STYLE_GROUP},
        {kSnBcdRadio, ControlKind::Radio, "BCD", {118, 43, 102, 10}},
        {kSnAsciiRadio, ControlKind::Radio, "Ascii", {118, 55, 102, 10}},
        {kSnHexLswRadio, ControlKind::Radio, "HEX (LSW/LSB First)", {118, 67, 102, 10}},
        {kSnHexMsbRadio, ControlKind::Radio, "HEX (MSB First)", {118, 79, 102, 10}},
        {-1, ControlKind::Static, "Start address", {112, 100, 60, 10}},
        {kSnStartAddressEdit, ControlKind::Edit, "", {174, 98, 50, 12}},
        {-1, ControlKind::Static, "Used bytes", {112, 116, 60, 10}},
        {kSnUsedBytesEdit, ControlKind::Edit, "", {174, 114, 50, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "Custom size", {7, 138, 50, 10}},
        {kSnCustomSizeEdit, ControlKind::Edit, "", {60, 136, 34, 12}},
        {kSnCustomSizeRange, ControlKind::Static, "", {98, 138, 44, 10}},
        {-1, ControlKind::Static, "Starting SN", {7, 154, 50, 10}},
        {kSnStartingSnEdit, ControlKind::Edit, "", {60, 152, 62, 12}},
        {-1, ControlKind::Static, "Increment", {130, 154, 42, 10}},
        {kSnIncrementEdit, ControlKind::Edit, "", {174, 152, 50, 12}},
        {-1, ControlKind::Static, "SN history file", {7, 170, 80, 10}},
        {kSnHistoryFileEdit, ControlKind::Edit, "", {7, 181, 170, 12}},
        {kSnHistoryBrowseButton, ControlKind::Button, "Browse..", {181, 180, 43, 14}},
        {-1, ControlKind::Group, "Model / Group / Revision", {230, 7, 183, 102}},
        {kModelEnableCheck, ControlKind::CheckBox, "ENABLE", {236, 19, 60, 10}},
        {-1, ControlKind::Static, "Text size in Bytes", {236, 35, 80, 10}},
        {kModelSizeEdit, ControlKind::Edit, "", {322, 33, 40, 12}},
        {-1, ControlKind::Static, "Start Address in Memory", {236, 51, 84, 10}},
        {kModelStartAddressEdit, ControlKind::Edit, "", {322, 49, 50, 12}},
        {-1, ControlKind::Static, "Text", {236, 67, 30, 10}},
        {kModelTextModeCombo, ControlKind::Combo, "", {322, 65, 50, 40}},
        {kModelTextEdit, ControlKind::Edit, "", {236, 80, 170, 12}},
        {kModelTextBytesCaption, ControlKind::Static, "", {236, 95, 60, 10}},
        {-1, ControlKind::Group, "Bar-code scanner", {230, 114, 183, 60}},
        {kBarcodeEnableCheck, ControlKind::CheckBox, "ENABLE", {236, 126, 60, 10}},
        {kBarcodeAutoStartCheck,
         ControlKind::CheckBox,
         "Start AUTOPROGRAM following BarCode scan",
         {236, 140, 174, 10}},
        {-1, ControlKind::Static, "Terminator", {236, 157, 50, 10}},
        {kBarcodeTerminatorCombo, ControlKind::Combo, "", {290, 155, 60, 80}},
        {kSnExistWarnCheck,
         ControlKind::CheckBox,
         "Warn if Device's Flash Memory is not empty on the SN location",
         {7, 200, 406, 10}},
        {kRemoveCodeCheck,
         ControlKind::CheckBox,
         "Remove code contents in the location where the serialization and model.. are defined",
         {7, 213, 406, 10}},
        {kOkButton, ControlKind::Button, "OK", {305, 231, 50, 14}},
        {kCancelButton, ControlKind::Button, "Cancel", {363, 231, 50, 14}},
    };
    return t;
}

} // namespace

SerialNumberSettings SerialNumberSettings::FromSettings() {
    const core::SettingsState& s = core::Settings;
    SerialNumberSettings v;
    v.type = std::clamp(s.SNDispFormatIndex, 0, 7);
    v.mode = std::clamp(s.SNMemFormatIndex, 0, 4);
    v.snStart = s.SNStartAddress;
    v.customSize = s.Custom_SN_size;
    v.startingSn = s.Starting_SN;
    v.increment = s.SN_increment;
    v.enable = s.SerializationEnable;
    v.modelEnable = s.ModelTextEnable;
    v.modelSize = s.ModelTextSize;
    v.modelStart = s.ModelTextStartAddr;
    v.modelMode = SerialNumber.ModelTextMode == 1 ? 1 : 0;
    core::BytesToText(v.modelMode, core::kModelTextBytesMax, core::SerialData.ModelTextBytes,
                      v.modelText);
    v.path = s.SNFilePathAndName.substr(0, 256);
    v.barcode = s.BarCodeReaderEnable;
    v.barcodeAutoStart = s.BarCodeAutoStartEnable;
    v.postAmble = std::clamp(s.PostAmbleIndex, 0, kTerminatorRows - 1);
    v.existWarn = s.SNExistWarnEn;
    v.removeCode = s.RemoveCodefromSNlocationEn;
    return v;
}

void SerialNumberSettings::ToSettings() const {
    core::SettingsState& s = core::Settings;
    s.SNDispFormatIndex = type;
    s.SNMemFormatIndex = mode;
    s.SNStartAddress = snStart;
    s.Custom_SN_size = customSize;
    s.Starting_SN = startingSn;
    s.SN_increment = increment;
    s.SerializationEnable = enable;
    s.ModelTextEnable = modelEnable;
    s.ModelTextSize = modelSize;
    s.ModelTextStartAddr = modelStart;
    SerialNumber.ModelTextMode = modelMode;
    core::BytesFromText(modelMode, core::kModelTextBytesMax, modelText,
                        core::SerialData.ModelTextBytes);
    s.SNFilePathAndName = path.substr(0, 256);
    s.BarCodeReaderEnable = barcode;
    s.BarCodeAutoStartEnable = barcodeAutoStart;
    s.PostAmbleIndex = postAmble;
    s.SNExistWarnEn = existWarn;
    s.RemoveCodefromSNlocationEn = removeCode;
}

int32_t SerialNumberSettings::UsedSize() const {
    const int32_t n = SnUsedSize(type, mode, customSize);
    if (type == kSnTypeCustom || type == kSnTypeFromFile) {
        // Custom SNs take at least one word and at most 128 bytes in the hex modes.
        return SnIsHexMode(mode) ? std::clamp(n, 2, 128) : n;
    }
    return n;
}

void SerialNumberSettings::Normalise() {
    snStart = std::max(snStart & 0x7FFFE, 0x1000);
    snStart = std::min(snStart, 0x45BFE - UsedSize()) & 0x7FFFE;
    modelSize = std::min(modelSize, 32);
    modelStart = std::max(modelStart & 0x7FFFE, 0x1000);
    modelStart = std::min(modelStart, (0x45BFE - modelSize) & 0x7FFFE);
    increment = std::clamp(increment, 1, 1000);
}

SerialDlg::SerialDlg() : ui::Dialog(SerialTemplate()), v_(SerialNumberSettings::FromSettings()) {
    for (int i = 0; i < 8; ++i) {
        OnCommand(kTypeRadios[i], [this, i] {
            TakeEdits();
            v_.type = i;
            Changed();
        });
    }
    for (int i = 0; i < 5; ++i) {
        OnCommand(kModeRadios[i], [this, i] {
            TakeEdits();
            v_.mode = i;
            Changed();
        });
    }
    const struct {
        int id;
        int32_t SerialNumberSettings::*field;
    } checks[] = {
        {kSnEnableCheck, &SerialNumberSettings::enable},
        {kModelEnableCheck, &SerialNumberSettings::modelEnable},
        {kBarcodeEnableCheck, &SerialNumberSettings::barcode},
        {kBarcodeAutoStartCheck, &SerialNumberSettings::barcodeAutoStart},
        {kSnExistWarnCheck, &SerialNumberSettings::existWarn},
        {kRemoveCodeCheck, &SerialNumberSettings::removeCode},
    };
    for (const auto& c : checks) {
        OnCommand(c.id, [this, c] {
            TakeEdits();
            v_.*c.field = IsDlgButtonChecked(c.id) ? 1 : 0;
            Changed();
        });
    }
    for (int id : {kSnStartAddressEdit, kModelSizeEdit, kModelStartAddressEdit, kSnStartingSnEdit,
                   kSnIncrementEdit, kSnHistoryFileEdit, kModelTextEdit}) {
        Map(ui::EN_CHANGE, id, [this] {
            TakeEdits();
            SetItemText(kSnUsedBytesEdit, Printf("%2.1lli", v_.UsedSize()));
            const long long len = static_cast<long long>(v_.modelText.size());
            SetItemText(kModelTextBytesCaption,
                        Printf("%2.1lli bytes", v_.modelMode == 1 ? len / 3 : len));
        });
    }
    Map(ui::EN_CHANGE, kSnCustomSizeEdit, [this] {
        const int32_t n = NumberOf(GetItemText(kSnCustomSizeEdit));
        if (n <= 0 || n > 256) {
            platform::Beep(750, 100);
            return;
        }
        TakeEdits();
        SetItemText(kSnUsedBytesEdit, Printf("%2.1lli", v_.UsedSize()));
    });
    Map(ui::CBN_SELCHANGE, kModelTextModeCombo, [this] {
        TakeEdits();
        v_.modelMode = GetCurSel(kModelTextModeCombo) == 1 ? 1 : 0;
        Changed();
    });
    Map(ui::CBN_SELCHANGE, kBarcodeTerminatorCombo, [this] {
        v_.postAmble = std::clamp(GetCurSel(kBarcodeTerminatorCombo), 0, kTerminatorRows - 1);
    });
    OnCommand(kSnHistoryBrowseButton, [this] {
        ui::FileDialogOptions o;
        o.open = false;
        o.filter = "Serial number (*.sn)|*.sn|Any (*.*)|*.*||";
        o.defaultExt = "sn";
        o.fileName = GetItemText(kSnHistoryFileEdit);
        o.overwritePrompt = false; // an existing history is what the operator picks
        if (const auto chosen = ui::FileDialog(o)) {
            v_.path = chosen->substr(0, 256);
            SetItemText(kSnHistoryFileEdit, v_.path);
        }
    });
    OnCommand(kOkButton, [this] { Ok(); });
    OnCommand(kCancelButton, [this] { EndDialog(ui::IDCANCEL); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter does not close the dialog
}

bool SerialDlg::OnInitDialog() {
    SetLimitText(kSnStartAddressEdit, 12);
    SetLimitText(kSnCustomSizeEdit, 5);
    SetLimitText(kSnHistoryFileEdit, 256);
    SetLimitText(kModelTextEdit, 132);
    AddString(kModelTextModeCombo, "Ascii");
    AddString(kModelTextModeCombo, "Hex");
    for (int i = 0; i < kTerminatorRows; ++i) {
        AddString(kBarcodeTerminatorCombo, BarcodeTerminatorTable[i].name);
    }
    SetItemText(kSnCustomSizeRange, Printf("(4..%2.2lli)", 256));
    v_.Normalise();
    Show();
    return true;
}

void SerialDlg::TakeEdits() {
    v_.snStart = NumberOf(GetItemText(kSnStartAddressEdit));
    const int32_t custom = NumberOf(GetItemText(kSnCustomSizeEdit));
    if (custom > 0 && custom <= 256) {
        v_.customSize = custom;
    }
    v_.startingSn = NumberOf(GetItemText(kSnStartingSnEdit));
    v_.increment = NumberOf(GetItemText(kSnIncrementEdit));
    v_.modelSize = NumberOf(GetItemText(kModelSizeEdit));
    v_.modelStart = NumberOf(GetItemText(kModelStartAddressEdit));
    v_.path = GetItemText(kSnHistoryFileEdit).substr(0, 256);
    v_.modelText = GetItemText(kModelTextEdit).substr(0, 132);
}

void SerialDlg::Changed() {
    v_.Normalise();
    Show();
}

void SerialDlg::Show() {
    CheckDlgButton(kSnEnableCheck, v_.enable == 1);
    CheckRadioButton(kSnTypeYearRadio, kSnTypeFromFileRadio,
                     kTypeRadios[std::clamp(v_.type, 0, 7)]);
    CheckRadioButton(kSnHexMswRadio, kSnHexMsbRadio, kModeRadios[std::clamp(v_.mode, 0, 4)]);
    SetItemText(kSnStartAddressEdit, Printf("0x%4.4llX", v_.snStart));
    SetItemText(kSnUsedBytesEdit, Printf("%2.1lli", v_.UsedSize()));
    SetItemText(kSnCustomSizeEdit, Printf("%lli", v_.customSize));
    SetItemText(kSnStartingSnEdit, Printf("%10.1lli", static_cast<uint32_t>(v_.startingSn)));
    SetItemText(kSnIncrementEdit, Printf("%2.1lli", v_.increment));
    SetItemText(kSnHistoryFileEdit, v_.path);
    CheckDlgButton(kModelEnableCheck, v_.modelEnable == 1);
    SetItemText(kModelSizeEdit, Printf("%2.1lli", v_.modelSize));
    SetItemText(kModelStartAddressEdit, Printf("0x%4.4llX", v_.modelStart));
    SetCurSel(kModelTextModeCombo, v_.modelMode);
    SetItemText(kModelTextEdit, v_.modelText);
    const long long len = static_cast<long long>(v_.modelText.size());
    SetItemText(kModelTextBytesCaption, Printf("%2.1lli bytes", v_.modelMode == 1 ? len / 3 : len));
    CheckDlgButton(kBarcodeEnableCheck, v_.barcode == 1);
    CheckDlgButton(kBarcodeAutoStartCheck, v_.barcodeAutoStart == 1);
    SetCurSel(kBarcodeTerminatorCombo, v_.postAmble);
    CheckDlgButton(kSnExistWarnCheck, v_.existWarn == 1);
    CheckDlgButton(kRemoveCodeCheck, v_.removeCode == 1);
    Enable();
}

void SerialDlg::Enable() {
    const bool on = v_.enable == 1;
    const bool custom = v_.type == kSnTypeCustom || v_.type == kSnTypeFromFile;
    const bool scanner = v_.barcode == 1;
    for (int i = 0; i < 8; ++i) {
        // A scanner reads the SN: only the custom type may stay selectable.
        EnableItem(kTypeRadios[i], on && !(scanner && (i < 6 || i == 7)));
    }
    EnableItem(kSnHexMswRadio, on);
    EnableItem(kSnBcdRadio, on && !custom);
    EnableItem(kSnAsciiRadio, on && !custom);
    EnableItem(kSnHexLswRadio, on);
    EnableItem(kSnHexMsbRadio,
               on && (custom || v_.type == kSnTypeNumber || v_.type == kSnTypeCounter));
    EnableItem(kSnStartAddressEdit, on);
    EnableItem(kSnCustomSizeEdit, on && custom);
    EnableItem(kSnStartingSnEdit, on && !custom);
    EnableItem(kSnIncrementEdit, on && !custom);
    EnableItem(kSnHistoryFileEdit, on);
    EnableItem(kSnHistoryBrowseButton, on);
    EnableItem(kModelEnableCheck, on);
    const bool model = on && v_.modelEnable == 1;
    for (int id : {kModelSizeEdit, kModelStartAddressEdit, kModelTextModeCombo, kModelTextEdit}) {
        EnableItem(id, model);
    }
    EnableItem(kBarcodeEnableCheck, on);
    EnableItem(kBarcodeAutoStartCheck, on && scanner);
    EnableItem(kBarcodeTerminatorCombo, on && scanner);
    EnableItem(kSnExistWarnCheck, on);
    EnableItem(kRemoveCodeCheck, on);
}

std::string SerialDlg::Check() const {
    const SerialNumberSettings& v = v_;
    const std::string correct = "Please correct the address.";
    if (v.enable == 1) {
        if (v.snStart & 1) {
            return "'SN Start Address in Memory' must be even.\r\n\r\n" + correct;
        }
        if (v.snStart < 0x1000) {
            return "'SN Start Address in Memory'.\r\n\r\nmust be higher or equal to "
                   "0x1000.\r\n\r\n" +
                   correct;
        }
        if (v.snStart > 0x45BDE - v.UsedSize()) {
            return "'SN Start Address in Memory'\r\n\r\n"
                   "must be lower than ( 0xFFE0 minus the number of bytes used by SN )).\r\n\r\n" +
                   correct;
        }
        if (v.path.empty()) {
            return "'SN File has not been specified.\r\n\r\nPlease specify the path and file "
                   "name.\r\n\r\n";
        }
        if (v.customSize < 4 || v.customSize > 256 || (v.customSize & 1)) {
            return "Custom SN size must be even number between 4 and " + Printf("%2.1lli", 256) +
                   "\r\n\r\nPlease correct the Custom SN size.";
        }
    }
    if (v.modelEnable == 1) {
        if (v.modelSize > 32 || (v.modelSize & 1)) {
            return "'Text size in Bytes' must be even\r\n\r\nand between 2 and 32.\r\n\r\nPlease "
                   "correct data.";
        }
        if (v.modelStart & 1) {
            return "'Start Address in Memory' for Model/Group/Revision must be even.\r\n\r\n" +
                   correct;
        }
        if (v.modelStart < 0x1000) {
            return "'Start Address in Memory' for Model/Group/Revision\r\n\r\n"
                   "must be greater or equal to 0x1000.\r\n\r\n" +
                   correct;
        }
        if (v.modelStart > ((0x45BDE - v.modelSize) & 0x7FFFE)) {
            return "'Start Address in Memory' for Model/Group/Revision\r\n\r\n"
                   "must be lower than ( 0xFFE0 minus the length of text in bytes ).\r\n\r\n" +
                   correct;
        }
    }
    if (v.enable == 1 && v.modelEnable == 1) {
        const int32_t used = v.UsedSize();
        for (int32_t a = v.modelStart; a < v.modelStart + v.modelSize; ++a) {
            if (a >= v.snStart && a < v.snStart + used) {
                return "SN address space location is overlaping\r\n"
                       "the Model/Group/Revision address space location.\r\n\r\n"
                       "Please correct the SN or Model/Group/Revision address.";
            }
        }
    }
    return "";
}

void SerialDlg::Ok() {
    TakeEdits();
    const std::string message = Check();
    if (!message.empty()) {
        ui::MessageBox(message, "Warning", ui::MB_OK | ui::MB_ICONWARNING);
        return;
    }
    v_.Normalise();
    v_.ToSettings();
    EndDialog(ui::IDOK);
}

} // namespace gui
