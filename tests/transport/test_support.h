#pragma once
// Helpers for the transport tests: a scratch directory, a fake sysfs tree
// and a device setup held in memory.

#include "debugif/transport_ops.h"
#include "platform/device_setup.h"
#include "platform/os_error.h"

#include <filesystem>
#include <string>
#include <vector>

namespace transport_test {

// A fresh directory under the system's temporary folder, removed at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Builds sys/ and dev/ below a root: USB devices with their ttys and hidraw
// nodes linked from sys/class the way the kernel links them.
class FakeSysfs {
public:
    explicit FakeSysfs(const std::string& root);
    std::string sys() const { return root_ + "/sys"; }
    std::string dev() const { return root_ + "/dev"; }

    // A USB device below the host controller; attributes as sysfs writes them.
    std::string AddUsbDevice(const std::string& bus_path, const std::string& vendor,
                             const std::string& product, const std::string& revision);
    // A usb-serial tty on interface "<device>:1.<interface>".
    void AddUsbTty(const std::string& usb_device, int interface, const std::string& tty);
    // A hidraw node for the HID device on interface "<device>:1.<interface>".
    void AddHidraw(const std::string& usb_device, int interface, const std::string& hid_name,
                   const std::string& hidraw);
    // A tty of a platform device (no USB), and one without a device at all.
    void AddPlatformTty(const std::string& tty);
    void AddVirtualTty(const std::string& tty);

private:
    void Link(const std::string& target, const std::string& link);
    void Write(const std::string& file, const std::string& text);
    std::string root_;
};

// Device records given by the test, parents by a map of node -> parent.
class MemoryDeviceSetup : public platform::DeviceSetup {
public:
    std::vector<platform::DeviceRecord> ports;
    std::vector<platform::DeviceRecord> hid;
    std::vector<std::pair<std::string, std::string>> parents;
    bool list_fails = false;
    // How often each class was listed.
    int hid_listings = 0;
    int port_listings = 0;

    bool List(platform::DeviceClass device_class, bool present_only,
              std::vector<platform::DeviceRecord>* records) override;
    std::string Parent(const std::string& node) override;
    std::string SerialPortNode(const std::string& port_name) override;
};

// Resets every piece of transport state before and after each test.
class TransportStateGuard {
public:
    TransportStateGuard() { ResetAll(); }
    ~TransportStateGuard() { ResetAll(); }
    static void ResetAll();
};

} // namespace transport_test
