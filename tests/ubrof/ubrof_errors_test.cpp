// Format errors: the exact message on standard error, result 0, no text, and
// the calling process goes on.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"
#include "tests/ubrof/ubrof_sample_files.h"
#include "tests/ubrof/ubrof_test_util.h"
#include "ubrof/convert.h"

using namespace ubrof;

namespace ubrof_test {
namespace {

// Code ahead of the fault, so that partial text would show.
UbrofBuilder Code() {
    return std::move(UbrofBuilder().Address(0x1000).Data({1, 2, 3}));
}

const std::string kEnd = "Unexpected end of UBROF file";
const std::string kLeb = "Illegal LEB128 number";

TEST(UbrofErrors, PathsThatAreNotReadableFilesFail) {
    const std::string missing = TempPath("missing");
    const std::string folder = TempPath("folder");
    std::filesystem::create_directory(folder);
    // Both open: a device reads as an empty file, and opening a FIFO with no
    // writer would block the caller for good.
    const std::string fifo = TempPath("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path :
         {missing, folder, std::string(), std::string("/dev/null"), fifo}) {
        SCOPED_TRACE(path);
        std::string text = "left over";
        std::string reason;
        testing::internal::CaptureStderr();
        EXPECT_EQ(UbrofFileConvert(path, text, reason), 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(reason, "Problem opening file: '" + path + "'");
        EXPECT_EQ(text, "");
    }
    std::filesystem::remove(folder);
    std::filesystem::remove(fifo);
}

TEST(UbrofErrors, MessagesOfTheRecordChecks) {
    ExpectFails({
        {"version 8", Code().Version(8, 1, 2), "Unsupported UBROF version: 8.1.2"},
        {"version 11", Code().Version(11, 0, 255), "Unsupported UBROF version: 11.0.255"},
        {"version 0", Code().Version(0), "Unsupported UBROF version: 0.0.0"},
        {"declared tag before any version record", Code().Declared(0xBE, 0, 0),
         "Unknown UBROF tag: 190"},
        {"declared tag the version record left out",
         Code().Version(9, 0, 0, {{0xBE, 0}}).Declared(0xD8, 0, 0), "Unknown UBROF tag: 216"},
        {"skip code 128", Code().Version(10, 0, 0, {{0xC0, 128}}).Declared(0xC0, 0, 0),
         "Illegal skip value: 128"},
        {"skip code 251", Code().Version(10, 0, 0, {{0xD7, 251}}).Declared(0xD7, 0, 0),
         "Illegal skip value: 251"},
        {"t_type sub tag 0x10", Code().Version(10).TType(0x10), "Unknown t_type sub tag: 16"},
        {"t_type sub tag 0xFF", Code().TType(0xFF), "Unknown t_type sub tag: 255"},
    });
}

TEST(UbrofErrors, FileEndingInsideARecordFails) {
    ExpectFails({
        {"data record cut short", Code().Data({1, 2, 3, 4, 5}).Truncate(2), kEnd},
        {"data record without its count", Code().Tag(0x39), kEnd},
        {"address record cut short", Code().Address(0x1234).Truncate(1), kEnd},
        {"module cut in the name", Code().Module("main").Truncate(1), kEnd},
        {"module cut in the prefix", Code().Tag(0x00).Raw({1, 2, 3}), kEnd},
        {"checksum cut short", Code().Checksum(7).Truncate(1), kEnd},
        {"checksum prefix cut short", Code().ChecksumWithPrefix(7).Truncate(4), kEnd},
        {"version without its pairs", Code().Version(9, 0, 0, {{0xBE, 1}, {0xBF, 2}}).Truncate(1),
         kEnd},
        {"version record cut", Code().Tag(0xBD).U8(9), kEnd},
        {"time stamp cut", Code().TimeStamp(1, 2, 3, 4, 5, 6).Truncate(1), kEnd},
        {"twelve bytes cut", Code().TwelveBytes().Truncate(1), kEnd},
        {"two names cut", Code().TwoNames("a", "bcd").Truncate(1), kEnd},
        {"u16 and name cut", Code().U16AndName(1, "abc").Truncate(1), kEnd},
        {"u32 record cut", Code().U32Record(1).Truncate(1), kEnd},
        {"u16 record cut", Code().U16Record(0x53, 1).Truncate(1), kEnd},
        {"byte record cut", Code().Tag(0x52), kEnd},
        {"t_type cut", Code().Version(10).TType(0x32, {1, 2, 3}).Truncate(1), kEnd},
        {"t_type 0x33 count beyond the file",
         Code().Version(10).Tag(0x4A).Uleb(1).U8(0x33).Uleb(1).U32(0).U32(0xFFFFFFFF), kEnd},
        {"t_type 0x34 count beyond the file",
         Code().Tag(0x4A).U16(1).U8(0x34).Raw(Bytes(12)).U32(0x40000000).Raw(Bytes(100)), kEnd},
        {"t_type 0x23 count beyond the file",
         Code().Tag(0x4A).U16(1).U8(0x23).U16(1).Raw(Bytes(5)).U8(200).Raw(Bytes(10)), kEnd},
        {"t_type 0x2A skip beyond the file",
         Code().Tag(0x4A).U16(1).U8(0x2A).U8(0).U16(1).Raw(Bytes(4)).U8(10).Raw(Bytes(9)), kEnd},
        {"declared u32 length beyond the file",
         Code().Version(10, 0, 0, {{0xBE, 255}}).Tag(0xBE).U32(0xFFFFFFFF).Raw(Bytes(64)), kEnd},
        {"declared LEB128 length beyond the file",
         Code().Version(10, 0, 0, {{0xBE, 252}}).Declared(0xBE, 252, 200).Truncate(1), kEnd},
        {"declared fixed length beyond the file",
         Code().Version(10, 0, 0, {{0xBE, 127}}).Declared(0xBE, 127, 127).Truncate(1), kEnd},
        {"debug body beyond the file", Code().Tag(0xD4).Uleb(0xFFFFFFFF).Raw(Bytes(8)), kEnd},
        {"debug body cut by one", Code().DebugRecord(0xD9, Bytes(40, 1)).Truncate(1), kEnd},
        {"debug length cut", Code().Tag(0xD6).U8(0x80), kEnd},
    });
}

TEST(UbrofErrors, LebNumbersOfMoreThanFiveBytesFail) {
    const Bytes six = {0x80, 0x80, 0x80, 0x80, 0x80, 0x00};
    ExpectFails({
        {"debug body length", Code().Tag(0xD5).Raw(six), kLeb},
        {"declared length", Code().Version(10, 0, 0, {{0xC9, 252}}).Tag(0xC9).Raw(six), kLeb},
        {"version 10 index", Code().Version(10).Tag(0x4A).Raw(six).U8(0x0F).U8(0), kLeb},
        {"endless continuation", Code().Tag(0xD4).Raw(Bytes(64, 0xFF)), kLeb},
    });
}

// A fifth byte with bits above bit 31 is no 32-bit number either. Cut to 32
// bits, the length below would read as 5, and the bytes of the body after the
// first five would be taken as records: here a data record, as code.
TEST(UbrofErrors, LebNumbersAboveThirtyTwoBitsFail) {
    const Bytes over = {0x85, 0x80, 0x80, 0x80, 0x10};
    const Bytes inside = {1, 2, 3, 4, 5, 0x39, 0x02, 0xAA, 0xBB};
    ExpectFails({
        {"debug body length", Code().Tag(0xD6).Raw(over).Raw(inside), kLeb},
        {"declared length", Code().Version(10, 0, 0, {{0xC9, 252}}).Tag(0xC9).Raw(over).Raw(inside),
         kLeb},
        {"version 10 index",
         Code().Version(10).Tag(0x4A).Raw({0xFF, 0xFF, 0xFF, 0xFF, 0x7F}).U8(0x0F).U8(0), kLeb},
    });
}

TEST(UbrofErrors, FiveByteLebNumbersAreAccepted) {
    const ConvertResult r = ConvertBytes(UbrofBuilder()
                                             .Tag(0xD4)
                                             .Raw({0x84, 0x80, 0x80, 0x80, 0x00})
                                             .Raw({0x01, 0x39, 0x00, 0x00})
                                             .Address(1)
                                             .Close()
                                             .bytes());
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.text, "@0001\n");
}

TEST(UbrofErrors, TheNextConversionAfterAnErrorStartsClean) {
    EXPECT_EQ(ConvertBytes(Code().Version(10, 0, 0, {{0xBE, 2}}).Version(7).bytes()).result, 0);
    // Neither the skip table nor the index width of the failed file remains.
    const ConvertResult r =
        ConvertBytes(UbrofBuilder().TType(0x0F, {0x8081}).Address(2).Close().bytes());
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.text, "@0002\n");
    EXPECT_EQ(ConvertBytes(UbrofBuilder().Declared(0xBE, 2, 2).bytes()).errors,
              "Unknown UBROF tag: 190");
}

} // namespace
} // namespace ubrof_test

