// Adapter discovery: serial ports and HID names from a fake sysfs tree and
// from device records held in memory, and emulated adapters.

#include "debugif/hid_device.h"
#include "debugif/hid_discovery.h"
#include "debugif/hid_open.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "debugif/uif_com_ports.h"
#include "platform/emulated_adapters.h"
#include "platform/fake_hid.h"
#include "platform/os_error.h"
#include "platform/sysfs_discovery.h"
#include "tests/transport/test_support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using transport_test::FakeSysfs;
using transport_test::MemoryDeviceSetup;
using transport_test::ScratchDir;

// The names EnumerateUifComPorts gives for index 0, 1, ... up to 259.
std::vector<std::string> Enumerate(int32_t all_devices = 0) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < 50; ++i) {
        char name[16] = "junk";
        int32_t r = debugif::EnumerateUifComPorts(i, name, sizeof name, all_devices);
        if (r == debugif::kNoMorePorts) {
            EXPECT_EQ(platform::LastSystemError(), platform::kErrorNoMoreItems);
            out.push_back("259");
            break;
        }
        if (r != 1) {
            EXPECT_STREQ(name, "") << "index " << i;
        }
        out.push_back(r == 1 ? std::string(name) : "-");
    }
    return out;
}

class SysfsDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        // An adapter on its virtual COM port, with ids in lower case as sysfs writes them.
        std::string uif = sys_.AddUsbDevice("1-1", "0451", "f430", "0101");
        sys_.AddUsbTty(uif, 0, "ttyUSB0");
        // A serial converter of another maker.
        std::string other = sys_.AddUsbDevice("1-2", "0403", "6001", "0600");
        sys_.AddUsbTty(other, 0, "ttyUSB1");
        // A HID adapter whose USB device also carries a serial port.
        std::string hid = sys_.AddUsbDevice("1-3", "0451", "f432", "0101");
        sys_.AddHidraw(hid, 0, "0003:0451:F432.0001", "hidraw2");
        sys_.AddUsbTty(hid, 1, "ttyUSB12");
        // A keyboard, a motherboard port and a virtual console.
        std::string keyboard = sys_.AddUsbDevice("1-4", "046d", "c31c", "4920");
        sys_.AddHidraw(keyboard, 0, "0003:046D:C31C.0002", "hidraw0");
        sys_.AddPlatformTty("ttyS0");
        sys_.AddVirtualTty("tty0");
        platform::DeviceSetupInUse.installed = &setup_;
    }

    ScratchDir scratch_;
    FakeSysfs sys_{scratch_.path()};
    platform::SysfsDeviceSetup setup_{sys_.sys(), sys_.dev(), scratch_.path() + "/adapters"};
    // Last, so that it resets before the fakes above go away.
    transport_test::TransportStateGuard guard_;
};

TEST_F(SysfsDiscoveryTest, ComPortsOfTheAdapterOnly) {
    // ttyUSB0, ttyUSB1, ttyUSB12, then ttyS0; tty0 has no device.
    EXPECT_EQ(Enumerate(), (std::vector<std::string>{"COM0", "-", "-", "-", "259"}));
    // Past the end stays past the end.
    char name[8];
    EXPECT_EQ(debugif::EnumerateUifComPorts(99, name, sizeof name, 0), debugif::kNoMorePorts);
    // A buffer too small for the name gets no name.
    char tiny[4] = "xx";
    EXPECT_EQ(debugif::EnumerateUifComPorts(0, tiny, sizeof tiny, 0), 0);
    EXPECT_STREQ(tiny, "");
}

TEST_F(SysfsDiscoveryTest, ComNamesMapToTheirTtyNodes) {
    EXPECT_EQ(setup_.SerialPortNode("COM0"), sys_.dev() + "/ttyUSB0");
    EXPECT_EQ(setup_.SerialPortNode("COM12"), sys_.dev() + "/ttyUSB12");
    EXPECT_EQ(setup_.SerialPortNode("HID0002"), "");
    EXPECT_EQ(setup_.SerialPortNode("COM"), "");
}

TEST_F(SysfsDiscoveryTest, AnEmulatedNameWithALeadingZeroIsNoRealPort) {
    // The listing names ttyUSB12 "COM12" only; "COM012" is another port,
    // and opening it must not reach the real adapter.
    platform::EmulatedSerialPort pty;
    std::string error;
    ASSERT_TRUE(pty.Create(scratch_.path() + "/adapters", "COM012", &error)) << error;
    EXPECT_EQ(setup_.SerialPortNode("COM012"), pty.slave_path());
    EXPECT_EQ(setup_.SerialPortNode("COM00"), "");
    EXPECT_EQ(setup_.SerialPortNode("COM12"), sys_.dev() + "/ttyUSB12");
}

