#include "core/settings.h"

namespace core {

SettingsState Settings;

} // namespace core
