#pragma once
// Finds the adapter's COM ports among the serial ports of the machine.

#include "platform/device_setup.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace debugif {

inline constexpr int32_t kNoMorePorts = 259;

// 1 with the port name ("COM5") in name_out when the index-th serial port
// is an adapter port; 0 when it is not (or the list could not be built, or
// the name does not fit name_size); 259 when there is no port with that
// index. Index 0 builds the list afresh; later indexes use it.
// all_devices 0 lists present devices only.
int32_t EnumerateUifComPorts(int32_t index, char* name_out, size_t name_size, int32_t all_devices);

struct ComPortSearchState {
    bool built = false;
    std::vector<platform::DeviceRecord> records;
    void Reset() { *this = ComPortSearchState{}; }
};
extern ComPortSearchState ComPortSearch;

} // namespace debugif
