#pragma once
// The adapter's HID interfaces: paths, names and matching opens.
//
// A HID interface is named "HID" and the last four characters of its driver
// key, followed by ":" and the COM port name of the serial port that sits
// on the same USB device, when there is one (e.g. "HID0002:COM5").

#include "platform/device_setup.h"
#include "platform/hid_os.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace debugif {

// The buffer an adapter name is built in: a port part is appended only
// when its length plus 9 stays below it.
inline constexpr size_t kHidAdapterNameBufferSize = 18;

// The present HID interfaces (at most 128), listed once for a whole search
// so that a walk over them neither reads the device lists again for every
// index nor sees the list change under it. The serial ports that adapter
// names are made from are listed when a name is first asked for.
class HidInterfaceList {
public:
    HidInterfaceList();
    size_t size() const { return interfaces_.size(); }
    const std::string& Path(size_t index) const { return interfaces_[index].interface_path; }
    // The adapter name of interface index in name (name_size bytes with the zero).
    void Name(size_t index, char* name, size_t name_size);

private:
    std::string SiblingPortName(const platform::DeviceRecord& hid);

    std::vector<platform::DeviceRecord> interfaces_;
    std::vector<platform::DeviceRecord> ports_;
    bool ports_listed_ = false;
    bool ports_ok_ = false;
};

// 1 with the path of the index-th present HID interface (index below 128), else 0.
int32_t HidInterfacePath(int32_t index, std::string* path);
// As above, and its adapter name in name (name_size bytes with the zero).
int32_t HidInterfacePathAndName(int32_t index, std::string* path, char* name, size_t name_size);

// Opens path, records the system's error in *last_error, and keeps the
// handle only when the device has these vendor and product ids.
std::unique_ptr<platform::HidPort> OpenHidMatching(const std::string& path, uint16_t vendor_id,
                                                   uint16_t product_id, int32_t* last_error);

// Number of HID interfaces that open and match.
int32_t HidAdapterCount(uint16_t vendor_id, uint16_t product_id);

// Name of the index-th interface that opens and matches: 0 with the name,
// 7 when it does not fit name_size, 1 when there is no such interface.
int32_t HidAdapterName(uint16_t vendor_id, uint16_t product_id, int32_t index, char* name,
                       size_t name_size);

} // namespace debugif
