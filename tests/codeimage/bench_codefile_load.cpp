// Load speed of a full 281,600-byte image in each code-file format, beside
// SRecord's srec_cat reading the same file into a binary (timed around the
// process, start-up included), and the ratio of the two rates.

#include "core/code_file_load.h"
#include "core/code_image.h"
#include "core/core_state.h"
#include "core/line_reader.h"
#include "platform/file.h"
#include "platform/process.h"
#include "tests/support/temp_dir.h"
#include "tests/ubrof/ubrof_sample_files.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kImageMegabytes = core::kImageSize / 1e6;

// The full window as random bytes, and the same image in every format.
class BenchFiles {
public:
    BenchFiles() {
        std::mt19937 rng(2024);
        std::vector<uint8_t> window(core::kImageSize);
        for (uint8_t& b : window) {
            b = static_cast<uint8_t>(rng());
        }
        testsupport::WriteFile(dir_.File("window.bin"), std::string(window.begin(), window.end()));
        const std::vector<std::pair<std::string, std::vector<std::string>>> outputs = {
            {"image.txt", {"-ti-txt"}},
            {"image.hex", {"-intel"}},
            {"image.s28", {"-motorola", "-address-length=3"}},
            {"image.s37", {"-motorola", "-address-length=4"}},
            {"image.a43", {"-intel"}},
        };
        for (const auto& [name, options] : outputs) {
            // A start address, so that srec_cat reads its own files back
            // without a warning.
            std::vector<std::string> argv{"srec_cat", "window.bin",
                                          "-binary",  "-offset",
                                          "0x1000",   "-execution-start-address=0x1000",
                                          "-o",       name};
            argv.insert(argv.end(), options.begin(), options.end());
            const platform::RunResult r = platform::RunAndWait(argv, dir_.path().string());
            if (!r.started || r.exitStatus != 0) {
                error_ = "srec_cat could not write " + name;
                return;
            }
        }
        ubrof_test::ImageFile(window, core::kImageStart).WriteFile(dir_.File("image.d43"));
    }

    std::string Path(const std::string& name) const { return dir_.File(name); }
    const std::string& error() const { return error_; }

private:
    testsupport::TempDir dir_;
    std::string error_;
};

const BenchFiles& Files() {
    static const BenchFiles files;
    return files;
}

// The best of three srec_cat runs reading the file into a binary, in MB of
// image per second; 0 when srec_cat does not run.
double SrecCatRate(const std::string& path, const std::string& inputFormat) {
    double best = 0;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const platform::RunResult r = platform::RunAndWait(
            {"srec_cat", path, inputFormat, "-o", path + ".bin", "-binary"}, "");
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!r.started || r.exitStatus != 0) {
            return 0;
        }
        best = std::max(best, kImageMegabytes / took.count());
    }
    std::remove((path + ".bin").c_str());
    return best;
}

void BM_CodeFileLoad(benchmark::State& state, const char* name, const char* srecFormat) {
    const BenchFiles& files = Files();
    if (!files.error().empty()) {
        state.SkipWithError(files.error().c_str());
        return;
    }
    const std::string path = files.Path(name);
    const int32_t format = core::CodeFileFormatFromExt(path.substr(path.rfind('.') + 1));
    core::CoreStateReset();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        platform::File file(path, platform::FileModeRead | platform::FileShareDenyWrite);
        core::LineReaderReset();
        if (core::CodeFileLoad(0, format, file.get(), path) != 1) {
            state.SkipWithError("the load failed");
            return;
        }
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (core::CodeImageUsedCount() != core::kImageSize) {
        state.SkipWithError("the image is not full");
        return;
    }
    state.counters["MB"] = benchmark::Counter(
        kImageMegabytes * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (srecFormat != nullptr) {
        // Side by side: the loader's rate over srec_cat's on the same file
        // (the goal is at least 3).
        const double srecCat = SrecCatRate(path, srecFormat);
        state.counters["srec_cat_MB/s"] = srecCat;
        const double ours =
            kImageMegabytes * static_cast<double>(state.iterations()) / took.count();
        state.counters["x_srec_cat"] = srecCat > 0 ? ours / srecCat : 0;
    }
}

BENCHMARK_CAPTURE(BM_CodeFileLoad, ti_txt, "image.txt", "-ti-txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CodeFileLoad, intel_hex, "image.hex", "-intel")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CodeFileLoad, motorola_s28, "image.s28", "-motorola")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CodeFileLoad, motorola_s37, "image.s37", "-motorola")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CodeFileLoad, a43_intel, "image.a43", "-intel")->Unit(benchmark::kMillisecond);
// srec_cat does not read UBROF files.
BENCHMARK_CAPTURE(BM_CodeFileLoad, ubrof_d43, "image.d43", nullptr)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
