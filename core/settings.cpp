#include "core/settings.h"

#include "core/setup_keys.h"

namespace core {

void SettingsState::Reset() {
    *this = SettingsState{};
    SetupKeysDefault(*this);
}

// The key tables are constant data, ready before this runs.
SettingsState Settings = [] {
    SettingsState s{};
    s.Reset();
    return s;
}();

} // namespace core
