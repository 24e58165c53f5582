#include "tests/gui/actions_fixture.h"

#include "tests/support/debug_table_wrap.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace guitest {

CallWatchState CallWatch;

namespace {

// Counts the call; the one numbered failAt fails in the simulated library.
void Watch(const char* entry) {
    const int32_t n = CallWatch.count++;
    if (n == CallWatch.failAt) {
        sim::Sim().FailOperation(entry, CallWatch.error, 1);
    }
    if (CallWatch.onCall) {
        CallWatch.onCall(entry);
    }
}

// Every call that reaches the adapter counts; the error texts, the USB
// listing, registers, run, state and supply do not.
struct WatchHook {
    template <typename... Args> static void Before(const char* name, Args...) {
        static constexpr std::string_view kUncounted[] = {
            "MSP430_Error_Number",      "MSP430_Error_String",   "MSP430_GetNameOfUsbIf",
            "MSP430_GetNumberOfUsbIfs", "MSP430_RegisterAccess", "MSP430_RunCpu",
            "MSP430_CpuState",          "MSP430_ReadSupply"};
        if (std::find(std::begin(kUncounted), std::end(kUncounted), name) == std::end(kUncounted)) {
            Watch(name);
        }
    }
};

} // namespace

const core::DebugApi& WatchedSimApi() {
    static const core::DebugApi watched =
        testsupport::DebugTableWrap<WatchHook>::Make(NotedSimApi());
    return watched;
}

} // namespace guitest