namespace ubrof_test {
namespace {

// Shaped like a linker's output: a module per object file, each closed by a
// checksum record, debug records among the code, and the end tag last.
UbrofBuilder LinkedFile(std::vector<size_t>* codeBytes = nullptr,
                        std::vector<size_t>* checksums = nullptr) {
    UbrofBuilder file;
    file.Version(10, 0, 0, {{0xBE, 252}}).Module("main").TimeStamp(1, 2, 3, 4, 5, 124);
    const auto code = [&](uint32_t at, size_t count) {
        file.Address(at);
        const size_t start = file.bytes().size() + 2;
        file.DataCount(count);
        for (size_t i = 0; i < count && codeBytes != nullptr; ++i) {
            codeBytes->push_back(start + i);
        }
    };
    const auto checksum = [&](bool prefix) {
        if (checksums != nullptr) {
            checksums->push_back(file.bytes().size());
        }
        prefix ? file.ValidChecksumWithPrefix() : file.ValidChecksum();
    };
    code(0xF000, 40);
    AddDebugRecords(file);
    checksum(false);
    file.Module("lib", 0x01).Declared(0xBE, 252, 5);
    code(0xF100, 17);
    checksum(true);
    file.Module("vectors");
    code(0xFFE0, 32);
    checksum(false);
    return std::move(file.End());
}

TEST(UbrofErrors, EveryCutOfALinkedFileIsRefused) {
    const Bytes whole = LinkedFile().bytes();
    ASSERT_EQ(ConvertBytes(whole).result, 1);
    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        const ConvertResult r = ConvertBytes(Bytes(whole.begin(), whole.begin() + length));
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.errors, kEnd);
        EXPECT_EQ(r.text, "");
    }
}

