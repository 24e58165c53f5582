// The running checksum against an independent bit-by-bit CRC.

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"
#include "ubrof/checksum.h"
#include "ubrof/collector.h"
#include "ubrof/input_stream.h"
#include "ubrof/record_reader.h"
#include "ubrof/titxt_handler.h"

using namespace ubrof;

namespace ubrof_test {
namespace {

uint16_t TableCrc(const Bytes& data) {
    UbrofChecksum crc;
    for (uint8_t b : data) {
        crc.Update(b);
    }
    return crc.Value();
}

uint16_t Reverse16(uint16_t v) {
    uint16_t r = 0;
    for (int i = 0; i < 16; ++i) {
        r = static_cast<uint16_t>((r << 1) | ((v >> i) & 1));
    }
    return r;
}

TEST(UbrofChecksum, EqualsTheBitwiseCrcOverRandomData) {
    std::mt19937 random(20240607);
    for (size_t length : {0u, 1u, 2u, 3u, 17u, 256u, 1000u, 65537u}) {
        for (int round = 0; round < 4; ++round) {
            Bytes data(length);
            for (uint8_t& b : data) {
                b = static_cast<uint8_t>(random());
            }
            SCOPED_TRACE(length);
            EXPECT_EQ(TableCrc(data), BitwiseCrc16(data.data(), data.size()));
        }
    }
}

// Known values: the register fed least significant bit first is the bit
// reversal of the fully reflected CRC-16 (whose value for "123456789" is the
// well-known 0xBB3D).
TEST(UbrofChecksum, IsTheBitReversalOfTheFullyReflectedCrc) {
    const std::string check = "123456789";
    const Bytes data(check.begin(), check.end());
    EXPECT_EQ(ReflectedCrc16(data.data(), data.size()), 0xBB3D);
    EXPECT_EQ(TableCrc(data), 0xBCDD);
    std::mt19937 random(7);
    Bytes noise(777);
    for (uint8_t& b : noise) {
        b = static_cast<uint8_t>(random());
    }
    EXPECT_EQ(TableCrc(noise), Reverse16(ReflectedCrc16(noise.data(), noise.size())));
}

TEST(UbrofChecksum, ResetStartsAgainFromZero) {
    UbrofChecksum crc;
    crc.Update(0x12);
    crc.Update(0x34);
    EXPECT_NE(crc.Value(), 0);
    crc.Reset();
    EXPECT_EQ(crc.Value(), 0);
    crc.Update(0x80);
    const uint8_t one = 0x80;
    EXPECT_EQ(crc.Value(), BitwiseCrc16(&one, 1));
}

class ChecksumRecorder : public UbrofTiTxtHandler {
public:
    ChecksumRecorder(UbrofCollector& c, std::string& out) : UbrofTiTxtHandler(c, out) {}
    void OnChecksum(uint16_t computed, uint16_t stored) override {
        seen.push_back({computed, stored});
    }
    std::vector<std::pair<uint16_t, uint16_t>> seen;
};

// Each checksum record sees the CRC of every byte since the previous one
// (its own tag and prefix included, the previous stored value not).
TEST(UbrofChecksum, ChecksumRecordsTakeTheRunningCrcOfTheFile) {
    UbrofBuilder file;
    file.Version(10, 0, 0, {{0xBE, 252}}).Module("m").Address(0x4400).DataCount(40);
    file.Declared(0xBE, 252, 9).TType(0x34, {1000, 2});
    const size_t first = file.bytes().size();
    file.ValidChecksum();
    const size_t second = file.bytes().size();
    file.DataCount(5).Tag(0x02).ValidChecksumWithPrefix();
    const size_t third = file.bytes().size();
    file.ValidChecksum().ValidChecksum().End();
    const Bytes& bytes = file.bytes();

    std::istringstream source(std::string(bytes.begin(), bytes.end()));
    UbrofInputStream stream(source.rdbuf());
    UbrofCollector collector;
    std::string out;
    ChecksumRecorder handler(collector, out);
    UbrofRecordReader reader(stream, handler);
    while (reader.ReadRecord()) {
    }
    ASSERT_EQ(handler.seen.size(), 4u);
    EXPECT_EQ(handler.seen[0].first, BitwiseCrc16(bytes.data(), first + 1));
    EXPECT_EQ(handler.seen[0].second, (bytes[first + 1] << 8) | bytes[first + 2]);
    EXPECT_EQ(handler.seen[1].first, BitwiseCrc16(bytes.data() + second, third - second - 2));
    EXPECT_EQ(handler.seen[1].second, (bytes[third - 2] << 8) | bytes[third - 1]);
    // The builder's valid checksums agree with the reader.
    EXPECT_EQ(handler.seen[2].first, handler.seen[2].second);
    EXPECT_EQ(handler.seen[3].first, handler.seen[3].second);
    EXPECT_EQ(handler.seen[3].first, BitwiseCrc16(bytes.data() + bytes.size() - 4, 1));
}

} // namespace
} // namespace ubrof_test
