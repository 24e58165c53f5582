#pragma once
// "Memory Options" (185): which flash is erased, written, verified and
// read, which data survive an erase, and the DCO-constant options of the
// F2xx devices, beside the selected device's memory facts. Works on a copy
// of the settings; OK stores it once every check passed.

#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

class OptionsDlg : public ui::Dialog {
public:
    OptionsDlg();

protected:
    bool OnInitDialog() override;

private:
    struct Values {
        int32_t eraseMode, eraseA, eraseB, eraseC, eraseD, eraseRangeEn, eraseStart, eraseStop;
        int32_t eraseInfoA, verifyMode, readMode, readA, readB, readC, readD, readRangeEn;
        int32_t readStart, readStop, retainCal, retainDefined, retainStart, retainStop, checkDco;
    };

    void Show();         // values to controls, normalised, then enabling
    void ReadControls(); // controls to values as typed
    void Enable();
    void Clicked(); // a check or radio: read, normalise, show
    void OnOkButton();
    // The first failed check's message, or "" when all pass.
    std::string CheckFailure() const;

    Values v_{};
};

} // namespace gui
