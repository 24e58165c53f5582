// The configuration calls, the setup listing and the version and start-up
// texts, the device items, the report hand-over, and the export guard.

#include "api/export_guard.h"
#include "core/settings.h"
#include "debugif/debug_attach.h"
#include "tests/api/api_fixture.h"

#include <array>
#include <stdexcept>

namespace api_test {
namespace {

TEST_F(ApiTest, PresentationModeReadsBackAsZeroOneOrTwo) {
    struct Case {
        uint32_t written;
        uint32_t read;
        int32_t prompts;
        int32_t direct;
    };
    for (const Case c : {Case{2, 2, 0, 2}, Case{0, 0, 0, 0}, Case{5, 1, 1, 0}, Case{1, 1, 1, 0}}) {
        ASSERT_EQ(F_SetConfig(30, c.written), 1);
        EXPECT_EQ(F_GetConfig(30), c.read) << c.written;
        EXPECT_EQ(api::Lib.PromptsEnabled, c.prompts) << c.written;
        EXPECT_EQ(api::Lib.RunDirect, c.direct) << c.written;
    }
}

TEST_F(ApiTest, IndexThirtyOneIsTheJtagSpeedAndTheUnusedIndicesAreRefused) {
    ASSERT_EQ(F_SetConfig(31, 24), 1);
    EXPECT_EQ(F_GetConfig(24), 24u);
    ASSERT_EQ(F_SetConfig(24, 7), 1);
    EXPECT_EQ(F_GetConfig(31), 7u);

    for (const uint32_t index : {62u, 66u, 1000u}) {
        EXPECT_EQ(F_SetConfig(index, 1), 0) << index;
        EXPECT_EQ(F_GetConfig(index), 0u) << index;
    }
    // Stored as given; the row choice clamps only where it is used.
    ASSERT_EQ(F_SetConfig(1, 5000), 1);
    EXPECT_EQ(F_GetConfig(1), 5000u);
    EXPECT_EQ(F_Get_Device_Info(20), core::DeviceInfoTable.records[0].flashStart);
    ASSERT_EQ(F_SetConfig(60, 0x1234), 1);
    EXPECT_EQ(F_GetConfig(60), 0x1234u);
    EXPECT_EQ(api::LibSettings.DCO_base_address, 0x1234);
}

TEST_F(ApiTest, EverySetConfigSwitchesSerializationModelTextAndAnUnwantedSupplyOff) {
    ASSERT_EQ(SelectAndInitialize(), 1);
    ASSERT_EQ(F_SetConfig(2, 1), 1);
    ASSERT_EQ(F_Power_Target(1), 1);
    ASSERT_TRUE(sim::Sim().Powered());
    core::Settings.SerializationEnable = 1;
    core::Settings.ModelTextEnable = 1;
    // Index 2 back to 0 through another index: the whole block is applied.
    core::Settings.PowerFromPODEnable = 0;
    ASSERT_EQ(F_SetConfig(60, 0x10F0), 1);
    EXPECT_EQ(core::Settings.SerializationEnable, 0);
    EXPECT_EQ(core::Settings.ModelTextEnable, 0);
    EXPECT_FALSE(sim::Sim().Powered());
    EXPECT_EQ(core::Target.powerState, 0);
}

TEST_F(ApiTest, SetupBlockRoundTripsThroughConfigSetupAndGetSetup) {
    std::array<uint32_t, QUILLCORE_SETUP_SIZE> in{};
    for (uint32_t i = 0; i < in.size(); ++i) {
        in[i] = i + 1;
    }
    in[2] = 0; // PowerTargetEn: no supply switching
    ASSERT_EQ(F_ConfigSetup(in[0], in[1], in[2], in[3], in[4], in[5], in[6], in[7], in[8], in[9],
                            in[10], in[11], in[12], in[13], in[14], in[15], in[16], in[17], in[18],
                            in[19], in[20], in[21], in[22], in[23], in[24], in[25], in[26], in[27],
                            in[28], in[29]),
              1);
    std::array<uint32_t, QUILLCORE_SETUP_SIZE> out{};
    ASSERT_EQ(F_GetSetup(out.data()), 1);
    EXPECT_EQ(out, in);
    EXPECT_EQ(core::Settings.VccIndex, 26);
    EXPECT_EQ(F_GetSetup(nullptr), 0);
}

TEST_F(ApiTest, GoldenVersionSetupListingAndUnselectedStartUp) {
    EXPECT_EQ(F_DLLTypeVer(), 592);
    EXPECT_EQ(TakeReport(), "Quillbay API DLL\r\n  Software version 2.5\r\n");

    // No adapter selected and no "config.ini": 4, the file's error, no adapter.
    EXPECT_EQ(F_Initialization(), 4);
    EXPECT_EQ(TakeReport(), "Setup File Open error\r\n " + dir.path().string() +
                                "/config.ini\r\nConnecting Programming Adapter ......\t failed\r\n"
                                "\r\n");

    F_DispSetup();
    EXPECT_EQ(TakeReport(), "Interface_____________\t  0 \r\n"
                            "uProcIndex____________\t  0 \r\n"
                            "PowerTargetEn_________\t  0 \r\n"
                            "PowerVccIndex_________\t  5 \r\n"
                            "BSLSpeedIndex_________\t  1 \r\n"
                            "JTAGSpeedIndex________\t  0 \r\n"
                            "ResetTimeIndex________\t  0 \r\n"
                            "FlashEraseModeIndex___\t  1 \r\n"
                            "EraseInfoA____________\t  0 \r\n"
                            "EraseInfoB____________\t  0 \r\n"
                            "EraseInfoC____________\t  0 \r\n"
                            "EraseInfoD____________\t  0 \r\n"
                            "EraseFlashStartAddr___\t 0x1100 \r\n"
                            "EraseFlashStopAddr____\t 0x45BFF \r\n"
                            "FlashReadModeIndex____\t 0x0000 \r\n"
                            "ReadInfoA_____________\t  0 \r\n"
                            "ReadInfoB_____________\t  0 \r\n"
                            "ReadInfoC_____________\t  0 \r\n"
                            "ReadInfoD_____________\t  0 \r\n"
                            "ReadStartAddr_________\t 0x1000 \r\n"
                            "ReadStopAddr__________\t 0x45BFF \r\n"
                            "VerifyModeIndex_______\t  2 \r\n"
                            "BlowFuseEn____________\t  0 \r\n"
                            "ApplicationStartEn____\t  0 \r\n"
                            "CustomResetPulseTime___\t  0 \r\n"
                            "CustomResetIdleTime___\t  0 \r\n"
                            "RstVccToggleTime______\t 50 \r\n"
                            "ApplResetVccTime______\t  0 \r\n"
                            "BeepEnable____________\t  0 \r\n");
}

TEST_F(ApiTest, ReportHandOverCutsAndSnapshots) {
    api::ReportAppend(std::string(1200, 'a') + "END");
    EXPECT_EQ(api::ReportLog.report.size(), 1000u);
    EXPECT_EQ(api::ReportLog.report.substr(997), "END");

    // F_ReportMessage gives 999 characters and empties the log.
    const std::string taken = TakeReport();
    EXPECT_EQ(taken.size(), 999u);
    EXPECT_TRUE(api::ReportLog.report.empty());

    // A character before any snapshot comes from the empty one of load.
    EXPECT_EQ(F_GetReportMessageChar(5), 0);
    api::ReportAppend("Hello");
    EXPECT_EQ(F_GetReportMessageChar(0), 'H');
    EXPECT_TRUE(api::ReportLog.report.empty());
    EXPECT_EQ(F_GetReportMessageChar(4), 'o');
    EXPECT_EQ(F_GetReportMessageChar(5), 0);
    EXPECT_EQ(F_GetReportMessageChar(1001), 0);
    EXPECT_EQ(F_GetReportMessageChar(-1), 0);
}

TEST_F(ApiTest, DeviceItemsOfTheF149RowSelectNothing) {
    UseDevice("149");
    const std::string name = "MSP430F149";
    for (int32_t i = 0; i < 20; ++i) {
        const int32_t expected = i < static_cast<int32_t>(name.size()) ? name[i] : 0;
        EXPECT_EQ(F_Get_Device_Info(i), expected) << i;
    }
    EXPECT_EQ(F_Get_Device_Info(5), '0');
    EXPECT_EQ(F_Get_Device_Info(20), 0x1100);
    EXPECT_EQ(F_Get_Device_Info(21), 0xFFFF);
    EXPECT_EQ(F_Get_Device_Info(22), 0x1000);
    EXPECT_EQ(F_Get_Device_Info(23), 128);
    EXPECT_EQ(F_Get_Device_Info(24), 2);
    EXPECT_EQ(F_Get_Device_Info(25), 2048);
    EXPECT_EQ(F_Get_Device_Info(26), 1);
    EXPECT_EQ(F_Get_Device_Info(27), 0);
    EXPECT_EQ(F_Get_Device_Info(28), -1);
    EXPECT_EQ(F_Get_Device_Info(-1), -1);
}

TEST_F(ApiTest, BufferAccessorsKeepToTheBuffers) {
    EXPECT_EQ(F_Put_Byte_to_Buffer(0x45BFF, 0x12), 1);
    EXPECT_EQ(F_Put_Byte_to_Buffer(0x45C00, 0x12), 0);
    EXPECT_EQ(F_Put_Byte_to_Buffer(-1, 0x12), 0);
    EXPECT_EQ(F_Get_Byte_from_Buffer(0x45C00), 0);
    // The flash copies need two bytes inside 0x1000..0x45BFF; refused
    // without a report line.
    EXPECT_EQ(F_Copy_Buffer_to_Flash(0x1000, 1), 0);
    EXPECT_EQ(F_Copy_Buffer_to_Flash(0x45BFE, 3), 0);
    EXPECT_EQ(F_Copy_Flash_to_Buffer(0x0FFF, 2), 0);
    EXPECT_TRUE(api::ReportLog.report.empty());
    // Accepted, but no target is active.
    EXPECT_EQ(F_Copy_Buffer_to_Flash(0x45BFE, 2), 0);
    EXPECT_EQ(TakeReport(), "Writing data to memory ................\t failed\r\n"
                            "Target Device is not Active.\r\n");

    EXPECT_EQ(F_Put_Byte_to_Password_Buffer(0xFFDF, 1), 0);
    EXPECT_EQ(F_Put_Byte_to_Password_Buffer(0xFFE0, 0xAB), 1);
    EXPECT_EQ(F_Get_Byte_from_Password_Buffer(0xFFE0), 0xAB);
    EXPECT_EQ(F_Get_Byte_from_Password_Buffer(0xFFE1), -1);
    EXPECT_EQ(F_Get_Byte_from_Password_Buffer(0x10000), -1);

    EXPECT_EQ(F_Put_Byte_to_Code_Buffer(0x2000, 0x55), 1);
    EXPECT_EQ(core::Images.CodeImageHasData, 1);
    EXPECT_EQ(F_Get_Byte_from_Code_Buffer(0x2000), 0x55);
    EXPECT_EQ(F_Get_Byte_from_Code_Buffer(0x2001), -1);
    EXPECT_EQ(F_Get_Byte_from_Code_Buffer(0x0FFF), -1);
    // The word's undefined high byte counts as 0xFF.
    EXPECT_EQ(F_Get_CodeCS(1), 0xFF55u);
    EXPECT_EQ(F_Clr_Code_Buffer(), 1);
    EXPECT_EQ(core::Images.CodeImageHasData, 0);
    EXPECT_EQ(F_Get_Byte_from_Code_Buffer(0x2000), -1);
}

TEST_F(ApiTest, AThrowInsideAnExportGivesItsFailureValue) {
    api::ExportGuard.beforeWork = [] { throw std::runtime_error("inside"); };
    EXPECT_EQ(F_ReadCodeFile(1, "x.txt"), 8);
    EXPECT_EQ(F_Get_Byte_from_Code_Buffer(0x2000), -1);
    EXPECT_EQ(F_Get_Device_Info(0), -1);
    EXPECT_EQ(F_Get_Targets_Vcc(), -1);
    EXPECT_EQ(F_Open_Target_Device(), 0);
    EXPECT_EQ(F_SetConfig(1, 1), 0);
    EXPECT_EQ(F_GetConfig(30), 0u);
    EXPECT_EQ(F_Initialization(), 0);
    F_DispSetup();
    char text[QUILLCORE_REPORT_SIZE] = "kept";
    F_ReportMessage(text);
    EXPECT_STREQ(text, "kept");
    api::ExportGuard.beforeWork = nullptr;
}

} // namespace
} // namespace api_test

namespace api_test {
namespace {

TEST(LibrarySettingsFile, IsNamedAfterTheLibraryCutBeforeItsSo) {
    struct Case {
        const char* module;
        const char* ini;
    };
    for (const Case c : {Case{"/usr/lib/libquillcore.so.2.5.0", "/usr/lib/libquillcore.ini"},
                         Case{"/usr/lib/libquillcore.so", "/usr/lib/libquillcore.ini"},
                         Case{"/opt/bin/MSP430-TI.DLL", "/opt/bin/MSP430-TI.ini"},
                         Case{"/opt/lib.so.d/libx.sox", "/opt/lib.so.d/libx.ini"}}) {
        EXPECT_EQ(debugif::SettingsFilePath(c.module), c.ini) << c.module;
    }
}

} // namespace
} // namespace api_test
