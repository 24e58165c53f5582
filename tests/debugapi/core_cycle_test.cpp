// The core's program-and-verify cycle (connect, erase keeping the
// calibration, erase and blank checks, block writes, checksum and read-back
// verify, read, a verify that must fail, reset, close) against this debug
// library over the emulated adapter gives what it gives against the
// in-process simulated library: every step's result, the error log and the
// flash left on the board.

#include "core/code_image.h"
#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/flash_read.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"
#include "core/memory_map.h"
#include "core/program_image.h"
#include "core/retained_data.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "debugif/debugif_reset.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"
#include "platform/services.h"
#include "sim/sim_library.h"
#include "tests/debugapi/core_cycle_run.h"
#include "tests/debugapi/debugapi_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace debugapi_test {
namespace {

using namespace core;

class CoreCycleTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        CoreStateReset();
        platform::ResetServices();
        debugif::ResetDebugifState();
    }
    void TearDown() override {
        sim::SimReset();
        CoreStateReset();
        debugif::ResetDebugifState();
        platform::ResetServices();
    }

    // Settings and images fresh, the prompts scripted (none expected).
    void Begin(const std::string& port) {
        Settings.Reset();
        Settings.CommPortIndex = 3;
        Settings.Selected_UIF = port;
        platform::SetPromptService(&prompts);
        ASSERT_EQ(DeviceTableParse(kDeviceFilterAll), 1);
    }

    platform::ScriptedPrompts prompts;
};

TEST_P(CoreCycleTest, GivesWhatTheSimulatedLibraryGives) {
    const std::string device = GetParam();

    Begin("COM0");
    sim::SimReset();
    ASSERT_GT(sim::SimSelectDeviceNamed(device), 0);
    DebugApiUse(&sim::SimDebugApi());
    const Outcome simulated = RunCycle({
        [](uint32_t a, uint32_t n) { return sim::Sim().PeekRange(a, n); },
        [](uint32_t a, const Bytes& b) { sim::Sim().PokeRange(a, b); },
    });
    ASSERT_EQ(simulated.device, "MSP430F" + device);
    // The cycle itself: nothing fails but the two verifies of the spoilt
    // board.
    for (const std::string& step : simulated.steps) {
        const bool spoilt = step.find("spoilt") != std::string::npos;
        const bool failed = step.size() > 4 && step.compare(step.size() - 4, 4, " = 0") == 0;
        EXPECT_EQ(failed, spoilt) << step;
    }
    EXPECT_TRUE(prompts.Transcript().empty());
    CoreStateReset();

    for (const Route route : {Route::kLibraryPty, Route::kInProcessHid}) {
        SCOPED_TRACE(RouteName(route));
        ApiBench b(route, device);
        ASSERT_TRUE(b.ok()) << b.error();
        Begin(b.Port());
        const Outcome adapter = RunCycle({
            [&](uint32_t a, uint32_t n) { return b.Peek(a, n); },
            [&](uint32_t a, const Bytes& bytes) { b.Poke(a, bytes); },
        });
        EXPECT_EQ(Difference(adapter, simulated), "");
        EXPECT_TRUE(prompts.Transcript().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Boards, CoreCycleTest, ::testing::Values("149", "2274", "5438"),
                         [](const auto& info) { return std::string("F") + info.param; });

} // namespace
} // namespace debugapi_test
