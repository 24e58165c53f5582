#pragma once
// The device-setup view of the machine that adapter discovery works on:
// for each device of a class, the records the original device-setup API
// offers (hardware id text, friendly name, driver key, device-tree node and
// its parent, node status) and the path a program opens.

#include <string>
#include <vector>

namespace platform {

enum class DeviceClass { kPorts, kHid };

struct DeviceRecord {
    std::string interface_path; // what a program opens: a tty or hidraw node
    std::string hardware_id;    // e.g. "USB\VID_0451&PID_F430&REV_0101"
    std::string friendly_name;  // a serial port's ends in "(COMn)"
    std::string driver_key;     // its last four characters name a HID interface
    std::string node;           // device-tree node of the device
    std::string parent;         // its parent node, "" when it has none
    bool present = true;
    bool status_readable = true;
};

class DeviceSetup {
public:
    virtual ~DeviceSetup() = default;
    // The devices of a class, in a stable order. False when the list cannot
    // be built at all.
    virtual bool List(DeviceClass device_class, bool present_only,
                      std::vector<DeviceRecord>* records) = 0;
    // Parent of a device-tree node, "" at the top or for an unknown node.
    virtual std::string Parent(const std::string& node) = 0;
    // The node to open for a serial port name such as "COM5", "" when the
    // name stands for no port.
    virtual std::string SerialPortNode(const std::string& port_name) = 0;
};

// The device setup in force: the system's (sysfs, /dev and the emulated
// adapters directory) unless a test or an emulator installed another.
struct DeviceSetupSelection {
    DeviceSetup* installed = nullptr;
    void Reset() { *this = DeviceSetupSelection{}; }
};
extern DeviceSetupSelection DeviceSetupInUse;

DeviceSetup& ActiveDeviceSetup();

// Clears the device services' process-wide state: the device setup
// installed and the last system error.
void ResetDeviceServices();

} // namespace platform
