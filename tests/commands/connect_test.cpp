// Connecting to the adapter: the choice of port and transport, the
// firmware and adapter-data queries, the already-open rules, the open
// failures and the bootloader probe of a silent adapter.

#include "debugif/api_state.h"
#include "debugif/hid_device.h"
#include "debugif/link_timing.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_target_ops.h"
#include "platform/serial_port.h"
#include "tests/commands/commands_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>

namespace commands_test {
namespace {

using debugif::Api;
using debugif::Transport;
using debugif::UifCommands;
using debugif::UifConnect;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ConnectTest, ByComNameAsksForFirmwareAndAdapterData) {
    struct Case {
        const char* what;
        uint32_t firmware;
        Bytes data;
        int32_t version;
        int32_t bootloader_mode;
    };
    const std::vector<Case> cases = {
        {"plain adapter", 20401004, {'U', 'I', 'F', 0}, 20401004, 0},
        {"old adapter", 20000000, {'U', 'I', 'F', 0}, 20000000, 0},
        {"adapter in its bootloader", 20304000, {'E', 'R', 'A', 'S'}, 20400000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench({.hid = false});
        ASSERT_TRUE(bench.ok()) << bench.error();
        bench.serial.Locked([&] {
            bench.serial.handler.firmware_version = c.firmware;
            bench.serial.handler.adapter_data = c.data;
            return 0;
        });
        int32_t version = -7;
        ASSERT_EQ(UifConnect("COM150", &version, 1), 0);
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(UifCommands.UifFirmwareVersion, static_cast<int32_t>(c.firmware));
        EXPECT_EQ(UifCommands.UifBootloaderMode, c.bootloader_mode);
        EXPECT_STREQ(UifCommands.UifPortName, "COM150");
        EXPECT_EQ(Api.InterfaceOpen, 1);
        EXPECT_EQ(Api.LastErrorNumber, 0);
        EXPECT_EQ(Transport.kind, debugif::kTransportSerial);
        const auto requests = bench.serial.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].id, 1);
        EXPECT_EQ(requests[1].id, 39);
        EXPECT_THAT(requests[1].params, ElementsAre(4u));
    }
}

TEST(ConnectTest, UsbPrefersAHidAdapterAndElseSearchesTheComPorts) {
    {
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        int32_t version = 0;
        ASSERT_EQ(UifConnect("TIUSB", &version, 1), 0);
        EXPECT_EQ(Transport.kind, debugif::kTransportHid);
        EXPECT_STREQ(UifCommands.UifPortName, "HID0001");
        EXPECT_EQ(version, 20304000);
        EXPECT_THAT(bench.hid.Ids(), ElementsAre(1, 39));
        EXPECT_THAT(bench.serial.Ids(), IsEmpty()) << "the COM adapter is not asked";
        ASSERT_EQ(debugif::UifClose(0), 0);
        EXPECT_EQ(Api.InterfaceOpen, 0);

        // Without the command flag the search is for COM ports only.
        ASSERT_EQ(UifConnect("USB", &version, 0), 0);
        EXPECT_EQ(Transport.kind, debugif::kTransportSerial);
        EXPECT_STREQ(UifCommands.UifPortName, "COM150");
        EXPECT_EQ(version, 0);
        EXPECT_THAT(bench.serial.Ids(), IsEmpty());
    }
    {
        Bench bench({.hid = false});
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(UifConnect("TIUSB", nullptr, 1), 0);
        EXPECT_EQ(Transport.kind, debugif::kTransportSerial);
        EXPECT_STREQ(UifCommands.UifPortName, "COM150");
        EXPECT_THAT(bench.serial.Ids(), ElementsAre(1, 39));
    }
}

TEST(ConnectTest, AHidNameWithItsComPortOpensOnHid) {
    Bench bench({.pty = false, .hid = true, .hid_sibling_port = true});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(UifConnect("HID0001:COM7", nullptr, 1), 0);
    EXPECT_EQ(Transport.kind, debugif::kTransportHid);
    EXPECT_STREQ(UifCommands.UifPortName, "HID0001:COM7");
    EXPECT_THAT(bench.hid.Ids(), ElementsAre(1, 39));
}

