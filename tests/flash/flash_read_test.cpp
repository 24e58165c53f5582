#include "tests/flash/flash_fixture.h"

#include "core/flash_read.h"

#include <cstring>

namespace {

using namespace core;
using flash_test::FlashTest;
using Transfer = std::pair<int32_t, int32_t>;

class FlashReadTest : public FlashTest {
protected:
    static bool ReadImageHolds(int32_t address, const std::vector<uint8_t>& bytes) {
        return std::memcmp(&Images.ReadImage[ImageIndex(address)], bytes.data(), bytes.size()) == 0;
    }
};

TEST_F(FlashReadTest, ReadRangeTakesWhatLiesInsideAndNothingElse) {
    struct Case {
        const char* board;
        int32_t address;
        int32_t length;
        int32_t result;
        std::vector<Transfer> transfers;
    };
    const Case cases[] = {
        {"149", 0x2000, 512, 1, {{0x2000, 512}}},
        {"149", 0x1100, 4096, 1, {{0x1100, 4096}}},
        // From the even address below, so the last byte asked for is read too.
        {"149", 0x2001, 3, 1, {{0x2000, 4}}},
        {"149", 0x0FFE, 4, 0, {}},
        {"149", 0x10000, 2, 0, {}}, // above the flash end
        {"149", 0x2000, 0, 0, {}},
        {"5438", 0x45B00, 0x100, 1, {{0x45B00, 0x100}}},
        {"5438", 0x45B00, 0x101, 0, {}}, // would run past the images
        {"5438", 0x45BFF, 0x7FFFFFFF, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.board << std::hex << " 0x" << c.address);
        Connect(c.board);
        const int32_t shown = c.length < 0x10000 ? c.length : 1;
        const std::vector<uint8_t> bytes = Pattern(c.address, shown);
        sim::Sim().PokeRange(static_cast<uint32_t>(c.address), bytes);

        EXPECT_EQ(TargetReadRange(c.address, c.length), c.result);
        EXPECT_EQ(Transfers(1), c.transfers);
        if (c.result == 1) {
            EXPECT_TRUE(ReadImageHolds(c.address, bytes));
        }
    }
}

TEST_F(FlashReadTest, AFailedReadLeavesReadImageAsItWas) {
    Connect("149");
    sim::Sim().PokeRange(0x2000, Pattern(0x2000, 512));
    sim::Sim().FailReadAt(0x2100, 1);
    EXPECT_EQ(TargetReadRange(0x2000, 512), 4);
    EXPECT_TRUE(ReadImageHolds(0x2000, std::vector<uint8_t>(512, 0xFF)));
}

TEST_F(FlashReadTest, SelectedRangeReadsOnlyWhereTheReadMaskSelects) {
    Connect("149");
    Settings.FlashReadModeIndex = 2; // information memory only
    ReadMaskBuild(0);
    EXPECT_EQ(TargetReadSelectedRange(0x2000, 512), 0);
    EXPECT_EQ(Transfers(1).size(), 0u);
    EXPECT_EQ(TargetReadSelectedRange(0x1000, 256), 1);
    EXPECT_EQ(Transfers(1), (std::vector<Transfer>{{0x1000, 256}}));

    sim::Sim().FailReadAt(0x1000, 1);
    EXPECT_EQ(TargetReadSelectedRange(0x1000, 256), 4);
}

} // namespace
