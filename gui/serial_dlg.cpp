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

constexpr int kTypeRadios[] = {1057, 1058, 1059, 1060, 1073, 1074, 1076, 1236};
constexpr int kModeRadios[] = {1061, 1062, 1063, 1075, 1266};
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
        {1052, ControlKind::CheckBox, "ENABLE Serialization", {7, 7, 120, 10}},
        {-1, ControlKind::Group, "SN type", {7, 20, 100, 110}},
        {1057, ControlKind::Radio, "YYYY-1234(5)", {13, 31, 90, 10}, ui::STYLE_GROUP},
        {1058, ControlKind::Radio, "YYMM-1234(5)", {13, 43, 90, 10}},
        {1059, ControlKind::Radio, "12345678", {13, 55, 90, 10}},
        {1060, ControlKind::Radio, "1234(5)", {13, 67, 90, 10}},
        {1073, ControlKind::Radio, "YYDDD-1234(5)", {13, 79, 90, 10}},
        {1074, ControlKind::Radio, "YYMMDD-1234", {13, 91, 90, 10}},
        {1076, ControlKind::Radio, "Custom", {13, 103, 90, 10}},
        {1236, ControlKind::Radio, "from File", {13, 115, 90, 10}},
        {-1, ControlKind::Group, "SN in memory", {112, 20, 112, 74}},
        {1061, ControlKind::Radio, "HEX (MSW First)", {118, 31, 102, 10}, ui::STYLE_GROUP},
        {1062, ControlKind::Radio, "BCD", {118, 43, 102, 10}},
        {1063, ControlKind::Radio, "Ascii", {118, 55, 102, 10}},
        {1075, ControlKind::Radio, "HEX (LSW/LSB First)", {118, 67, 102, 10}},
        {1266, ControlKind::Radio, "HEX (MSB First)", {118, 79, 102, 10}},
        {-1, ControlKind::Static, "Start address", {112, 100, 60, 10}},
        {1064, ControlKind::Edit, "", {174, 98, 50, 12}},
        {-1, ControlKind::Static, "Used bytes", {112, 116, 60, 10}},
        {1065, ControlKind::Edit, "", {174, 114, 50, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "Custom size", {7, 138, 50, 10}},
        {1077, ControlKind::Edit, "", {60, 136, 34, 12}},
        {1209, ControlKind::Static, "", {98, 138, 44, 10}},
        {-1, ControlKind::Static, "Starting SN", {7, 154, 50, 10}},
        {1072, ControlKind::Edit, "", {60, 152, 62, 12}},
        {-1, ControlKind::Static, "Increment", {130, 154, 42, 10}},
        {1078, ControlKind::Edit, "", {174, 152, 50, 12}},
        {-1, ControlKind::Static, "SN history file", {7, 170, 80, 10}},
        {1068, ControlKind::Edit, "", {7, 181, 170, 12}},
        {1070, ControlKind::Button, "Browse..", {181, 180, 43, 14}},
        {-1, ControlKind::Group, "Model / Group / Revision", {230, 7, 183, 102}},
        {1053, ControlKind::CheckBox, "ENABLE", {236, 19, 60, 10}},
        {-1, ControlKind::Static, "Text size in Bytes", {236, 35, 80, 10}},
        {1066, ControlKind::Edit, "", {322, 33, 40, 12}},
        {-1, ControlKind::Static, "Start Address in Memory", {236, 51, 84, 10}},
        {1067, ControlKind::Edit, "", {322, 49, 50, 12}},
        {-1, ControlKind::Static, "Text", {236, 67, 30, 10}},
        {1237, ControlKind::Combo, "", {322, 65, 50, 40}},
        {1045, ControlKind::Edit, "", {236, 80, 170, 12}},
        {1157, ControlKind::Static, "", {236, 95, 60, 10}},
        {-1, ControlKind::Group, "Bar-code scanner", {230, 114, 183, 60}},
        {1054, ControlKind::CheckBox, "ENABLE", {236, 126, 60, 10}},
        {1055, ControlKind::CheckBox, "Start AUTOPROGRAM following BarCode scan", {236, 140, 174, 10}},
        {-1, ControlKind::Static, "Terminator", {236, 157, 50, 10}},
        {1155, ControlKind::Combo, "", {290, 155, 60, 80}},
        {1056, ControlKind::CheckBox, "Warn if Device's Flash Memory is not empty on the SN location",
         {7, 200, 406, 10}},
        {1269, ControlKind::CheckBox,
         "Remove code contents in the location where the serialization and model.. are defined",
         {7, 213, 406, 10}},
        {1071, ControlKind::Button, "OK", {305, 231, 50, 14}},
        {1069, ControlKind::Button, "Cancel", {363, 231, 50, 14}},
    };
    return t;
}

} // namespace

