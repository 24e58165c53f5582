// The history with 100,000 records: loading it and deriving the next SN
// (alone, and with the claims file beside it),
// appending to it, and reading a 10,000-entry SN list against it (each
// entry looked up without walking the history again); and one station's
// AUTO PROGRAM through the main window with a serial number, on a history
// that starts empty or with 100,000 records of the year before.

#include "core/core_state.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_list.h"
#include "platform/local_time.h"
#include "tests/serial/sn_station.h"
#include "tests/support/temp_dir.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

struct Files {
    testsupport::TempDir dir;
    std::string history = dir.File("history.sn");
    std::string list = dir.File("list.txt");
    Files() {
        std::string h;
        char line[128];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(line, sizeof line,
                          "F7 \t%08x \t. \t( Thu, Dec 10,2026, 11:14 ) \tblink.txt\r\n", i * 2);
            h += line;
        }
        testsupport::WriteFile(history, h);
        std::string l = "#SN_LIST\r\n#SN_SIZE 8\r\n";
        for (int i = 0; i < 10000; ++i) {
            std::snprintf(line, sizeof line, "%08x\r\n", i * 3); // every other one already used
            l += line;
        }
        testsupport::WriteFile(list, l);
    }
};

void Setup(const Files& f, int type) {
    core::CoreStateReset();
    gui::SerialNumber.Reset();
    core::Settings.Reset();
    core::Settings.SerializationEnable = 1;
    core::Settings.SNDispFormatIndex = type;
    core::Settings.SNMemFormatIndex = 0;
    core::Settings.Custom_SN_size = 8;
    core::Settings.SNFilePathAndName = f.history;
    sn_station::FixedLocalTime();
}

void BM_HistoryLoadAndNext(benchmark::State& state) {
    Files f;
    Setup(f, 6);
    for (auto _ : state) {
        gui::SerialNumberPrepareNext();
        benchmark::DoNotOptimize(gui::SerialNumber.SnCustomText);
    }
}
BENCHMARK(BM_HistoryLoadAndNext)->Unit(benchmark::kMillisecond);

// The same with the claims file such a history leaves beside it: one claim
// per record (each ended by its record), and a few of failed boards.
void BM_HistoryAndClaimsLoadAndNext(benchmark::State& state) {
    Files f;
    std::string claims;
    char line[96];
    for (int i = 0; i < 100100; ++i) {
        std::snprintf(line, sizeof line, "claim \tF7 \t%08x \tbench-1:4711\r\n", i * 2);
        claims += line;
    }
    testsupport::WriteFile(f.history + ".claims", claims);
    Setup(f, 6);
    for (auto _ : state) {
        gui::SerialNumberPrepareNext();
        benchmark::DoNotOptimize(gui::SerialNumber.SnCustomText);
    }
}
BENCHMARK(BM_HistoryAndClaimsLoadAndNext)->Unit(benchmark::kMillisecond);

void BM_ListReadAgainstHistory(benchmark::State& state) {
    Files f;
    Setup(f, 7);
    for (auto _ : state) {
        gui::SerialNumber.SnHistoryText.clear();
        benchmark::DoNotOptimize(gui::SnListLoad(f.list));
    }
    state.counters["accepted"] = gui::SerialNumber.SnPendingList.accepted;
}
BENCHMARK(BM_ListReadAgainstHistory)->Unit(benchmark::kMillisecond);

void BM_Append(benchmark::State& state) {
    Files f;
    Setup(f, 6);
    gui::SerialNumberPrepareNext();
    gui::SerialNumber.SerialNumberText = "0badc0de";
    for (auto _ : state) {
        benchmark::DoNotOptimize(gui::SnHistoryAppend());
    }
}
BENCHMARK(BM_Append)->Unit(benchmark::kMicrosecond);

void BM_StationAutoProgram(benchmark::State& state) {
    const std::filesystem::path before = std::filesystem::current_path();
    testsupport::TempDir dir;
    const std::string history = dir.File("history.sn");
    std::string h;
    char line[128];
    for (int64_t i = 0; i < state.range(0); ++i) {
        std::snprintf(line, sizeof line,
                      "F0 \t2025%05d \t. \t( Wed, Dec 10,2025, 11:14 ) \ta.txt\r\n",
                      static_cast<int>(i % 65536));
        h += line;
    }
    testsupport::WriteFile(history, h);
    bool passed = true;
    {
        sn_station::Station station(dir.File("work"), history, 0, 0);
        sn_station::FixedLocalTime();
        const bool ran = station.Run([&](ui::Driver& d) {
            for (auto _ : state) {
                sn_station::Station::FreshBoard();
                passed = sn_station::Station::AutoProgram(d).passed && passed;
            }
        });
        passed = passed && ran;
    }
    std::filesystem::current_path(before);
    if (!passed) {
        state.SkipWithError("a run did not pass");
    }
}
BENCHMARK(BM_StationAutoProgram)
    ->Arg(0)
    ->Arg(100000)
    ->ArgName("records")
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
