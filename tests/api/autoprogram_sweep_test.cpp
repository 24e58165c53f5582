// AUTO PROGRAM under every fault the link and the target can give, one at
// a time: a spoiled reply or bulk answer at every index of a clean run over
// the pseudo-terminal, a failed write, erase or read at every segment of
// the image, and on the in-process road a failure at every entry call.
// Whatever happens, a run never reports success with flash that differs
// from the image, a run that does not pass says so in its last line, and a
// clean run afterwards passes.

#include "core/settings.h"
#include "debugif/link_timing.h"
#include "tests/api/procedure_paths.h"

#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace api_test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kMainStart = 0xE000;
constexpr uint32_t kInfo = 0x1000;

struct Image {
    Bytes main = Bytes(2048);
    Bytes info = Bytes(32);
    Image() {
        for (size_t i = 0; i < main.size(); ++i) {
            main[i] = static_cast<uint8_t>(i * 11 + 1);
        }
        for (size_t i = 0; i < info.size(); ++i) {
            info[i] = static_cast<uint8_t>(0xA0 + i);
        }
    }
    void Load() const {
        F_Clr_Code_Buffer();
        for (size_t i = 0; i < main.size(); ++i) {
            F_Put_Byte_to_Code_Buffer(static_cast<int32_t>(kMainStart + i), main[i]);
        }
        for (size_t i = 0; i < info.size(); ++i) {
            F_Put_Byte_to_Code_Buffer(static_cast<int32_t>(kInfo + i), info[i]);
        }
    }
    bool On(sim::SimTarget& t) const {
        return t.PeekRange(kMainStart, static_cast<uint32_t>(main.size())) == main &&
               t.PeekRange(kInfo, static_cast<uint32_t>(info.size())) == info;
    }
};

bool EndsAsNotPassed(const std::string& report) {
    return report.find(" --------------- FAILED !!! -----------------\r\n") != std::string::npos ||
           report.find("TERMINATED") != std::string::npos;
}

// Parameters: the road, then what the test makes of the rest.
template <class P> class SweepBase : public RoadFixture<P> {
protected:
    void Start(Road road) {
        this->Up(road);
        // A missing answer costs a tenth of a second, not seconds, and still
        // leaves a sanitizer build on a busy machine time for a slow one.
        debugif::LinkTiming.serial_read_total_ms = 150;
        debugif::LinkTiming.serial_read_interval_ms = 50;
        debugif::LinkTiming.quiet_gap_ms = 30;
        debugif::LinkTiming.quiet_limit_ms = 400;
        debugif::LinkTiming.bootloader_probe_delay_ms = 1;
        this->Ready("149");
        core::Settings.VerifyModeIndex = 1; // checksum and full verify
        image.Load();
        ASSERT_EQ(F_AutoProgram(0), 1) << TakeReport();
        TakeReport();
    }
    void TearDown() override {
        RoadFixture<P>::TearDown();
        debugif::LinkTiming.Reset();
    }

    // One faulty run, then a clean one. Failures name the fault.
    void FaultyThenClean(const std::string& what, const std::function<void()>& clearFaults) {
        // Other bytes before, so a run that passes must have written.
        this->Target().PokeRange(kMainStart, Bytes(16, 0x00));
        const int32_t r = F_AutoProgram(0);
        const std::string report = TakeReport();
        clearFaults();
        if (r == 1) {
            EXPECT_TRUE(image.On(this->Target())) << what << ": passed with flash unlike the image";
        } else {
            EXPECT_TRUE(EndsAsNotPassed(report)) << what << ": result " << r << "\n" << report;
        }
        EXPECT_EQ(F_AutoProgram(0), 1) << what << ": the clean run after\n"
                                       << TakeReport() << "\nafter the faulty run:\n"
                                       << report;
        EXPECT_TRUE(image.On(this->Target())) << what;
        TakeReport();
    }

    Image image;
};

// Segment starts the image touches.
std::vector<uint32_t> ImageSegments() {
    std::vector<uint32_t> starts;
    for (uint32_t a = kMainStart; a < kMainStart + 2048; a += 512) {
        starts.push_back(a);
    }
    starts.push_back(kInfo);
    return starts;
}

// Spoils of the emulated link, each at every index of a clean run.
struct Spoil {
    const char* name;
    void (*set)(sim::EmuFaults&);
    bool bulk;
};

