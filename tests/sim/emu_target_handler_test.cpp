// The emulated adapter's commands on its simulated target, handed to the
// command handler directly, without a link.

#include "tests/sim/sim_fixture.h"

#include "sim/emu_board.h"
#include "sim/emu_target_handler.h"
#include "sim/sim_target.h"

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kNoEdge = 0xFFFFFFFF;

class EmuTargetHandlerTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        ASSERT_GT(sim::EmuSelectDeviceNamed(target, "149"), 0);
        target.SetExternalSupply(3000);
    }
    sim::EmuReply Command(uint8_t id, std::vector<uint32_t> params) {
        sim::EmuRequest r;
        r.id = id;
        r.type = 2;
        r.params = std::move(params);
        return handler.OnCommand(r);
    }
    sim::EmuBulkAck Block(uint16_t number, uint32_t address, uint32_t count, uint8_t value) {
        sim::EmuBulkBlock b;
        b.number = number;
        b.address = address;
        b.data.assign(count, value);
        return handler.OnBulkBlock(b);
    }
    static bool Refused(const sim::EmuBulkAck& a) { return a.kind == 0 && a.status != 0; }

    sim::SimTarget target;
    sim::EmuTargetHandler handler{target};
};

TEST_F(EmuTargetHandlerTest, ABlockWriteAnnouncesWhatItsBlocksMustCover) {
    // Command 44: block count, last block size, address, byte count.
    EXPECT_NE(Command(44, {0, 0, 0x2000, 1000}).status, 0) << "no blocks for 1000 bytes";
    EXPECT_NE(Command(44, {2, 488, 0x2000, 1024}).status, 0) << "the sizes miss the count";
    EXPECT_EQ(Command(44, {0, 0, 0x2000, 0}).status, 0);
}

TEST_F(EmuTargetHandlerTest, BulkBlocksLandOnlyWhereTheWriteSaidTheyWould) {
    struct Case {
        const char* what;
        std::vector<uint32_t> params; // of the announcing command
        uint8_t id;
        uint32_t first, second; // addresses the host gives its two blocks
        uint32_t lastSize;
        bool taken;
    };
    const Case cases[] = {
        {"44 in order", {2, 100, 0x2000, 612}, 44, 0x2000, 0x2200, 100, true},
        {"44, first block elsewhere", {2, 100, 0x2000, 612}, 44, 0x2400, 0x2600, 100, false},
        {"44, second block over the first", {2, 100, 0x2000, 612}, 44, 0x2000, 0x2000, 100, false},
        {"15 in order",
         {2, 100, kNoEdge, kNoEdge, kNoEdge, kNoEdge},
         15,
         0x3000,
         0x3200,
         100,
         true},
        {"15 with a gap",
         {2, 100, kNoEdge, kNoEdge, kNoEdge, kNoEdge},
         15,
         0x3000,
         0x3400,
         100,
         false},
        {"15 after its odd start",
         {2, 100, 0x2FFF, 0x11, 0x3264, 0x22},
         15,
         0x3000,
         0x3200,
         100,
         true},
        {"15 away from its odd start",
         {2, 100, 0x2FFF, 0x11, kNoEdge, kNoEdge},
         15,
         0x3002,
         0x3202,
         100,
         false},
        {"15 short of its odd end",
         {2, 100, kNoEdge, kNoEdge, 0x3266, 0x22},
         15,
         0x3000,
         0x3200,
         100,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_GT(sim::EmuSelectDeviceNamed(target, "149"), 0); // a fresh board
        ASSERT_EQ(Command(c.id, c.params).status, 0);
        const sim::EmuBulkAck a = Block(1, c.first, 512, 0x5A);
        const bool firstTaken = !Refused(a);
        const bool secondTaken = firstTaken && !Refused(Block(2, c.second, c.lastSize, 0xA5));
        EXPECT_EQ(firstTaken && secondTaken, c.taken);
        if (!firstTaken) {
            EXPECT_EQ(target.Peek(c.first), 0xFF) << "a refused block writes nothing";
        }
        if (firstTaken && !secondTaken) {
            EXPECT_EQ(target.Peek(c.second), c.second == c.first ? 0x5A : 0xFF);
        }
    }
}

} // namespace
