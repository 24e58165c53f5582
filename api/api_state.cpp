#include "api/api_state.h"

namespace api {

LibraryState Lib;
LibSettingsState LibSettings;
LibFileNamesState LibFileNames;

} // namespace api