const Spoil kSpoils[] = {
    {"drop", [](sim::EmuFaults& f) { f.drop = 1; }, false},
    {"cut", [](sim::EmuFaults& f) { f.cut = 1; }, false},
    {"corrupt", [](sim::EmuFaults& f) { f.corrupt = 1; }, false},
    {"wrong_id", [](sim::EmuFaults& f) { f.wrong_id = 1; }, false},
    {"unknown_status", [](sim::EmuFaults& f) { f.unknown_status = 1; }, false},
    {"wrong_length", [](sim::EmuFaults& f) { f.wrong_length = 1; }, false},
    {"bulk_error", [](sim::EmuFaults& f) { f.bulk_error = 1; }, true},
    {"bulk_wrong_block", [](sim::EmuFaults& f) { f.bulk_wrong_block = 1; }, true},
};
constexpr int kSpoilCount = static_cast<int>(std::size(kSpoils));
constexpr int kShards = 3; // each spoil's indices in three tests, each well inside its time

class LinkSweepTest : public SweepBase<std::tuple<int, int>> {};

TEST_P(LinkSweepTest, EverySpoilAtEveryIndex) {
    const Spoil& spoil = kSpoils[std::get<0>(GetParam())];
    const int shard = std::get<1>(GetParam());
    Start(Road::Pty);
    sim::EmuAdapter& adapter = pty->adapter();
    // How many replies and bulk answers a clean run has.
    adapter.ClearTrace();
    ASSERT_EQ(F_AutoProgram(0), 1);
    TakeReport();
    const sim::EmuTrace clean = adapter.trace();
    const size_t count = spoil.bulk ? clean.bulk_blocks.size() : clean.requests.size();
    ASSERT_GT(count, 0u) << spoil.name;
    for (size_t k = static_cast<size_t>(shard); k < count; k += kShards) {
        sim::EmuFaults f;
        spoil.set(f);
        f.skip = static_cast<uint32_t>(k);
        adapter.SetFaults(f);
        FaultyThenClean(std::string(spoil.name) + " at " + std::to_string(k),
                        [&] { adapter.SetFaults({}); });
    }
}

INSTANTIATE_TEST_SUITE_P(Spoils, LinkSweepTest,
                         ::testing::Combine(::testing::Range(0, kSpoilCount),
                                            ::testing::Range(0, kShards)),
                         [](const auto& info) {
                             return std::string(kSpoils[std::get<0>(info.param)].name) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

// Write, erase and read faults of the target at each segment of the image,
// on both roads.
class TargetFaultSweepTest : public SweepBase<Road> {};

TEST_P(TargetFaultSweepTest, AtEverySegment) {
    Start(GetParam());
    struct Kind {
        const char* name;
        void (sim::SimTarget::*fail)(uint32_t, int32_t);
    };
    const Kind kinds[] = {{"write", &sim::SimTarget::FailWriteAt},
                          {"erase", &sim::SimTarget::FailEraseAt},
                          {"read", &sim::SimTarget::FailReadAt}};
    for (const Kind& kind : kinds) {
        for (const uint32_t start : ImageSegments()) {
            for (const int32_t times : {1, -1}) {
                (Target().*kind.fail)(start, times);
                FaultyThenClean(std::string(kind.name) + " at " + std::to_string(start) +
                                    " times " + std::to_string(times),
                                [&] { Target().ClearFaults(); });
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, TargetFaultSweepTest, ::testing::Values(Road::InProcess, Road::Pty),
                         RoadName);

// The in-process road: each entry of the simulated library fails at each
// of its calls in a clean run.
class EntrySweepTest : public SweepBase<int> {};

TEST_P(EntrySweepTest, AtEveryCall) {
    Start(Road::InProcess);
    sim::Sim().Log().Clear();
    ASSERT_EQ(F_AutoProgram(0), 1);
    TakeReport();
    std::map<std::string, int32_t> calls;
    for (const sim::SimCall& call : sim::Sim().Log().Calls()) {
        ++calls[call.entry];
    }
    ASSERT_FALSE(calls.empty());
    int n = 0;
    for (const auto& [name, count] : calls) {
        if (n++ % kShards != GetParam()) {
            continue;
        }
        for (int32_t k = 0; k < count; ++k) {
            sim::Sim().FailOperation(name, 11, 1, k);
            FaultyThenClean(name + " call " + std::to_string(k), [] { sim::Sim().ClearFaults(); });
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, EntrySweepTest, ::testing::Range(0, kShards));

} // namespace
} // namespace api_test
