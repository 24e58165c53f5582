#include "tests/target/target_fixture.h"

#include "core/debug_api.h"
#include "core/memory_map.h"
#include "core/segment_table.h"
#include "core/target_connect.h"
#include "core/target_identify.h"

namespace {

using namespace core;

class TargetIdentifyTest : public TargetTest {
protected:
    // The board of row device, the interface open and the target powered.
    static void Connect(std::string_view device) {
        ASSERT_GT(sim::SimSelectDeviceNamed(device), 0);
        ASSERT_EQ(TargetPowerSet(1), 1);
        sim::Sim().Log().Clear();
    }
    static std::vector<int32_t> ReadAddresses() {
        std::vector<int32_t> out;
        for (const sim::SimCall& c : CallsOf("MSP430_Memory")) {
            out.push_back(c.args[0]);
        }
        return out;
    }
};

TEST_F(TargetIdentifyTest, IdentifiesTheConnectedDevice) {
    struct Case {
        const char* board;
        const char* name;
        int32_t series, mainStart, flashEnd, ramSize, infoStart, segments;
    };
    const Case cases[] = {
        {"149", "MSP430F149", 1, 0x1100, 0xFFFF, 2048, 0x1000, 122},
        {"2274", "MSP430F2274", 2, 0x8000, 0xFFFF, 1024, 0x1000, 124},
        // The RAM size counts from 0x0200 up to the record's RAM end.
        {"G4619", "MSP430FG4619", 4, 0x2100, 0x1FFFF, 2048, 0x1000, 250},
        {"1232", "MSP430F12x2", 1, 0xE000, 0xFFFF, 256, 0x1000, 122},
        {"5438", "MSP430F5438", 5, 0x5C00, 0x45BFF, 0x5BFF - 511, 0x1800, 516},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.board);
        Connect(c.board);
        ASSERT_EQ(TargetIdentify(), 1);
        EXPECT_EQ(ConnectedDevice.TargetIdentified, 1);
        EXPECT_EQ(ConnectedDevice.name, c.name);
        EXPECT_EQ(ConnectedDevice.version, "ver.  1.02");
        EXPECT_EQ(ConnectedDevice.mainStart, c.mainStart);
        EXPECT_EQ(ConnectedDevice.flashEnd, c.flashEnd);
        EXPECT_EQ(ConnectedDevice.ramSize, c.ramSize);
        EXPECT_EQ(ConnectedDevice.match, 1); // nothing selected
        EXPECT_EQ(ConnectedDevice.earlyF5xx, 0);
        EXPECT_EQ(MemoryMap.active.series, c.series);
        EXPECT_EQ(MemoryMap.active.infoStart, c.infoStart);
        EXPECT_EQ(SegmentTable.count, c.segments);
        EXPECT_EQ(Target.IdentifyFuseMarker, 0);
        EXPECT_EQ(Target.TargetErrorLog, "");
    }
}

TEST_F(TargetIdentifyTest, SeriesFiveReadsItsDescriptorAt0x1A04AndTheRevision) {
    Connect("5438");
    ASSERT_EQ(TargetIdentify(), 1);
    EXPECT_EQ(ReadAddresses(), (std::vector<int32_t>{0x0FF0, 0x1A04, 0x1A06}));
    EXPECT_EQ(ConnectedDevice.deviceId, 0x5438u);
    EXPECT_EQ(Target.descriptor[0], 0x54);
    EXPECT_EQ(ConnectedDevice.earlyF5xx, 0);

    Connect("5438");
    sim::Sim().SetEarlyF5xx(true);
    ASSERT_EQ(TargetIdentify(), 1);
    EXPECT_EQ(ConnectedDevice.name, "XMS430F5438");
    EXPECT_EQ(ConnectedDevice.earlyF5xx, 1);

    Connect("149");
    ASSERT_EQ(TargetIdentify(), 1);
    EXPECT_EQ(ReadAddresses(), (std::vector<int32_t>{0x0FF0}));
    EXPECT_EQ(ConnectedDevice.deviceId, 0xF149u);
}

TEST_F(TargetIdentifyTest, MatchAgainstTheSelectedDevice) {
    struct Case {
        const char* selected;
        const char* board;
        int32_t match;
    };
    const Case cases[] = {
        {"149", "149", 1},
        {"2274", "149", 0},
        {"1232", "1232", 1}, // "MSP430F12x2": the x
                             // stands for any character
        {"1222", "1232", 1},
        {"1132", "1232", 0},
        {"5438", "5438", 1},
        {"5437", "5438", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.selected << " on " << c.board);
        SelectDevice(c.selected);
        Connect(c.board);
        ASSERT_EQ(TargetIdentifyOk(), 1);
        EXPECT_EQ(ConnectedDevice.match, c.match);
    }
}

