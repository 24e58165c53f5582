#include "debugif/api_state.h"

namespace debugif {

// Constant-initialised, so that a shared library's load-time attach may
// set it before any dynamic initialisation runs.
constinit ApiState Api;

} // namespace debugif
