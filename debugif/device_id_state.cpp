#include "debugif/device_id_state.h"

namespace debugif {

DeviceIdState gDeviceId;

void DeviceIdState::Reset() {
    *this = DeviceIdState{};
}

} // namespace debugif
