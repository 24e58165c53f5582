// Conversion speed for a builder-made file of about 1 MB.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "tests/ubrof/ubrof_builder.h"
#include "ubrof/convert.h"

namespace {

// Full data records under one address per 4 KB, with a checksum record and a
// little debug information now and then, as a linker writes them.
ubrof_test::UbrofBuilder MegabyteFile() {
    ubrof_test::UbrofBuilder file;
    file.Version(10, 0, 0, {{0xBE, 252}}).Module("bench");
    uint32_t address = 0x10000;
    while (file.bytes().size() < (1u << 20)) {
        file.Address(address);
        for (int i = 0; i < 16; ++i) {
            file.DataCount(255);
            address += 255;
        }
        file.DebugRecord(0xD5, ubrof_test::Bytes(24, 1)).Declared(0xBE, 252, 16);
        file.ValidChecksum();
    }
    return file;
}

void BM_UbrofFileConvert(benchmark::State& state) {
    const ubrof_test::UbrofBuilder file = MegabyteFile();
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
