#include "debugif/hid_transport.h"

#include "debugif/hid_device.h"
#include "debugif/hid_features.h"
#include "debugif/hid_open.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"

namespace debugif {

int32_t OpenHidTransport(const char* name) {
    HidDevice& d = HidTransport.device;
    HidDeviceInit(d);
    if (OpenHidByName(d, kUifVendorId, kUifHidProductId, name) != kHidOk) {
        return kHidNotOpen;
    }
    // The read-back values are not used; only the last step's status counts.
    uint8_t read_back = 0;
    int32_t status = FlushHidDevice(d);
    status = SetHidFeatureValue(d, kHidFeatureD2, 0);
    status = SetHidFeatureValue(d, kHidFeatureDataRate, HidDataRateCode(921600));
    status = GetHidFeatureValue(d, kHidFeatureDataRate, &read_back);
    status = SetHidFeatureValue(d, kHidFeatureMode, 0x24);
    status = GetHidFeatureValue(d, kHidFeatureMode, &read_back);
    status = SetHidFeatureValue(d, kHidFeatureCA, 0x20);
    Transport.PortHandle = reinterpret_cast<uintptr_t>(d.handle.get());
    return status;
}

int32_t CloseHidTransport() {
    int32_t status = CloseHidDevice(HidTransport.device);
    Transport.PortHandle = 0;
    return status;
}

} // namespace debugif
