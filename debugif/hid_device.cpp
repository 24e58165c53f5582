#include "debugif/hid_device.h"

#include "debugif/link_timing.h"
#include "debugif/transport_status.h"

#include "platform/hidraw.h"

namespace debugif {

HidTransportState HidTransport;

void HidDeviceInit(HidDevice& device) {
    device.handle.reset();
    device.open = 0;
    device.name[0] = '\0';
    device.read_timeout = LinkTiming.hid_read_timeout_ms;
    device.write_timeout = LinkTiming.hid_write_timeout_ms;
    device.input_report_length = 0;
    device.output_report_length = 0;
    device.feature_report_length = 0;
    device.layout = platform::HidReportLayout{};
    device.leftover = 0;
}

void HidTransportState::Reset() {
    *this = HidTransportState{}; // a handle still held is closed with it
    HidDeviceInit(device);       // the time-outs LinkTiming gives now
}

platform::HidOs& ActiveHidOs() {
    return HidTransport.os != nullptr ? *HidTransport.os : platform::SystemHidOs();
}

int32_t HidIoStatus(platform::HidIo result) {
    switch (result) {
    case platform::HidIo::kOk:
        return kHidOk;
    case platform::HidIo::kTimeout:
        return kHidTimeout;
    default:
        return kHidFailure;
    }
}

} // namespace debugif
