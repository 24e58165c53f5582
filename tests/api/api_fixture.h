#pragma once
// The library in process against the simulated debug library: a fresh F149
// board on adapter "COM0", the clock that never waits, and the host
// program's directory in a temporary folder (where "config.ini" goes).

#include "api/api_state.h"
#include "api/export_guard.h"
#include "api/lib_target.h"
#include "api/library_start.h"
#include "api/report_log.h"
#include "core/code_image.h"
#include "core/core_state.h"
#include "core/device_table.h"
#include "core/target_connect.h"
#include "core/target_state.h"
#include "debugif/debugif_reset.h"
#include "platform/clock.h"
#include "platform/module_path.h"
#include "platform/services.h"
#include "quillcore.h"
#include "sim/sim_library.h"
#include "tests/api/api_clock.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace api_test {

// The simulated library's reason for its last failure, taken.
inline int32_t TakeSimError() {
    const int32_t e = sim::SimLibrary.LastErrorNumber;
    sim::SimLibrary.LastErrorNumber = 0;
    return e;
}

// Puts the library into the state it has after load, over the simulated
// library, with the host directory dir.
inline void LibraryUp(const std::string& dir) {
    core::CoreStateReset();
    platform::ResetServices();
    debugif::ResetDebugifState();
    sim::SimReset();
    api::LibraryStateReset();
    platform::SetProgramDirectoryOverride(dir);
    api::LibraryLoad();
    api::LibDebugApiUse(sim::SimDebugApi(), &TakeSimError);
}

inline void LibraryDown() {
    api::ExportGuard.beforeWork = nullptr;
    core::TargetOpenRuleSet(nullptr);
    sim::SimReset();
    core::CoreStateReset();
    debugif::ResetDebugifState();
    platform::ResetServices();
    api::LibraryStateReset();
}

// The report log as F_ReportMessage hands it over (and empties it).
inline std::string TakeReport() {
    char text[QUILLCORE_REPORT_SIZE];
    F_ReportMessage(text);
    return text;
}

class ApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        LibraryUp(dir.path().string());
        platform::SetClockSource(&clock);
    }
    void TearDown() override { LibraryDown(); }

    // F_Initialization with the simulated adapter COM0 selected: 1.
    int32_t SelectAndInitialize() {
        EXPECT_EQ(F_Check_KVU_access(20010100), 20010100);
        return F_Initialization();
    }

    // The device row named name (e.g. "149") as the selected device, on the
    // board too.
    static void UseDevice(std::string_view name) {
        const int32_t row = sim::SimSelectDeviceNamed(name);
        ASSERT_GT(row, 0) << name;
        ASSERT_EQ(F_SetConfig(1, static_cast<uint32_t>(row)), 1);
    }

    // Initialised, F149, adapter powering the target, opened: ready for the
    // direct operations.
    void OpenF149() {
        ASSERT_EQ(SelectAndInitialize(), 1);
        UseDevice("149");
        ASSERT_EQ(F_SetConfig(2, 1), 1);  // the adapter powers the target
        ASSERT_EQ(F_SetConfig(30, 2), 1); // direct, no prompts
        ASSERT_EQ(F_Open_Target_Device(), 1) << api::ReportLog.report;
        TakeReport();
        sim::Sim().Log().Clear();
    }

    testsupport::TempDir dir;
    StepClock clock;
};

} // namespace api_test