TEST(ConnectTest, AnOpenInterfaceIsKeptForItsOwnNameOnly) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(UifConnect("COM150", nullptr, 1), 0);

    // The same name asks the adapter again without opening anything.
    ASSERT_EQ(UifConnect("COM150", nullptr, 1), 0);
    EXPECT_EQ(Api.InterfaceOpen, 1);
    EXPECT_THAT(bench.serial.Ids(), ElementsAre(1, 39, 1, 39));

    EXPECT_EQ(UifConnect("COM151", nullptr, 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 1);
    EXPECT_EQ(Api.InterfaceOpen, 1) << "the open connection stays";
    EXPECT_STREQ(UifCommands.UifPortName, "COM150");

    // Any name with "USB" takes the open connection.
    EXPECT_EQ(UifConnect("TIUSB", nullptr, 1), 0);
    EXPECT_THAT(bench.serial.Ids(), ElementsAre(1, 39, 1, 39, 1, 39));
}

TEST(ConnectTest, OpenFailuresNameTheirReason) {
    struct Case {
        const char* what;
        BenchOptions options;
        std::string port;
        int32_t error;
    };
    const std::vector<Case> cases = {
        {"no such COM port", {.hid = false}, "COM199", 57},
        {"COM port held by another program", {.hid = false}, "COM150", 58},
        {"COM port that is no terminal", {.hid = false}, "COM151", 1},
        {"no adapter port in the list", {.pty = false, .hid = false}, "TIUSB", 1},
        {"port name too long", {.hid = false}, "COM150-and-then-some", 1},
        {"HID adapter held by another program", {.pty = false}, "HID0001", 58},
        {"no such HID adapter", {.pty = false}, "HID0009", 57},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench(c.options);
        ASSERT_TRUE(bench.ok()) << bench.error();
        bench.AddBrokenPort("COM151");
        platform::SerialPort other;
        if (c.error == 58 && c.options.pty) {
            int32_t system_error = 0;
            ASSERT_TRUE(other.Open(bench.SlavePath(), &system_error));
        }
        if (c.error == 58 && c.options.hid) {
            bench.hid_device->held_elsewhere = true;
        }
        int32_t version = -7;
        EXPECT_EQ(UifConnect(c.port.c_str(), &version, 1), -1);
        EXPECT_EQ(Api.LastErrorNumber, c.error);
        EXPECT_EQ(Api.InterfaceOpen, 0);
        EXPECT_EQ(version, 0);
        EXPECT_THAT(bench.serial.Ids(), IsEmpty());
        EXPECT_THAT(bench.hid.Ids(), IsEmpty());
    }
}

TEST(ConnectTest, WithoutTheCommandFlagOnlyThePortOpens) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    int32_t version = -7;
    ASSERT_EQ(UifConnect("COM150", &version, 0), 0);
    EXPECT_EQ(version, 0);
    EXPECT_EQ(Api.InterfaceOpen, 1);
    EXPECT_TRUE(Transport.port.IsOpen());
    EXPECT_THAT(bench.serial.Ids(), IsEmpty());
}

// A silent adapter costs three full read time-outs; cut them so that the
// silence is found in milliseconds. The port takes them at open.
struct ShortLinkTimeouts {
    ShortLinkTimeouts() {
        debugif::LinkTiming.serial_read_total_ms = 60;
        debugif::LinkTiming.serial_read_interval_ms = 20;
        debugif::LinkTiming.quiet_gap_ms = 10;
        debugif::LinkTiming.quiet_limit_ms = 200;
        debugif::LinkTiming.bootloader_probe_delay_ms = 1;
    }
    ~ShortLinkTimeouts() { debugif::LinkTiming.Reset(); }
    ShortLinkTimeouts(const ShortLinkTimeouts&) = delete;
    ShortLinkTimeouts& operator=(const ShortLinkTimeouts&) = delete;
};

