#include "debugif/api_state.h"

namespace debugif {

ApiState Api;

} // namespace debugif
