#include "platform/sysfs_discovery.h"

#include "platform/emulated_adapters.h"
#include "platform/os_error.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

namespace platform {

DeviceSetupSelection DeviceSetupInUse;

DeviceSetup& ActiveDeviceSetup() {
    if (DeviceSetupInUse.installed != nullptr) {
        return *DeviceSetupInUse.installed;
    }
    static SysfsDeviceSetup system("/sys", "/dev");
    return system;
}

void ResetDeviceServices() {
    DeviceSetupInUse.Reset();
    SystemError.Reset();
}

namespace {

std::string RealPath(const std::string& path) {
    char* r = realpath(path.c_str(), nullptr);
    if (r == nullptr) {
        return "";
    }
    std::string s = r;
    free(r);
    return s;
}

std::string DirName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) {
        return "";
    }
    return path.substr(0, slash);
}

std::string ReadAttribute(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// Entries of a directory that begin with prefix, ordered by the number
// after it and then by name.
std::vector<std::string> ListNames(const std::string& directory, const std::string& prefix,
                                   bool* ok) {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    *ok = dir != nullptr;
    if (dir == nullptr) {
        return names;
    }
    while (struct dirent* e = readdir(dir)) {
        std::string n = e->d_name;
        if (n != "." && n != ".." && n.compare(0, prefix.size(), prefix) == 0) {
            names.push_back(n);
        }
    }
    closedir(dir);
    auto split = [](const std::string& s) {
        size_t i = s.size();
        while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9') {
            --i;
        }
        long number = i < s.size() ? std::atol(s.c_str() + i) : -1;
        return std::pair{s.substr(0, i), number};
    };
    std::sort(names.begin(), names.end(),
              [&](const std::string& a, const std::string& b) { return split(a) < split(b); });
    return names;
}

// The USB device (the node with idVendor and idProduct) at or above path,
// without leaving the devices tree.
std::string UsbDeviceAbove(const std::string& path, const std::string& devices_root) {
    for (std::string p = path; p.size() > devices_root.size(); p = DirName(p)) {
        if (Exists(p + "/idVendor") && Exists(p + "/idProduct")) {
            return p;
        }
    }
    return "";
}

std::string UsbHardwareId(const std::string& usb_device) {
    return "USB\\VID_" + ReadAttribute(usb_device + "/idVendor") + "&PID_" +
           ReadAttribute(usb_device + "/idProduct") + "&REV_" +
           ReadAttribute(usb_device + "/bcdDevice");
}

// "ttyUSB12" -> 12; -1 for any other tty.
long UsbSerialNumber(const std::string& tty) {
    if (tty.size() <= 6 || tty.compare(0, 6, "ttyUSB") != 0 ||
        !std::all_of(tty.begin() + 6, tty.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        tty.size() > 9) {
        return -1;
    }
    return std::atol(tty.c_str() + 6);
}

} // namespace

SysfsDeviceSetup::SysfsDeviceSetup(std::string sysfs_root, std::string dev_root,
                                   std::optional<std::string> emulated_directory)
    : sysfs_root_(std::move(sysfs_root)), dev_root_(std::move(dev_root)),
      emulated_directory_(std::move(emulated_directory)) {}

std::string SysfsDeviceSetup::EmulatedDirectory() const {
    return emulated_directory_ ? *emulated_directory_ : EmulatedAdaptersDirectory();
}

bool SysfsDeviceSetup::List(DeviceClass device_class, bool present_only,
                            std::vector<DeviceRecord>* records) {
    records->clear();
    return device_class == DeviceClass::kPorts ? ListPorts(present_only, records)
                                               : ListHid(records);
}

