// Conversion speed for a builder-made file of about 1 MB.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_sample_files.h"
#include "ubrof/convert.h"

namespace {

void BM_UbrofFileConvert(benchmark::State& state) {
    const ubrof_test::UbrofBuilder file = ubrof_test::MegabyteFile();
    const std::string path = file.WriteFile(ubrof_test::TempPath("bench"));
    std::string text;
    for (auto _ : state) {
        if (UbrofFileConvert(path, text) != 1) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(file.bytes().size()));
    state.counters["file_bytes"] = static_cast<double>(file.bytes().size());
    std::remove(path.c_str());
}
BENCHMARK(BM_UbrofFileConvert)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
