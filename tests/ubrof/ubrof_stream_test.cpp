// The checksumming input stream and the number readers over it.

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"
#include "ubrof/fatal.h"
#include "ubrof/input_stream.h"
#include "ubrof/read_helpers.h"

using namespace ubrof;

namespace ubrof_test {
namespace {

namespace helpers = UbrofReadHelpers;

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// A buffer below that cannot seek and says when it is deleted.
class PlainBuffer : public std::streambuf {
public:
    PlainBuffer(const std::string& text, bool* deleted) : text_(text), deleted_(deleted) {
        setg(text_.data(), text_.data(), text_.data() + text_.size());
    }
    ~PlainBuffer() override {
        if (deleted_ != nullptr) {
            *deleted_ = true;
        }
    }

private:
    std::string text_;
    bool* deleted_;
};

// Expects a format error with the message, and nothing on standard error.
template <class F> void ExpectFormatError(F read, const std::string& message) {
    testing::internal::CaptureStderr();
    try {
        read();
        ADD_FAILURE() << "no format error";
    } catch (const UbrofFormatError& error) {
        EXPECT_EQ(std::string(error.what()), message);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(UbrofInputStream, ChecksumsEveryByteTakenOnce) {
    const Bytes data = {0x10, 0x20, 0x30, 0x40, 0x50};
    std::stringbuf below(Text(data));
    UbrofInputStream stream(&below);
    std::istream in(&stream);
    EXPECT_EQ(in.peek(), 0x10);
    EXPECT_EQ(in.peek(), 0x10);
    EXPECT_EQ(in.get(), 0x10);
    char rest[4];
    in.read(rest, 4);
    EXPECT_EQ(in.gcount(), 4);
    EXPECT_EQ(stream.Checksum().Value(), BitwiseCrc16(data.data(), data.size()));
    EXPECT_EQ(in.get(), std::char_traits<char>::eof());
    EXPECT_EQ(stream.Checksum().Value(), BitwiseCrc16(data.data(), data.size()));
}

TEST(UbrofInputStream, WritingAlwaysFails) {
    std::stringbuf below("abc");
    UbrofInputStream stream(&below);
    EXPECT_EQ(stream.sputc('x'), std::char_traits<char>::eof());
    std::ostream out(&stream);
    out << "text";
    EXPECT_TRUE(out.fail());
    EXPECT_EQ(below.str(), "abc");
}

TEST(UbrofInputStream, PositioningGoesToTheBufferBelow) {
    std::stringbuf below("abcdef");
    UbrofInputStream stream(&below);
    EXPECT_EQ(stream.sbumpc(), 'a');
    EXPECT_EQ(stream.sgetc(), 'b'); // held in the get area
    EXPECT_EQ(stream.pubseekoff(0, std::ios_base::cur, std::ios_base::in), std::streampos(1));
    EXPECT_EQ(stream.BytesLeft(), 5);
    EXPECT_EQ(stream.pubseekpos(4, std::ios_base::in), std::streampos(4));
    EXPECT_EQ(stream.sbumpc(), 'e');
    EXPECT_EQ(stream.BytesLeft(), 1);

    UbrofInputStream nothing(nullptr);
    EXPECT_EQ(nothing.pubseekoff(0, std::ios_base::beg), std::streampos(std::streamoff(-1)));
    EXPECT_EQ(nothing.pubseekpos(0), std::streampos(std::streamoff(-1)));
    EXPECT_EQ(nothing.sgetc(), std::char_traits<char>::eof());
    EXPECT_EQ(nothing.BytesLeft(), -1);
}

TEST(UbrofInputStream, SyncGivesAHeldByteBackWithItsChecksum) {
    std::stringbuf below("xyz");
    UbrofInputStream stream(&below);
    EXPECT_EQ(stream.sbumpc(), 'x');
    const uint16_t before = stream.Checksum().Value();
    EXPECT_EQ(stream.sgetc(), 'y');
    EXPECT_EQ(stream.pubsync(), 0);
    EXPECT_EQ(stream.Checksum().Value(), before);
    EXPECT_EQ(below.sgetc(), 'y');
    EXPECT_EQ(stream.sbumpc(), 'y');
    const uint8_t xy[] = {'x', 'y'};
    EXPECT_EQ(stream.Checksum().Value(), BitwiseCrc16(xy, 2));
}

TEST(UbrofInputStream, OwnsTheBufferBelowOnlyWhenTold) {
    bool deleted = false;
    PlainBuffer kept("a", &deleted);
    { UbrofInputStream stream(&kept, false); }
    EXPECT_FALSE(deleted);
    { UbrofInputStream stream(new PlainBuffer("b", &deleted), true); }
    EXPECT_TRUE(deleted);
}

TEST(UbrofInputStream, TellsTheBytesLeftThroughInAvail) {
    std::stringbuf below("0123456789");
    below.pubseekpos(3);
    UbrofInputStream stream(&below);
    EXPECT_EQ(stream.in_avail(), 7);
    stream.sbumpc();
    EXPECT_EQ(stream.in_avail(), 6);
    while (stream.sbumpc() != std::char_traits<char>::eof()) {
    }
    EXPECT_EQ(stream.in_avail(), -1);

    PlainBuffer plain("abc", nullptr);
    UbrofInputStream unknown(&plain);
    EXPECT_EQ(unknown.BytesLeft(), -1);
    EXPECT_EQ(unknown.in_avail(), 0);
}

TEST(UbrofReadHelpers, NumbersAreBigEndianAndLeb128) {
    UbrofBuilder b;
    b.U16(0x1234).U32(0x89ABCDEF).Uleb(0).Uleb(127).Uleb(128).Uleb(0x0FFFFFFF);
    b.Raw({0xFF, 0xFF, 0xFF, 0xFF, 0x0F}).Raw({0x80, 0x80, 0x80, 0x80, 0x00});
    b.U16(0xBEEF).Uleb(300).U8(3).Raw({'a', 'b', 'c'}).U16(2).Raw({'x', 'y'});
    b.Uleb(3).Raw({9, 8, 7});
    std::stringbuf below(Text(b.bytes()));
    UbrofInputStream stream(&below);
    std::istream in(&stream);
    EXPECT_EQ(helpers::U16(in), 0x1234);
    EXPECT_EQ(helpers::U32(in), 0x89ABCDEFu);
    EXPECT_EQ(helpers::Uleb(in), 0u);
    EXPECT_EQ(helpers::Uleb(in), 127u);
    EXPECT_EQ(helpers::Uleb(in), 128u);
    EXPECT_EQ(helpers::Uleb(in), 0x0FFFFFFFu);
    EXPECT_EQ(helpers::Uleb(in), 0xFFFFFFFFu);
    EXPECT_EQ(helpers::Uleb(in), 0u);
    EXPECT_EQ(helpers::Index(in, 0), 0xBEEFu);
    EXPECT_EQ(helpers::Index(in, 1), 300u);
    EXPECT_EQ(helpers::String8(in), "abc");
    EXPECT_EQ(helpers::String16(in), "xy");
    EXPECT_EQ(helpers::Body(in), (Bytes{9, 8, 7}));
    EXPECT_EQ(stream.Checksum().Value(), BitwiseCrc16(b.bytes().data(), b.bytes().size()));
    ExpectFormatError([&] { helpers::Byte(in); }, "Unexpected end of UBROF file");
}

TEST(UbrofReadHelpers, LengthsBeyondTheEndFailBeforeAnythingIsRead) {
    std::stringbuf below(std::string(10, 'x'));
    UbrofInputStream stream(&below);
    std::istream in(&stream);
    ExpectFormatError([&] { helpers::Bytes(in, 11); }, "Unexpected end of UBROF file");
    ExpectFormatError([&] { helpers::Skip(in, std::numeric_limits<uint64_t>::max()); },
                      "Unexpected end of UBROF file");
    EXPECT_EQ(stream.BytesLeft(), 10);
    EXPECT_EQ(helpers::Bytes(in, 10), Bytes(10, 'x'));
}

// Over a buffer that cannot tell its size the reads stop at the end, without
// first allocating what the length claims.
TEST(UbrofReadHelpers, HugeLengthsOverAnUnsizedBufferFailAtTheEnd) {
    PlainBuffer plain("abcdef", nullptr);
    UbrofInputStream stream(&plain);
    std::istream in(&stream);
    ExpectFormatError([&] { helpers::Bytes(in, 0xFFFFFFFF); }, "Unexpected end of UBROF file");
}

TEST(UbrofReadHelpers, SixByteLebIsAnError) {
    std::stringbuf below(Text({0x81, 0x82, 0x83, 0x84, 0x85, 0x06}));
    UbrofInputStream stream(&below);
    std::istream in(&stream);
    ExpectFormatError([&] { helpers::Uleb(in); }, "Illegal LEB128 number");

    std::stringbuf over(Text({0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x42}));
    UbrofInputStream overStream(&over);
    std::istream overIn(&overStream);
    ExpectFormatError([&] { helpers::Uleb(overIn); }, "Illegal LEB128 number");
}

TEST(UbrofReadHelpers, TimeReadsSixBytes) {
    std::stringbuf below(Text({30, 15, 12, 24, 6, 124, 0x42}));
    UbrofInputStream stream(&below);
    std::istream in(&stream);
    const std::time_t t = helpers::Time(in);
    std::tm local{};
    localtime_r(&t, &local);
    EXPECT_EQ(local.tm_year, 124);
    EXPECT_EQ(local.tm_mon, 5);
    EXPECT_EQ(local.tm_mday, 24);
    EXPECT_EQ(local.tm_min, 15);
    EXPECT_EQ(helpers::Byte(in), 0x42);
}

} // namespace
} // namespace ubrof_test
