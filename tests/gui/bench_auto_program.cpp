// AUTO PROGRAM of a 60 KiB F149 image (0x1100-0xFFFF) through the debug
// library beside the programs and the emulated adapter on a
// pseudo-terminal paced at 460800 baud (the link-rate model), Fast (checksum) and Standard
// (read-back) verify, the window headless. Reported per run: wall time, wire bytes both ways and
// per image byte, the floor (wire bytes at 460800 baud 8N1, 46,080 bytes/s, plus the fixed waits of
// a run), wall / floor (goal 1.10 or less) and the host CPU of the procedure's thread against the
// wall (goal under 2%).

#include "core/core_state.h"
#include "core/settings.h"
#include "debugif/debugif_reset.h"
#include "gui/artwork.h"
#include "gui/code_file_actions.h"
#include "gui/command_line.h"
#include "gui/gui_state.h"
#include "gui/main_dialog.h"
#include "gui/procedure_frame.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "tests/gui/emulated_f149.h"
#include "tests/support/link_bench.h"
#include "ui/test_session.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kBaud = 460800;
constexpr double kFixedWaitsSeconds = 0.100; // the connect step's supply settling
constexpr int32_t kImageStart = 0x1100;
constexpr int32_t kImageBytes = 0x10000 - kImageStart;

// The result sound is the operator's, not the run's.
class SilentSound final : public platform::SoundService {
public:
    bool PlayWave(const std::string&) override { return true; }
    void Beep(uint32_t, uint32_t) override {}
};

std::string Image() {
    std::string text = "@1100\n";
    char b[4];
    for (int32_t i = 0; i < kImageBytes; ++i) {
        std::snprintf(b, sizeof b, "%02X", static_cast<unsigned>((i * 13 + 7) & 0x7F));
        text += b;
        text += (i % 16 == 15) ? '\n' : ' ';
    }
    return text + "\nq\n";
}

void BM_AutoProgram(benchmark::State& state) {
    guitest::EmulatedF149 emulated(kBaud);
    if (!emulated.started()) {
        state.SkipWithError(emulated.error().c_str());
        return;
    }
    core::CoreStateReset();
    gui::GuiStateReset();
    platform::ResetServices();
    debugif::ResetDebugifState();
    gui::ArtworkRegister();
    SilentSound silent;
    platform::SetSoundService(&silent);
    testsupport::WriteFile(emulated.work().File("image.txt"), Image());
    ui::TestSession session(false); // the real clock: the waits are part of the run
    gui::CommandLine.CommandLineText = "-nf";
    testsupport::LinkRunTotals totals;
    bool passed = true;
    session.OnDialog(107, [&](ui::Driver& d) {
        gui::Frame.FirmwareUpdateOffer = 0;
        core::Settings.FlashEraseModeIndex = 1;
        core::Settings.VerifyModeIndex = static_cast<int32_t>(state.range(0));
        if (gui::CodeFileReadAndReport(0, emulated.work().File("image.txt")) != 1) {
            state.SkipWithError("image not loaded");
            d.Close();
            return;
        }
        for (auto _ : state) {
            emulated.adapter().ClearTrace();
            const Clock::time_point start = Clock::now();
            const double cpuStart = testsupport::ThreadCpuSeconds();
            d.Click(1001);
            const double cpu = testsupport::ThreadCpuSeconds() - cpuStart;
            totals.Add(std::chrono::duration<double>(Clock::now() - start).count(), cpu,
                       emulated.adapter().trace());
            passed = passed && d.Target().GetItemText(1026).find(" -------- D O N E ---") !=
                                   std::string::npos;
        }
        d.Close();
    });
    {
        gui::MainDialog dialog;
        dialog.DoModal();
    }
    platform::SetSoundService(nullptr);
    if (!passed) {
        state.SkipWithError("a run did not pass");
        return;
    }
    testsupport::SetLinkCounters(state, totals, kImageBytes, kBaud, kFixedWaitsSeconds);
}

BENCHMARK(BM_AutoProgram)
    ->Arg(2)
    ->Arg(1)
    ->ArgName("verify")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