SnSetupCopy SnSetupCopy::FromSettings() {
    const core::SettingsState& s = core::Settings;
    SnSetupCopy v;
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
    core::BytesToText(v.modelMode, core::kModelTextBytesMax, core::SerialData.ModelTextBytes, v.modelText);
    v.path = s.SNFilePathAndName.substr(0, 256);
    v.barcode = s.BarCodeReaderEnable;
    v.barcodeAutoStart = s.BarCodeAutoStartEnable;
    v.postAmble = std::clamp(s.PostAmbleIndex, 0, kTerminatorRows - 1);
    v.existWarn = s.SNExistWarnEn;
    v.removeCode = s.RemoveCodefromSNlocationEn;
    return v;
}

void SnSetupCopy::ToSettings() const {
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
    core::BytesFromText(modelMode, core::kModelTextBytesMax, modelText, core::SerialData.ModelTextBytes);
    s.SNFilePathAndName = path.substr(0, 256);
    s.BarCodeReaderEnable = barcode;
    s.BarCodeAutoStartEnable = barcodeAutoStart;
    s.PostAmbleIndex = postAmble;
    s.SNExistWarnEn = existWarn;
    s.RemoveCodefromSNlocationEn = removeCode;
}

int32_t SnSetupCopy::UsedSize() const {
    const int32_t n = SnUsedSize(type, mode, customSize);
    if (type == kSnTypeCustom || type == kSnTypeFromFile) {
        // Custom SNs take at least one word and at most 128 bytes in the hex modes.
        return SnIsHexMode(mode) ? std::clamp(n, 2, 128) : n;
    }
    return n;
}

void SnSetupCopy::Normalise() {
    snStart = std::max(snStart & 0x7FFFE, 0x1000);
    snStart = std::min(snStart, 0x45BFE - UsedSize()) & 0x7FFFE;
    modelSize = std::min(modelSize, 32);
    modelStart = std::max(modelStart & 0x7FFFE, 0x1000);
    modelStart = std::min(modelStart, (0x45BFE - modelSize) & 0x7FFFE);
    increment = std::clamp(increment, 1, 1000);
}

