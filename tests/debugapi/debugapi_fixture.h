#pragma once
// The debug API layer against the emulated adapter, by one of three
// routes: through the shared debug library loaded by the core's binding
// over a pseudo-terminal, or in process over the pseudo-terminal or the
// fake HID layer. The test talks to every route through one debug API
// table, as the core's target layer does.

#include "core/debug_api.h"
#include "platform/clock.h"
#include "tests/commands/commands_fixture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace debugapi_test {

using Bytes = std::vector<uint8_t>;

enum class Route { kLibraryPty, kInProcessPty, kInProcessHid };

std::string RouteName(Route route);

// A clock that stands still but for what a test adds and what a sleep
// takes (the sleep is real as well). The debug interface reads it only for
// the state-query throttle; the link's time-outs are the system's own.
class ManualClock : public platform::ClockSource {
public:
    uint64_t Counter() override { return now_ns_; }
    uint64_t Frequency() override { return 1000000000ull; }
    void SleepMs(uint32_t ms) override {
        platform::SystemClock().SleepMs(ms);
        Advance(ms);
    }
    void Advance(uint32_t ms) { now_ns_ += static_cast<uint64_t>(ms) * 1000000ull; }

private:
    uint64_t now_ns_ = 1000000000ull; // a whole second: millisecond steps stay exact
};

// The path of the shared debug library in the build.
std::string DebugLibraryPath();

class ApiBench {
public:
    // A board of the device-list row named device ("149", "2274", "5438")
    // on both emulated adapters. The library route loads the library by its
    // default name from the program's directory.
    ApiBench(Route route, const std::string& device, commands_test::BenchOptions options = {});
    ~ApiBench();
    ApiBench(const ApiBench&) = delete;
    ApiBench& operator=(const ApiBench&) = delete;

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    Route route() const { return route_; }
    const core::DebugApi& api() const { return *api_; }
    // "COM150" or "HID0001".
    std::string Port() const;
    // The emulated adapter this route talks to.
    commands_test::Emu& emu();
    // The last error number of the library in use.
    int32_t LastError() const;
    // In process, the debug interface reads this clock from now on; the
    // library keeps its own. False for the library.
    bool UseManualClock();
    ManualClock clock;

    // Initialise, supply 3 V, identify: 0 or the failing step's -1. The
    // emulator's trace is cleared afterwards.
    int32_t Connect(char* record = nullptr);

    // Bytes of the board, without flash rules.
    Bytes Peek(uint32_t address, uint32_t count);
    void Poke(uint32_t address, const Bytes& bytes);

    commands_test::Bench bench;

private:
    Route route_;
    const core::DebugApi* api_ = nullptr;
    core::DebugApi table_{};
    bool ok_ = false;
    std::string error_;
};

// count bytes of a pattern that differs from erased flash in every byte.
Bytes Pattern(size_t count, uint8_t seed);

} // namespace debugapi_test
