// Reading record bodies held in memory.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"
#include "ubrof/fatal.h"
#include "ubrof/record_cursor.h"

using namespace ubrof;

namespace ubrof_test {
namespace {

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

TEST(RecordCursor, SignedLeb128) {
    struct Case {
        Bytes bytes;
        int32_t value;
    };
    const std::vector<Case> cases = {
        {{0x00}, 0},
        {{0x3F}, 63},
        {{0x40}, -64},
        {{0x7F}, -1},
        {{0x80, 0x01}, 128},
        {{0x80, 0x7F}, -128},
        {{0xFF, 0x00}, 127},
        {{0xC0, 0xBB, 0x78}, -123456},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x07}, 0x7FFFFFFF},
        {{0x80, 0x80, 0x80, 0x80, 0x78}, INT32_MIN},
        // 35 bits filled: no sign extension, the value keeps its 32 bits.
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, -1},
        {{0x80, 0x80, 0x80, 0x80, 0x40}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        RecordCursor cursor(c.bytes);
        EXPECT_EQ(cursor.Sleb(), c.value);
        EXPECT_TRUE(cursor.AtEnd());
    }
}

TEST(RecordCursor, UnsignedLeb128) {
    struct Case {
        Bytes bytes;
        uint32_t value;
    };
    const std::vector<Case> cases = {
        {{0x00}, 0},
        {{0x7F}, 127},
        {{0x80, 0x01}, 128},
        {{0xE5, 0x8E, 0x26}, 624485},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, 0xFFFFFFFF},
        {{0x80, 0x80, 0x80, 0x80, 0x00}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        RecordCursor cursor(c.bytes);
        EXPECT_EQ(cursor.Uleb(), c.value);
        EXPECT_TRUE(cursor.AtEnd());
    }
    const Bytes six = {0x80, 0x80, 0x80, 0x80, 0x80, 0x00};
    ExpectFormatError([&] { RecordCursor(six).Uleb(); }, "Illegal LEB128 number");
    ExpectFormatError([&] { RecordCursor(six).Sleb(); }, "Illegal LEB128 number");
    // Five bytes, but bits above bit 31 in the last one.
    ExpectFormatError(
        [&] {
            RecordCursor(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x1F}).Uleb();
        },
        "Illegal LEB128 number");
    ExpectFormatError(
        [&] {
            RecordCursor(Bytes{0x80, 0x80, 0x80, 0x80, 0x70}).Uleb();
        },
        "Illegal LEB128 number");
}

TEST(RecordCursor, FieldsOfABody) {
    UbrofBuilder b;
    b.U8(0x0C).Uleb(300).Uleb(0x12345); // tagged address, kind 4 (-4)
    b.U8(7);                            // code byte 7: internal kind 2
    b.U8(3).Raw({'a', 'b', 'c'});       // one-byte counted string
    b.Uleb(2).Raw({'d', 'e'});          // LEB128 counted string
    b.U8(2).Raw({0xAA, 0xBB});          // counted byte list
    b.U16(0x0102).U32(0x03040506);
    b.Raw({0, 0, 12, 1, 1, 100}); // time: 1 January 2000, 12:00:00
    b.Raw({0x11, 0x22});
    RecordCursor cursor(b.bytes());
    const TaggedAddress at = cursor.Address();
    EXPECT_EQ(at.Kind(), -4);
    EXPECT_EQ(at.Index(), 300u);
    EXPECT_EQ(at.offset, 0x12345u);
    EXPECT_EQ(cursor.CodeByte(), 2);
    EXPECT_EQ(cursor.String8(), "abc");
    EXPECT_EQ(cursor.String(), "de");
    EXPECT_EQ(cursor.ByteList8(), (Bytes{0xAA, 0xBB}));
    EXPECT_EQ(cursor.U16(), 0x0102);
    EXPECT_EQ(cursor.U32(), 0x03040506u);
    const std::time_t t = cursor.Time();
    std::tm local{};
    localtime_r(&t, &local);
    EXPECT_EQ(local.tm_year, 100);
    EXPECT_EQ(local.tm_mday, 1);
    EXPECT_EQ(cursor.Left(), 2u);
    EXPECT_EQ(cursor.Rest(), (Bytes{0x11, 0x22}));
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(cursor.Rest(), Bytes{});
}

// A body carries no bound of its own; a field that runs past it must not
// read the memory beyond.
TEST(RecordCursor, FieldsPastTheEndOfTheBodyFail) {
    const std::string end = "Unexpected end of UBROF record";
    const Bytes body = {0x05, 'a', 'b'};
    ExpectFormatError([&] { RecordCursor(body).String8(); }, end);
    ExpectFormatError([&] { RecordCursor(body).Bytes(4); }, end);
    ExpectFormatError([&] { RecordCursor(body.data(), 2).U32(); }, end);
    ExpectFormatError([&] { RecordCursor(body.data(), 0).Byte(); }, end);
    ExpectFormatError([&] { RecordCursor(Bytes{0x80}).Uleb(); }, end);
    ExpectFormatError([&] { RecordCursor(Bytes{0x80, 0x80}).Sleb(); }, end);
    ExpectFormatError([&] { RecordCursor(Bytes{1, 2, 3, 4, 5}).Time(); }, end);
    ExpectFormatError([&] { RecordCursor(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}).String(); }, end);
    ExpectFormatError([&] { RecordCursor(Bytes{3, 1, 2}).ByteList8(); }, end);
    ExpectFormatError([&] { RecordCursor(Bytes{1, 0x80}).Address(); }, end);
}

} // namespace
} // namespace ubrof_test