TEST_F(SysfsDiscoveryTest, HidNamesCarryTheSiblingPort) {
    std::string path;
    char name[18];
    // hidraw0 (keyboard) then hidraw2 (adapter).
    ASSERT_EQ(debugif::HidInterfacePathAndName(0, &path, name, sizeof name), 1);
    EXPECT_EQ(path, sys_.dev() + "/hidraw0");
    EXPECT_STREQ(name, "HID0000");
    ASSERT_EQ(debugif::HidInterfacePathAndName(1, &path, name, sizeof name), 1);
    EXPECT_EQ(path, sys_.dev() + "/hidraw2");
    EXPECT_STREQ(name, "HID0002:COM12");
    EXPECT_EQ(debugif::HidInterfacePath(2, &path), 0);
    EXPECT_EQ(debugif::HidInterfacePath(-1, &path), 0);

    // Only interfaces that open and carry the adapter's ids count.
    platform::FakeHidOs os;
    for (auto [node, product] : {std::pair{"/hidraw0", 0xC31C}, std::pair{"/hidraw2", 0xF432}}) {
        platform::FakeHidDevice& d = os.AddDevice(sys_.dev() + node);
        d.vendor_id = product == 0xF432 ? 0x0451 : 0x046D;
        d.product_id = static_cast<uint16_t>(product);
    }
    debugif::HidTransport.os = &os;
    EXPECT_EQ(debugif::HidAdapterCount(debugif::kUifVendorId, debugif::kUifHidProductId), 1);
    char adapter[18];
    EXPECT_EQ(debugif::HidAdapterName(debugif::kUifVendorId, debugif::kUifHidProductId, 0, adapter,
                                      sizeof adapter),
              debugif::kHidOk);
    EXPECT_STREQ(adapter, "HID0002:COM12");
    EXPECT_EQ(
        debugif::HidAdapterName(debugif::kUifVendorId, debugif::kUifHidProductId, 0, adapter, 13),
        debugif::kHidNameTooLong);
    EXPECT_EQ(debugif::HidAdapterName(debugif::kUifVendorId, debugif::kUifHidProductId, 1, adapter,
                                      sizeof adapter),
              debugif::kHidNotFound);
}

TEST_F(SysfsDiscoveryTest, EmulatedAdapterIsFoundAndOpenedByItsName) {
    platform::EmulatedSerialPort pty;
    std::string error;
    ASSERT_TRUE(pty.Create(scratch_.path() + "/adapters", "COM91", &error)) << error;
    // A stale entry, its pseudo-terminal gone, counts only when all devices are asked for.
    ASSERT_TRUE(platform::RegisterEmulatedPort(scratch_.path() + "/adapters", "COM95",
                                               "/dev/pts/does-not-exist", &error));
    // Entries that are not port names are ignored.
    ASSERT_TRUE(std::filesystem::create_directory(scratch_.path() + "/adapters/notes"));

    std::vector<std::string> names = Enumerate();
    EXPECT_EQ(names, (std::vector<std::string>{"COM0", "-", "-", "COM91", "-", "259"}));
    EXPECT_EQ(Enumerate(1),
              (std::vector<std::string>{"COM0", "-", "-", "COM91", "COM95", "-", "259"}));

    ASSERT_EQ(debugif::OpenSerialPort(("\\\\.\\" + names[3]).c_str(), 500, 10), debugif::kSerialOk);
    const uint8_t hello[] = {0x7E, 0x01, 0x01, 0x16, 0x07, 0x7E};
    uint32_t done = 0;
    ASSERT_TRUE(debugif::SerialWrite(hello, sizeof hello, &done));
    uint8_t seen[6] = {};
    ASSERT_EQ(read(pty.master_fd(), seen, sizeof seen), 6);
    EXPECT_EQ(std::vector<uint8_t>(seen, seen + 6), std::vector<uint8_t>(hello, hello + 6));
    EXPECT_EQ(debugif::CloseSerialPort(), debugif::kSerialOk);

    // Unregistered, it is gone from the listing.
    pty.Destroy();
    EXPECT_EQ(Enumerate(), (std::vector<std::string>{"COM0", "-", "-", "-", "259"}));
}

