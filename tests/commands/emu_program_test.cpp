// quill-emu-fet as a separate program: the device and firmware chosen on
// its command line, driven through the command layer over its port.

#include "debugif/api_state.h"
#include "debugif/debugif_reset.h"
#include "debugif/device_id_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_identify.h"
#include "debugif/uif_memory.h"
#include "debugif/uif_target_ops.h"
#include "platform/device_setup.h"
#include "platform/sysfs_discovery.h"
#include "tests/commands/commands_fixture.h"
#include "tests/framing/emu_program.h"
#include "tests/transport/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace commands_test {
namespace {

TEST(EmuProgramCommandsTest, CarriesOutTheCommandsOnTheChosenDevice) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        uint16_t row; // of the device-ID table
        int32_t version;
    };
    const std::vector<Case> cases = {
        {"default board, old firmware", {"--firmware", "20000000"}, 7, 20000000},
        {"F5438", {"--device", "5438"}, 92, 20304000},
        {"adapter in its bootloader", {"--adapter-data", "EEEE"}, 7, 20400000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        debugif::ResetDebugifState();
        transport_test::ScratchDir scratch;
        platform::SysfsDeviceSetup setup(scratch.path() + "/sys", scratch.path() + "/dev",
                                         scratch.path() + "/adapters");
        platform::DeviceSetupInUse.installed = &setup;
        std::vector<std::string> args = {"--dir", scratch.path() + "/adapters"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        framing_test::EmuProgram emu(args);
        const std::string port = emu.FirstLine();
        ASSERT_FALSE(port.empty());

        int32_t version = 0;
        ASSERT_EQ(debugif::UifConnect(port.c_str(), &version, 1), 0);
        EXPECT_EQ(version, c.version);
        ASSERT_EQ(debugif::UifSetVcc(3000), 0);
        ASSERT_EQ(debugif::UifIdentify(nullptr, 0, 0), 0);
        EXPECT_EQ(debugif::gDeviceId.currentDeviceIndex, c.row);
        TakeIdentification();

        Bytes data(700);
        for (size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<uint8_t>(i * 13);
        }
        ASSERT_EQ(debugif::UifMemory(0x8000, data.data(), 700, 0), 0);
        Bytes back(700);
        ASSERT_EQ(debugif::UifMemory(0x8000, back.data(), 700, 1), 0);
        EXPECT_EQ(back, data);
        ASSERT_EQ(debugif::UifClose(1), 0);

        emu.Say("stop\n");
        EXPECT_EQ(emu.Wait(), 0);
        debugif::ResetDebugifState();
        platform::ResetDeviceServices();
    }
}

TEST(EmuProgramCommandsTest, RefusesADeviceNotInTheList) {
    transport_test::ScratchDir scratch;
    framing_test::EmuProgram by_name({"--dir", scratch.path(), "--device", "9999"});
    EXPECT_EQ(by_name.Wait(), 2);
    framing_test::EmuProgram by_row({"--dir", scratch.path(), "--row", "100000"});
    EXPECT_EQ(by_row.Wait(), 2);
}

} // namespace
} // namespace commands_test
