#include "core/model_text.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "platform/sound.h"

namespace gui {
namespace {

constexpr int kChoiceRadios[] = {1254, 1255, 1256};

ui::DialogTemplate EditTemplate() {
    using ui::ControlKind;
    ui::DialogTemplate t;
    t.id = IDD_SN_EDIT;
    t.caption = "Serial Number Editor";
    t.width = 300;
    t.height = 170;
    t.controls = {
        {-1, ControlKind::Group, "Model / Group / Revision", {7, 7, 286, 44}},
        {-1, ControlKind::Static, "In the target", {13, 20, 70, 10}},
        {1251, ControlKind::Edit, "", {86, 18, 200, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "To be written", {13, 35, 70, 10}},
        {1050, ControlKind::Edit, "", {86, 33, 200, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Group, "Serial number", {7, 56, 286, 84}},
        {1254, ControlKind::Radio, "Target's SN", {13, 69, 70, 10}, ui::STYLE_GROUP},
        {1250, ControlKind::Edit, "", {86, 67, 200, 12}, ui::STYLE_READONLY},
        {1255, ControlKind::Radio, "New SN", {13, 86, 70, 10}},
        {1253, ControlKind::Edit, "", {86, 84, 200, 12}, ui::STYLE_READONLY},
        {1256, ControlKind::Radio, "Edited SN", {13, 103, 70, 10}},
        {1248, ControlKind::Edit, "", {86, 101, 200, 12}},
        {1259, ControlKind::Button, "VERIFY with Data Base", {86, 119, 100, 14}},
        {1258, ControlKind::Static, "", {192, 121, 60, 10}},
        {1246, ControlKind::Button, "OK", {181, 149, 50, 14}},
        {1257, ControlKind::Button, "Cancel", {243, 149, 50, 14}},
    };
    return t;
}

} // namespace

void SnWarningSound() {
    platform::Beep(440, 300);
}

SnEditDlg::SnEditDlg(std::string fieldText) : ui::Dialog(EditTemplate()), fieldText_(std::move(fieldText)) {
    for (int i = 0; i < 3; ++i) {
        OnCommand(kChoiceRadios[i], [this, i] { Choose(i + 1); });
    }
    Map(ui::EN_CHANGE, 1248, [this] { SetItemText(1258, ""); });
    OnCommand(1259, [this] { Verify(); });
    OnCommand(1246, [this] { Ok(); });
    OnCommand(1257, [this] { EndDialog(ui::IDCANCEL); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter does not close the dialog
}

bool SnEditDlg::OnInitDialog() {
    SerialNumberState& s = SerialNumber;
    s.SnEditCancelled = 1;
    const int32_t size = core::Settings.ModelTextSize;
    std::string read, written;
    core::BytesToText(s.ModelTextMode, size, core::SerialData.ModelTextBytes + core::kModelTextMax, read);
    core::BytesToText(s.ModelTextMode, size, core::SerialData.ModelTextBytes, written);
    SetItemText(1251, core::Settings.ModelTextEnable == 1 ? read : "");
    SetItemText(1050, core::Settings.ModelTextEnable == 1 ? written : "");
    SetItemText(1250, s.SnReadBackText);
    SetItemText(1253, SerialNumberFormat());
    SetItemText(1248, fieldText_);
    SetLimitText(1248, static_cast<int>(kSnEditResultMax));
    Choose(s.SnEditChoice >= 1 && s.SnEditChoice <= 3 ? s.SnEditChoice : 2);
    return true;
}

void SnEditDlg::Choose(int32_t choice) {
    SerialNumber.SnEditChoice = choice;
    CheckRadioButton(1254, 1256, kChoiceRadios[choice - 1]);
    SetReadOnly(1248, choice != 3);
    EnableItem(1259, choice == 3);
}

void SnEditDlg::Verify() {
    if (SerialNumber.SnEditChoice != 3) {
        return;
    }
    if (SnHistoryContains(GetItemText(1248)) == 1) {
        SetItemText(1258, "used");
        SnWarningSound();
    } else {
        SetItemText(1258, "OK");
    }
}

void SnEditDlg::Ok() {
    SerialNumberState& s = SerialNumber;
    std::string text;
    switch (s.SnEditChoice) {
    case 1:
        s.SnStatus = kSnStatusUnchanged;
        text = GetItemText(1250);
        break;
    case 3:
        s.SnStatus = (s.SnStatus & ~kSnStatusOverwritten) | kSnStatusManual;
        text = GetItemText(1248);
        break;
    default:
        s.SnStatus = (s.SnStatus & ~kSnStatusOverwritten) | kSnStatusNew;
        text = GetItemText(1253);
        break;
    }
    s.SnEditResultText = text.substr(0, kSnEditResultMax);
    s.SnEditCancelled = 0;
    EndDialog(ui::IDOK);
}

int32_t SnEditRun(const std::string& fieldText) {
    SnEditDlg dlg(fieldText);
    dlg.DoModal();
    return SerialNumber.SnEditCancelled == 1 ? 15 : 1;
}

} // namespace gui