TEST_F(TargetIdentifyTest, ABlownFuseSetsTheMarker) {
    Connect("149");
    sim::Sim().SetFuseBlown(true);
    EXPECT_EQ(TargetIdentify(), 0);
    EXPECT_EQ(Target.IdentifyFuseMarker, kFuseBlownMarker);
    EXPECT_EQ(ConnectedDevice.TargetIdentified, 0);
    EXPECT_EQ(Target.TargetErrorLog, "Could not read device configuration fuses.\r\n");

    sim::Sim().SetFuseBlown(false);
    ASSERT_EQ(TargetIdentify(), 1);
    EXPECT_EQ(Target.IdentifyFuseMarker, 0); // cleared by the next identification
}

TEST_F(TargetIdentifyTest, FailuresIdentifyNothing) {
    struct Case {
        const char* what;
        void (*inject)();
        int32_t error; // what the library reports; -1 from it carries no text of its own
    };
    const Case cases[] = {
        {"identify refused", [] { sim::Sim().FailOperation("MSP430_Identify", 4, 1); }, 4},
        {"descriptor unreadable", [] { sim::Sim().FailReadAt(0x0FF0, 1); }, 6},
        {"series-5 descriptor unreadable",
         [] {
             sim::SimSelectDeviceNamed("5438");
             sim::Sim().FailReadAt(0x1A04, 1);
         },
         6},
        // The descriptor read covers the revision bytes too, so this fails
        // there; the revision read alone is the case below.
        {"series-5 descriptor unreadable at the revision bytes",
         [] {
             sim::SimSelectDeviceNamed("5438");
             sim::Sim().FailReadAt(0x1A07, 1);
         },
         6},
        {"no supply", [] { sim::Sim().SetAdapterSupply(0); }, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect("149");
        ASSERT_EQ(TargetIdentify(), 1);
        c.inject();
        EXPECT_EQ(TargetIdentifyOk(), 0);
        EXPECT_EQ(ConnectedDevice.TargetIdentified, 0);
        EXPECT_EQ(ConnectedDevice.name, "");
        EXPECT_EQ(ConnectedDevice.earlyF5xx, 0);
        EXPECT_EQ(Debug_Error_Number(), c.error);
        EXPECT_EQ(Target.TargetErrorLog, "");
        sim::Sim().ClearFaults();
    }
}

// The simulated library, except that the 2-byte read of the series-5
// revision byte fails: the descriptor reads before it succeed.
int32_t revisionReads = 0;
int32_t MemoryWithoutRevision(int32_t address, char* buffer, int32_t count, int32_t rw) {
    if (address == 0x1A06 && count == 2 && rw == kMemoryRead) {
        ++revisionReads;
        return 6;
    }
    return sim::SimDebugApi().Memory(address, buffer, count, rw);
}

TEST_F(TargetIdentifyTest, AnUnreadableRevisionLeavesNothingOfTheNewDevice) {
    Connect("149");
    ASSERT_EQ(TargetIdentify(), 1);
    const int32_t segments = SegmentTable.count;

    DebugApi api = sim::SimDebugApi();
    api.Memory = MemoryWithoutRevision;
    DebugApiUse(&api);
    Connect("5438");
    revisionReads = 0;
    EXPECT_EQ(TargetIdentify(), 0);
    EXPECT_EQ(ReadAddresses(), (std::vector<int32_t>{0x0FF0, 0x1A04})); // what reached the board
    EXPECT_EQ(revisionReads, 1);
    EXPECT_EQ(ConnectedDevice.TargetIdentified, 0);
    // Nothing of the half-identified part may pass for the connected device.
    EXPECT_EQ(ConnectedDevice.name, "");
    EXPECT_EQ(ConnectedDevice.flashEnd, 0xFFFF);
    EXPECT_EQ(ConnectedDevice.mainStart, 0x1100);
    EXPECT_EQ(ConnectedDevice.earlyF5xx, 0);
    EXPECT_NE(MemoryMap.active.series, 5);
    EXPECT_EQ(SegmentTable.count, segments);
    EXPECT_EQ(Target.TargetErrorLog, "Could not read device memory.\r\n");
    DebugApiUse(&sim::SimDebugApi());
}

TEST_F(TargetIdentifyTest, PowerAndClearDropTheIdentification) {
    Connect("149");
    ASSERT_EQ(TargetIdentify(), 1);
    EXPECT_EQ(TargetClearIdentified(), 1);
    EXPECT_EQ(ConnectedDevice.TargetIdentified, 0);
    ASSERT_EQ(TargetIdentify(), 1);
    ASSERT_EQ(TargetPowerSet(1), 1);
    EXPECT_EQ(ConnectedDevice.TargetIdentified, 0);
}

} // namespace
