#pragma once
// "Preferences" (20300): result sounds, PC-speaker beeps, the report-history
// display, the PDF reader and the ".out" converter. OK stores them and
// saves "prefer.ini".

#include "ui/dialog.h"

namespace gui {

class PreferencesDlg : public ui::Dialog {
public:
    PreferencesDlg();

protected:
    bool OnInitDialog() override;

private:
    void Browse(int editId, const char* filter);
    void OnOkButton();
};

} // namespace gui
