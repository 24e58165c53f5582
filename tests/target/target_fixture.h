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

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

class TargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::CoreStateReset();
        platform::ResetServices();
        debugif::ResetDebugifState();
        ASSERT_EQ(core::DeviceTableParse(core::kDeviceFilterAll), 1);
        sim::SimReset();
        core::DebugApiUse(&sim::SimDebugApi());
        core::Settings.CommPortIndex = 3;
    }
    void TearDown() override {
        sim::SimReset();
        core::CoreStateReset();
        debugif::ResetDebugifState();
        platform::ResetServices();
    }
    // Selects the device-list row named name (the operator's choice).
    static void SelectDevice(std::string_view name) {
        for (int32_t r = 1; r <= core::DeviceInfoTable.count; ++r) {
            std::string rowName(core::DeviceInfoTable.records[r].name);
            rowName.erase(rowName.find_last_not_of(' ') + 1);
            if (rowName == name) {
                core::Settings.SelectedProcessorIndex = r;
                core::DeviceSelectByIndex();
                return;
            }
        }
        ADD_FAILURE() << "no row " << name;
    }
    static size_t Calls(std::string_view entry) { return sim::Sim().Log().Count(entry); }
    static std::vector<sim::SimCall> CallsOf(std::string_view entry) {
        return sim::Sim().Log().Of(entry);
    }
};
