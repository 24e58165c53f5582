// Conversion speed for a builder-made file of about 1 MB, and its ratio to
// the goal of 150 MB/s.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_sample_files.h"
#include "ubrof/convert.h"

using namespace ubrof;

namespace {

void BM_UbrofFileConvert(benchmark::State& state) {
    const ubrof_test::UbrofBuilder file = ubrof_test::MegabyteFile();
    const std::string path = file.WriteFile(ubrof_test::TempPath("bench"));
    std::string text;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (UbrofFileConvert(path, text) != 1) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(text.data());
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    // The rate over the goal of 150 MB/s (at least 1).
    state.counters["x_150MB/s"] = static_cast<double>(state.iterations()) *
                                  static_cast<double>(file.bytes().size()) / took.count() / 150e6;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(file.bytes().size()));
    state.counters["file_bytes"] = static_cast<double>(file.bytes().size());
    std::remove(path.c_str());
}
BENCHMARK(BM_UbrofFileConvert)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
