#pragma once
// "Target's Connection / Reset Options" (217): reset method, final action,
// port, adapter and debug library, wire protocol, and the USB adapter. A
// click in the adapter list opens that adapter, so that its mode LED shows
// which one it is. Works on a copy of the settings; OK stores them.

#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

class ResetOptionDlg : public ui::Dialog {
public:
    ResetOptionDlg();

protected:
    bool OnInitDialog() override;

private:
    void FillList();
    void ListPicked();
    void SetRadios();
    void Browse(int staticId);
    void OnOkButton();
    void OnCancelButton();

    int32_t resetMode_ = 0;
    int32_t appStart_ = 1;
    int32_t port_ = 0;
    int32_t adapter_ = 0;
    int32_t interface_ = 0;
    // A group the operator never clicked keeps its stored value, even one
    // that no radio stands for.
    bool appStartClicked_ = false;
    bool interfaceClicked_ = false;
    bool touchedAdapter_ = false; // a listing or an open closed or changed the interface
};

} // namespace gui
