// Call-frame state: what data blocks inherit from their COMMON blocks is
// shared and remembered states are not copied, yet every block ends with the
// rules a plain replay of all its calls gives; and crafted files of many
// resources and records convert within a CPU-time and memory limit.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_debug_builder.h"
#include "tests/ubrof/ubrof_sample_files.h"
#include "ubrof/cfi_reader.h"
#include "ubrof/cfi_rule_stream.h"
#include "ubrof/convert.h"

using namespace ubrof;

namespace ubrof_test {
namespace {

// The plain model of the rules: whole tables, copied on every remember.
class PlainState : public CfiInstructionSink {
public:
    explicit PlainState(const CfiNamesBlock& names) : names_(names) {}

    void Op33() override { flag = true; }
    void Op34() override { flag = false; }
    void CfaRule(uint32_t frame, uint32_t resource, int32_t offset) override {
        SetCfa(frame, {1, resource, offset, {}});
    }
    void Op31(uint32_t frame) override { SetCfa(frame, {2, 0, 0, {}}); }
    void CfaExpression(uint32_t frame, const Expression& e) override {
        SetCfa(frame, {3, 0, 0, e});
    }
    void Op37(uint32_t frame) override {
        SetCfa(frame, {4, 0, 0, {}});
        const CfiFrame* f = names_.Frame(frame);
        if (f != nullptr && f->kind == 0) {
            const auto it = now.rules.find(f->resource);
            if (it != now.rules.end() && it->second.holdsFrameValue && it->second.frame == frame) {
                now.rules.erase(it);
            }
        }
    }
    void Undefined(uint32_t r) override { now.rules[r] = Rule(2); }
    void SameValue(uint32_t r) override { now.rules[r] = Rule(3); }
    void Offset(uint32_t r, uint32_t frame, int32_t offset) override {
        CfiRule rule = Rule(1);
        rule.frame = frame;
        rule.offset = offset;
        now.rules[r] = rule;
    }
    void Register(uint32_t r, uint32_t holder) override {
        CfiRule rule = Rule(4);
        rule.holder = holder;
        now.rules[r] = rule;
    }
    void Restore(uint32_t r) override { now.rules[r] = Rule(5); }
    void RuleExpression(uint32_t r, const Expression& e) override {
        CfiRule rule = Rule(6);
        rule.expression = e;
        now.rules[r] = rule;
    }
    void RememberState() override { saved.push_back(now); }
    void RestoreState() override {
        if (!saved.empty()) {
            now = saved.back();
            saved.pop_back();
        }
    }
    void Advance(uint32_t) override {}

