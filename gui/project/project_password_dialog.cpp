#include "gui/project/project_password_dialog.h"

#include "gui/project/project_state.h"

namespace gui {

namespace {

ui::DialogTemplate PasswordTemplate() {
    using ui::ControlKind;
    ui::DialogTemplate t;
    t.id = IDD_PRJ_PASSWORD;
    t.caption = "Password";
    t.width = 186;
    t.height = 62;
    t.controls = {
        {IDC_PRJ_PROMPT, ControlKind::Static, "", {7, 7, 172, 10}},
        {IDC_PRJ_PASSWORD, ControlKind::Edit, "", {7, 20, 172, 13}},
        {ui::IDOK, ControlKind::Button, "OK", {75, 41, 50, 14}},
        {ui::IDCANCEL, ControlKind::Button, "Cancel", {129, 41, 50, 14}},
    };
    return t;
}

} // namespace

PrjPassword::PrjPassword(const std::string& prompt)
    : ui::Dialog(PasswordTemplate()), prompt_(prompt) {}

bool PrjPassword::OnInitDialog() {
    SetItemText(IDC_PRJ_PROMPT, prompt_);
    SetLimitText(IDC_PRJ_PASSWORD, static_cast<int>(kProjectPasswordMax));
    SetFocus(IDC_PRJ_PASSWORD);
    return true;
}

void PrjPassword::OnOK() {
    text_ = GetItemText(IDC_PRJ_PASSWORD).substr(0, kProjectPasswordMax);
    Project.ProjectDialogResult = 1;
    EndDialog(ui::IDOK);
}

void PrjPassword::OnCancel() {
    text_.clear();
    Project.ProjectDialogResult = 0;
    EndDialog(ui::IDCANCEL);
}

int32_t PasswordDialogRun(std::string& text, const std::string& prompt) {
    PrjPassword dialog(prompt);
    Project.ProjectDialogResult = 0;
    const int answer = dialog.DoModal();
    text = answer == ui::IDOK ? dialog.Text() : std::string();
    return answer == ui::IDOK ? 1 : 0;
}

} // namespace gui