// The checksum record after a changed byte sees the change: a flip of any
// bit of any code byte refuses the file at that record.
TEST(UbrofErrors, AFlippedCodeBitFailsAtTheNextChecksumRecord) {
    std::vector<size_t> codeBytes;
    std::vector<size_t> checksums;
    const Bytes whole = LinkedFile(&codeBytes, &checksums).bytes();
    ASSERT_EQ(codeBytes.size(), 89u);
    ASSERT_EQ(checksums.size(), 3u);
    for (const size_t at : codeBytes) {
        const size_t record = *std::upper_bound(checksums.begin(), checksums.end(), at);
        for (int bit = 0; bit < 8; ++bit) {
            SCOPED_TRACE(testing::Message() << "byte " << at << " bit " << bit);
            Bytes flipped = whole;
            flipped[at] ^= static_cast<uint8_t>(1u << bit);
            const ConvertResult r = ConvertBytes(flipped);
            EXPECT_EQ(r.result, 0);
            EXPECT_EQ(r.errors, "UBROF checksum error at offset " + std::to_string(record));
            EXPECT_EQ(r.text, "");
        }
    }
}

TEST(UbrofErrors, AStoredChecksumThatDoesNotMatchFails) {
    const auto at = [](UbrofBuilder b) { return std::to_string(b.bytes().size()); };
    const UbrofBuilder code = Code();
    UbrofBuilder twice = Code();
    twice.ValidChecksum().Data({4});
    ExpectFails({
        {"0x3F", UbrofBuilder(code).Checksum(0x1234).End(),
         "UBROF checksum error at offset " + at(code)},
        {"0x3D", UbrofBuilder(code).ChecksumWithPrefix(0x1234).End(),
         "UBROF checksum error at offset " + at(code)},
        {"the prefix of 0x3D counts",
         UbrofBuilder(code).ValidChecksumWithPrefix().Truncate(3).U8(0xA6).U16(0).End(),
         "UBROF checksum error at offset " + at(code)},
        {"the second record counts from the first", UbrofBuilder(twice).Checksum(0).End(),
         "UBROF checksum error at offset " + at(twice)},
    });
}

