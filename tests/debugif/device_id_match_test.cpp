// Choosing the device-ID row from identification bytes, and forced rows.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "debugif/debugif_reset.h"
#include "debugif/device_id_state.h"
#include "debugif/device_id_table.h"
#include "debugif/device_lookup.h"

namespace debugif {
namespace {

using ByteSet = std::vector<std::pair<std::size_t, uint8_t>>;

// An identification block whose unnamed bytes hold 0xA5, a value no key of
// the table uses, so only the named bytes can make a row match.
std::vector<uint8_t> Block(const ByteSet& bytes, std::size_t size = kIdentificationBlockSize) {
    std::vector<uint8_t> block(size, 0xA5);
    for (const auto& [index, value] : bytes) {
        block.at(index) = value;
    }
    return block;
}

class DeviceMatchTest : public ::testing::Test {
protected:
    void SetUp() override { ResetDebugifState(); }
    void TearDown() override { ResetDebugifState(); }
};

struct MatchCase {
    const char* what;
    ByteSet bytes;
    uint16_t row;
    const char* name;
    uint16_t type;
};

TEST_F(DeviceMatchTest, IdentificationBytesChooseTheFirstMatchingRow) {
    // clang-format off
    const std::vector<MatchCase> cases = {
        // The F13x/F14x share one ID and are told apart by the fuse nibble.
        {"F133", {{0, 0xF1}, {1, 0x49}, {16, 0x05}}, 3, "MSP430F133", 3},
        {"F133, fuse high nibble ignored", {{0, 0xF1}, {1, 0x49}, {16, 0x15}}, 3, "MSP430F133", 3},
        {"F135", {{0, 0xF1}, {1, 0x49}, {16, 0x04}}, 4, "MSP430F135", 4},
        {"F147", {{0, 0xF1}, {1, 0x49}, {16, 0x02}}, 5, "MSP430F147", 5},
        {"F148", {{0, 0xF1}, {1, 0x49}, {16, 0x01}}, 6, "MSP430F148", 6},
        {"F149", {{0, 0xF1}, {1, 0x49}, {16, 0x00}}, 7, "MSP430F149", 7},
        {"F149, fuse high nibble ignored", {{0, 0xF1}, {1, 0x49}, {16, 0xF0}}, 7, "MSP430F149", 7},
        {"F1 49 with a fuse no row knows", {{0, 0xF1}, {1, 0x49}, {16, 0x03}}, 0, "Device_unknown", 0},
        // Three FE423 rows; byte 2 picks among them, the first in order wins.
        {"FE423_P", {{0, 0xF4}, {1, 0x27}, {2, 0x00}, {13, 0x45}, {16, 0x02}}, 19, "MSP430FE423_P", 18},
        {"FE423_N", {{0, 0xF4}, {1, 0x27}, {2, 0x10}, {13, 0x45}, {16, 0x02}}, 22, "MSP430FE423_N", 18},
        {"FE423", {{0, 0xF4}, {1, 0x27}, {2, 0x33}, {13, 0x45}, {16, 0x02}}, 25, "MSP430FE423", 18},
        {"FE423_P, fuse mask 1F", {{0, 0xF4}, {1, 0x27}, {2, 0x00}, {13, 0x45}, {16, 0xE2}}, 19, "MSP430FE423_P", 18},
        {"F423 past the FE rows", {{0, 0xF4}, {1, 0x27}, {2, 0x00}, {13, 0x45}, {16, 0x06}}, 28, "MSP430F423", 21},
        {"FW42x by byte 13", {{0, 0xF4}, {1, 0x27}, {13, 0x57}}, 31, "MSP430FW42x/F41x", 24},
        // F169 is reached from two rows that share its type.
        {"F169 from F1 69", {{0, 0xF1}, {1, 0x69}, {16, 0x00}}, 40, "MSP430F169", 33},
        {"F169 from F1 6C", {{0, 0xF1}, {1, 0x6C}, {16, 0x07}}, 44, "MSP430F169", 33},
        {"F1611", {{0, 0xF1}, {1, 0x6C}, {16, 0x08}}, 42, "MSP430F1611", 35},
        {"preliminary F16x first", {{0, 0xF1}, {1, 0x69}, {2, 0x00}, {3, 0x40}, {16, 0x00}}, 18, "Preliminary_MSP430F16x", 17},
        // Keys on bytes 8 and 9.
        {"F11x1", {{0, 0xF1}, {1, 0x12}, {2, 0x10}, {3, 0x40}, {8, 0x00}, {9, 0x00}}, 2, "MSP430F11x1", 2},
        {"F11x1A", {{0, 0xF1}, {1, 0x12}, {2, 0x13}, {8, 0x00}, {9, 0x00}}, 10, "MSP430F11x1A", 10},
        {"F11x1 with byte 9 off", {{0, 0xF1}, {1, 0x12}, {2, 0x10}, {3, 0x40}, {8, 0x00}, {9, 1}}, 0, "Device_unknown", 0},
        // A row without a fuse key takes any fuse value.
        {"F43x, any fuse", {{0, 0xF4}, {1, 0x37}, {16, 0x9C}}, 12, "MSP430F43x", 12},
        {"F43x from F4 49", {{0, 0xF4}, {1, 0x49}, {13, 0x00}, {16, 0x02}}, 13, "MSP430F43x", 12},
        {"F44x", {{0, 0xF4}, {1, 0x49}, {13, 0x00}, {16, 0x10}}, 14, "MSP430F44x", 13},
        {"F4783", {{0, 0xF4}, {1, 0x49}, {13, 0x02}, {16, 0x07}}, 75, "MSP430F4783", 67},
        {"XMS430F5438", {{0, 0x54}, {1, 0x38}, {2, 0x01}}, 91, "XMS430F5438", 83},
        {"F5438", {{0, 0x54}, {1, 0x38}, {2, 0x00}}, 92, "MSP430F5438", 84},
        {"CC430F5133", {{0, 0x51}, {1, 0x33}}, 125, "CC430F5133", 117},
        // Row 0 takes every block with byte 0 = 0, so row 126 is never chosen.
        {"byte 0 is 0", {{0, 0x00}, {1, 0x49}, {16, 0x00}}, 0, "Device_unknown", 0},
        {"all bytes 0", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {8, 0}, {9, 0}, {13, 0}, {16, 0}}, 0, "Device_unknown", 0},
        {"no row", {{0, 0xFF}, {1, 0xFF}}, 0, "Device_unknown", 0},
    };
    // clang-format on
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetDebugifState();
        const std::vector<uint8_t> block = Block(c.bytes);
        EXPECT_EQ(MatchDeviceIdRow(block), c.row);
        EXPECT_EQ(LookupDevice(block, 0), 0);
        EXPECT_EQ(gDeviceId.currentDeviceIndex, c.row);
        EXPECT_EQ(gDeviceId.currentDeviceType, c.type);
        EXPECT_EQ(DeviceNameOfRow(), c.name);
    }
}