    struct Tables {
        std::map<uint32_t, CfiRule> rules;
        std::map<uint32_t, CfiCfaRule> cfa;
    };
    Tables now;
    std::vector<Tables> saved;
    bool flag = false;

private:
    static CfiRule Rule(int kind) {
        CfiRule rule;
        rule.kind = kind;
        return rule;
    }
    void SetCfa(uint32_t frame, CfiCfaRule rule) {
        const bool value = rule.kind == 1 || rule.kind == 3;
        now.cfa[frame] = rule;
        const CfiFrame* f = names_.Frame(frame);
        if (value && f != nullptr && f->kind == 0) {
            CfiRule held;
            held.frame = frame;
            held.holdsFrameValue = true;
            now.rules[f->resource] = held;
        }
    }
    const CfiNamesBlock& names_;
};

std::string Text(const CfiRule& r) {
    return std::to_string(r.kind) + "/" + std::to_string(r.frame) + "/" + std::to_string(r.offset) +
           "/" + std::to_string(r.holder) + "/" + std::to_string(r.holdsFrameValue) + "/" +
           (r.expression ? "e" : "-");
}

std::string Text(const CfiCfaRule& r) {
    return std::to_string(r.kind) + "/" + std::to_string(r.resource) + "/" +
           std::to_string(r.offset) + "/" + (r.expression ? "e" : "-");
}

constexpr uint32_t kResources = 6;
constexpr uint32_t kFrames = 2;

// Random instructions over six resources and two frames (frame 0 lies on
// resource 1), with remembers and restores; restores of the initial rules
// only where a COMMON block is there to give them.
Bytes RandomOps(std::mt19937& rng, int count, bool restores) {
    CfiOps ops;
    const auto pick = [&rng](uint32_t n) { return static_cast<uint8_t>(rng() % n); };
    for (int i = 0; i < count; ++i) {
        switch (pick(restores ? 14 : 12)) {
        case 0:
            ops.Offset(pick(kResources), pick(4));
            break;
        case 1:
            ops.Undefined(pick(kResources));
            break;
        case 2:
            ops.SameValue(pick(kResources));
            break;
        case 3:
            ops.Register(pick(kResources), pick(kResources));
            break;
        case 4:
            ops.DefCfa(pick(kResources), pick(4));
            break;
        case 5:
            ops.FrameCfaOffset(pick(kFrames), pick(4));
            break;
        case 6:
            ops.Op37(pick(kFrames));
            break;
        case 7:
            ops.Op31(pick(kFrames));
            break;
        case 8:
            ops.Remember();
            break;
        case 9:
            ops.RestoreState();
            break;
        case 10:
            pick(2) == 0 ? ops.Op33() : ops.Op34();
            break;
        case 11:
            ops.RuleExpression(pick(kResources), DwOp().Reg(1));
            break;
        case 12:
            ops.Restore(pick(kResources));
            break;
        default:
            ops.RestoreExtended(pick(kResources));
            break;
        }
    }
    return ops.bytes();
}

TEST(CfiFrameState, SharedStartsAndLoggedRestoresGiveThePlainReplaysRules) {
    std::mt19937 rng(31);
    const TaggedAddress at(3, 0, 0);
    int checked = 0;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        OgUbrofCfi cfi;
        cfi.Read(CfiNamesBody(0, {{0, 1, 0, ""}, {1, 0, 0, "F"}},
                              {{"PC"}, {"SP"}, {"R4"}, {"R5"}, {"R6"}, {"R7"}}),
                 at);
        CfiCommonSpec common;
        common.flags = rng() % 4;
        common.instructions = RandomOps(rng, static_cast<int>(rng() % 12), false);
        cfi.Read(CfiCommonBody(common), at);
        uint64_t id = 0;
        if (rng() % 2 == 0) {
            cfi.Read(CfiDerivedCommonBody(1, 0, rng() % 4, 0,
                                          RandomOps(rng, static_cast<int>(rng() % 8), false)),
                     at);
            id = 1;
        }
        // Several data blocks on one COMMON block share its start.
        for (int block = 0; block < 3; ++block) {
            const CountedHandle<CfiDataBlock> data = cfi.Read(
                CfiDataBody(id, 0, 0, RandomOps(rng, static_cast<int>(rng() % 30), true)), at);
            ASSERT_TRUE(data);
            PlainState plain(*cfi.NamesBlock(0));
            data->Common().ReplayInitialRules(plain);
            CfiRuleReplay(data->Rows()).All(plain);
            const CfiFrameStateBuilder& state = data->State();
            for (uint32_t r = 0; r < kResources; ++r) {
                const auto it = plain.now.rules.find(r);
                EXPECT_EQ(Text(state.Rule(r)),
                          Text(it == plain.now.rules.end() ? CfiRule() : it->second))
                    << "resource " << r;
            }
            for (uint32_t f = 0; f < kFrames; ++f) {
                const auto it = plain.now.cfa.find(f);
                EXPECT_EQ(Text(state.Cfa(f)),
                          Text(it == plain.now.cfa.end() ? CfiCfaRule() : it->second))
                    << "frame " << f;
            }
            EXPECT_EQ(state.RememberedStates(), plain.saved.size());
            EXPECT_EQ(state.Flag(), plain.flag);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 1200);
}

// Runs the conversion in a child process under a CPU-time limit and, where
// no sanitizer reserves address space of its own, a memory limit; the child
// says by its exit status whether the result was the expected one.
int ConvertLimited(const std::string& path, const std::string& refusal) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr bool kLimitMemory = false;
    constexpr rlim_t kCpuSeconds = 30;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
    constexpr bool kLimitMemory = false;
    constexpr rlim_t kCpuSeconds = 30;
#else
    constexpr bool kLimitMemory = true;
    constexpr rlim_t kCpuSeconds = 2;
#endif
#else
    constexpr bool kLimitMemory = true;
    constexpr rlim_t kCpuSeconds = 2;
#endif
    const pid_t child = fork();
    if (child == 0) {
        const rlimit cpu{kCpuSeconds, kCpuSeconds};
        setrlimit(RLIMIT_CPU, &cpu);
        if (kLimitMemory) {
            // Heap and data of the whole test process, what it held before
            // included.
            const rlim_t bytes = rlim_t{256} << 20;
            const rlimit data{bytes, bytes};
            setrlimit(RLIMIT_DATA, &data);
        }
        std::string text;
        std::string reason;
        int status = 3;
        try {
            const int32_t result = UbrofFileConvert(path, text, reason);
            const bool expected =
                refusal.empty() ? result == 1 && !text.empty() : result == 0 && reason == refusal;
            status = expected ? 0 : 2;
        } catch (...) {
            status = 4; // out of memory
        }
        _exit(status);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        return -1;
    }
    if (WIFSIGNALED(status)) {
        return 100 + WTERMSIG(status); // SIGXCPU (24) or SIGKILL (9): over the time limit
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CfiLimits, CraftedFilesConvertWithinACpuTimeAndMemoryLimit) {
    for (const CraftedFile& crafted : CraftedCfiFiles()) {
        SCOPED_TRACE(crafted.name);
        ASSERT_LT(crafted.file.bytes().size(), 100000u);
        TempFile file(crafted.file.bytes(), crafted.name);
        const int status = ConvertLimited(file.path(), crafted.refusal);
        EXPECT_EQ(status, 0)
            << "0 expected result, 2 other result, 4 out of memory, 1xx killed by signal xx";
        if (status == 2) {
            std::string text;
            std::string reason;
            ADD_FAILURE() << UbrofFileConvert(file.path(), text, reason) << " " << reason;
        }
    }
}

// Close to 1 MB of call-frame records, each kept under its own address, over
// the largest names block: within the same limits.
TEST(CfiLimits, AMegabyteOfDataBlocksConvertsWithinTheLimits) {
    UbrofBuilder file;
    file.Version(10).Module("crafted").Address(0x10000);
    CfiVersionedNamesSpec names;
    names.frames = {{0, 1, 0, ""}};
    names.resources.assign(65536, CfiResourceSpec(""));
    file.DebugRecord(0xD4, CfiVersionedNamesBody(names));
    CfiCommonSpec common;
    common.flags = 2;
    common.instructions = CfiOps().DefCfa(1, 1).Remember().Offset(0, 1);
    file.DebugRecord(0xD4, CfiCommonBody(common));
    const Bytes block = CfiDataBody(0, 0, 0, CfiOps().Offset(3, 1).RestoreState().Restore(0));
    while (file.bytes().size() < 1000000) {
        file.Data({0x5A}).DebugRecord(0xD4, block);
    }
    file.ValidChecksum().End();
    TempFile temp(file.bytes(), "megabyte_cfi");
    EXPECT_EQ(ConvertLimited(temp.path(), ""), 0)
        << "0 expected result, 2 other result, 4 out of memory, 1xx killed by signal xx";
}

} // namespace
} // namespace ubrof_test
