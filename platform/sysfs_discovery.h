#pragma once
// The device-setup view built from sysfs, the /dev nodes and the emulated
// adapters directory.
//
// Ports class: the ttys of USB devices in the order of their names, then the
// emulated adapters' ports, then the other ttys with a device behind them
// (virtual terminals and pseudo-terminals are not listed). A tty of a USB
// device gets the hardware
// id "USB\VID_vvvv&PID_pppp&REV_rrrr" from the device's idVendor, idProduct
// and bcdDevice (as sysfs writes them); its parent is that USB device. The
// port name is fixed by the node: /dev/ttyUSB<n> is COM<n>, so its friendly
// name is "ttyUSB<n> (COM<n>)"; other ttys carry no port name. An emulated
// port has the hardware id "UMPPORT\MSP_FET430UIF_COM" and no parent.
//
// HID class: every hidraw node in the order of its number; the device node
// is the HID device behind it, whose parent is the USB interface and whose
// grandparent is the USB device. Its driver key ends in the node number in
// four digits, so /dev/hidraw<n> is named "HID" and that number ("HID0003"),
// followed by ":COMm" when the same USB device also has a serial port.

#include "platform/device_setup.h"

#include <optional>

namespace platform {

class SysfsDeviceSetup : public DeviceSetup {
public:
    // emulated_directory: nullopt reads QUILL_EMULATED_ADAPTERS at each
    // listing; "" lists no emulated adapters.
    SysfsDeviceSetup(std::string sysfs_root, std::string dev_root,
                     std::optional<std::string> emulated_directory = std::nullopt);

    bool List(DeviceClass device_class, bool present_only,
              std::vector<DeviceRecord>* records) override;
    std::string Parent(const std::string& node) override;
    std::string SerialPortNode(const std::string& port_name) override;

private:
    std::string EmulatedDirectory() const;
    bool ListPorts(bool present_only, std::vector<DeviceRecord>* records);
    bool ListHid(std::vector<DeviceRecord>* records);

    std::string sysfs_root_;
    std::string dev_root_;
    std::optional<std::string> emulated_directory_;
};

} // namespace platform