TEST_F(DeviceMatchTest, OnlyTheMatchingBytesCount) {
    // A 32-byte block as the parallel-port path reads it, with every byte
    // that does not take part in matching changed: still the F149.
    std::vector<uint8_t> block = Block({{0, 0xF1}, {1, 0x49}, {16, 0x00}}, 32);
    for (std::size_t i : {4, 5, 6, 7, 10, 11, 12, 14, 15, 17, 31}) {
        block[i] = static_cast<uint8_t>(i * 7);
    }
    EXPECT_EQ(LookupDevice(block, 0), 0);
    EXPECT_EQ(gDeviceId.currentDeviceIndex, 7);
}

TEST_F(DeviceMatchTest, AForcedRowIsTakenAsIs) {
    // Bytes that would match the F149 are ignored once a row is forced.
    const std::vector<uint8_t> f149 = Block({{0, 0xF1}, {1, 0x49}, {16, 0x00}});
    ASSERT_EQ(LookupDevice(f149, 84), 0);
    EXPECT_EQ(gDeviceId.currentDeviceIndex, 84);
    EXPECT_EQ(gDeviceId.currentDeviceType, 76);
    EXPECT_EQ(DeviceNameOfRow(), "MSP430F2481");
    EXPECT_EQ(gDeviceId.currentDeviceRecord.MainStart(), 0x4000); // its type's layout

    // The block is not read at all: an adapter that identified the device
    // itself may hand over nothing else.
    ASSERT_EQ(LookupDevice({}, 126), 0);
    EXPECT_EQ(gDeviceId.currentDeviceIndex, 126);
    EXPECT_EQ(gDeviceId.currentDeviceType, 118);
    EXPECT_EQ(DeviceNameOfRow(), "End_of_devices");
    EXPECT_EQ(gDeviceId.currentDeviceRecord.SupplyMinimum(), 0);

    // Forced row 0 means "match".
    ASSERT_EQ(LookupDevice(f149, 0), 0);
    EXPECT_EQ(gDeviceId.currentDeviceIndex, 7);
}

