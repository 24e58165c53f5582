// Host CPU time per kilobyte of the flash operations against the simulated
// target in process: what the core itself costs around each transfer (the
// simulated target's own work included), which must stay far below what a
// real adapter link takes per kilobyte.

#include "core/code_image.h"
#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_table.h"
#include "core/flash_erase.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"
#include "core/program_image.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "sim/sim_library.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

namespace {

using namespace core;

inline constexpr int32_t kStart = 0x10000;
inline constexpr int32_t kBytes = 64 * 1024;
inline constexpr int32_t kBlock = 4096; // eight segments per transfer
inline constexpr double kKilobytes = kBytes / 1024.0;

// A series-5 board identified, 64 KB of random code prepared and written once.
void SetUpTarget() {
    CoreStateReset();
    DeviceTableParse(kDeviceFilterAll);
    sim::SimReset();
    DebugApiUse(&sim::SimDebugApi());
    Settings.CommPortIndex = 3;
    sim::SimSelectDeviceNamed("5438");
    if (TargetPowerSet(1) != 1 || TargetIdentify() != 1) {
        std::abort();
    }
    std::mt19937 rng(7);
    for (int32_t a = kStart; a < kStart + kBytes; ++a) {
        Images.CodeImage.data[ImageIndex(a)] = static_cast<uint8_t>(rng());
        Images.CodeImage.used[ImageIndex(a)] = 1;
    }
    Images.CodeImageHasData = 1;
    if (ProgramImagePrepare(0, 0) != 1 || TargetEraseMain() != 1) {
        std::abort();
    }
    ProgramImageChecksum();
}

bool WriteImage() {
    bool ok = true;
    for (int32_t a = kStart; a < kStart + kBytes; a += kBlock) {
        ok = TargetWriteImageBlock(a, kBlock) == kWriteOk && ok;
    }
    return ok;
}

bool VerifyRanges() {
    bool ok = true;
    for (int32_t a = kStart; a < kStart + kBytes; a += 512) {
        ok = TargetVerifyRange(a, 512) == 1 && ok;
    }
    return ok;
}

void Report(benchmark::State& state, bool ok) {
    if (!ok) {
        state.SkipWithError("an operation failed");
    }
    // Seconds of CPU per kilobyte.
    state.counters["per_KB"] = benchmark::Counter(
        kKilobytes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_WriteAndVerifyChecksum(benchmark::State& state) {
    SetUpTarget();
    bool ok = true;
    for (auto _ : state) {
        // Programming by AND leaves the same data as it is: no erase needed.
        ok = WriteImage() && TargetVerifyChecksum() == 1 && ok;
        sim::Sim().Log().Clear();
    }
    Report(state, ok);
}
BENCHMARK(BM_WriteAndVerifyChecksum)->Unit(benchmark::kMillisecond);

void BM_Write(benchmark::State& state) {
    SetUpTarget();
    bool ok = true;
    for (auto _ : state) {
        ok = WriteImage() && ok;
        sim::Sim().Log().Clear();
    }
    Report(state, ok);
}
BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond);

void BM_VerifyChecksum(benchmark::State& state) {
    SetUpTarget();
    bool ok = WriteImage();
    for (auto _ : state) {
        ok = TargetVerifyChecksum() == 1 && ok;
        sim::Sim().Log().Clear();
    }
    Report(state, ok);
}
BENCHMARK(BM_VerifyChecksum)->Unit(benchmark::kMillisecond);

void BM_VerifyByReading(benchmark::State& state) {
    SetUpTarget();
    bool ok = WriteImage();
    for (auto _ : state) {
        ok = VerifyRanges() && ok;
        sim::Sim().Log().Clear();
    }
    Report(state, ok);
}
BENCHMARK(BM_VerifyByReading)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
