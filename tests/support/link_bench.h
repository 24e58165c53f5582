#pragma once
// The figures of AUTO PROGRAM runs over the paced adapter link, counted the
// same way for the application and the library so that their benchmarks
// read side by side: wall time, wire bytes both ways and per image byte,
// the floor (the wire bytes at the line rate plus the run's fixed waits),
// wall / floor, and the calling thread's CPU against the wall.

#include "sim/emu_adapter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>

namespace testsupport {

inline double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct LinkRunTotals {
    double wall = 0;
    double cpu = 0;
    uint64_t toAdapter = 0;
    uint64_t fromAdapter = 0;
    int64_t runs = 0;

    void Add(double wallSeconds, double cpuSeconds, const sim::EmuTrace& trace) {
        wall += wallSeconds;
        cpu += cpuSeconds;
        toAdapter += trace.bytes_in;
        fromAdapter += trace.bytes_out;
        ++runs;
    }
};

// 8N1: ten bits a byte.
inline void SetLinkCounters(benchmark::State& state, const LinkRunTotals& t, double imageBytes,
                            uint32_t baud, double fixedWaitsSeconds) {
    if (t.runs == 0) {
        return;
    }
    const double n = static_cast<double>(t.runs);
    const double wire = static_cast<double>(t.toAdapter + t.fromAdapter) / n;
    const double floor = wire / (baud / 10.0) + fixedWaitsSeconds;
    state.counters["wall_s"] = t.wall / n;
    state.counters["wire_to_adapter"] = static_cast<double>(t.toAdapter) / n;
    state.counters["wire_from_adapter"] = static_cast<double>(t.fromAdapter) / n;
    state.counters["wire_per_image_byte"] = wire / imageBytes;
    state.counters["floor_s"] = floor;
    state.counters["wall_per_floor"] = (t.wall / n) / floor;
    state.counters["host_cpu_pct"] = 100.0 * t.cpu / t.wall;
}

} // namespace testsupport
