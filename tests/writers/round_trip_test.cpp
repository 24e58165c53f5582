// Every file the writers produce reads back into the same image, through our
// own loader and through an independent tool, SRecord's srec_cat.

#include "core/code_file_save.h"
#include "tests/writers/writers_fixture.h"

#include <random>
#include <string>
#include <vector>

namespace writers_test {
namespace {

using namespace core;

// A sparse image over the whole window: both ends, runs across the 64 KiB
// boundaries, odd lengths and single bytes; high enough reaches above 64 KiB.
ByteMap SparseImage(uint32_t seed, uint32_t high) {
    std::mt19937 rng(seed);
    const auto below = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    struct Run {
        uint32_t first;
        uint32_t length;
    };
    std::vector<Run> runs = {{0x1000, 1 + below(40)}, {high - 3, 3}};
    if (high > 0x10000) {
        runs.push_back({0xFFF0 - below(20), 40});
        runs.push_back({0x1FFFF, 2});
        runs.push_back({0x3FFF8 + below(8), 17});
    }
    for (int i = 0; i < 80; ++i) {
        runs.push_back({0x1000 + below(high - 0x1000), 1 + below(i % 4 == 0 ? 700 : 20)});
    }
    ByteMap m;
    for (const Run& r : runs) {
        for (uint32_t a = r.first; a < r.first + r.length && a < high; ++a) {
            m[a] = static_cast<uint8_t>(rng());
        }
    }
    return m;
}

class RoundTripTest : public WritersTest {
protected:
    static void Fill(const ByteMap& m) {
        CodeImageClear();
        for (const auto& [a, b] : m) {
            Put(a, b);
        }
    }

    // srec_cat's reading of path, as the defined bytes: the holes are filled
    // once with 0x00 and once with 0xFF, so a byte that differs is a hole.
    ByteMap SrecCatImage(const std::string& name, const char* format) {
        std::vector<std::vector<uint8_t>> images;
        for (const char* fill : {"0x00", "0xFF"}) {
            const std::string out = std::string("fill") + fill + ".bin";
            const std::vector<std::string> argv = {
                "srec_cat", name, format, "-fill", fill, "0x1000", "0x45C00", "-o", out, "-binary"};
            const platform::RunResult r = platform::RunAndWait(argv, dir_.path().string());
            EXPECT_TRUE(r.started) << "srec_cat is not installed (Debian package srecord)";
            EXPECT_EQ(r.exitStatus, 0) << "srec_cat refused " << name;
            const std::string bytes = testsupport::ReadFile(dir_.File(out));
            EXPECT_EQ(bytes.size(), 0x45C00u);
            images.emplace_back(bytes.begin(), bytes.end());
        }
        ByteMap m;
        if (images[0].size() != 0x45C00u || images[1].size() != 0x45C00u) {
            return m;
        }
        for (uint32_t a = 0x1000; a < 0x45C00; ++a) {
            if (images[0][a] == images[1][a]) {
                m[a] = images[0][a];
            }
        }
        return m;
    }
};

TEST_F(RoundTripTest, EveryFormatReadsBackIdentically) {
    struct Format {
        const char* name;
        const char* srecFormat;
    };
    const Format formats[] = {
        {"image.txt", "-ti-txt"},
        {"image.s19", "-motorola"},
        {"image.hex", "-intel"},
        // A ".a43" file holds Intel or Motorola records: what is saved under
        // that name must load back under it.
        {"image.a43", "-intel"},
    };
    for (uint32_t high : {0x10000u, 0x45C00u}) { // 16-bit records only, and the whole window
        for (uint32_t seed : {1u, 2u}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " high " << high);
            const ByteMap expected = SparseImage(seed, high);
            for (const Format& f : formats) {
                SCOPED_TRACE(f.name);
                Fill(expected);
                ASSERT_EQ(CodeFileSaveAs(dir_.File(f.name)), 1);
                CodeImageClear();
                ASSERT_EQ(LoadPath(dir_.File(f.name)), 1);
                EXPECT_EQ(Defined(Images.CodeImage), expected);
                const CodeLoadWarningFlags& w = CodeLoad.CodeLoadWarnings;
                EXPECT_EQ(w.dataInRom + w.dataInRam + w.dataOutsideFlash + w.dataOverwritten, 0);
                EXPECT_EQ(SrecCatImage(f.name, f.srecFormat), expected);
            }
        }
    }
}

TEST_F(RoundTripTest, AFullWindowReadsBack) {
    std::mt19937 rng(9);
    ByteMap expected;
    for (uint32_t a = 0x1000; a < 0x45C00; ++a) {
        expected[a] = static_cast<uint8_t>(rng());
    }
    for (const char* name : {"full.txt", "full.s28", "full.hex"}) {
        SCOPED_TRACE(name);
        Fill(expected);
        ASSERT_EQ(CodeFileSaveAs(dir_.File(name)), 1);
        CodeImageClear();
        ASSERT_EQ(LoadPath(dir_.File(name)), 1);
        EXPECT_EQ(Defined(Images.CodeImage), expected);
    }
}

} // namespace
} // namespace writers_test
