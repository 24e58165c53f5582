#pragma once
// The debug interface's process-wide result and connection state: the one
// last-error number every entry leaves behind, the interface kind chosen at
// initialisation, and whether the adapter connection is open. The adapter
// transaction closes the connection in this view when every try failed.

#include <cstdint>

namespace debugif {

inline constexpr int32_t kInterfaceNone = 0;
inline constexpr int32_t kInterfaceParallel = 1;
inline constexpr int32_t kInterfaceUsb = 2;

struct ApiState {
    // Reason of the last failure, 0 after a success. Error bytes the adapter
    // sends are kept as they came, also above 63; a text lookup clamps.
    int32_t LastErrorNumber = 0;
    int32_t InterfaceKind = kInterfaceNone;
    int32_t InterfaceOpen = 0; // 1 while the adapter connection is open

    void Reset() { *this = ApiState{}; }
};
extern ApiState Api;

} // namespace debugif