// The adapter's firmware does not answer (three tries of the full read
// time-out), its bootloader does: the connect succeeds with the interface
// closed, as the caller learns from the version 0.
TEST(ConnectTest, SilentAdapterWithALiveBootloaderConnectsClosed) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    const ShortLinkTimeouts shortened;
    sim::EmuFaults faults;
    faults.bootloader = true;
    bench.serial.SetFaults(faults);
    int32_t version = -7;
    EXPECT_EQ(UifConnect("COM150", &version, 1), 0);
    EXPECT_EQ(Api.LastErrorNumber, 0);
    EXPECT_EQ(Api.InterfaceOpen, 0);
    EXPECT_EQ(version, 0);
    const sim::EmuTrace t = bench.serial.adapter.trace();
    ASSERT_EQ(t.bsl_frames.size(), 1u);
    EXPECT_THAT(t.bsl_frames[0],
                ElementsAre(0x80, 0x38, 0x04, 0x04, 0x00, 0x0C, 0x02, 0x00, 0x79, 0xCF));
}

TEST(ConnectTest, SilentAdapterAndSilentBootloaderFailWith35) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    const ShortLinkTimeouts shortened;
    sim::EmuFaults faults;
    faults.bootloader = true;
    faults.bsl_sync_silent = true;
    bench.serial.SetFaults(faults);
    EXPECT_EQ(UifConnect("COM150", nullptr, 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);
    EXPECT_EQ(Api.InterfaceOpen, 0);
    EXPECT_EQ(bench.serial.adapter.trace().sync_times.size(), 3u);
}

TEST(ConnectTest, SilentHidAdapterFailsWith35) {
    Bench bench({.pty = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    sim::EmuFaults faults;
    faults.silent = true;
    bench.hid.SetFaults(faults);
    EXPECT_EQ(UifConnect("HID0001", nullptr, 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);
    EXPECT_EQ(Api.InterfaceOpen, 0);
}

TEST(ConnectTest, AfterAFailedHidLinkTheSameAdapterIsFoundAgain) {
    // A transaction that gives up counts the interface as closed while the
    // HID device may still be held; the next search must not trip over it.
    Bench bench({.pty = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(UifConnect("TIUSB", nullptr, 1), 0);
    sim::EmuFaults faults;
    faults.silent = true;
    bench.hid.SetFaults(faults);
    EXPECT_EQ(debugif::UifSetVcc(3000), -1);
    EXPECT_EQ(Api.InterfaceOpen, 0);

    bench.hid.SetFaults(sim::EmuFaults{});
    bench.hid.ClearTrace();
    ASSERT_EQ(UifConnect("TIUSB", nullptr, 1), 0) << "error " << Api.LastErrorNumber;
    EXPECT_EQ(Transport.kind, debugif::kTransportHid);
    EXPECT_STREQ(UifCommands.UifPortName, "HID0001");
    EXPECT_THAT(bench.hid.Ids(), ElementsAre(1, 39));
}

TEST(ConnectTest, CloseSendsCommand2AndClosesTheTransport) {
    for (const std::string port : {"COM150", "HID0001"}) {
        SCOPED_TRACE(port);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(bench.Prepare(port), 0);
        Emu& emu = port == "COM150" ? bench.serial : bench.hid;
        EXPECT_EQ(emu.Locked([&] { return emu.target.AdapterSupply(); }), 3000);
        ASSERT_EQ(debugif::UifClose(1), 0);
        const auto requests = emu.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].id, 2);
        EXPECT_THAT(requests[0].params, ElementsAre(1u));
        EXPECT_EQ(emu.Locked([&] { return emu.target.AdapterSupply(); }), 0);
        EXPECT_EQ(Api.InterfaceOpen, 0);
        EXPECT_FALSE(Transport.port.IsOpen());
        EXPECT_EQ(debugif::HidTransport.device.handle, nullptr);
    }
}

} // namespace
} // namespace commands_test
