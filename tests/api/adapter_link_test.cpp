// What the library's reports say of the adapter link itself, over its own
// debug interface and a pseudo-terminal: a target supply that a run's
// finish or the unload could not switch off, and an adapter that runs
// only its bootloader, named at the connect.

#include "core/settings.h"
#include "debugif/link_timing.h"
#include "tests/api/procedure_paths.h"

#include <chrono>
#include <thread>

namespace api_test {
namespace {

const std::string kSupplyLine =
    "Target supply could not be switched off - disconnect the target.\r\n";
const std::string kBootloaderText = "MSP-FET430UIF Firmware erased - Bootloader active.";

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

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
    int32_t Supply() {
        return pty->adapter().Locked([&] { return pty->target().AdapterSupply(); });
    }
};

// An adapter that stalls for good in the middle of AUTO PROGRAM: the finish
// cannot switch the supply off, and says so once; so does the unload. A
// run that ends cleanly, and the unload after it, say nothing of it.
TEST_F(AdapterLinkTest, ASupplyThatCouldNotBeSwitchedOffIsReported) {
    Ready("149");
    LoadCode();
    pty->adapter().ClearTrace();
    ASSERT_EQ(F_AutoProgram(0), 1);
    const std::string clean = TakeReport();
    EXPECT_EQ(Count(clean, kSupplyLine), 0u) << clean;
    EXPECT_EQ(Supply(), 0);
    const size_t requests = pty->adapter().RequestCount();
    ASSERT_GT(requests, 10u);

    sim::EmuFaults stall;
    // Far past every try, and past the connect the finish makes to switch
    // the supply off.
    stall.stall_ms = 5000;
    stall.stall_at = static_cast<uint32_t>(requests / 2);
    pty->adapter().SetFaults(stall);
    EXPECT_EQ(F_AutoProgram(0), 0);
    const std::string lost = TakeReport();
    EXPECT_EQ(Count(lost, kSupplyLine), 1u) << lost;
    EXPECT_LT(lost.find(kSupplyLine), lost.find(" --------------- FAILED !!! ------")) << lost;
    EXPECT_NE(Supply(), 0) << "the board is still powered: the line is true";

    LIB_Init(nullptr, 0);
    EXPECT_EQ(TakeReport(), kSupplyLine);
}

TEST_F(AdapterLinkTest, AnUnloadThatSwitchedTheSupplyOffSaysNothing) {
    Ready("149");
    ASSERT_EQ(F_Power_Target(1), 1);
    TakeReport();
    ASSERT_NE(Supply(), 0);
    LIB_Init(nullptr, 0);
    EXPECT_EQ(TakeReport(), "");
    EXPECT_EQ(Supply(), 0);
}

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
