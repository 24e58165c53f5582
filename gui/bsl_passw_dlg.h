#pragma once
// The BSL password dialog (20400, "BSL Password and Access"): the password
// bytes appended to the programmed image where the code file leaves
// 0xFFE0..0xFFFF undefined, the BSL-disable option, and saving the
// resulting password as a code file.

#include "ui/dialog.h"

#include <cstdint>

namespace gui {

class BSLPasswDlg : public ui::Dialog {
public:
    BSLPasswDlg();

protected:
    bool OnInitDialog() override;

private:
    // The entry as typed: 0..255, or -1 when not defined.
    int32_t Entry(int32_t i) const;
    bool Editable(int32_t i) const;
    void Save();
    void OnOkButton();

    bool editable_[32] = {};
};

inline constexpr int kBslFirstEntryId = 20401; // 20401..20432 for 0xFFE0..0xFFFF

// Runs the dialog (menu "BSL Password and Access"); returns its end code.
int BslPasswordDialogRun();

} // namespace gui
