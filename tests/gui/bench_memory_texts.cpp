// The viewer texts over a whole F5438: every byte of the window defined in
// the code, read back, and in a second file that differs every 97th byte.

#include "core/code_image.h"
#include "core/core_state.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/memory_map.h"
#include "core/settings.h"
#include "gui/memory_texts.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// False when the device list has no F5438.
bool FullF5438() {
    static bool ready = false;
    if (ready) {
        return core::Settings.SelectedProcessorIndex != 0;
    }
    ready = true;
    core::CoreStateReset();
    core::DeviceTableParse(core::kDeviceFilterAll);
    for (int32_t r = 1; r <= core::DeviceInfoTable.count; ++r) {
        std::string name(core::DeviceInfoTable.records[r].name);
        name.erase(name.find_last_not_of(' ') + 1);
        if (name == "5438") {
            core::Settings.SelectedProcessorIndex = r;
            break;
        }
    }
    core::DeviceSelectByIndex();
    core::ImagesState& images = core::Images;
    for (int32_t i = 0; i < core::kImageSize; ++i) {
        const auto b = static_cast<uint8_t>(i * 31 + 7);
        images.CodeImage.data[i] = b;
        images.CodeImage.used[i] = 1;
        images.ProgramImage.data[i] = i % 97 == 0 ? static_cast<uint8_t>(b + 1) : b;
        images.ProgramImage.used[i] = 1;
        images.ReadImage[i] = i % 89 == 0 ? 0xFF : b;
    }
    for (int32_t w = 0; w < core::kMaskSize; ++w) {
        images.ReadMask[w] = 1;
    }
    // The flash view walks the identified map; here the selected one stands for it.
    core::ConnectedDevice.mainStart = core::SelectedDevice.flashStart;
    core::ConnectedDevice.flashEnd = core::SelectedDevice.flashEnd;
    core::MemoryMap.active = core::MemoryMap.selected;
    return core::Settings.SelectedProcessorIndex != 0;
}

void BM_CodeDumpText(benchmark::State& state) {
    if (!FullF5438()) {
        state.SkipWithError("no F5438 in the device list");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(gui::CodeDumpText(1));
    }
}
BENCHMARK(BM_CodeDumpText)->Unit(benchmark::kMillisecond);

void BM_FlashDumpText(benchmark::State& state) {
    if (!FullF5438()) {
        state.SkipWithError("no F5438 in the device list");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(gui::FlashDumpText(1));
    }
}
BENCHMARK(BM_FlashDumpText)->Unit(benchmark::kMillisecond);

void BM_CodeFlashCompareText(benchmark::State& state) {
    if (!FullF5438()) {
        state.SkipWithError("no F5438 in the device list");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(gui::CodeFlashCompareText());
    }
}
BENCHMARK(BM_CodeFlashCompareText)->Unit(benchmark::kMillisecond);

void BM_CodeFilesCompareText(benchmark::State& state) {
    if (!FullF5438()) {
        state.SkipWithError("no F5438 in the device list");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(gui::CodeFilesCompareText());
    }
}
BENCHMARK(BM_CodeFilesCompareText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
