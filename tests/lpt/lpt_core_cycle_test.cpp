// The core's program-and-verify cycle over "LPT1": the parallel-port path
// on the fake JTAG target gives what the in-process simulated library
// gives, step by step, and leaves the same flash.

#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/settings.h"
#include "debugif/debugif_reset.h"
#include "debugif/in_process_api.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"
#include "platform/services.h"
#include "sim/sim_library.h"
#include "tests/debugapi/core_cycle_run.h"
#include "tests/lpt/lpt_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace lpt_test {
namespace {

using debugapi_test::Difference;
using debugapi_test::Outcome;
using debugapi_test::RunCycle;

class LptCoreCycleTest : public ::testing::TestWithParam<Board> {
protected:
    void SetUp() override {
        core::CoreStateReset();
        platform::ResetServices();
        debugif::ResetDebugifState();
    }
    void TearDown() override {
        sim::SimReset();
        core::CoreStateReset();
        debugif::ResetDebugifState();
        platform::ResetServices();
    }
    void Begin(int32_t port) {
        core::Settings.Reset();
        core::Settings.CommPortIndex = port;
        platform::SetPromptService(&prompts);
        ASSERT_EQ(core::DeviceTableParse(core::kDeviceFilterAll), 1);
    }
    platform::ScriptedPrompts prompts;
};

TEST_P(LptCoreCycleTest, GivesWhatTheSimulatedLibraryGives) {
    const Board board = GetParam();
    Begin(3);
    core::Settings.Selected_UIF = "COM0";
    sim::SimReset();
    ASSERT_GT(sim::SimSelectDeviceNamed(board.device), 0);
    core::DebugApiUse(&sim::SimDebugApi());
    const Outcome simulated = RunCycle({
        [](uint32_t a, uint32_t n) { return sim::Sim().PeekRange(a, n); },
        [](uint32_t a, const debugapi_test::Bytes& b) { sim::Sim().PokeRange(a, b); },
    });
    ASSERT_EQ(simulated.device, std::string("MSP430F") + board.device);
    core::CoreStateReset();

    LptBench b(board);
    ASSERT_TRUE(b.ok);
    Begin(0); // "LPT1"
    core::DebugApiUse(&debugif::InProcessDebugApi());
    const Outcome lpt = RunCycle({
        [&](uint32_t a, uint32_t n) { return b.target.PeekRange(a, n); },
        [&](uint32_t a, const debugapi_test::Bytes& bytes) { b.target.PokeRange(a, bytes); },
    });
    EXPECT_EQ(Difference(lpt, simulated), "");
    EXPECT_TRUE(prompts.Transcript().empty());
}

INSTANTIATE_TEST_SUITE_P(Boards, LptCoreCycleTest, ::testing::Values(kF149, kF2274, kF5438),
                         [](const auto& info) { return std::string("F") + info.param.device; });

} // namespace
} // namespace lpt_test
