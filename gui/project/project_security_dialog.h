#pragma once
// The "Project Security Options" dialog (IDD 21001): the protection mode,
// the lock options and their passwords for the next project save.

#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

inline constexpr int IDD_SAVE_PRJ_OPTION = 21001;
inline constexpr int IDC_PRJ_MODE_NONE = 21003;     // "Any PC - not protected"
inline constexpr int IDC_PRJ_MODE_PASSWORD = 21004; // "Any PC - Password protected"
inline constexpr int IDC_PRJ_MODE_PC = 21005;       // "Selected PC - Hardware Fingerprint number"
inline constexpr int IDC_PRJ_LOCKED = 21006;        // "Locked Project" (bit 1)
inline constexpr int IDC_PRJ_UNLOCK_WITH = 21007;   // "UnLock with password" (bit 4)
inline constexpr int IDC_PRJ_PASSWORD1 = 21008;
inline constexpr int IDC_PRJ_PASSWORD2 = 21009;
inline constexpr int IDC_PRJ_PC_CODE = 21010;
inline constexpr int IDC_PRJ_UNLOCK1 = 21011;
inline constexpr int IDC_PRJ_UNLOCK2 = 21012;
inline constexpr int IDC_PRJ_LOCKED_READ = 21014; // "Locked Read options" (bit 2)

class SavePrjOptionDlg : public ui::Dialog {
public:
    SavePrjOptionDlg();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void EnableByChoice();
    void TakeEdit(int id, std::string& value, size_t limit);

    int32_t mode_;
    int32_t options_;
    std::string password1_;
    std::string password2_;
    std::string pcCode_;
    std::string unlock1_;
    std::string unlock2_;
};

// Runs SavePrjOptionDlg. Returns 1 when OK passed its checks (the settings
// are taken), 0 for Cancel; ProjectDialogResult the same.
int32_t ProjectSecurityDialogRun();

} // namespace gui
