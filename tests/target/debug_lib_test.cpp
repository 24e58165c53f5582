// The binding against the simulated library built as a shared object. The
// test program links that object for its control interface; the binding's
// dlopen of the same file finds the same instance.

#include "core/core_state.h"
#include "core/debug_lib.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "platform/module_path.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"
#include "platform/services.h"
#include "sim/sim_control.h"

#include <cstdlib>

#include "tests/support/debug_entries.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace core;

const std::string kSimLibrary = SIM_LIBRARY_PATH;
const std::string kPartialLibrary = PARTIAL_LIBRARY_PATH;

class DebugLibTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoreStateReset();
        platform::ResetServices();
        platform::SetPromptService(&prompts);
        // Never the build's own program directory, where the project's real
        // library may lie under the default name.
        platform::SetProgramDirectoryOverride(programDir.path().string());
        ASSERT_EQ(DeviceTableParse(kDeviceFilterAll), 1);
        sim_reset();
    }
    void TearDown() override {
        CoreStateReset();
        platform::ResetServices();
        sim_reset();
    }
    static void UseLibrary(int32_t choice, const std::string& path) {
        (choice == 1 ? Settings.MSP430DLL1 : Settings.MSP430DLL2) = path;
        DebugLibSelectPath(choice);
    }
    size_t Boxes() const { return prompts.Transcript().size(); }

    platform::ScriptedPrompts prompts;
    testsupport::TempDir programDir;
};

TEST_F(DebugLibTest, SelectPathBySetting) {
    Settings.MSP430DLL1 = "/opt/a.so";
    Settings.MSP430DLL2 = std::string(600, 'b');
    DebugLibSelectPath(1);
    EXPECT_EQ(DebugLib.selectedPath, "/opt/a.so");
    DebugLibSelectPath(2);
    EXPECT_EQ(DebugLib.selectedPath, std::string(510, 'b'));
    for (const int32_t other : {0, 3, -1}) {
        DebugLibSelectPath(other);
        EXPECT_EQ(DebugLib.selectedPath, "MSP430-TI.DLL");
    }
    EXPECT_EQ(DebugLib.loaded, 0); // selecting loads nothing
}