// The end tag counts only right after a checksum record that matched, and
// only as the file's last byte: a 0xFF read as a tag anywhere else (a
// damaged byte, padding) and whatever follows the end tag (a second file)
// would otherwise leave code out of the image unchecked.
TEST(UbrofErrors, TheEndTagCountsOnlyAsTheLastByteAfterAChecksumRecord) {
    const auto notAfter = [](size_t at) {
        return "UBROF end tag at offset " + std::to_string(at) + " is not after a checksum record";
    };
    const auto after = [](size_t at) {
        return "UBROF data after the end of the file at offset " + std::to_string(at);
    };
    const UbrofBuilder code = Code();
    const size_t n = code.bytes().size();
    const Bytes linked = LinkedFile().bytes();
    UbrofBuilder joined;
    joined.Raw(linked).Raw(linked);
    ExpectFails({
        {"only the end tag", UbrofBuilder().End(), notAfter(0)},
        {"the end tag ahead of code",
         UbrofBuilder().End().Address(0x1000).DataCount(3).ValidChecksum().End(), notAfter(0)},
        {"the end tag after code", UbrofBuilder(code).End(), notAfter(n)},
        {"a record between the checksum record and the end tag",
         UbrofBuilder(code).ValidChecksum().Empty().End(), notAfter(n + 4)},
        {"code after the end tag",
         UbrofBuilder(code).ValidChecksum().End().Address(0x2000).Data({4}).Close(), after(n + 4)},
        {"one 0xFF after the end tag", UbrofBuilder(code).Close().U8(0xFF), after(n + 4)},
        {"two files joined", joined, after(linked.size())},
    });
    for (const auto& [name, file] :
         {std::pair{"0x3F", UbrofBuilder(code).Close()},
          std::pair{"0x3D", UbrofBuilder(code).ValidChecksumWithPrefix().End()}}) {
        SCOPED_TRACE(name);
        const ConvertResult r = ConvertBytes(file.bytes());
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.text, "@1000\n01 02 03 \n\n");
    }
}

// Every damage a linked file can take: each cut, each single-bit flip of
// each byte, 0xFF over the rest of the file from each offset, and bytes
// after its end. Each either converts to exactly the file's own text or is
// refused with a reason and no text.
TEST(UbrofErrors, EveryDamageOfALinkedFileConvertsWholeOrIsRefused) {
    const Bytes whole = LinkedFile().bytes();
    const ConvertResult original = ConvertBytes(whole);
    ASSERT_EQ(original.result, 1);
    ASSERT_EQ(whole.back(), 0xFF);
    size_t refused = 0;
    const auto check = [&](const Bytes& damaged, const std::string& what) {
        SCOPED_TRACE(what);
        const ConvertResult r = ConvertBytes(damaged);
        if (r.result == 1) {
            EXPECT_EQ(r.text, original.text);
            EXPECT_EQ(r.errors, "");
        } else {
            ++refused;
            EXPECT_EQ(r.result, 0);
            EXPECT_NE(r.errors, "");
            EXPECT_EQ(r.text, "");
        }
    };
    for (size_t at = 0; at < whole.size(); ++at) {
        Bytes padded(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(at));
        padded.resize(whole.size(), 0xFF);
        check(padded, "0xFF from offset " + std::to_string(at));
        Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(at));
        cut.resize(at + 64, 0xFF);
        check(cut, "cut at " + std::to_string(at) + ", then 64 bytes 0xFF");
        for (int bit = 0; bit < 8; ++bit) {
            Bytes flipped = whole;
            flipped[at] ^= static_cast<uint8_t>(1u << bit);
            check(flipped, "byte " + std::to_string(at) + " bit " + std::to_string(bit));
        }
    }
    for (const Bytes& tail : {Bytes{0xFF}, Bytes(97, 0xFF), Bytes{0x00}, whole}) {
        Bytes longer = whole;
        longer.insert(longer.end(), tail.begin(), tail.end());
        check(longer, std::to_string(tail.size()) + " bytes after the end");
    }
    // Only the end tag overwritten with itself leaves the file as it was.
    EXPECT_EQ(refused, 2 * whole.size() - 1 + 8 * whole.size() + 4);
}
} // namespace
} // namespace ubrof_test
