#include "gui/project/project_security_dialog.h"

#include "gui/project/project_fingerprint.h"
#include "gui/project/project_state.h"
#include "platform/ascii.h"

namespace gui {

namespace {

// An edit's text as the dialog takes it: at most 30 characters read.
constexpr size_t kEditReadMax = 30;

struct ModeRadio {
    int id;
    int32_t mode;
};
constexpr ModeRadio kModeRadios[] = {
    {IDC_PRJ_MODE_NONE, kProjectModeNone},
    {IDC_PRJ_MODE_PASSWORD, kProjectModePassword},
    {IDC_PRJ_MODE_PC, kProjectModePc},
};

struct OptionCheck {
    int id;
    int32_t bit;
};
constexpr OptionCheck kOptionChecks[] = {
    {IDC_PRJ_LOCKED, kProjectLocked},
    {IDC_PRJ_LOCKED_READ, kProjectLockedRead},
    {IDC_PRJ_UNLOCK_WITH, kProjectUnlockWithPassword},
};

ui::DialogTemplate SecurityTemplate() {
    using ui::ControlKind;
    ui::DialogTemplate t;
    t.id = IDD_SAVE_PRJ_OPTION;
    t.caption = "Project Security Options";
    t.width = 280;
    t.height = 222;
    t.controls = {
        {-1, ControlKind::Group, "Protection", {7, 7, 266, 100}},
        {IDC_PRJ_MODE_NONE,
         ControlKind::Radio,
         "Any PC - not protected",
         {14, 19, 250, 10},
         ui::STYLE_GROUP},
        {IDC_PRJ_MODE_PASSWORD,
         ControlKind::Radio,
         "Any PC - Password protected",
         {14, 32, 250, 10}},
        {-1, ControlKind::Static, "Password", {26, 46, 80, 10}},
        {IDC_PRJ_PASSWORD1, ControlKind::Edit, "", {110, 44, 100, 13}},
        {-1, ControlKind::Static, "Repeat password", {26, 61, 80, 10}},
        {IDC_PRJ_PASSWORD2, ControlKind::Edit, "", {110, 59, 100, 13}},
        {IDC_PRJ_MODE_PC,
         ControlKind::Radio,
         "Selected PC - Hardware Fingerprint number",
         {14, 76, 250, 10}},
        {-1, ControlKind::Static, "PC number", {26, 90, 80, 10}},
        {IDC_PRJ_PC_CODE, ControlKind::Edit, "", {110, 88, 60, 13}},
        {-1, ControlKind::Static, "XXXX-XXXX", {176, 90, 60, 10}},
        {-1, ControlKind::Group, "Lock", {7, 112, 266, 84}},
        {IDC_PRJ_LOCKED, ControlKind::CheckBox, "Locked Project", {14, 124, 250, 10}},
        {IDC_PRJ_LOCKED_READ, ControlKind::CheckBox, "Locked Read options", {26, 137, 238, 10}},
        {IDC_PRJ_UNLOCK_WITH, ControlKind::CheckBox, "UnLock with password", {26, 150, 238, 10}},
        {-1, ControlKind::Static, "Unlock password", {38, 165, 70, 10}},
        {IDC_PRJ_UNLOCK1, ControlKind::Edit, "", {110, 163, 100, 13}},
        {-1, ControlKind::Static, "Repeat password", {38, 180, 70, 10}},
        {IDC_PRJ_UNLOCK2, ControlKind::Edit, "", {110, 178, 100, 13}},
        {ui::IDOK, ControlKind::Button, "OK", {169, 201, 50, 14}},
        {ui::IDCANCEL, ControlKind::Button, "Cancel", {223, 201, 50, 14}},
    };
    return t;
}

} // namespace

SavePrjOptionDlg::SavePrjOptionDlg()
    : ui::Dialog(SecurityTemplate()), mode_(Project.ProjectModeSetting),
      options_(Project.ProjectLockOptionsSetting), password1_(Project.ProjectPassword),
      password2_(Project.ProjectPassword), pcCode_(Project.ProjectPcCode),
      unlock1_(Project.ProjectUnlockPassword), unlock2_(Project.ProjectUnlockPassword) {
    if (pcCode_.empty()) {
        pcCode_ = PcFingerprintText(PcFingerprint()); // this PC, as a start
    }
    for (const ModeRadio& r : kModeRadios) {
        OnCommand(r.id, [this, r] {
            mode_ = r.mode;
            CheckRadioButton(IDC_PRJ_MODE_NONE, IDC_PRJ_MODE_PC, r.id);
            EnableByChoice();
        });
    }
    for (const OptionCheck& c : kOptionChecks) {
        OnCommand(c.id, [this, c] {
            options_ = IsDlgButtonChecked(c.id) ? (options_ | c.bit) : (options_ & ~c.bit);
            EnableByChoice();
        });
    }
    const struct {
        int id;
        std::string* value;
        size_t limit;
    } edits[] = {
        {IDC_PRJ_PASSWORD1, &password1_, kProjectPasswordMax},
        {IDC_PRJ_PASSWORD2, &password2_, kProjectPasswordMax},
        {IDC_PRJ_PC_CODE, &pcCode_, kProjectPcCodeLength},
        {IDC_PRJ_UNLOCK1, &unlock1_, kProjectPasswordMax},
        {IDC_PRJ_UNLOCK2, &unlock2_, kProjectPasswordMax},
    };
    for (const auto& e : edits) {
        Map(ui::EN_CHANGE, e.id, [this, e] { TakeEdit(e.id, *e.value, e.limit); });
    }
}

bool SavePrjOptionDlg::OnInitDialog() {
    int modeId = IDC_PRJ_MODE_NONE;
    for (const ModeRadio& r : kModeRadios) {
        if (r.mode == mode_) {
            modeId = r.id;
        }
    }
    CheckRadioButton(IDC_PRJ_MODE_NONE, IDC_PRJ_MODE_PC, modeId);
    for (const OptionCheck& c : kOptionChecks) {
        CheckDlgButton(c.id, (options_ & c.bit) ? 1 : 0);
    }
    SetLimitText(IDC_PRJ_PASSWORD1, static_cast<int>(kProjectPasswordMax));
    SetLimitText(IDC_PRJ_PASSWORD2, static_cast<int>(kProjectPasswordMax));
    SetLimitText(IDC_PRJ_PC_CODE, static_cast<int>(kProjectPcCodeLength));
    SetLimitText(IDC_PRJ_UNLOCK1, static_cast<int>(kProjectPasswordMax));
    SetLimitText(IDC_PRJ_UNLOCK2, static_cast<int>(kProjectPasswordMax));
    SetItemText(IDC_PRJ_PASSWORD1, password1_);
    SetItemText(IDC_PRJ_PASSWORD2, password2_);
    SetItemText(IDC_PRJ_PC_CODE, pcCode_);
    SetItemText(IDC_PRJ_UNLOCK1, unlock1_);
    SetItemText(IDC_PRJ_UNLOCK2, unlock2_);
    EnableByChoice();
    return true;
}

void SavePrjOptionDlg::EnableByChoice() {
    const bool locked = (options_ & kProjectLocked) != 0;
    const bool unlockPassword = locked && (options_ & kProjectUnlockWithPassword) != 0;
    EnableItem(IDC_PRJ_PASSWORD1, mode_ == kProjectModePassword);
    EnableItem(IDC_PRJ_PASSWORD2, mode_ == kProjectModePassword);
    EnableItem(IDC_PRJ_PC_CODE, mode_ == kProjectModePc);
    EnableItem(IDC_PRJ_LOCKED_READ, locked);
    EnableItem(IDC_PRJ_UNLOCK_WITH, locked);
    EnableItem(IDC_PRJ_UNLOCK1, unlockPassword);
    EnableItem(IDC_PRJ_UNLOCK2, unlockPassword);
}

void SavePrjOptionDlg::TakeEdit(int id, std::string& value, size_t limit) {
    value = GetItemText(id).substr(0, kEditReadMax).substr(0, limit);
}

void SavePrjOptionDlg::OnOK() {
    if (mode_ == kProjectModePassword && password1_ != password2_) {
        ProjectErrorBox("Protection passwords 1 and 2 are not the same.\r\n"
                        "Please retype passwords again.");
        return;
    }
    if (mode_ == kProjectModePc && pcCode_.size() != kProjectPcCodeLength) {
        ProjectErrorBox("PC 'hardware fingerprint' format error.\r\n"
                        "Correct format: XXXX-XXXX where X-Hex number.\r\n"
                        "Please correct PC 'hardware fingerprint' number.");
        return;
    }
    if ((options_ & kProjectUnlockWithPassword) && unlock1_ != unlock2_) {
        ProjectErrorBox("Unlock passwords 1 and 2 are not the same.\r\n"
                        "Please retype passwords again.");
        return;
    }
    if (mode_ == kProjectModePassword) {
        Project.ProjectPassword = password1_;
    }
    if (mode_ == kProjectModePc) {
        std::string upper = pcCode_;
        for (char& c : upper) {
            c = platform::AsciiUpper(c);
        }
        Project.ProjectPcCode = upper;
    }
    if (options_ & kProjectUnlockWithPassword) {
        Project.ProjectUnlockPassword = unlock1_;
    }
    Project.ProjectModeSetting = mode_;
    Project.ProjectLockOptionsSetting = options_;
    Project.ProjectDialogResult = 1;
    EndDialog(ui::IDOK);
}

void SavePrjOptionDlg::OnCancel() {
    Project.ProjectDialogResult = 0;
    EndDialog(ui::IDCANCEL);
}

int32_t ProjectSecurityDialogRun() {
    SavePrjOptionDlg dialog;
    Project.ProjectDialogResult = 0;
    return dialog.DoModal() == ui::IDOK ? 1 : 0;
}

} // namespace gui
