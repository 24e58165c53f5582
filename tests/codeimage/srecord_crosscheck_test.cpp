// Code files written by an independent tool, SRecord's srec_cat, from one
// random sparse image: every format must load into exactly that image.

#include "core/code_image.h"
#include "core/code_store.h"
#include "platform/process.h"
#include "tests/codeimage/code_fixture.h"

#include <random>
#include <string>
#include <vector>

namespace codeimage_test {
namespace {

using namespace core;

struct Range {
    uint32_t first;
    uint32_t end; // exclusive, as srec_cat takes it
};

// Ranges over 0x1000..0x45BFF: both ends of the window, runs across the
// 64 KB boundaries, and random runs that may overlap.
std::vector<Range> SparseRanges(uint32_t seed) {
    std::mt19937 rng(seed);
    const auto below = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    std::vector<Range> ranges = {
        {0x1000, 0x1000 + 1 + below(64)},
        {0x45C00 - 1 - below(64), 0x45C00},
        {0xFFF0 - below(32), 0x10010 + below(32)},
        {0x1FFFF, 0x20001},
        {0x3FF00 + below(16), 0x40100},
    };
    for (int i = 0; i < 60; ++i) {
        const uint32_t first = 0x1000 + below(0x45C00 - 0x1000);
        const uint32_t length = 1 + below(i % 3 == 0 ? 2000 : 40);
        ranges.push_back({first, std::min<uint32_t>(first + length, 0x45C00)});
    }
    return ranges;
}

class SrecordCrossCheckTest : public CodeImageTest {
protected:
    // Runs srec_cat in the test folder; a missing tool fails the test.
    void SrecCat(const std::vector<std::string>& args) {
        std::vector<std::string> argv{"srec_cat"};
        argv.insert(argv.end(), args.begin(), args.end());
        const platform::RunResult r = platform::RunAndWait(argv, dir_.path().string());
        ASSERT_TRUE(r.started) << "srec_cat is not installed (Debian package srecord)";
        ASSERT_EQ(r.exitStatus, 0);
    }
};

TEST_F(SrecordCrossCheckTest, EveryFormatLoadsTheSameImage) {
    struct Format {
        const char* file;
        std::vector<std::string> options;
        bool below64k; // the format reaches 16-bit addresses only
    };
    const std::vector<Format> formats = {
        {"linear.hex", {"-intel"}, false},
        {"segmented.hex", {"-intel", "-address-length=3"}, false},
        {"long-lines.hex", {"-intel", "-obs=255"}, false},
        {"image.s19", {"-motorola", "-address-length=2"}, true},
        {"image.s28", {"-motorola", "-address-length=3"}, false},
        {"image.s37", {"-motorola", "-address-length=4", "-line-length=200"}, false},
        {"image.txt", {"-ti-txt"}, false},
        {"intel.a43", {"-intel"}, false},
        {"motorola.a43", {"-motorola", "-address-length=3"}, false},
    };
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed * 7919);
        std::string window(kImageSize, '\0');
        for (char& c : window) {
            c = static_cast<char>(rng());
        }
        Write("window.bin", window);

        const std::vector<Range> ranges = SparseRanges(seed);
        ByteMap expected;
        std::vector<std::string> crop{"-crop"};
        for (const Range& r : ranges) {
            for (uint32_t a = r.first; a < r.end; ++a) {
                expected[a] = static_cast<uint8_t>(window[a - kImageStart]);
            }
            crop.push_back(std::to_string(r.first));
            crop.push_back(std::to_string(r.end));
        }
        ByteMap expectedLow;
        for (const auto& [a, b] : expected) {
            if (a < 0x10000) {
                expectedLow[a] = b;
            }
        }
        ASSERT_GT(expectedLow.size(), 0u);
        ASSERT_LT(expectedLow.size(), expected.size());

        for (const Format& f : formats) {
            SCOPED_TRACE(f.file);
            std::vector<std::string> args{"window.bin", "-binary", "-offset", "0x1000"};
            args.insert(args.end(), crop.begin(), crop.end());
            if (f.below64k) {
                args.insert(args.end(), {"-crop", "0x1000", "0x10000"});
            }
            args.insert(args.end(), {"-o", f.file});
            args.insert(args.end(), f.options.begin(), f.options.end());
            SrecCat(args);
            ASSERT_EQ(LoadPath(dir_.File(f.file)), 1);
            EXPECT_EQ(Defined(Images.CodeImage), f.below64k ? expectedLow : expected);
            const CodeLoadWarningFlags& w = CodeLoad.CodeLoadWarnings;
            EXPECT_EQ(w.dataInRom + w.dataInRam + w.dataOutsideFlash + w.dataOverwritten, 0);
        }
    }
}

// Damaged files that srec_cat refuses are refused here too, each with the
// line srec_cat names: a comment among TI-TXT data (it would shift every
// later byte), an Intel base record of four bytes, a wrong checksum.
TEST_F(SrecordCrossCheckTest, FilesSrecCatRefusesAreRefused) {
    struct Refused {
        const char* file;
        const char* format;
        std::string text;
        std::string failure;
    };
    const std::vector<Refused> cases = {
        {"comment.txt", "-ti-txt", "@1100\n01 02 03 04; 05 06\n07 08\nq\n",
         "Line 2: a comment on a line of data bytes"},
        {"comment-end.txt", "-ti-txt", "@1100\n01 02 ;\nq\n",
         "Line 2: a comment on a line of data bytes"},
        {"base4.hex", "-intel", ":0400000400010203F2\n:01100000559A\n:00000001FF\n",
         "Line 1: type 04 record length must be 2"},
        {"base2.hex", "-intel", ":01100000559A\n:0400000200010203F4\n:00000001FF\n",
         "Line 2: type 02 record length must be 2"},
        {"checksum.hex", "-intel", ":041000000102030400\n:00000001FF\n", "Line 1: checksum error"},
        {"checksum.s19", "-motorola", "S1061000AABBCCB9\nS9030000FC\n", "Line 1: checksum error"},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.file);
        Write(c.file, c.text);
        const platform::RunResult r = platform::RunAndWait(
            {"srec_cat", c.file, c.format, "-o", "out.hex", "-intel"}, dir_.path().string());
        ASSERT_TRUE(r.started) << "srec_cat is not installed (Debian package srecord)";
        EXPECT_NE(r.exitStatus, 0) << "srec_cat read the file";
        EXPECT_EQ(LoadPath(dir_.File(c.file)), 0);
        EXPECT_EQ(CodeLoad.CodeLoadFailure, c.failure);
        EXPECT_EQ(Defined(Images.CodeImage), ByteMap{});
    }
}

} // namespace
} // namespace codeimage_test
