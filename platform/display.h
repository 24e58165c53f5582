#pragma once
// Whether a window system can be reached from here: the Wayland socket
// named by WAYLAND_DISPLAY or the X server named by DISPLAY accepts a
// connection. A library that opens a window for its host asks first: a
// toolkit that cannot reach its display ends the whole process.

#include <string>

namespace platform {

bool DisplayReachable();

// The same for given values of WAYLAND_DISPLAY, XDG_RUNTIME_DIR and DISPLAY
// (empty: unset), for tests.
bool DisplayReachable(const std::string& wayland, const std::string& runtimeDir,
                      const std::string& display);

} // namespace platform
