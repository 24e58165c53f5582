// Writing a full code image (the whole 0x1000..0x45BFF window) in each format.

#include "core/code_image.h"
#include "core/code_line_parse.h"
#include "core/code_writer.h"
#include "core/core_state.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

void BM_WriteFullImage(benchmark::State& state) {
    core::CoreStateReset();
    for (int32_t i = 0; i < core::kImageSize; ++i) {
        core::Images.CodeImage.data[i] = static_cast<uint8_t>(i * 7);
        core::Images.CodeImage.used[i] = 1;
    }
    const int32_t format = static_cast<int32_t>(state.range(0));
    std::FILE* f = std::tmpfile();
    for (auto _ : state) {
        std::rewind(f);
        benchmark::DoNotOptimize(core::CodeFileWriteImage(format, f));
    }
    std::fclose(f);
    state.SetBytesProcessed(state.iterations() * core::kImageSize);
    core::CoreStateReset();
}
BENCHMARK(BM_WriteFullImage)
    ->Arg(core::kFormatTiTxt)
    ->Arg(core::kFormatMotorola)
    ->Arg(core::kFormatIntelHex)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
