#include "platform/fake_hid.h"

#include "platform/os_error.h"

#include <algorithm>
#include <utility>

namespace platform {

class FakeHidPort : public HidPort {
public:
    explicit FakeHidPort(FakeHidDevice& device) : device_(device) { ++device_.open_handles; }
    ~FakeHidPort() override { --device_.open_handles; }

    bool GetRawInfo(uint16_t* vendor_id, uint16_t* product_id) override {
        *vendor_id = device_.vendor_id;
        *product_id = device_.product_id;
        return true;
    }

    bool GetReportDescriptor(std::vector<uint8_t>* descriptor) override {
        if (!device_.descriptor_readable) {
            return false;
        }
        *descriptor = device_.descriptor;
        return true;
    }

    HidIo Write(const uint8_t* report, size_t length, int32_t) override {
        if (device_.write_result != HidIo::kOk) {
            return device_.write_result;
        }
        std::vector<uint8_t> r(report, report + length);
        if (device_.peer != nullptr) {
            device_.peer->OnOutputReport(device_, r);
        }
        device_.written.push_back(std::move(r));
        return HidIo::kOk;
    }

    HidIo Read(uint8_t* buffer, size_t capacity, size_t* received, int32_t) override {
        *received = 0;
        if (device_.input_.empty() && device_.peer != nullptr) {
            device_.peer->OnReadWait(device_);
        }
        if (device_.input_.empty()) {
            ++device_.read_timeouts;
            return HidIo::kTimeout;
        }
        std::vector<uint8_t> r = std::move(device_.input_.front());
        device_.input_.pop_front();
        size_t n = std::min(capacity, r.size());
        std::copy(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        *received = n;
        return HidIo::kOk;
    }

    HidIo SetFeature(const uint8_t* report, size_t length, int32_t) override {
        std::vector<uint8_t> r(report, report + length);
        device_.features.push_back({true, r});
        if (device_.feature_result != HidIo::kOk) {
            return device_.feature_result;
        }
        if (device_.peer != nullptr && !device_.peer->OnSetFeature(device_, r)) {
            return HidIo::kFailure;
        }
        return HidIo::kOk;
    }

    HidIo GetFeature(uint8_t* report, size_t length, int32_t) override {
        std::vector<uint8_t> r(report, report + length);
        device_.features.push_back({false, r});
        if (device_.feature_result != HidIo::kOk) {
            return device_.feature_result;
        }
        if (device_.peer != nullptr && !device_.peer->OnGetFeature(device_, r)) {
            return HidIo::kFailure;
        }
        std::copy_n(r.begin(), std::min(length, r.size()), report);
        return HidIo::kOk;
    }

    bool FlushInput() override {
        ++device_.flushes;
        if (device_.flush_fails) {
            return false;
        }
        device_.input_.clear();
        return true;
    }

private:
    FakeHidDevice& device_;
};

FakeHidDevice& FakeHidOs::AddDevice(const std::string& path) {
    return devices_[path];
}

FakeHidDevice* FakeHidOs::Find(const std::string& path) {
    auto it = devices_.find(path);
    return it == devices_.end() ? nullptr : &it->second;
}

std::unique_ptr<HidPort> FakeHidOs::Open(const std::string& path, int32_t* system_error) {
    *system_error = kErrorSuccess;
    FakeHidDevice* d = Find(path);
    if (d == nullptr) {
        *system_error = kErrorFileNotFound;
        return nullptr;
    }
    if (d->held_elsewhere || d->open_handles > 0) {
        *system_error = kErrorSharingViolation;
        return nullptr;
    }
    return std::make_unique<FakeHidPort>(*d);
}

std::vector<uint8_t> BuildHidReportDescriptor(const std::vector<FakeHidReportSize>& input,
                                              const std::vector<FakeHidReportSize>& output,
                                              const std::vector<FakeHidReportSize>& feature) {
    std::vector<uint8_t> d = {
        0x06, 0x00, 0xFF, // usage page, vendor defined
        0x09, 0x01,       // usage 1
        0xA1, 0x01,       // collection, application
        0x15, 0x00,       // logical minimum 0
        0x26, 0xFF, 0x00, // logical maximum 255
        0x75, 0x08,       // report size 8
    };
    auto add = [&](const std::vector<FakeHidReportSize>& reports, uint8_t main_item) {
        for (const FakeHidReportSize& r : reports) {
            if (r.id != 0) {
                d.insert(d.end(), {0x85, r.id}); // report id
            }
            d.insert(d.end(), {0x96, static_cast<uint8_t>(r.bytes & 0xFF),
                               static_cast<uint8_t>(r.bytes >> 8)}); // report count
            d.insert(d.end(), {0x09, 0x01, main_item, 0x02});        // usage, data/variable
        }
    };
    add(input, 0x81);
    add(output, 0x91);
    add(feature, 0xB1);
    d.push_back(0xC0); // end collection
    return d;
}

} // namespace platform
