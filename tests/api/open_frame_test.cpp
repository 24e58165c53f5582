// The open procedure: adapter, supply check, identification and fuse, the
// target left active.

#include "api/headless_presenter.h"
#include "api/presenter_choice.h"
#include "core/settings.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"
#include "tests/api/api_fixture.h"

namespace api_test {
namespace {

const std::string kRule = "=====================================\r\n";
const std::string kJtagOk = "JTAG communication initialization....\t OK\r\n";

class OpenFrameTest : public ApiTest {
protected:
    void SetUp() override {
        ApiTest::SetUp();
        ASSERT_EQ(SelectAndInitialize(), 1);
        UseDevice("149");
        TakeReport();
    }
};

TEST_F(OpenFrameTest, OpenConnectsAndLeavesTheTargetActive) {
    ASSERT_EQ(F_SetConfig(2, 1), 1);
    EXPECT_EQ(F_Open_Target_Device(), 1);
    EXPECT_EQ(api::Lib.TargetActive, 1);
    EXPECT_EQ(TakeReport(), kRule + kJtagOk + "Verifying Security Fuse .................\t OK\r\n");
    EXPECT_TRUE(sim::Sim().Powered());
    // The second spelling is the same export.
    EXPECT_EQ(F_Open_Targed_Device(), 1);
    EXPECT_EQ(F_Close_Targed_Device(), 1);
    EXPECT_EQ(api::Lib.TargetActive, 0);
}

TEST_F(OpenFrameTest, SupplyJustAboveTheMinimumPasses) {
    struct Case {
        int32_t reading; // mV
        int32_t result;
    };
    ASSERT_EQ(F_SetConfig(30, 2), 1); // direct, no prompts
    sim::Sim().SetExternalSupply(3000);
    for (const Case c : {Case{2610, 1}, Case{2600, 32}, Case{0, 32}}) {
        sim::Sim().SetSupplyReading(c.reading);
        EXPECT_EQ(F_Open_Target_Device(), c.result) << c.reading;
        EXPECT_EQ(api::Lib.TargetActive, c.result == 1 ? 1 : 0) << c.reading;
        const std::string report = TakeReport();
        if (c.result == 32) {
            EXPECT_EQ(report, kRule + "Error!: Target's DC Voltage is below Vcc min\r\n");
        }
    }
}

TEST_F(OpenFrameTest, LowSupplyWithPromptsEndsTheRunUnanswered) {
    // The adapter does not power the target: the operator is asked to
    // switch it on, and nobody answers.
    platform::ScriptedPrompts boxes;
    api::ScriptedPresenter window(boxes);
    api::ProgressPresenterInstall(&window);
    EXPECT_EQ(F_Open_Target_Device(), 15);
    EXPECT_EQ(api::Lib.TargetActive, 0);
    EXPECT_EQ(TakeReport(), kRule);
    ASSERT_EQ(boxes.Transcript().size(), 1u);
    EXPECT_EQ(boxes.Transcript()[0].text, "Turn DC Power ON now.\r\n\r\nPlease press:\r\n\r\n"
                                          "OK         -> when power is turned ON.        \r\n\r\n"
                                          "CANCEL -> terminate this action.");
    EXPECT_EQ(boxes.Transcript()[0].caption, "Warning");
    EXPECT_EQ(boxes.Transcript()[0].flags, platform::MB_OKCANCEL | platform::MB_ICONWARNING);

    ASSERT_EQ(F_SetConfig(2, 1), 1);
    sim::Sim().SetSupplyReading(1000);
    EXPECT_EQ(F_Open_Target_Device(), 0);
    ASSERT_EQ(boxes.Transcript().size(), 2u);
    EXPECT_EQ(boxes.Transcript()[1].text,
              "Device is not powered up !\r\n\r\nPower up the device and try again.");
    EXPECT_EQ(boxes.Transcript()[1].flags, platform::MB_OK | platform::MB_ICONWARNING);
    api::ProgressPresenterInstall(nullptr);
}

TEST_F(OpenFrameTest, ABlownFuseGivesTwoAndStaysActive) {
    ASSERT_EQ(F_SetConfig(2, 1), 1);
    ASSERT_EQ(F_SetConfig(30, 2), 1); // direct: the messages go into the report
    sim::Sim().SetFuseBlown(true);
    EXPECT_EQ(F_Open_Target_Device(), 2);
    EXPECT_EQ(api::Lib.TargetActive, 1);
    EXPECT_EQ(api::Lib.FuseBlown, 1);
    const std::string report = TakeReport();
    EXPECT_NE(report.find("Verifying Security Fuse .................\t BLOWN\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("     Security Fuse is BLOWN !!! \r\n"), std::string::npos) << report;
    EXPECT_EQ(F_VerifyFuseOrPassword(), 0);
}

TEST_F(OpenFrameTest, WithoutAnAdapterTheOpenFails) {
    sim::Sim().usbInterfaces.clear();
    ASSERT_EQ(F_Check_KVU_access(0), 0);
    core::Settings.Selected_UIF.clear();
    ASSERT_EQ(F_SetConfig(30, 2), 1);
    EXPECT_EQ(F_Open_Target_Device(), 0);
    EXPECT_EQ(TakeReport(), kRule + "Error\r\nProgramming adapter is not present.\r\n\r\n"
                                    "Check cable connection or parallel port setup.\r\n");
}

TEST_F(OpenFrameTest, InterfaceThreeForcesTheTwoWireModeOnASpyBiWireDevice) {
    UseDevice("2274");
    ASSERT_EQ(F_SetConfig(2, 1), 1);
    ASSERT_EQ(F_SetConfig(0, 1), 1);
    sim::Sim().Log().Clear();
    EXPECT_EQ(F_Open_Target_Device(), 1);
    const auto configures = sim::Sim().Log().Of("MSP430_Configure");
    ASSERT_FALSE(configures.empty());
    EXPECT_EQ(configures[0].args, (std::vector<int32_t>{8, 1}));
    EXPECT_EQ(F_GetConfig(0), 3u);
}

TEST_F(OpenFrameTest, ProceduresRefusedBeforeTheyOpenAnything) {
    ASSERT_EQ(F_SetConfig(2, 1), 1);
    EXPECT_EQ(F_Memory_Read(nullptr), 0);
    // With nowhere to put the data nothing is opened; the read's line says so.
    EXPECT_EQ(TakeReport(), "Reading Flash memory ....................\t failed\r\n");
    // The fuse blow needs its enable flag.
    EXPECT_EQ(F_Blow_Fuse(), 0);
    EXPECT_EQ(TakeReport(), "Blow Fuse Enable flag is inactive - Procedure terminated.\r\n");
    EXPECT_FALSE(sim::Sim().FuseBlown());
    EXPECT_FALSE(sim::Sim().Powered());
}

TEST_F(OpenFrameTest, PowerAndResetReportTheirLines) {
    EXPECT_EQ(F_Power_Target(1), 0);
    ASSERT_EQ(F_SetConfig(2, 1), 1);
    EXPECT_EQ(F_Power_Target(1), 1);
    EXPECT_EQ(F_Get_Targets_Vcc(), 3200);
    EXPECT_EQ(F_Reset_Target(), 1);
    EXPECT_EQ(F_Power_Target(0), 1);
    EXPECT_EQ(TakeReport(), "Power Target - Disabled\r\nPower Target - ON\r\n"
                            " --- Reset Target Device ---\r\nPower Target - OFF\r\n");
    sim::Sim().FailOperation("MSP430_Reset", 11, 1);
    EXPECT_EQ(F_Reset_Target(), 0);
    EXPECT_EQ(TakeReport(), " --- Reset Target Device ---...\t failed\r\n");
    // With no interface open (the enumeration closes it) no reset is made,
    // and the result says so rather than 1.
    F_Check_KVU_access(0);
    ASSERT_EQ(core::Target.TargetInterfaceOpen, 0);
    sim::Sim().Log().Clear();
    EXPECT_EQ(F_Reset_Target(), 0);
    EXPECT_EQ(TakeReport(), " --- Reset Target Device ---...\t failed\r\n");
    EXPECT_TRUE(sim::Sim().Log().Of("MSP430_Reset").empty());
}

TEST_F(OpenFrameTest, AFailedSupplyReadKeepsTheEstimate) {
    ASSERT_EQ(F_SetConfig(2, 1), 1);
    ASSERT_EQ(F_Power_Target(1), 1);
    sim::Sim().FailOperation("MSP430_ReadSupply", 35, 1);
    EXPECT_EQ(F_Get_Targets_Vcc(), -1);
    EXPECT_EQ(core::Target.TargetSupplyValue, 300);
    EXPECT_EQ(api::LibTarget.supplyMeasured, 0);
    EXPECT_EQ(F_Get_Targets_Vcc(), 3200);
    EXPECT_EQ(api::LibTarget.supplyMeasured, 1);
}

} // namespace
} // namespace api_test
