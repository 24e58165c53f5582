#pragma once
// Every core test starts from the start-up state and leaves it behind.

#include "core/core_state.h"
#include "platform/services.h"

#include <gtest/gtest.h>

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::CoreStateReset();
        platform::ResetServices();
    }
    void TearDown() override {
        core::CoreStateReset();
        platform::ResetServices();
    }
};