SerialDlg::SerialDlg() : ui::Dialog(SerialTemplate()), v_(SnSetupCopy::FromSettings()) {
    for (int i = 0; i < 8; ++i) {
        OnCommand(kTypeRadios[i], [this, i] { TakeEdits(); v_.type = i; Changed(); });
    }
    for (int i = 0; i < 5; ++i) {
        OnCommand(kModeRadios[i], [this, i] { TakeEdits(); v_.mode = i; Changed(); });
    }
    const struct {
        int id;
        int32_t SnSetupCopy::*field;
    } checks[] = {
        {1052, &SnSetupCopy::enable},   {1053, &SnSetupCopy::modelEnable},
        {1054, &SnSetupCopy::barcode},  {1055, &SnSetupCopy::barcodeAutoStart},
        {1056, &SnSetupCopy::existWarn}, {1269, &SnSetupCopy::removeCode},
    };
    for (const auto& c : checks) {
        OnCommand(c.id, [this, c] {
            TakeEdits();
            v_.*c.field = IsDlgButtonChecked(c.id) ? 1 : 0;
            Changed();
        });
    }
    for (int id : {1064, 1066, 1067, 1072, 1078, 1068, 1045}) {
        Map(ui::EN_CHANGE, id, [this] {
            TakeEdits();
            SetItemText(1065, Printf("%2.1lli", v_.UsedSize()));
            const long long len = static_cast<long long>(v_.modelText.size());
            SetItemText(1157, Printf("%2.1lli bytes", v_.modelMode == 1 ? len / 3 : len));
        });
    }
    Map(ui::EN_CHANGE, 1077, [this] {
        const int32_t n = NumberOf(GetItemText(1077));
        if (n <= 0 || n > 256) {
            platform::Beep(750, 100);
            return;
        }
        TakeEdits();
        SetItemText(1065, Printf("%2.1lli", v_.UsedSize()));
    });
    Map(ui::CBN_SELCHANGE, 1237, [this] { TakeEdits(); v_.modelMode = GetCurSel(1237) == 1 ? 1 : 0; Changed(); });
    Map(ui::CBN_SELCHANGE, 1155, [this] { v_.postAmble = std::clamp(GetCurSel(1155), 0, kTerminatorRows - 1); });
    OnCommand(1070, [this] {
        ui::FileDialogOptions o;
        o.open = false;
        o.filter = "Serial number (*.sn)|*.sn|Any (*.*)|*.*||";
        o.defaultExt = "sn";
        o.fileName = GetItemText(1068);
        o.overwritePrompt = false; // an existing history is what the operator picks
        if (const auto chosen = ui::FileDialog(o)) {
            v_.path = chosen->substr(0, 256);
            SetItemText(1068, v_.path);
        }
    });
    OnCommand(1071, [this] { Ok(); });
    OnCommand(1069, [this] { EndDialog(ui::IDCANCEL); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter does not close the dialog
}

bool SerialDlg::OnInitDialog() {
    SetLimitText(1064, 12);
    SetLimitText(1077, 5);
    SetLimitText(1068, 256);
    SetLimitText(1045, 132);
    AddString(1237, "Ascii");
    AddString(1237, "Hex");
    for (int i = 0; i < kTerminatorRows; ++i) {
        AddString(1155, BarcodeTerminatorTable[i].name);
    }
    SetItemText(1209, Printf("(4..%2.2lli)", 256));
    v_.Normalise();
    Show();
    return true;
}

void SerialDlg::TakeEdits() {
    v_.snStart = NumberOf(GetItemText(1064));
    const int32_t custom = NumberOf(GetItemText(1077));
    if (custom > 0 && custom <= 256) {
        v_.customSize = custom;
    }
    v_.startingSn = NumberOf(GetItemText(1072));
    v_.increment = NumberOf(GetItemText(1078));
    v_.modelSize = NumberOf(GetItemText(1066));
    v_.modelStart = NumberOf(GetItemText(1067));
    v_.path = GetItemText(1068).substr(0, 256);
    v_.modelText = GetItemText(1045).substr(0, 132);
}

void SerialDlg::Changed() {
    v_.Normalise();
    Show();
}

void SerialDlg::Show() {
    CheckDlgButton(1052, v_.enable == 1);
    CheckRadioButton(1057, 1236, kTypeRadios[std::clamp(v_.type, 0, 7)]);
    CheckRadioButton(1061, 1266, kModeRadios[std::clamp(v_.mode, 0, 4)]);
    SetItemText(1064, Printf("0x%4.4llX", v_.snStart));
    SetItemText(1065, Printf("%2.1lli", v_.UsedSize()));
    SetItemText(1077, Printf("%lli", v_.customSize));
    SetItemText(1072, Printf("%10.1lli", static_cast<uint32_t>(v_.startingSn)));
    SetItemText(1078, Printf("%2.1lli", v_.increment));
    SetItemText(1068, v_.path);
    CheckDlgButton(1053, v_.modelEnable == 1);
    SetItemText(1066, Printf("%2.1lli", v_.modelSize));
    SetItemText(1067, Printf("0x%4.4llX", v_.modelStart));
    SetCurSel(1237, v_.modelMode);
    SetItemText(1045, v_.modelText);
    const long long len = static_cast<long long>(v_.modelText.size());
    SetItemText(1157, Printf("%2.1lli bytes", v_.modelMode == 1 ? len / 3 : len));
    CheckDlgButton(1054, v_.barcode == 1);
    CheckDlgButton(1055, v_.barcodeAutoStart == 1);
    SetCurSel(1155, v_.postAmble);
    CheckDlgButton(1056, v_.existWarn == 1);
    CheckDlgButton(1269, v_.removeCode == 1);
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
    EnableItem(1061, on);
    EnableItem(1062, on && !custom);
    EnableItem(1063, on && !custom);
    EnableItem(1075, on);
    EnableItem(1266, on && (custom || v_.type == kSnTypeNumber || v_.type == kSnTypeCounter));
    EnableItem(1064, on);
    EnableItem(1077, on && custom);
    EnableItem(1072, on && !custom);
    EnableItem(1078, on && !custom);
    EnableItem(1068, on);
    EnableItem(1070, on);
    EnableItem(1053, on);
    const bool model = on && v_.modelEnable == 1;
    for (int id : {1066, 1067, 1237, 1045}) {
        EnableItem(id, model);
    }
    EnableItem(1054, on);
    EnableItem(1055, on && scanner);
    EnableItem(1155, on && scanner);
    EnableItem(1056, on);
    EnableItem(1269, on);
}

std::string SerialDlg::Check() const {
    const SnSetupCopy& v = v_;
    const std::string correct = "Please correct the address.";
    if (v.enable == 1) {
        if (v.snStart & 1) {
            return "'SN Start Address in Memory' must be even.\r\n\r\n" + correct;
        }
        if (v.snStart < 0x1000) {
            return "'SN Start Address in Memory'.\r\n\r\nmust be higher or equal to 0x1000.\r\n\r\n" + correct;
        }
        if (v.snStart > 0x45BDE - v.UsedSize()) {
            return "'SN Start Address in Memory'\r\n\r\n"
                   "must be lower than ( 0xFFE0 minus the number of bytes used by SN )).\r\n\r\n" +
                   correct;
        }
        if (v.path.empty()) {
            return "'SN File has not been specified.\r\n\r\nPlease specify the path and file name.\r\n\r\n";
        }
        if (v.customSize < 4 || v.customSize > 256 || (v.customSize & 1)) {
            return "Custom SN size must be even number between 4 and " + Printf("%2.1lli", 256) +
                   "\r\n\r\nPlease correct the Custom SN size.";
        }
    }
    if (v.modelEnable == 1) {
        if (v.modelSize > 32 || (v.modelSize & 1)) {
            return "'Text size in Bytes' must be even\r\n\r\nand between 2 and 32.\r\n\r\nPlease correct data.";
        }
        if (v.modelStart & 1) {
            return "'Start Address in Memory' for Model/Group/Revision must be even.\r\n\r\n" + correct;
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
