// sn_station: one serializing station as a program of its own, for the
// test of stations that share one SN history (sn_stations_test.cpp). It
// runs AUTO PROGRAM through Quillbay's main window (headless, the simulated
// F149 in process, a fresh blank board each run, SN type 0 HEX at 0xF000)
// again and again, some runs failing on the board before or after the SN
// went onto it, and after each run writes one line to stdout:
//   PASS <SN on the board>     the run passed
//   FAIL <SN on the board>     the run failed, the board carries that SN
//   FAIL -                     the run failed, the board carries no SN
//
//   sn_station --work DIR --history FILE [--seed N] [--runs N] [--no-lock]
//
// --runs 0 (the default) runs until the program is killed; --no-lock takes
// no lock (a station without it), to show what the lock guards.

#include "tests/serial/sn_station.h"

#include "platform/file_lock.h"
#include "sim/sim_library.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char** argv) {
    std::string work, history;
    uint32_t seed = 1;
    long runs = 0;
    bool noLock = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--work") {
            work = value;
            ++i;
        } else if (a == "--history") {
            history = value;
            ++i;
        } else if (a == "--seed") {
            seed = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
            ++i;
        } else if (a == "--runs") {
            runs = std::strtol(value, nullptr, 10);
            ++i;
        } else if (a == "--no-lock") {
            noLock = true;
        } else {
            std::fprintf(stderr, "sn_station: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    if (work.empty() || history.empty()) {
        std::fprintf(stderr, "usage: sn_station --work DIR --history FILE [--seed N] "
                             "[--runs N] [--no-lock]\n");
        return 2;
    }
    sn_station::Station station(work, history, 0, 0);
    platform::SetFileLocksSkipped(noLock);
    std::mt19937 random(seed);
    const bool ran = station.Run([&](ui::Driver& d) {
        for (long run = 0; runs == 0 || run < runs; ++run) {
            sn_station::Station::FreshBoard();
            sim::Sim().ClearFaults();
            const uint32_t draw = random() % 16;
            if (draw == 0) {
                // The board fails before the SN could reach it.
                sim::Sim().FailOperation("MSP430_Erase", 5, 1);
            } else if (draw == 1) {
                // The verify fails once the SN is on the board.
                sim::Sim().FailOperation("MSP430_VerifyMem", 5);
            } else if (draw == 2) {
                // A memory access fails somewhere in the run: at the label
                // read, while writing, or while verifying.
                sim::Sim().FailOperation("MSP430_Memory", 5, 1,
                                         static_cast<int32_t>(random() % 24));
            }
            const sn_station::Board board = sn_station::Station::AutoProgram(d);
            std::printf("%s %s\n", board.passed ? "PASS" : "FAIL",
                        board.sn.empty() ? "-" : board.sn.c_str());
            std::fflush(stdout);
        }
    });
    return ran ? 0 : 1;
}
