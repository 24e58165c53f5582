#include "core/model_text.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "platform/sound.h"

#include <algorithm>

namespace gui {
namespace {

// Controls of the Serial Number Editor (IDD_SN_EDIT).
// Model / Group / Revision.
constexpr int kTargetModelEdit = 1251; // "In the target"
constexpr int kNewModelEdit = 1050;    // "To be written"
// Serial number: the three choices, each beside its text.
constexpr int kTargetSnRadio = 1254; // "Target's SN"
constexpr int kTargetSnEdit = 1250;
constexpr int kNewSnRadio = 1255; // "New SN"
constexpr int kNewSnEdit = 1253;
constexpr int kEditedSnRadio = 1256; // "Edited SN"
constexpr int kEditedSnEdit = 1248;
constexpr int kVerifyButton = 1259;        // "VERIFY with Data Base"
constexpr int kVerifyResultCaption = 1258; // "used" / "OK"
constexpr int kOkButton = 1246;
constexpr int kCancelButton = 1257;

constexpr int kChoiceRadios[] = {kTargetSnRadio, kNewSnRadio, kEditedSnRadio};
constexpr int kReasonLine = 1260; // why the editor opened, or why OK was refused

ui::DialogTemplate EditTemplate() {
    using ui::ControlKind;
    ui::DialogTemplate t;
    t.id = IDD_SN_EDIT;
    t.caption = "Serial Number Editor";
    t.width = 300;
    t.height = 184;
    t.controls = {
        {-1, ControlKind::Group, "Model / Group / Revision", {7, 7, 286, 44}},
        {-1, ControlKind::Static, "In the target", {13, 20, 70, 10}},
        {kTargetModelEdit, ControlKind::Edit, "", {86, 18, 200, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Static, "To be written", {13, 35, 70, 10}},
        {kNewModelEdit, ControlKind::Edit, "", {86, 33, 200, 12}, ui::STYLE_READONLY},
        {-1, ControlKind::Group, "Serial number", {7, 56, 286, 84}},
        {kTargetSnRadio, ControlKind::Radio, "Target's SN", {13, 69, 70, 10}, ui::STYLE_GROUP},
        {kTargetSnEdit, ControlKind::Edit, "", {86, 67, 200, 12}, ui::STYLE_READONLY},
        {kNewSnRadio, ControlKind::Radio, "New SN", {13, 86, 70, 10}},
        {kNewSnEdit, ControlKind::Edit, "", {86, 84, 200, 12}, ui::STYLE_READONLY},
        {kEditedSnRadio, ControlKind::Radio, "Edited SN", {13, 103, 70, 10}},
        {kEditedSnEdit, ControlKind::Edit, "", {86, 101, 200, 12}},
        {kVerifyButton, ControlKind::Button, "VERIFY with Data Base", {86, 119, 100, 14}},
        {kVerifyResultCaption, ControlKind::Static, "", {192, 121, 60, 10}},
        {kReasonLine, ControlKind::Static, "", {7, 146, 286, 10}},
        {kOkButton, ControlKind::Button, "OK", {181, 163, 50, 14}},
        {kCancelButton, ControlKind::Button, "Cancel", {243, 163, 50, 14}},
    };
    return t;
}

std::string TrimmedRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

std::string UsedLine(const std::string& sn) {
    return "SN " + TrimmedRight(sn) + " is already in the SN history file.";
}

} // namespace

// A number the history holds, as typed or as it would be written (a custom
// SN cut to its size).
bool SnEditIsUsed(const std::string& text) {
    const std::string sn = TrimmedRight(text);
    if (SnHistoryContains(sn) == 1) {
        return true;
    }
    const int32_t type = core::Settings.SNDispFormatIndex;
    if (type == kSnTypeCustom || type == kSnTypeFromFile) {
        const size_t size = static_cast<size_t>(std::clamp(core::Settings.Custom_SN_size, 0, 256));
        return sn.size() > size && SnHistoryContains(sn.substr(0, size)) == 1;
    }
    return false;
}

namespace {} // namespace

void SnWarningSound() {
    platform::Beep(440, 300);
}

SnEditDlg::SnEditDlg(std::string fieldText)
    : ui::Dialog(EditTemplate()), fieldText_(std::move(fieldText)) {
    for (int i = 0; i < 3; ++i) {
        OnCommand(kChoiceRadios[i], [this, i] { Choose(i + 1); });
    }
    Map(ui::EN_CHANGE, kEditedSnEdit, [this] { SetItemText(kVerifyResultCaption, ""); });
    OnCommand(kVerifyButton, [this] { Verify(); });
    OnCommand(kOkButton, [this] { Ok(); });
    OnCommand(kCancelButton, [this] { EndDialog(ui::IDCANCEL); });
    Map(ui::BN_CLICKED, ui::IDOK, [] {}); // Enter does not close the dialog
}

bool SnEditDlg::OnInitDialog() {
    SerialNumberState& s = SerialNumber;
    s.SnEditCancelled = 1;
    const int32_t size = core::Settings.ModelTextSize;
    std::string read, written;
    core::BytesToText(s.ModelTextMode, size, core::SerialData.ModelTextBytes + core::kModelTextMax,
                      read);
    core::BytesToText(s.ModelTextMode, size, core::SerialData.ModelTextBytes, written);
    SetItemText(kTargetModelEdit, core::Settings.ModelTextEnable == 1 ? read : "");
    SetItemText(kNewModelEdit, core::Settings.ModelTextEnable == 1 ? written : "");
    SetItemText(kTargetSnEdit, s.SnReadBackText);
    SetItemText(kNewSnEdit, SerialNumberFormat());
    SetItemText(kEditedSnEdit, fieldText_);
    SetLimitText(kEditedSnEdit, static_cast<int>(kSnEditResultMax));
    const std::string coming = SerialNumberFormat();
    if (SnEditIsUsed(fieldText_)) {
        SetItemText(kReasonLine, UsedLine(fieldText_));
    } else if (SnEditIsUsed(coming)) {
        SetItemText(kReasonLine, UsedLine(coming));
    } else if (s.SnFoundFlag == 1) {
        SetItemText(kReasonLine, "The device's SN location is not empty.");
    } else if (s.ManualSnFlag == 1) {
        SetItemText(kReasonLine, "The SN was entered by hand.");
    }
    // The current choice is checked, used or not: the reason line says
    // which SN is used, and OK refuses a used one.
    Choose(s.SnEditChoice >= 1 && s.SnEditChoice <= 3 ? s.SnEditChoice : 2);
    return true;
}

std::string SnEditDlg::ChoiceText(int32_t choice) const {
    switch (choice) {
    case 1:
        return GetItemText(kTargetSnEdit);
    case 3:
        return GetItemText(kEditedSnEdit);
    default:
        return GetItemText(kNewSnEdit);
    }
}

void SnEditDlg::Choose(int32_t choice) {
    SerialNumber.SnEditChoice = choice;
    for (int i = 0; i < 3; ++i) {
        CheckDlgButton(kChoiceRadios[i], choice == i + 1 ? 1 : 0);
    }
    SetReadOnly(kEditedSnEdit, choice != 3);
    EnableItem(kVerifyButton, choice == 3);
}

void SnEditDlg::Verify() {
    if (SerialNumber.SnEditChoice != 3) {
        return;
    }
    if (SnEditIsUsed(GetItemText(kEditedSnEdit))) {
        SetItemText(kVerifyResultCaption, "used");
        SnWarningSound();
    } else {
        SetItemText(kVerifyResultCaption, "OK");
    }
}

void SnEditDlg::Ok() {
    SerialNumberState& s = SerialNumber;
    if (s.SnEditChoice < 1 || s.SnEditChoice > 3) {
        SetItemText(kReasonLine, "Please choose the SN to be written.");
        SnWarningSound();
        return;
    }
    const std::string text = ChoiceText(s.SnEditChoice);
    if (SnEditIsUsed(text)) {
        // One number, one board: the dialog stays until a free one is chosen.
        SetItemText(kReasonLine, UsedLine(text));
        SnWarningSound();
        return;
    }
    switch (s.SnEditChoice) {
    case 1:
        s.SnStatus = kSnStatusUnchanged;
        break;
    case 3:
        s.SnStatus = (s.SnStatus & ~kSnStatusOverwritten) | kSnStatusManual;
        break;
    default:
        // The coming SN in place of a typed one is no manual SN: it
        // records as '.'.
        s.SnStatus = (s.SnStatus & ~(kSnStatusOverwritten | kSnStatusManual)) | kSnStatusNew;
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
