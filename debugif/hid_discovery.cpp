#include "debugif/hid_discovery.h"

#include "debugif/hid_device.h"
#include "debugif/transport_status.h"
#include "platform/device_setup.h"
#include "platform/os_error.h"

#include <cstring>
#include <vector>

namespace debugif {

HidInterfaceList::HidInterfaceList() {
    if (!platform::ActiveDeviceSetup().List(platform::DeviceClass::kHid, true, &interfaces_)) {
        interfaces_.clear();
    }
    if (interfaces_.size() > static_cast<size_t>(kHidMaxInterfaces)) {
        interfaces_.resize(static_cast<size_t>(kHidMaxInterfaces));
    }
}

// The port name in the friendly name of the serial port on the same USB
// device: the text between the last '(' and the last ')'. "" when none.
std::string HidInterfaceList::SiblingPortName(const platform::DeviceRecord& hid) {
    platform::DeviceSetup& setup = platform::ActiveDeviceSetup();
    if (!hid.status_readable || hid.parent.empty()) {
        return "";
    }
    const std::string grandparent = setup.Parent(hid.parent);
    if (grandparent.empty()) {
        return "";
    }
    if (!ports_listed_) {
        ports_listed_ = true;
        ports_ok_ = setup.List(platform::DeviceClass::kPorts, true, &ports_);
    }
    if (!ports_ok_) {
        return "";
    }
    for (const platform::DeviceRecord& p : ports_) {
        if (p.parent != grandparent) {
            continue;
        }
        size_t open = p.friendly_name.rfind('(');
        size_t close = p.friendly_name.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close <= open) {
            return "";
        }
        std::string port = p.friendly_name.substr(open + 1, close - open - 1);
        return port.size() < 9 ? port : "";
    }
    return "";
}

void HidInterfaceList::Name(size_t index, char* name, size_t size) {
    if (name == nullptr || size == 0) {
        return;
    }
    name[0] = '\0';
    if (size < 8) {
        return;
    }
    const platform::DeviceRecord& r = interfaces_[index];
    const std::string& key = r.driver_key;
    std::string n = "HID" + key.substr(key.size() >= 4 ? key.size() - 4 : 0);
    std::string port = SiblingPortName(r);
    if (!port.empty() && port.size() + 9 < kHidAdapterNameBufferSize &&
        n.size() + 1 + port.size() < size) {
        n += ":" + port;
    }
    std::memcpy(name, n.c_str(), n.size() + 1);
}

int32_t HidInterfacePath(int32_t index, std::string* path) {
    return HidInterfacePathAndName(index, path, nullptr, 0);
}

int32_t HidInterfacePathAndName(int32_t index, std::string* path, char* name, size_t name_size) {
    if (name != nullptr && name_size > 0) {
        name[0] = '\0';
    }
    if (index < 0 || index >= kHidMaxInterfaces) {
        return 0;
    }
    HidInterfaceList list;
    const size_t i = static_cast<size_t>(index);
    if (i >= list.size()) {
        return 0;
    }
    *path = list.Path(i);
    list.Name(i, name, name_size);
    return 1;
}

std::unique_ptr<platform::HidPort> OpenHidMatching(const std::string& path, uint16_t vendor_id,
                                                   uint16_t product_id, int32_t* last_error) {
    int32_t error = platform::kErrorSuccess;
    std::unique_ptr<platform::HidPort> port = ActiveHidOs().Open(path, &error);
    *last_error = error;
    platform::SetLastSystemError(error);
    if (port == nullptr) {
        return nullptr;
    }
    uint16_t vendor = 0;
    uint16_t product = 0;
    if (!port->GetRawInfo(&vendor, &product) || vendor != vendor_id || product != product_id) {
        return nullptr;
    }
    return port;
}

int32_t HidAdapterCount(uint16_t vendor_id, uint16_t product_id) {
    int32_t count = 0;
    HidInterfaceList list;
    for (size_t i = 0; i < list.size(); ++i) {
        int32_t error;
        if (OpenHidMatching(list.Path(i), vendor_id, product_id, &error) != nullptr) {
            ++count;
        }
    }
    return count;
}

int32_t HidAdapterName(uint16_t vendor_id, uint16_t product_id, int32_t index, char* name,
                       size_t name_size) {
    HidInterfaceList list;
    int32_t matching = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        int32_t error;
        if (OpenHidMatching(list.Path(i), vendor_id, product_id, &error) == nullptr) {
            continue;
        }
        if (matching++ != index) {
            continue;
        }
        char found[kHidAdapterNameBufferSize];
        list.Name(i, found, sizeof found);
        size_t length = std::strlen(found);
        if (name == nullptr || length + 1 > name_size) {
            return kHidNameTooLong;
        }
        std::memcpy(name, found, length + 1);
        return kHidOk;
    }
    return kHidNotFound;
}

} // namespace debugif