TEST_F(DebugLibTest, LoadsByPathAndCallsEveryEntry) {
    UseLibrary(1, kSimLibrary);
    ASSERT_EQ(DebugLibLoad(), 1);
    EXPECT_EQ(DebugLibLoad(), 1); // once per path
    sim_set_external_supply(3000);

    int32_t version = 0;
    ASSERT_EQ(DebugLib_Initialize("TIUSB-and-a-long-tail-of-text", &version), -1);
    EXPECT_EQ(DebugLib.portName, "TIUSB-and-a-long-tai"); // 20 characters go to the library
    EXPECT_EQ(DebugLibLastResult(), -1);
    EXPECT_EQ(DebugLib_Error_Number(), 57); // not an adapter of the list
    EXPECT_EQ(DebugLibLastResult(), 57);
    EXPECT_STREQ(DebugLib_Error_String(57), "Could not find MSP-FET430UIF on specified COM port.");

    ASSERT_EQ(DebugLib_Initialize("TIUSB", &version), 0);
    EXPECT_EQ(version, -1);
    EXPECT_EQ(DebugLib_Configure(8, 0), 0);
    EXPECT_EQ(DebugLib_VCC(3000), 0);
    char record[100] = {};
    EXPECT_EQ(DebugLib_Identify(record, 100, 0), 0);
    EXPECT_STREQ(record + 4, "MSP430F149");
    EXPECT_EQ(DebugLib_Reset(7, 0, 0), 0);
    EXPECT_EQ(DebugLib_Erase(1, 0xFF00, 4), 0);
    char data[4] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(DebugLib_Memory(0xF000, data, 4, 0), 0);
    char back[4] = {};
    EXPECT_EQ(DebugLib_Memory(0xF000, back, 4, 1), 0);
    EXPECT_EQ(std::string(back, 4), std::string(data, 4));
    EXPECT_EQ(DebugLib_VerifyMem(0xF000, 4, data), 0);
    EXPECT_EQ(DebugLib_EraseCheck(0xF000, 4), -1);
    EXPECT_EQ(DebugLibLastResult(), -1);
    int32_t count = 0;
    EXPECT_EQ(DebugLib_GetNumberOfUsbIfs(&count), 0);
    EXPECT_EQ(count, 1);
    char* name = nullptr;
    int32_t status = 0;
    EXPECT_EQ(DebugLib_GetNameOfUsbIf(0, &name, &status), 0);
    EXPECT_STREQ(name, "COM0");
    EXPECT_EQ(status, 1); // held by this connection
    EXPECT_EQ(DebugLib_FET_GetFwVersion(&version), 0);
    EXPECT_EQ(version, 20409001);
    int steps = 0;
    EXPECT_EQ(DebugLib_FET_FwUpdate(
                  nullptr, [](uint32_t, uint32_t, uint32_t, void* c) { ++*static_cast<int*>(c); },
                  &steps),
              0);
    EXPECT_GT(steps, 0);
    int32_t value = 0x4400;
    EXPECT_EQ(DebugLib_RegisterAccess(&value, 0, 0), 0);
    EXPECT_EQ(DebugLib_RunCpu(1, 1), 0);
    EXPECT_EQ(DebugLib_RunCpu(0, 1), -1); // only modes 1 to 3 run
    int32_t state = 0;
    EXPECT_EQ(DebugLib_CpuState(&state, 1, nullptr), 0);
    int32_t mv = 0;
    EXPECT_EQ(DebugLib_ReadSupply(&mv), 0);
    EXPECT_EQ(mv, 3000);
    EXPECT_EQ(DebugLib_Secure(), 0);
    EXPECT_EQ(sim_fuse_blown(), 1);
    EXPECT_EQ(DebugLib_Close(1), 0);
    EXPECT_EQ(DebugLibLastResult(), 0);
    EXPECT_EQ(sim_adapter_supply(), 0);

    for (const char* entry : testsupport::kDebugEntryNames) {
        SCOPED_TRACE(entry);
        EXPECT_GE(sim_log_calls(entry), 1);
    }
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(DebugLibTest, BareNameComesFromTheProgramDirectory) {
    std::filesystem::create_symlink(kSimLibrary, programDir.File("MSP430-TI.DLL"));
    DebugLibSelectPath(0);
    int32_t version = 0;
    ASSERT_EQ(DebugLib_Initialize("TIUSB", &version), 0); // loads first
    EXPECT_EQ(DebugLib.loaded, 1);
    EXPECT_EQ(sim_log_calls("MSP430_Initialize"), 1); // the library this program controls
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(DebugLibTest, BareNameIsNeverTakenFromTheWorkingDirectory) {
    testsupport::TempDir work;
    std::filesystem::create_symlink(kSimLibrary, work.File("QUILL-WORKDIR-TEST.DLL"));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(work.path());

    UseLibrary(2, "QUILL-WORKDIR-TEST.DLL");
    EXPECT_EQ(DebugLibLoad(), 0);
    UseLibrary(1, "./QUILL-WORKDIR-TEST.DLL"); // a path of the operator's is taken as given
    EXPECT_EQ(DebugLibLoad(), 1);

    std::filesystem::current_path(before);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_NE(prompts.Transcript()[0].text.find("QUILL-WORKDIR-TEST.DLL"), std::string::npos);
}

TEST_F(DebugLibTest, AMissingLibraryIsReportedOnceAndEveryCallGives34) {
    UseLibrary(1, "/nonexistent/quill/libmissing.so");
    EXPECT_EQ(DebugLibLoad(), 0);
    ASSERT_EQ(Boxes(), 1u);
    const platform::PromptRecord& box = prompts.Transcript()[0];
    EXPECT_EQ(box.text, "MSP430-xx.dll open error.\r\n/nonexistent/quill/libmissing.so"
                        "        --- Morvane Inc. --- \r\n ");
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.flags, platform::MB_OK | platform::MB_ICONERROR);

    EXPECT_EQ(DebugLibLoad(), 0);
    int32_t version = 0;
    EXPECT_EQ(DebugLib_Initialize("TIUSB", &version), 34);
    EXPECT_EQ(DebugLib_VCC(3000), 34);
    EXPECT_EQ(DebugLibLastResult(), 34);
    EXPECT_EQ(DebugLib_Error_String(3), nullptr);
    EXPECT_EQ(Boxes(), 1u);

    // Through the target layer: a failure without a text.
    Settings.AdapterIndex = 1;
    Settings.CommPortIndex = 3;
    EXPECT_EQ(TargetOpen(), 0);
    EXPECT_EQ(Target.TargetErrorLog, "");
    EXPECT_EQ(Boxes(), 1u);

    UseLibrary(2, ""); // an empty setting names no library
    EXPECT_EQ(DebugLibLoad(), 0);
    EXPECT_EQ(Boxes(), 2u);
}

TEST_F(DebugLibTest, EntriesTheLibraryLacksGive34) {
    UseLibrary(1, kPartialLibrary);
    ASSERT_EQ(DebugLibLoad(), 1);
    int32_t version = 0;
    EXPECT_EQ(DebugLib_Initialize("TIUSB", &version), 0);
    EXPECT_EQ(version, 1);
    char record[100];
    EXPECT_EQ(DebugLib_Identify(record, 100, 0), 34);
    EXPECT_EQ(DebugLibLastResult(), 34);
    EXPECT_EQ(DebugLib_Close(0), 0);
    EXPECT_EQ(DebugLibLastResult(), 0);
    EXPECT_EQ(DebugLib_Secure(), 34);
    EXPECT_EQ(DebugLib_Error_Number(), 34);
    EXPECT_EQ(DebugLib_Error_String(0), nullptr);
    int32_t count = 0;
    EXPECT_EQ(DebugLib_GetNumberOfUsbIfs(&count), 34);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(DebugLibTest, SwitchingPathsReloads) {
    char record[100];
    int32_t version = 0;
    UseLibrary(1, kSimLibrary);
    ASSERT_EQ(DebugLib_Initialize("TIUSB", &version), 0);
    void* const simHandle = DebugLib.handle;

    UseLibrary(2, kPartialLibrary);
    ASSERT_EQ(DebugLibLoad(), 1);
    EXPECT_NE(DebugLib.handle, simHandle);
    EXPECT_EQ(DebugLib_Identify(record, 100, 0), 34); // the partial library's answer

    DebugLibSelectPath(1);
    ASSERT_EQ(DebugLibLoad(), 1);
    EXPECT_EQ(DebugLib_Identify(record, 100, 0), -1); // the simulated library again
    EXPECT_EQ(DebugLib_Error_Number(), 4);            // no supply on the board
    EXPECT_EQ(sim_log_calls("MSP430_Identify"), 1);

    // A failed load leaves no library behind, not even the one before.
    UseLibrary(2, "/nonexistent/quill/other.so");
    EXPECT_EQ(DebugLibLoad(), 0);
    EXPECT_EQ(DebugLib.loaded, 0);
    EXPECT_EQ(DebugLib.handle, nullptr);
    EXPECT_EQ(DebugLib_Identify(record, 100, 0), 34);
    EXPECT_EQ(sim_log_calls("MSP430_Identify"), 1);
}

TEST_F(DebugLibTest, TheTargetLayerThroughTheBinding) {
    Settings.AdapterIndex = 1;
    Settings.MSP430DLL1 = kSimLibrary;
    Settings.CommPortIndex = 3;
    ASSERT_EQ(TargetOpen(), 1);
    ASSERT_EQ(TargetPowerSet(1), 1);
    ASSERT_EQ(TargetIdentify(), 1);
    EXPECT_EQ(ConnectedDevice.name, "MSP430F149");
    EXPECT_EQ(ConnectedDevice.flashEnd, 0xFFFF);

    ASSERT_GT(sim_select_device_named("5438"), 0);
    sim_set_early_f5xx(1);
    ASSERT_EQ(TargetIdentify(), 1);
    EXPECT_EQ(ConnectedDevice.name, "XMS430F5438");
    EXPECT_EQ(ConnectedDevice.earlyF5xx, 1);
    EXPECT_EQ(ConnectedDevice.flashEnd, 0x45BFF);

    sim_set_fuse_blown(1);
    EXPECT_EQ(TargetIdentify(), 0);
    EXPECT_EQ(Target.IdentifyFuseMarker, kFuseBlownMarker);
    EXPECT_EQ(Target.TargetErrorLog, "Could not read device configuration fuses.\r\n");
    EXPECT_EQ(sim_log_calls("MSP430_Initialize"), 1);
    EXPECT_EQ(Boxes(), 0u);
}

} // namespace