TEST_F(DeviceMatchTest, AForcedRowOutsideTheTableIsRefused) {
    const std::vector<uint8_t> f149 = Block({{0, 0xF1}, {1, 0x49}, {16, 0x00}});
    CurrentDeviceRecord unknown;
    DeviceExtraRecord unknownExtra;
    FillDeviceRecords(PropertiesOfType(0), unknown, unknownExtra);

    for (int32_t forced : {-1, 127, 128, 0xFFFF, std::numeric_limits<int32_t>::min(),
                           std::numeric_limits<int32_t>::max()}) {
        SCOPED_TRACE(forced);
        ASSERT_EQ(LookupDevice(f149, 0), 0); // a device was known before
        ASSERT_EQ(gDeviceId.currentDeviceIndex, 7);

        EXPECT_EQ(LookupDevice(f149, forced), kUnknownDeviceError);
        // Nothing of the earlier device is left to be used by mistake.
        EXPECT_EQ(gDeviceId.currentDeviceIndex, 0);
        EXPECT_EQ(gDeviceId.currentDeviceType, 0);
        EXPECT_EQ(DeviceNameOfRow(), "Device_unknown");
        EXPECT_EQ(gDeviceId.currentDeviceRecord, unknown);
        EXPECT_EQ(gDeviceId.deviceExtraRecord, unknownExtra);
    }
}

TEST_F(DeviceMatchTest, ABlockTooShortToMatchIsRefused) {
    ASSERT_EQ(LookupDevice(Block({{0, 0xF1}, {1, 0x49}, {16, 0x00}}), 0), 0);

    // Sixteen bytes lack the fuse byte: the F13x/F14x rows cannot be told
    // apart, so no row is guessed.
    const std::vector<uint8_t> shortBlock = Block({{0, 0xF1}, {1, 0x49}}, 16);
    EXPECT_EQ(MatchDeviceIdRow(shortBlock), 0);
    EXPECT_EQ(LookupDevice(shortBlock, 0), kUnknownDeviceError);
    EXPECT_EQ(gDeviceId.currentDeviceIndex, 0);
    EXPECT_EQ(LookupDevice({}, 0), kUnknownDeviceError);
    EXPECT_EQ(gDeviceId.currentDeviceIndex, 0);
}

TEST_F(DeviceMatchTest, TheF543xTypesKeepTheirBslLocked) {
    // The rows whose type keeps the BSL protected are the F543x rows.
    for (uint16_t row = 0; row < DeviceIdTableRowCount; ++row) {
        const bool f543x = (row >= 91 && row <= 94) || (row >= 97 && row <= 99);
        EXPECT_EQ(IsBslProtectedDeviceType(DeviceIdTable[row].deviceType), f543x)
            << DeviceIdTable[row].name;
    }
}

} // namespace
} // namespace debugif
