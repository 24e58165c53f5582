#pragma once
// Every simulated-target test starts with the device list parsed and a fresh
// simulated library (an F149 board), and leaves nothing behind.

#include "core/core_state.h"
#include "core/device_table.h"
#include "debugif/debugif_reset.h"
#include "platform/services.h"
#include "sim/sim_library.h"

#include <gtest/gtest.h>

#include <string_view>

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::CoreStateReset();
        platform::ResetServices();
        debugif::ResetDebugifState();
        ASSERT_EQ(core::DeviceTableParse(core::kDeviceFilterAll), 1);
        sim::SimReset();
    }
    void TearDown() override {
        sim::SimReset();
        core::CoreStateReset();
        debugif::ResetDebugifState();
        platform::ResetServices();
    }
    // A fresh board of the named device-list row.
    static sim::SimTarget& Board(std::string_view name) {
        EXPECT_GT(sim::SimSelectDeviceNamed(name), 0) << name;
        return sim::Sim();
    }
};
