#include "tests/transport/test_support.h"

#include "debugif/hid_device.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace transport_test {

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "quill-transport-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

FakeSysfs::FakeSysfs(const std::string& root) : root_(root) {
    fs::create_directories(sys() + "/devices/pci0000:00/0000:00:14.0/usb1");
    fs::create_directories(sys() + "/class/tty");
    fs::create_directories(sys() + "/class/hidraw");
    fs::create_directories(dev());
}

void FakeSysfs::Link(const std::string& target, const std::string& link) {
    fs::create_directories(fs::path(link).parent_path());
    fs::create_symlink(fs::relative(target, fs::path(link).parent_path()), link);
}

void FakeSysfs::Write(const std::string& file, const std::string& text) {
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file) << text << "\n";
}

std::string FakeSysfs::AddUsbDevice(const std::string& bus_path, const std::string& vendor,
                                    const std::string& product, const std::string& revision) {
    std::string d = sys() + "/devices/pci0000:00/0000:00:14.0/usb1/" + bus_path;
    Write(d + "/idVendor", vendor);
    Write(d + "/idProduct", product);
    Write(d + "/bcdDevice", revision);
    return d;
}

void FakeSysfs::AddUsbTty(const std::string& usb_device, int interface, const std::string& tty) {
    std::string port = usb_device + "/" + fs::path(usb_device).filename().string() + ":1." +
                       std::to_string(interface) + "/" + tty;
    std::string class_dev = port + "/tty/" + tty;
    Write(class_dev + "/dev", "188:0");
    Link(port, class_dev + "/device");
    Link(class_dev, sys() + "/class/tty/" + tty);
    Write(dev() + "/" + tty, "");
}

void FakeSysfs::AddHidraw(const std::string& usb_device, int interface, const std::string& hid_name,
                          const std::string& hidraw) {
    std::string hid = usb_device + "/" + fs::path(usb_device).filename().string() + ":1." +
                      std::to_string(interface) + "/" + hid_name;
    std::string class_dev = hid + "/hidraw/" + hidraw;
    Write(class_dev + "/dev", "245:0");
    Link(hid, class_dev + "/device");
    Link(class_dev, sys() + "/class/hidraw/" + hidraw);
}

void FakeSysfs::AddPlatformTty(const std::string& tty) {
    std::string parent = sys() + "/devices/platform/serial8250";
    std::string class_dev = parent + "/tty/" + tty;
    Write(class_dev + "/dev", "4:64");
    Link(parent, class_dev + "/device");
    Link(class_dev, sys() + "/class/tty/" + tty);
}

void FakeSysfs::AddVirtualTty(const std::string& tty) {
    std::string class_dev = sys() + "/devices/virtual/tty/" + tty;
    Write(class_dev + "/dev", "4:0");
    Link(class_dev, sys() + "/class/tty/" + tty);
}

bool MemoryDeviceSetup::List(platform::DeviceClass device_class, bool present_only,
                             std::vector<platform::DeviceRecord>* records) {
    records->clear();
    ++(device_class == platform::DeviceClass::kPorts ? port_listings : hid_listings);
    if (list_fails) {
        return false;
    }
    for (const auto& r : device_class == platform::DeviceClass::kPorts ? ports : hid) {
        if (!present_only || r.present) {
            records->push_back(r);
        }
    }
    return true;
}

std::string MemoryDeviceSetup::Parent(const std::string& node) {
    for (const auto& [child, parent] : parents) {
        if (child == node) {
            return parent;
        }
    }
    return "";
}

std::string MemoryDeviceSetup::SerialPortNode(const std::string& port_name) {
    for (const auto& r : ports) {
        if (r.friendly_name.find("(" + port_name + ")") != std::string::npos) {
            return r.interface_path;
        }
    }
    return "";
}

void TransportStateGuard::ResetAll() {
    debugif::ResetTransports();
    platform::ResetDeviceServices();
}

} // namespace transport_test
