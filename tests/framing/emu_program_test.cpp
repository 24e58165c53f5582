// The quill-emu-fet program: it registers a port, answers on it, and goes
// away cleanly on "stop" or on a signal.

#include "debugif/api_state.h"
#include "debugif/bsl_link.h"
#include "debugif/debugif_reset.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "debugif/uif_link_state.h"
#include "platform/device_setup.h"
#include "platform/emulated_adapters.h"
#include "platform/sysfs_discovery.h"
#include "tests/framing/emu_program.h"
#include "tests/framing/framing_fixture.h"
#include "tests/transport/test_support.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using framing_test::EmuProgram;

class EmuProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        debugif::ResetDebugifState();
        platform::DeviceSetupInUse.installed = &setup_;
    }
    void TearDown() override {
        debugif::ResetDebugifState();
        platform::ResetDeviceServices();
    }
    std::string Directory() const { return scratch_.path() + "/adapters"; }
    bool Open(const std::string& port) {
        const std::string path = "\\\\.\\" + port;
        debugif::SelectTransport(0);
        if (debugif::OpenSerialPort(path.c_str(), 500, 10) != debugif::kSerialOk) {
            return false;
        }
        debugif::Api.InterfaceOpen = 1;
        debugif::Api.InterfaceKind = debugif::kInterfaceUsb;
        return true;
    }

    transport_test::ScratchDir scratch_;
    platform::SysfsDeviceSetup setup_{scratch_.path() + "/sys", scratch_.path() + "/dev",
                                      scratch_.path() + "/adapters"};
};

TEST_F(EmuProgramTest, RegistersAnswersAndStopsOnRequest) {
    EmuProgram emu({"--dir", Directory(), "--firmware", "20401004"});
    const std::string port = emu.FirstLine();
    ASSERT_TRUE(platform::IsComPortName(port)) << "printed: " << port;
    auto entries = platform::ListEmulatedPorts(Directory());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].port_name, port);
    EXPECT_TRUE(entries[0].present);

    ASSERT_TRUE(Open(port));
    ASSERT_EQ(framing_test::Transact(1, 1), 0);
    EXPECT_EQ(debugif::UifLink.ResponseBlock.parameters[0], 20401004u);
    // The target on the emulated adapter is powered by the adapter.
    ASSERT_EQ(framing_test::Transact(6, 2, {3000}), 0);
    ASSERT_EQ(framing_test::Transact(13, 2, {0x1000, 16}), 0);
    EXPECT_EQ(framing_test::ReplyData(), std::vector<uint8_t>(16, 0xFF));
    debugif::CloseSerialPort();

    emu.Say("hello\n");
    emu.Say("stop\n");
    EXPECT_EQ(emu.Wait(), 0);
    EXPECT_TRUE(platform::ListEmulatedPorts(Directory()).empty()) << "unregistered on the way out";
}

TEST_F(EmuProgramTest, BootloaderModeAndSignals) {
    EmuProgram emu({"--dir", Directory(), "--port", "COM321", "--bootloader"});
    ASSERT_EQ(emu.FirstLine(), "COM321");
    ASSERT_TRUE(Open("COM321"));
    uint8_t reply[2];
    EXPECT_EQ(debugif::BslCommand(0x38, 0x0C00, 2, nullptr, reply, 2), debugif::kBslOk);
    emu.Signal(SIGTERM);
    EXPECT_EQ(emu.Wait(), 0);
    EXPECT_TRUE(platform::ListEmulatedPorts(Directory()).empty());
}

TEST_F(EmuProgramTest, RefusesBadArguments) {
    EmuProgram bad_port({"--dir", Directory(), "--port", "LPT1"});
    EXPECT_EQ(bad_port.Wait(), 2);
    EmuProgram bad_number({"--dir", Directory(), "--delay", "soon"});
    EXPECT_EQ(bad_number.Wait(), 2);
}

} // namespace