bool SysfsDeviceSetup::ListPorts(bool present_only, std::vector<DeviceRecord>* records) {
    const std::string devices_root = RealPath(sysfs_root_ + "/devices");
    const std::string class_dir = sysfs_root_ + "/class/tty";
    bool ok = false;
    std::vector<DeviceRecord> usb;
    std::vector<DeviceRecord> other;
    for (const std::string& tty : ListNames(class_dir, "", &ok)) {
        const std::string entry = class_dir + "/" + tty;
        // Virtual terminals and pseudo-terminals have no device behind them.
        if (!Exists(entry + "/device")) {
            continue;
        }
        DeviceRecord r;
        r.interface_path = dev_root_ + "/" + tty;
        r.node = RealPath(entry);
        if (r.node.empty()) {
            continue;
        }
        std::string usb_device = devices_root.empty() ? "" : UsbDeviceAbove(r.node, devices_root);
        if (!usb_device.empty()) {
            r.hardware_id = UsbHardwareId(usb_device);
            r.parent = usb_device;
        } else {
            r.parent = DirName(r.node);
        }
        long n = UsbSerialNumber(tty);
        r.friendly_name = n >= 0 ? tty + " (COM" + std::to_string(n) + ")" : tty;
        (usb_device.empty() ? other : usb).push_back(r);
    }
    // USB ports first: a PC lists dozens of legacy ttyS ports, which must not
    // push the adapter past the end of a bounded search.
    *records = usb;
    for (const EmulatedPortEntry& e : ListEmulatedPorts(EmulatedDirectory())) {
        if (present_only && !e.present) {
            continue;
        }
        DeviceRecord r;
        r.interface_path = e.node;
        r.hardware_id = "UMPPORT\\MSP_FET430UIF_COM";
        r.friendly_name = "MSP-FET430UIF emulated port (" + e.port_name + ")";
        r.node = "emulated:" + e.port_name;
        r.present = e.present;
        records->push_back(r);
    }
    records->insert(records->end(), other.begin(), other.end());
    // A machine without ttys in sysfs can still have emulated adapters.
    return ok || !records->empty();
}

bool SysfsDeviceSetup::ListHid(std::vector<DeviceRecord>* records) {
    const std::string class_dir = sysfs_root_ + "/class/hidraw";
    bool ok = false;
    for (const std::string& name : ListNames(class_dir, "hidraw", &ok)) {
        const std::string number = name.substr(6);
        if (number.empty() || number.size() > 4 ||
            !std::all_of(number.begin(), number.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        DeviceRecord r;
        r.interface_path = dev_root_ + "/" + name;
        r.node = RealPath(class_dir + "/" + name + "/device");
        r.status_readable = !r.node.empty();
        r.parent = DirName(r.node);
        std::string digits = std::string(4 - number.size(), '0') + number;
        r.driver_key = "{hidraw}\\" + digits;
        records->push_back(r);
    }
    return ok;
}

std::string SysfsDeviceSetup::Parent(const std::string& node) {
    const std::string devices_root = RealPath(sysfs_root_ + "/devices");
    if (devices_root.empty() || node.size() <= devices_root.size() ||
        node.compare(0, devices_root.size() + 1, devices_root + "/") != 0) {
        return "";
    }
    std::string p = DirName(node);
    return p.size() > devices_root.size() ? p : "";
}

std::string SysfsDeviceSetup::SerialPortNode(const std::string& port_name) {
    if (!IsComPortName(port_name)) {
        return "";
    }
    // A real adapter's node wins over an emulated one registered by mistake
    // under the same name, as in the listing, where real ports come first.
    // Only the name the listing gives a ttyUSB node stands for it: "COM012"
    // is not ttyUSB12.
    const std::string number = port_name.substr(3);
    const std::string real = dev_root_ + "/ttyUSB" + number;
    const bool canonical = number == std::to_string(std::atol(number.c_str()));
    if (canonical && Exists(real)) {
        return real;
    }
    for (const EmulatedPortEntry& e : ListEmulatedPorts(EmulatedDirectory())) {
        if (e.port_name == port_name) {
            return e.node;
        }
    }
    return canonical ? real : "";
}

} // namespace platform
