// The bytes of the current-device, extension and identify records.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "debugif/debugif_reset.h"
#include "debugif/device_id_state.h"
#include "debugif/device_lookup.h"
#include "debugif/identify_build.h"
#include "tests/debugif/device_id_golden.h"

namespace debugif {
namespace {

using namespace device_id_golden;

template <typename Record> Bytes BytesOf(const Record& r) {
    return Bytes(r.Bytes().begin(), r.Bytes().end());
}

uint32_t Field(std::span<const uint8_t> bytes, std::size_t offset, std::size_t width) {
    uint32_t v = 0;
    for (std::size_t i = 0; i < width; ++i) {
        v |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
    }
    return v;
}

class DeviceRecordTest : public ::testing::Test {
protected:
    void SetUp() override { ResetDebugifState(); }
    void TearDown() override { ResetDebugifState(); }

    static void Identify(std::initializer_list<std::pair<std::size_t, uint8_t>> bytes) {
        std::vector<uint8_t> block(17, 0xA5);
        for (const auto& [i, v] : bytes) {
            block[i] = v;
        }
        ASSERT_EQ(LookupDevice(block, 0), 0);
    }
};

TEST_F(DeviceRecordTest, GoldenRecordsOfF149F5438AndTheUnknownDevice) {
    struct Golden {
        const char* what;
        std::vector<std::pair<std::size_t, uint8_t>> block;
        const Bytes& current;
        const Bytes& extra;
        const Bytes& identify;
    };
    const std::vector<Golden> cases = {
        {"F149", {{0, 0xF1}, {1, 0x49}, {16, 0x00}}, kF149Current, kF149Extra, kF149Identify},
        {"F5438", {{0, 0x54}, {1, 0x38}, {2, 0x00}}, kF5438Current, kF5438Extra, kF5438Identify},
        {"unknown", {{0, 0x00}}, kUnknownCurrent, kUnknownExtra, kUnknownIdentify},
    };
    for (const Golden& g : cases) {
        SCOPED_TRACE(g.what);
        ASSERT_EQ(g.current.size(), 74u);
        ASSERT_EQ(g.extra.size(), 74u);
        ASSERT_EQ(g.identify.size(), 80u);
        ResetDebugifState();
        std::vector<uint8_t> block(17, 0xA5);
        for (const auto& [i, v] : g.block) {
            block[i] = v;
        }
        ASSERT_EQ(LookupDevice(block, 0), 0);
        BuildIdentifyRecord();
        EXPECT_EQ(BytesOf(gDeviceId.currentDeviceRecord), g.current);
        EXPECT_EQ(BytesOf(gDeviceId.deviceExtraRecord), g.extra);
        EXPECT_EQ(BytesOf(gDeviceId.identifyRecord), g.identify);
    }
}

TEST_F(DeviceRecordTest, AccessorsReadTheirFields) {
    Identify({{0, 0xF1}, {1, 0x49}, {16, 0x00}});
    BuildIdentifyRecord();
    const core::IdentifyRecord& id = gDeviceId.identifyRecord;
    EXPECT_EQ(id.Marker(), 0xAA55);
    EXPECT_EQ(id.Row(), 7);
    EXPECT_EQ(id.Name(), "MSP430F149");
    EXPECT_EQ(id.MainStart(), 0x1100);
    EXPECT_EQ(id.RamEnd(), 0x09FF);
    EXPECT_EQ(id.MainEnd(), 0x0000FFFFu);
    EXPECT_EQ(id.BslStart(), 0x0C00);
    EXPECT_EQ(id.BslEnd(), 0x0FFF);

    const CurrentDeviceRecord& r = gDeviceId.currentDeviceRecord;
    EXPECT_EQ(r.Emulation5(), 0x60D7);
    EXPECT_EQ(r.SupplyMinimum(), 1800);
    EXPECT_EQ(r.Supply4(), 7000);
    EXPECT_EQ(r.BytePairLow(0), 0xF3);
    EXPECT_EQ(r.BytePairLow(5), 0x30);
    EXPECT_EQ(r.BytePairLow(6), 0); // past the last pair
    EXPECT_EQ(r.Options(5), 0);     // past the last option
    EXPECT_EQ(gDeviceId.deviceExtraRecord.Emulation2(), 3);
}

// Every table value lands at its own offset, option bytes [5] and [6]
// swapped, and only the low byte of each byte pair is kept.
TEST_F(DeviceRecordTest, EveryPropertyLandsAtItsOffset) {
    DeviceTypeProperties p{};
    p.layout = {0x1111, 0x00022222, 0x3333, 0x4444, 0x5555, 0x6666,
                0x7777, 0x8888,     0x9999, 0xAAAA, 0xBBBB, 0xCCCC};
    p.emulation = {0x0E00, 0x0E01, 0x0E02, 0x0E03, 0x0E04, 0x0E05};
    p.optionBytes = {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9};
    p.supply = {0x5500, 0x5501, 0x5502, 0x5503, 0x5504};
    p.options = {0x0900, 0x0901, 0x0902, 0x0903, 0x0904};
    p.bytePairs = {0x12C0, 0x12C1, 0x12C2, 0x12C3, 0x12C4, 0x12C5};

    CurrentDeviceRecord r;
    DeviceExtraRecord x;
    r.MutableBytes()[0x49] = 0x77; // stale bytes must go
    x.MutableBytes()[0x49] = 0x77;
    FillDeviceRecords(p, r, x);

    struct At {
        std::size_t offset;
        std::size_t width;
        uint32_t value;
    };
    const std::vector<At> current = {
        {0x00, 2, 0x1111}, {0x02, 4, 0x22222}, {0x06, 2, 0x4444}, {0x08, 2, 0x5555},
        {0x0A, 2, 0x6666}, {0x0C, 2, 0x7777},  {0x0E, 2, 0x8888}, {0x10, 2, 0x9999},
        {0x12, 2, 0xAAAA}, {0x14, 2, 0x0E00},  {0x16, 2, 0x0E03}, {0x18, 2, 0x0E04},
        {0x1A, 2, 0x0E05}, {0x1C, 2, 0xB3},    {0x1E, 2, 0xB4},   {0x20, 2, 0x5500},
        {0x22, 2, 0x5501}, {0x24, 2, 0x5502},  {0x26, 2, 0x5503}, {0x28, 2, 0x5504},
        {0x2A, 2, 0xB0},   {0x2C, 2, 0xB1},    {0x2E, 2, 0xB2},   {0x30, 2, 0xB6},
        {0x32, 2, 0xB5},   {0x34, 2, 0xB7},    {0x36, 2, 0xB8},   {0x38, 2, 0xB9},
        {0x3A, 2, 0x0900}, {0x3C, 2, 0x0901},  {0x3E, 2, 0x0902}, {0x40, 2, 0x0903},
        {0x42, 2, 0x0904}, {0x44, 1, 0xC0},    {0x45, 1, 0xC1},   {0x46, 1, 0xC2},
        {0x47, 1, 0xC3},   {0x48, 1, 0xC4},    {0x49, 1, 0xC5},
    };
    std::size_t covered = 0;
    for (const At& a : current) {
        EXPECT_EQ(Field(r.Bytes(), a.offset, a.width), a.value) << "offset " << a.offset;
        covered += a.width;
    }
    EXPECT_EQ(covered, 74u); // every byte of the record is a field

    EXPECT_EQ(Field(x.Bytes(), 0x00, 2), 0xBBBBu);
    EXPECT_EQ(Field(x.Bytes(), 0x02, 2), 0xCCCCu);
    EXPECT_EQ(Field(x.Bytes(), 0x04, 2), 0x3333u);
    EXPECT_EQ(Field(x.Bytes(), 0x06, 2), 0x0E01u);
    EXPECT_EQ(Field(x.Bytes(), 0x08, 2), 0x0E02u);
    EXPECT_EQ(Bytes(x.Bytes().begin() + 10, x.Bytes().end()), Zeros(64));
}

// Each identify field copies the record field it is made from.
TEST_F(DeviceRecordTest, IdentifyFieldsComeFromTheirRecordFields) {
    // Distinct bytes everywhere, so a field read from the wrong offset shows.
    auto current = gDeviceId.currentDeviceRecord.MutableBytes();
    for (std::size_t i = 0; i < current.size(); ++i) {
        current[i] = static_cast<uint8_t>(0x10 + i);
    }
    auto extra = gDeviceId.deviceExtraRecord.MutableBytes();
    for (std::size_t i = 0; i < extra.size(); ++i) {
        extra[i] = static_cast<uint8_t>(0x90 + i);
    }
    gDeviceId.currentDeviceIndex = 45;
    auto stale = gDeviceId.identifyRecord.MutableBytes();
    std::fill(stale.begin(), stale.end(), 0xEE);

    BuildIdentifyRecord();
    const auto id = gDeviceId.identifyRecord.Bytes();

    struct From {
        std::size_t idOffset;
        std::size_t width;
        bool fromExtra;
        std::size_t offset;
    };
    const std::vector<From> fields = {
        {0x24, 2, false, 0x00}, {0x26, 2, false, 0x06}, {0x28, 2, false, 0x0E},
        {0x2A, 2, false, 0x14}, {0x2C, 2, false, 0x16}, {0x2E, 2, false, 0x18},
        {0x30, 2, false, 0x1C}, {0x32, 2, false, 0x1E}, {0x34, 2, false, 0x20},
        {0x36, 2, false, 0x22}, {0x38, 2, false, 0x2A}, {0x3A, 2, false, 0x0C},
        {0x3C, 2, false, 0x10}, {0x3E, 2, false, 0x12}, {0x40, 2, false, 0x08},
        {0x42, 4, false, 0x02}, {0x46, 2, true, 0x00},  {0x48, 2, true, 0x02},
        {0x4A, 2, true, 0x06},  {0x4C, 2, true, 0x08},
    };
    ASSERT_EQ(fields.size(), 20u);
    for (const From& f : fields) {
        const auto source = f.fromExtra ? gDeviceId.deviceExtraRecord.Bytes()
                                        : gDeviceId.currentDeviceRecord.Bytes();
        EXPECT_EQ(Field(id, f.idOffset, f.width), Field(source, f.offset, f.width))
            << "identify offset " << f.idOffset;
    }
    EXPECT_EQ(Field(id, 0x00, 2), 0xAA55u);
    EXPECT_EQ(Field(id, 0x02, 2), 45u);
    EXPECT_EQ(Bytes(id.begin() + 0x04, id.begin() + 0x24), NameField("MSP430FG43x"));
    EXPECT_EQ(Field(id, 0x4E, 2), 0u);
}

TEST_F(DeviceRecordTest, ResetPutsTheRecordsOfANotYetKnownDevice) {
    Identify({{0, 0x54}, {1, 0x38}, {2, 0x00}});
    ResetCurrentDeviceRecord();
    // clang-format off
    const Bytes expected = {
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0x00
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0x0A
        0x02, 0x00,             // 0x14
        0x00, 0x00, 0x00, 0x00, // 0x16
        0xD7, 0x60,             // 0x1A
        0x00, 0x00, 0x00, 0x00, // 0x1C
        0x08, 0x07, 0x10, 0x0E, // 0x20 1800, 0x22 3600
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0x24
        0x01, 0x00,             // 0x2A
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0x2C
        0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, // 0x3A
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // 0x44
    };
    // clang-format on
    EXPECT_EQ(BytesOf(gDeviceId.currentDeviceRecord), expected);
    EXPECT_EQ(BytesOf(gDeviceId.deviceExtraRecord),
              Concat({{0x00, 0x0C, 0xFF, 0x0F, 0x00, 0x02}, Zeros(68)}));
    // The matched row is the identification's business, not the reset's.
    EXPECT_EQ(gDeviceId.currentDeviceIndex, 92);
}

TEST_F(DeviceRecordTest, ANewIdentificationLeavesNothingOfTheLastOne) {
    Identify({{0, 0x54}, {1, 0x38}, {2, 0x00}});
    BuildIdentifyRecord();
    Identify({{0, 0xF1}, {1, 0x49}, {16, 0x00}});
    BuildIdentifyRecord();
    EXPECT_EQ(BytesOf(gDeviceId.currentDeviceRecord), kF149Current);
    EXPECT_EQ(BytesOf(gDeviceId.deviceExtraRecord), kF149Extra);
    EXPECT_EQ(BytesOf(gDeviceId.identifyRecord), kF149Identify);
}

TEST_F(DeviceRecordTest, TheNameFieldStaysZeroTerminated) {
    core::IdentifyRecord id;
    id.SetName(std::string(40, 'N'));
    EXPECT_EQ(id.Name(), std::string(31, 'N'));
    EXPECT_EQ(id.Bytes()[0x04 + 31], 0);
    EXPECT_EQ(id.MainStart(), 0); // the field after the name is untouched

    // A name field without any zero, as a peer might send it, reads as 31
    // characters and no further.
    auto raw = id.MutableBytes();
    std::fill(raw.begin() + 0x04, raw.begin() + 0x24, 'Z');
    EXPECT_EQ(id.Name(), std::string(31, 'Z'));

    id.SetName("F1");
    EXPECT_EQ(Bytes(id.Bytes().begin() + 0x04, id.Bytes().begin() + 0x24), NameField("F1"));
}

} // namespace
} // namespace debugif
