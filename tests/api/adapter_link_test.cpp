// What the library's reports say of the adapter link itself, over its own
// debug interface and a pseudo-terminal: an adapter that runs only its
// bootloader, named at the connect.

#include "core/settings.h"
#include "debugif/link_timing.h"
#include "tests/api/procedure_paths.h"

#include <chrono>
#include <thread>

namespace api_test {
namespace {

const std::string kBootloaderText = "MSP-FET430UIF Firmware erased - Bootloader active.";

class AdapterLinkTest : public RoadFixture<int> {
protected:
    void SetUp() override {
        Up(Road::Pty);
        // A missing answer costs a tenth of a second.
        debugif::LinkTiming.serial_read_total_ms = 150;
        debugif::LinkTiming.serial_read_interval_ms = 50;
        debugif::LinkTiming.quiet_gap_ms = 30;
        debugif::LinkTiming.quiet_limit_ms = 400;
        debugif::LinkTiming.bootloader_probe_delay_ms = 1;
    }
    void TearDown() override {
        // An adapter still holding what it got answers it first.
        while (pty->adapter().StallMs() != 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        RoadFixture<int>::TearDown();
        debugif::LinkTiming.Reset();
    }
    void LoadCode() {
        F_Clr_Code_Buffer();
        for (int32_t a = 0xE000; a < 0xE800; ++a) {
            F_Put_Byte_to_Code_Buffer(a, static_cast<uint8_t>(a * 5));
        }
    }
};

// Only the adapter's bootloader answers: selecting it fails, and the
// start-up names the reason; a host that never selects by ID finds its
// first procedure failing at the open with the same words.
TEST_F(AdapterLinkTest, AnAdapterInItsBootloaderIsNamedAtTheConnect) {
    testsupport::WriteFile(dir.File("config.ini"), "VccIndex 4\r\n");
    sim::EmuFaults bootloader;
    bootloader.bootloader = true;
    pty->adapter().SetFaults(bootloader);
    ASSERT_GE(F_Check_KVU_access(0), 1);
    const int32_t id = F_Check_KVU_access(1);
    ASSERT_EQ(id, 20010107);
    EXPECT_EQ(F_Check_KVU_access(id), 0);
    EXPECT_EQ(F_Initialization(), 4);
    EXPECT_EQ(TakeReport(),
              "Connecting Programming Adapter ......\t failed\r\n" + kBootloaderText + "\r\n");
    EXPECT_EQ(core::Target.TargetErrorLog, kBootloaderText + "\r\n");
}

TEST_F(AdapterLinkTest, AHostThatNeverSelectsFindsTheBootloaderAtTheOpen) {
    testsupport::WriteFile(dir.File("config.ini"), "VccIndex 4\r\n");
    sim::EmuFaults bootloader;
    bootloader.bootloader = true;
    pty->adapter().SetFaults(bootloader);
    EXPECT_EQ(F_Initialization(), 4);
    TakeReport();
    core::Settings.Selected_UIF = "COM7";
    ASSERT_EQ(F_SetConfig(30, 2), 1);
    LoadCode();
    EXPECT_EQ(F_AutoProgram(0), 0);
    const std::string report = TakeReport();
    EXPECT_NE(report.find("=====================================\r\n" + kBootloaderText + "\r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("Programming adapter is not present."), std::string::npos) << report;
}

} // namespace
} // namespace api_test