TEST(EmulatedAdaptersTest, DirectoryComesFromTheEnvironment) {
    ScratchDir scratch;
    const std::string dir = scratch.path() + "/adapters";
    std::string error;
    EXPECT_FALSE(platform::RegisterEmulatedPort(dir, "COM", "/dev/null", &error));
    EXPECT_FALSE(platform::RegisterEmulatedPort("", "COM7", "/dev/null", &error));
    // A plain file naming the node works as well as a link.
    ASSERT_TRUE(std::filesystem::create_directory(dir));
    {
        FILE* f = fopen((dir + "/COM7").c_str(), "w");
        ASSERT_NE(f, nullptr);
        fputs("/dev/null\n", f);
        fclose(f);
    }
    setenv(platform::kEmulatedAdaptersVariable, dir.c_str(), 1);
    platform::SysfsDeviceSetup setup(scratch.path() + "/no-sys", scratch.path() + "/no-dev");
    std::vector<platform::DeviceRecord> ports;
    ASSERT_TRUE(setup.List(platform::DeviceClass::kPorts, true, &ports));
    unsetenv(platform::kEmulatedAdaptersVariable);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].interface_path, "/dev/null");
    EXPECT_EQ(ports[0].hardware_id, "UMPPORT\\MSP_FET430UIF_COM");
    EXPECT_TRUE(ports[0].friendly_name.ends_with("(COM7)"));
    // Without the variable there is nothing to list.
    EXPECT_FALSE(setup.List(platform::DeviceClass::kPorts, true, &ports));
    EXPECT_TRUE(ports.empty());
}

// Ports given as records, to run the matching and name rules one by one.
class ComPortRecordsTest : public ::testing::Test {
protected:
    void SetUp() override { platform::DeviceSetupInUse.installed = &setup_; }
    MemoryDeviceSetup setup_;
    // Last, so that it resets before the fakes above go away.
    transport_test::TransportStateGuard guard_;
};

TEST_F(ComPortRecordsTest, HardwareIdAndFriendlyNameRules) {
    struct Case {
        const char* hardware_id;
        const char* friendly_name;
        const char* expected; // "-" for "not an adapter port"
    };
    const Case cases[] = {
        {"USB\\VID_0451&PID_F430&REV_0101", "MSP-FET430UIF Port (COM12)", "COM12"},
        {"USB\\VID_0451&PID_F430&REV_0101", "ttyUSB7 (COM7)", "COM7"},
        {"usb\\vid_0451&pid_f430&rev_0101", "Port (com5)", "COM5"},
        {"UMPPORT\\MSP_FET430UIF_COM", "X (COM123)", "COM123"},
        {"UMPPORT\\MSP_FET430UIF_COM", "X (COM1234)", "COM123"},
        {"UMPPORT\\MSP_FET430UIF_COM", "X (COMX)", "COMX"}, // the first character is taken as it is
        {"UMPPORT\\MSP_FET430UIF_COM", "no port here", "-"},
        {"USB\\VID_0451&PID_F430&REV_0102", "X (COM3)", "-"},
        {"USB\\VID_0403&PID_6001&REV_0600", "X (COM4)", "-"},
        {"", "X (COM4)", "-"},
    };
    for (const Case& c : cases) {
        platform::DeviceRecord r;
        r.hardware_id = c.hardware_id;
        r.friendly_name = c.friendly_name;
        setup_.ports.push_back(r);
    }
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        expected.push_back(c.expected);
    }
    expected.push_back("259");
    EXPECT_EQ(Enumerate(), expected);
}

TEST_F(ComPortRecordsTest, AListThatCannotBeBuiltGivesZero) {
    setup_.list_fails = true;
    char name[8];
    EXPECT_EQ(debugif::EnumerateUifComPorts(0, name, sizeof name, 0), 0);
}

