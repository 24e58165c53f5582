#pragma once
// The library on either of its two roads to a simulated target: in process
// over the simulated debug library, or through its own debug interface over
// a pseudo-terminal to the emulated adapter served in this process (so the
// test sees the emulator's flash). Both start as a fresh library with the
// clock that never waits.

#include "sim/emu_adapter.h"
#include "sim/emu_board.h"
#include "sim/emu_pty.h"
#include "sim/emu_target_handler.h"
#include "tests/api/api_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>

namespace api_test {

enum class Road { InProcess, Pty };

inline std::string RoadName(const ::testing::TestParamInfo<Road>& info) {
    return info.param == Road::InProcess ? "InProcess" : "Pty";
}

// The emulated adapter on a pseudo-terminal, registered as COM7.
class PtyAdapter {
public:
    PtyAdapter() {
        std::filesystem::create_directory(dir_.path() / "adapters");
        ::setenv("QUILL_EMULATED_ADAPTERS", dir_.File("adapters").c_str(), 1);
    }
    ~PtyAdapter() {
        server_.Stop();
        ::unsetenv("QUILL_EMULATED_ADAPTERS");
    }
    // baud 0: an unpaced link.
    bool Start(std::string* error, uint32_t baud = 0) {
        server_.SetBaud(baud);
        return server_.Start(dir_.File("adapters"), "COM7", error);
    }
    sim::SimTarget& target() { return target_; }
    sim::EmuAdapter& adapter() { return adapter_; }

private:
    testsupport::TempDir dir_;
    sim::SimTarget target_;
    sim::EmuTargetHandler handler_{target_};
    sim::EmuAdapter adapter_{handler_, sim::EmuLink::kSerial};
    sim::EmuPtyServer server_{adapter_};
};

// A fresh library on the road given to Up, with parameters P.
template <class P> class RoadFixture : public ::testing::TestWithParam<P> {
protected:
    void Up(Road road) {
        if (road == Road::InProcess) {
            LibraryUp(dir.path().string());
        } else {
            pty = std::make_unique<PtyAdapter>();
            std::string error;
            ASSERT_TRUE(pty->Start(&error)) << error;
            core::CoreStateReset();
            platform::ResetServices();
            debugif::ResetDebugifState();
            sim::SimReset();
            api::LibraryStateReset();
            platform::SetProgramDirectoryOverride(dir.path().string());
            api::LibraryLoad();
        }
        platform::SetClockSource(&clock);
    }
    void TearDown() override {
        F_Close_All();
        LibraryDown();
        pty.reset();
    }

    // The simulated target behind the road.
    sim::SimTarget& Target() { return pty ? pty->target() : sim::Sim(); }

    // The first adapter listed selected, the library initialised, the
    // device row named name selected on the library and on the board, the
    // adapter powering the target, procedures run directly.
    void Ready(std::string_view name = "149") {
        ASSERT_GE(F_Check_KVU_access(0), 1);
        const int32_t id = F_Check_KVU_access(1);
        ASSERT_EQ(F_Check_KVU_access(id), id);
        ASSERT_EQ(F_Initialization(), 1);
        int32_t row = 0;
        if (pty) {
            row = sim::EmuSelectDeviceNamed(pty->target(), name);
        } else {
            row = sim::SimSelectDeviceNamed(name);
        }
        ASSERT_GT(row, 0) << name;
        ASSERT_EQ(F_SetConfig(1, static_cast<uint32_t>(row)), 1);
        ASSERT_EQ(F_SetConfig(2, 1), 1);
        ASSERT_EQ(F_SetConfig(30, 2), 1);
        TakeReport();
    }

    testsupport::TempDir dir;
    StepClock clock;
    std::unique_ptr<PtyAdapter> pty;
};

class RoadTest : public RoadFixture<Road> {
protected:
    void SetUp() override { Up(GetParam()); }
};

// The report with the run time of its DONE line masked.
inline std::string Masked(const std::string& report) {
    static const std::regex runTime("run time = *[0-9]+\\.[0-9] sec\\.");
    return std::regex_replace(report, runTime, "run time = X sec.");
}

} // namespace api_test
