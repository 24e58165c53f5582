#pragma once
// The start-up picture: shown for 1500 ms while the program loads.

#include "ui/dialog.h"

namespace gui {

inline constexpr int kStartupViewId = 202;
inline constexpr int kStartupViewTimer = 1;
inline constexpr uint32_t kStartupViewMs = 1500;

class StartUp2View : public ui::Dialog {
public:
    StartUp2View();

protected:
    bool OnInitDialog() override;
    void OnTimer(int id) override;
};

} // namespace gui