TEST_F(ComPortRecordsTest, HidNameRules) {
    // A HID interface, its parent interface and the USB device above both.
    platform::DeviceRecord hid;
    hid.interface_path = "/dev/hidraw3";
    hid.driver_key = "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0017";
    hid.node = "usb/1-3/1-3:1.0/hid";
    hid.parent = "usb/1-3/1-3:1.0";
    setup_.hid.push_back(hid);
    setup_.parents = {{"usb/1-3/1-3:1.0", "usb/1-3"}, {"usb/1-4/1-4:1.0", "usb/1-4"}};
    platform::DeviceRecord elsewhere;
    elsewhere.friendly_name = "Other (COM3)";
    elsewhere.parent = "usb/1-4";
    platform::DeviceRecord sibling;
    sibling.friendly_name = "Adapter port (COM45)";
    sibling.parent = "usb/1-3";

    struct Case {
        std::vector<platform::DeviceRecord> ports;
        bool status_readable;
        size_t buffer;
        const char* expected;
    };
    platform::DeviceRecord long_port = sibling;
    long_port.friendly_name = "Adapter (COM123456)"; // 9 characters: not taken
    platform::DeviceRecord eight = sibling;
    eight.friendly_name = "Adapter (COM12345)"; // 8 characters: the longest that fits
    const Case cases[] = {
        {{elsewhere, sibling}, true, 18, "HID0017:COM45"},
        {{elsewhere}, true, 18, "HID0017"},
        {{sibling}, false, 18, "HID0017"}, // node status not readable
        {{long_port}, true, 18, "HID0017"},
        {{eight}, true, 18, "HID0017:COM12345"},
        {{sibling}, true, 13, "HID0017"}, // no room for the port part
        {{sibling}, true, 7, ""},         // no room for a name at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        setup_.ports = c.ports;
        setup_.hid[0].status_readable = c.status_readable;
        char name[18];
        std::memset(name, 'x', sizeof name);
        std::string path;
        ASSERT_EQ(debugif::HidInterfacePathAndName(0, &path, name, c.buffer), 1);
        EXPECT_EQ(path, "/dev/hidraw3");
        EXPECT_STREQ(name, c.expected);
    }
}

// Finding, naming and opening the adapter among many HID interfaces reads
// each device list once per search, not once per interface.
TEST_F(ComPortRecordsTest, EachHidSearchReadsTheDeviceListsOnce) {
    platform::FakeHidOs os;
    for (int i = 0; i < 6; ++i) {
        platform::DeviceRecord r;
        r.interface_path = "/dev/hidraw" + std::to_string(i);
        r.driver_key = "{hid}\\000" + std::to_string(i);
        r.node = "usb/1-" + std::to_string(i) + "/if/hid";
        r.parent = "usb/1-" + std::to_string(i) + "/if";
        setup_.hid.push_back(r);
        setup_.parents.push_back({r.parent, "usb/1-" + std::to_string(i)});
        platform::FakeHidDevice& d = os.AddDevice(r.interface_path);
        d.vendor_id = i == 5 ? debugif::kUifVendorId : 0x046D; // the adapter comes last
        d.product_id = i == 5 ? debugif::kUifHidProductId : 0xC31C;
        d.descriptor = platform::BuildHidReportDescriptor({{1, 63}}, {{63, 63}}, {{0xD3, 1}});
    }
    platform::DeviceRecord port;
    port.friendly_name = "USB serial (COM9)";
    port.parent = "usb/1-5";
    setup_.ports = {port};
    debugif::HidTransport.os = &os;
    const uint16_t v = debugif::kUifVendorId;
    const uint16_t p = debugif::kUifHidProductId;

    struct Search {
        const char* what;
        std::function<void()> run;
        int port_listings; // a name needs the serial ports
    };
    const Search searches[] = {
        {"count", [&] { EXPECT_EQ(debugif::HidAdapterCount(v, p), 1); }, 0},
        {"name",
         [&] {
             char name[18];
             EXPECT_EQ(debugif::HidAdapterName(v, p, 0, name, sizeof name), debugif::kHidOk);
             EXPECT_STREQ(name, "HID0005:COM9");
         },
         1},
        {"open by index",
         [&] {
             debugif::HidDevice d;
             EXPECT_EQ(debugif::OpenHidDevice(d, v, p, 0), debugif::kHidOk);
         },
         0},
        {"open by name",
         [&] {
             debugif::HidDevice d;
             EXPECT_EQ(debugif::OpenHidByName(d, v, p, "HID0005:COM9"), debugif::kHidOk);
             EXPECT_STREQ(d.name, "HID0005:COM9");
         },
         1},
    };
    for (const Search& s : searches) {
        SCOPED_TRACE(s.what);
        setup_.hid_listings = 0;
        setup_.port_listings = 0;
        s.run();
        EXPECT_EQ(setup_.hid_listings, 1);
        EXPECT_EQ(setup_.port_listings, s.port_listings);
    }
}

} // namespace
