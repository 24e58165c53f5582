#pragma once
// Target-layer tests against the simulated library in process: the device
// list parsed, a fresh F149 board on adapter "COM0", the USB port chosen.

#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/settings.h"
#include "core/target_state.h"
#include "debugif/debugif_reset.h"
#include "platform/services.h"
#include "sim/sim_library.h"
#include "tests/support/device_rows.h"
#include "tests/support/sim_target.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

class TargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::CoreStateReset();
        platform::ResetServices();
        testsupport::SimTargetAttach();
    }
    void TearDown() override {
        testsupport::SimTargetDetach();
        core::CoreStateReset();
        platform::ResetServices();
    }
    // Selects the device-list row named name (the operator's choice).
    static void SelectDevice(std::string_view name) {
        const int32_t r = testsupport::DeviceRowNamed(std::string(name));
        if (r != 0) {
            core::Settings.SelectedProcessorIndex = r;
            core::DeviceSelectByIndex();
        }
    }
    static size_t Calls(std::string_view entry) { return sim::Sim().Log().Count(entry); }
    static std::vector<sim::SimCall> CallsOf(std::string_view entry) {
        return sim::Sim().Log().Of(entry);
    }
};
