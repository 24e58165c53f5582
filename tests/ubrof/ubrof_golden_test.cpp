// The texts that the reader gave for the project's ".d43" fixtures before it
// parsed the debug records. Every fixture must still convert byte for byte
// to them; fixtures that held placeholder debug bodies now hold well-formed
// ones.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_sample_files.h"
#include "tests/ubrof/ubrof_test_util.h"

namespace ubrof_test {
namespace {

std::string SourceDir() {
    const char* dir = std::getenv("QUILL_SOURCE_DIR");
    return dir != nullptr ? dir : ".";
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// FNV-1a, 64 bits: the recorded form of the texts too large to keep.
uint64_t Digest(const std::string& text) {
    uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

TEST(UbrofGolden, SeedFilesConvertToTheirRecordedTexts) {
    const std::string corpus = SourceDir() + "/tests/fuzz/corpus/";
    const std::string golden = SourceDir() + "/tests/ubrof/golden/";
    struct Seed {
        std::string file;
        size_t skip; // the fuzzer's control byte ahead of the file
        std::string text;
    };
    for (const Seed& s : {
             Seed{"fuzz_ubrof_convert/version10", 0, "version10.txt"},
             Seed{"fuzz_ubrof_convert/version9", 0, "version9.txt"},
             Seed{"fuzz_ubrof_convert/noversion", 0, "noversion.txt"},
             Seed{"fuzz_code_file/ubrof", 1, "code_file_ubrof.txt"},
         }) {
        SCOPED_TRACE(s.file);
        const Bytes bytes = ReadBytes(corpus + s.file);
        ASSERT_GT(bytes.size(), s.skip);
        const ConvertResult r =
            ConvertBytes(Bytes(bytes.begin() + static_cast<long>(s.skip), bytes.end()));
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.errors, "");
        EXPECT_EQ(r.text, ReadText(golden + s.text));
    }
}

// The version-10 seeds are the builder's files, so that their debug records
// stay well formed; QUILL_WRITE_SEEDS=1 writes them anew.
TEST(UbrofGolden, Version10SeedsAreTheBuildersFile) {
    const std::string corpus = SourceDir() + "/tests/fuzz/corpus/";
    const Bytes seed = Version10Seed().bytes();
    Bytes codeFile = {0x03}; // the code-file fuzzer's control byte: format 4
    codeFile.insert(codeFile.end(), seed.begin(), seed.end());
    const char* write = std::getenv("QUILL_WRITE_SEEDS");
    if (write != nullptr && std::string(write) == "1") {
        std::ofstream(corpus + "fuzz_ubrof_convert/version10", std::ios::binary)
            .write(reinterpret_cast<const char*>(seed.data()),
                   static_cast<std::streamsize>(seed.size()));
        std::ofstream(corpus + "fuzz_code_file/ubrof", std::ios::binary)
            .write(reinterpret_cast<const char*>(codeFile.data()),
                   static_cast<std::streamsize>(codeFile.size()));
    }
    EXPECT_EQ(ReadBytes(corpus + "fuzz_ubrof_convert/version10"), seed);
    EXPECT_EQ(ReadBytes(corpus + "fuzz_code_file/ubrof"), codeFile);
}

// Small copies of the crafted call-frame files are seeds of the conversion
// fuzzer too, so that it mutates the shapes that once cost time and memory;
// at full size each input would take it milliseconds.
TEST(UbrofGolden, CraftedCallFrameSeedsAreTheBuildersFiles) {
    const std::string corpus = SourceDir() + "/tests/fuzz/corpus/fuzz_ubrof_convert/";
    const char* write = std::getenv("QUILL_WRITE_SEEDS");
    for (const CraftedFile& crafted : CraftedCfiFiles(kCraftedSeedDivisor)) {
        SCOPED_TRACE(crafted.name);
        const Bytes& bytes = crafted.file.bytes();
        EXPECT_LE(bytes.size(), 4096u) << "the fuzzer's -max_len";
        const ConvertResult r = ConvertBytes(bytes);
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.errors, "");
        if (write != nullptr && std::string(write) == "1") {
            std::ofstream(corpus + crafted.name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
        EXPECT_EQ(ReadBytes(corpus + crafted.name), bytes);
    }
}

TEST(UbrofGolden, BenchmarkFilesConvertToTheirRecordedTexts) {
    {
        SCOPED_TRACE("bench_ubrof_convert");
        const ConvertResult r = ConvertBytes(MegabyteFile().bytes());
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.errors, "");
        EXPECT_EQ(r.text.size(), 3094319u);
        EXPECT_EQ(Digest(r.text), 0x051D173FC300A74Bull);
    }
    {
        SCOPED_TRACE("bench_codefile_load");
        // The benchmark's image: the whole code window as random bytes.
        std::mt19937 rng(2024);
        Bytes window(281600);
        for (uint8_t& b : window) {
            b = static_cast<uint8_t>(rng());
        }
        const ConvertResult r = ConvertBytes(ImageFile(window, 0x1000).bytes());
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.text.size(), 847015u);
        EXPECT_EQ(Digest(r.text), 0x7C388ED622877490ull);
    }
}

} // namespace
} // namespace ubrof_test
