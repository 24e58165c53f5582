#pragma once
// One Qt application for the whole test program (offscreen), and the switch
// between the two back ends for tests that run on both.

#include "ui/backend.h"

#include <gtest/gtest.h>

namespace uitest {

enum class Back { Headless, Qt };

// The Qt back end the environment installed.
ui::Backend* QtBack();

inline const char* BackName(const ::testing::TestParamInfo<Back>& info) {
    return info.param == Back::Qt ? "Qt" : "Headless";
}

// Installs the back end of the test's parameter; Qt again afterwards.
class BothBackends : public ::testing::TestWithParam<Back> {
protected:
    void SetUp() override { ui::SetBackend(GetParam() == Back::Qt ? QtBack() : nullptr); }
    void TearDown() override { ui::SetBackend(QtBack()); }
    bool OnQt() const { return GetParam() == Back::Qt; }
};

} // namespace uitest
