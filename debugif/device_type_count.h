#pragma once

#include <cstddef>

namespace debugif {

// Device types 0 to 118 index every per-type table.
inline constexpr std::size_t kDeviceTypeCount = 119;

} // namespace debugif
