// How long Quillbay takes from the start of main to the end of the main
// window's first paint: the Qt application, the artwork, the start-up load
// ("config.ini" selecting the emulated adapter), the debug library beside
// the programs opening the adapter, and the window drawn. Offscreen, "-nf"
// (no start-up picture). Goal: under 300 ms.

#include "core/core_state.h"
#include "debugif/debugif_reset.h"
#include "gui/artwork.h"
#include "gui/command_line.h"
#include "gui/gui_state.h"
#include "gui/main_dialog.h"
#include "platform/services.h"
#include "tests/gui/emulated_f149.h"
#include "ui/qt_app.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

// The main window that closes itself once its first paint has ended.
class TimedMainDialog : public gui::MainDialog {
public:
    Clock::time_point painted{};

protected:
    void OnPaint(ui::PaintContext& paint) override {
        gui::MainDialog::OnPaint(paint);
        if (painted == Clock::time_point{}) {
            painted = Clock::now();
            OnExit();
        }
    }
};

void BM_QuillbayReady(benchmark::State& state) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    guitest::EmulatedF149 emulated;
    if (!emulated.started()) {
        state.SkipWithError(emulated.error().c_str());
        return;
    }
    char program[] = "quillbay";
    char option[] = "-nf";
    for (auto _ : state) {
        core::CoreStateReset();
        gui::GuiStateReset();
        platform::ResetServices();
        debugif::ResetDebugifState();
        const Clock::time_point start = Clock::now();
        int argc = 2;
        char* argv[] = {program, option, nullptr};
        ui::qt::Application application(argc, argv);
        gui::ArtworkRegister();
        gui::CommandLine.CommandLineText =
            gui::CommandLineJoin(std::vector<std::string>(argv + 1, argv + argc));
        TimedMainDialog dialog;
        dialog.DoModal();
        state.SetIterationTime(std::chrono::duration<double>(dialog.painted - start).count());
    }
    core::CoreStateReset();
}
BENCHMARK(BM_QuillbayReady)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
