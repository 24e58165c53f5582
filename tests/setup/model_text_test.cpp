// The model text's byte/text conversions in both modes.

#include "core/model_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace core;

TEST(ModelTextTest, BytesToText) {
    const uint8_t bytes[40] = {'M', 'X', '-', '1', 0xFF, 'Z'};
    std::string text;
    EXPECT_EQ(BytesToText(1, 5, bytes, text), 5);
    EXPECT_EQ(text, "4D 58 2D 31 FF ");
    EXPECT_EQ(BytesToText(0, 6, bytes, text), 4); // the erased byte ends the text
    EXPECT_EQ(text, "MX-1");
    const uint8_t withNul[3] = {'A', 0, 'B'};
    EXPECT_EQ(BytesToText(0, 3, withNul, text), 1);
    EXPECT_EQ(text, "A");
    EXPECT_EQ(BytesToText(1, 40, bytes, text), 32); // at most 32 bytes
    EXPECT_EQ(text.size(), 96u);
    EXPECT_EQ(BytesToText(1, -1, bytes, text), 0);
    EXPECT_EQ(text, "");
}

TEST(ModelTextTest, BytesFromText) {
    struct Case {
        int32_t mode;
        int32_t count;
        std::string text;
        int32_t taken;
        std::vector<uint8_t> bytes; // the first count bytes afterwards
    };
    const std::vector<Case> cases = {
        {1, 4, "4d 58,2D\t31", 4, {0x4D, 0x58, 0x2D, 0x31}},
        {1, 4, "  41 1FF", 2, {0x41, 0xFF, 0, 0}}, // a token's low byte; the rest zero
        {1, 4, "41 ; 42", 1, {0x41, 0, 0, 0}},     // ';' ends the text
        {1, 2, "41 42 43", 2, {0x41, 0x42}},
        {1, 2, "", 0, {0, 0}},
        {0, 5, "AB-7", 4, {'A', 'B', '-', '7', 0}},
        {0, 3, std::string("A\0B", 3), 1, {'A', 0, 0}},
        {0, 2, "ABCD", 2, {'A', 'B'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<uint8_t> out(40, 0xEE);
        EXPECT_EQ(BytesFromText(c.mode, c.count, c.text, out.data()), c.taken);
        EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + c.count), c.bytes);
        EXPECT_EQ(out[c.count], 0xEE); // nothing beyond count
    }
    std::vector<uint8_t> out(40, 0xEE);
    EXPECT_EQ(BytesFromText(0, 99, std::string(50, 'x'), out.data()), 32);
    EXPECT_EQ(out[31], 'x');
    EXPECT_EQ(out[32], 0xEE);
}

} // namespace
