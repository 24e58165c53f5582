// AUTO PROGRAM of a 60 KiB image (0x1000..0xFFFF) on the F149 through the
// library's own debug interface to the emulated adapter on a link paced
// at 460800 baud, the adapter powering the target, checksum and full
// verify. Counters: the seconds of a run, the wire bytes both ways and per
// image byte, the floor (the wire bytes at 46,080 bytes a second plus the
// fixed waits of the run: power-on 100 ms, finish 20 ms), the ratio of the
// run to the floor (goal 1.10 or less), and the CPU the calling thread
// used per second of the run (goal under 2 %). Reported, not asserted.

#include "api/api_state.h"
#include "api/library_start.h"
#include "core/core_state.h"
#include "core/settings.h"
#include "debugif/debugif_reset.h"
#include "platform/module_path.h"
#include "platform/services.h"
#include "quillcore.h"
#include "tests/api/procedure_paths.h"
#include "tests/support/link_bench.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace {

constexpr uint32_t kBaud = 460800;
constexpr double kFixedWaits = 0.100 + 0.020;
constexpr int32_t kImageStart = 0x1000;
constexpr int32_t kImageEnd = 0x10000; // exclusive: 60 KiB

void BM_ApiAutoProgram60K(benchmark::State& state) {
    api_test::PtyAdapter pty;
    std::string error;
    if (!pty.Start(&error, kBaud)) {
        state.SkipWithError(error.c_str());
        return;
    }
    testsupport::TempDir dir;
    core::CoreStateReset();
    platform::ResetServices();
    debugif::ResetDebugifState();
    api::LibraryStateReset();
    platform::SetProgramDirectoryOverride(dir.path().string());
    api::LibraryLoad();
    sim::EmuSelectDeviceNamed(pty.target(), "149");
    F_Check_KVU_access(0);
    F_Check_KVU_access(20010107);
    F_Initialization();
    F_SetConfig(1, static_cast<uint32_t>(sim::EmuSelectDeviceNamed(pty.target(), "149")));
    F_SetConfig(2, 1);  // the adapter powers the target
    F_SetConfig(30, 2); // direct
    core::Settings.VerifyModeIndex = 1;
    F_Clr_Code_Buffer();
    for (int32_t a = kImageStart; a < kImageEnd; ++a) {
        F_Put_Byte_to_Code_Buffer(a, static_cast<uint8_t>(a * 7 + (a >> 8)));
    }
    testsupport::LinkRunTotals totals;
    for (auto _ : state) {
        pty.adapter().ClearTrace();
        const double cpu0 = testsupport::ThreadCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        const int32_t r = F_AutoProgram(0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = testsupport::ThreadCpuSeconds() - cpu0;
        api_test::TakeReport();
        if (r != 1) {
            state.SkipWithError("AUTO PROGRAM failed");
            break;
        }
        totals.Add(seconds, cpu, pty.adapter().trace());
    }
    F_Close_All();
    testsupport::SetLinkCounters(state, totals, kImageEnd - kImageStart, kBaud, kFixedWaits);
}
BENCHMARK(BM_ApiAutoProgram60K)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
