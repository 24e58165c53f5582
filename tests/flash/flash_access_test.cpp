#include "tests/flash/flash_fixture.h"

#include "core/flash_access.h"
#include "core/flash_erase.h"
#include "core/flash_fuse.h"
#include "core/flash_state.h"

namespace {

using namespace core;
using flash_test::FlashTest;

using FlashAccessTest = FlashTest;

TEST_F(FlashAccessTest, TheBracketOpensOnlyForTheLockedInfoA) {
    struct Case {
        const char* board;
        int32_t address, length;
        bool opens;
    };
    const Case cases[] = {
        {"2274", 0x10C0, 64, true},   {"2274", 0x10FE, 2, true},    {"2274", 0x1000, 64, false},
        {"2274", 0x8000, 512, false}, {"5438", 0x1900, 0x81, true}, {"5438", 0x1800, 0x80, false},
        {"149", 0x1080, 128, false}, // no locked segment at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.board << std::hex << " 0x" << c.address);
        Connect(c.board);
        EXPECT_EQ(TargetLockedFlashAccessBegin(c.address, c.length), 1);
        EXPECT_EQ(sim::Sim().InfoAUnlocked(), c.opens);
        TargetLockedFlashAccessEnd();
        EXPECT_FALSE(sim::Sim().InfoAUnlocked());
        EXPECT_EQ(CallsOf("MSP430_Configure").size(), c.opens ? 2u : 0u);
    }
}

TEST_F(FlashAccessTest, ARefusedCloseIsTriedAgainByTheNextEnd) {
    Connect("2274");
    TargetLockedFlashAccessBegin(0x10C0, 64);
    sim::Sim().FailOperation("MSP430_Configure", 3, 1);
    TargetLockedFlashAccessEnd();
    EXPECT_EQ(FlashOps.lockedAccess, 1);
    EXPECT_TRUE(sim::Sim().InfoAUnlocked());
    TargetLockedFlashAccessEnd(); // as a procedure start does
    EXPECT_EQ(FlashOps.lockedAccess, 0);
    EXPECT_FALSE(sim::Sim().InfoAUnlocked());
}

TEST_F(FlashAccessTest, BlowingTheFuse) {
    Connect("149");
    EXPECT_EQ(TargetBlowFuse(), 1);
    EXPECT_TRUE(sim::Sim().FuseBlown());
    EXPECT_EQ(TargetBlowFuse(), 0); // blown already

    Connect("149");
    ASSERT_EQ(TargetPowerSet(0), 1);
    EXPECT_EQ(TargetBlowFuse(), 0);
    EXPECT_FALSE(sim::Sim().FuseBlown());
}

TEST_F(FlashAccessTest, WithoutAProgressOperationProgressGoesNowhere) {
    Connect("149");
    ProgressOperationSet(nullptr, nullptr);
    EXPECT_EQ(TargetEraseMain(), 1);
    EXPECT_TRUE(progress.empty());
}

} // namespace
