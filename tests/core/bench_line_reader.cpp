// Throughput of the line reader on a code-file-sized text, from a file and
// from memory, and of a full device-table parse.

#include "core/core_state.h"
#include "core/device_table.h"
#include "core/line_reader.h"
#include "core/number_parse.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// About 1 MB of TI-TXT-like lines.
std::string MakeText() {
    std::string text;
    char line[80];
    for (int i = 0; i < 20000; ++i) {
        std::snprintf(line, sizeof line,
                      "%02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X\r\n", i & 0xFF,
                      (i >> 8) & 0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
        text += line;
    }
    return text;
}

void BM_LineReadFromFile(benchmark::State& state) {
    const std::string text = MakeText();
    for (auto _ : state) {
        std::FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
        core::LineReaderReset();
        int64_t sum = 0;
        while (core::LineReadFromFile('l', f) != 0) {
            sum += core::TextParseHexByte(core::LineReader.line);
        }
        std::fclose(f);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LineReadFromFile);

void BM_LineReadFromText(benchmark::State& state) {
    const std::string text = MakeText();
    for (auto _ : state) {
        core::LineReader.textPos = 0;
        int64_t sum = 0;
        while (core::LineReadFromText('l', text) != 0) {
            sum += core::TextParseHexByte(core::LineReader.line);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LineReadFromText);

void BM_DeviceTableParse(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(core::DeviceTableParse(core::kDeviceFilterAll));
    }
}
BENCHMARK(BM_DeviceTableParse);

} // namespace

BENCHMARK_MAIN();
