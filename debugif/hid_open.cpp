#include "debugif/hid_open.h"

#include "debugif/hid_discovery.h"
#include "debugif/transport_status.h"
#include "platform/os_error.h"

#include <cstring>
#include <string>
#include <vector>

namespace debugif {

namespace {

// Takes an opened interface into the device: capabilities from its report
// descriptor, each length only when not 0.
int32_t TakeHandle(HidDevice& device, std::unique_ptr<platform::HidPort> port) {
    std::vector<uint8_t> descriptor;
    platform::HidReportLayout layout;
    if (!port->GetReportDescriptor(&descriptor) ||
        !platform::ParseHidReportDescriptor(descriptor.data(), descriptor.size(), &layout)) {
        return kHidFailure;
    }
    // Every input report is read whole into the input buffer.
    if (layout.input_report_length > kHidInputBufferSize) {
        return kHidFailure;
    }
    device.layout = layout;
    if (layout.input_report_length != 0) {
        device.input_report_length = layout.input_report_length;
    }
    if (layout.output_report_length != 0) {
        device.output_report_length = layout.output_report_length;
    }
    if (layout.feature_report_length != 0) {
        device.feature_report_length = layout.feature_report_length;
    }
    device.handle = std::move(port);
    device.open = 1;
    device.leftover = 0;
    // hidraw keeps its own fixed input queue per handle: there is no count
    // of input buffers to set.
    return kHidOk;
}

} // namespace

int32_t OpenHidDevice(HidDevice& device, uint16_t vendor_id, uint16_t product_id, int32_t index) {
    if (device.open != 0) {
        return kHidInUse;
    }
    HidInterfaceList list;
    int32_t matching = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        int32_t error;
        std::unique_ptr<platform::HidPort> port =
            OpenHidMatching(list.Path(i), vendor_id, product_id, &error);
        if (port == nullptr || matching++ != index) {
            continue; // an interface not taken is closed again
        }
        return TakeHandle(device, std::move(port));
    }
    return kHidNotFound;
}

int32_t OpenHidByName(HidDevice& device, uint16_t vendor_id, uint16_t product_id,
                      const char* name) {
    if (device.open != 0) {
        return kHidInUse;
    }
    if (name == nullptr) {
        return kHidNotFound;
    }
    const std::string wanted(name, strnlen(name, kHidAdapterNameBufferSize));
    HidInterfaceList list;
    char found[kHidAdapterNameBufferSize];
    for (size_t i = 0; i < list.size(); ++i) {
        list.Name(i, found, sizeof found);
        // Only the interface with that name is opened: the name comes from
        // the device setup, so nothing else needs to be touched.
        if (wanted != found) {
            continue;
        }
        int32_t error;
        std::unique_ptr<platform::HidPort> port =
            OpenHidMatching(list.Path(i), vendor_id, product_id, &error);
        if (port == nullptr) {
            if (error == platform::kErrorSharingViolation) {
                return kHidInUse;
            }
            continue;
        }
        int32_t status = TakeHandle(device, std::move(port));
        if (status == kHidOk) {
            size_t length = strnlen(found, kHidNameSize - 1);
            std::memcpy(device.name, found, length);
            device.name[length] = '\0';
        }
        return status;
    }
    return kHidNotFound;
}

int32_t CloseHidDevice(HidDevice& device) {
    if (device.handle == nullptr) {
        return kHidInvalidHandle;
    }
    device.handle.reset();
    device.open = 0;
    return kHidOk;
}

} // namespace debugif
