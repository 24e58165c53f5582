#include "debugif/hid_features.h"

#include "debugif/transport_status.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace debugif {

namespace {

uint16_t FeatureLength(const HidDevice& device, uint8_t id) {
    uint16_t length = device.layout.ReportLength(platform::HidReportKind::kFeature, id);
    return length != 0 ? length : device.feature_report_length;
}

} // namespace

int32_t HidSetFeature(HidDevice& device, const uint8_t* report, size_t size) {
    if (device.open == 0 || device.handle == nullptr) {
        return kHidNotOpen;
    }
    if (report == nullptr || size == 0) {
        return kHidFailure;
    }
    const uint16_t length = FeatureLength(device, report[0]);
    if (length < 2) {
        return kHidFailure;
    }
    std::vector<uint8_t> r(length, 0);
    std::memcpy(r.data(), report, std::min<size_t>(size, length));
    return HidIoStatus(device.handle->SetFeature(r.data(), length, device.write_timeout));
}

int32_t HidGetFeature(HidDevice& device, uint8_t* report, size_t size) {
    if (device.open == 0 || device.handle == nullptr) {
        return kHidNotOpen;
    }
    if (report == nullptr || size == 0) {
        return kHidFailure;
    }
    const uint16_t length = FeatureLength(device, report[0]);
    if (length < 2) {
        return kHidFailure;
    }
    std::vector<uint8_t> r(length, 0);
    r[0] = report[0];
    int32_t status = HidIoStatus(device.handle->GetFeature(r.data(), length, device.read_timeout));
    if (status == kHidOk) {
        std::memcpy(report, r.data(), std::min<size_t>(size, length));
    }
    return status;
}

int32_t SetHidFeatureValue(HidDevice& device, uint8_t id, uint8_t value) {
    if (id == kHidFeatureCA) {
        value = std::min(value, kHidFeatureCAMaximum);
    }
    const uint8_t report[2] = {id, value};
    return HidSetFeature(device, report, sizeof report);
}

int32_t GetHidFeatureValue(HidDevice& device, uint8_t id, uint8_t* value) {
    uint8_t report[2] = {id, 0};
    int32_t status = HidGetFeature(device, report, sizeof report);
    if (status == kHidOk && value != nullptr) {
        *value = report[1];
    }
    return status;
}

uint8_t HidDataRateCode(uint32_t rate) {
    if (rate == 115200) {
        return 8;
    }
    if (rate == 460800) {
        return 2;
    }
    return 1;
}

uint32_t HidDataRateFromCode(uint8_t code) {
    if (code == 2) {
        return 460800;
    }
    if (code == 1) {
        return 921600;
    }
    return 0;
}

int32_t FlushHidDevice(HidDevice& device) {
    device.leftover = 0;
    if (device.handle == nullptr) {
        return kHidInvalidHandle;
    }
    if (!device.handle->FlushInput()) {
        return kHidFlushFailed;
    }
    return SetHidFeatureValue(device, kHidFeatureFlushed, 0);
}

} // namespace debugif
