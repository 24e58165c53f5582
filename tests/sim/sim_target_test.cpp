#include "tests/sim/sim_fixture.h"

#include "debugif/device_id_table.h"
#include "debugif/device_lookup.h"
#include "sim/emu_board.h"
#include "sim/sim_target.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using sim::Region;
using sim::SimTarget;

class SimTargetTest : public SimTest {
protected:
    // A powered board with every flash byte programmed to 0x00, so that each
    // erase shows exactly what it erased.
    static SimTarget& ProgrammedBoard(std::string_view name) {
        SimTarget& t = Board(name);
        t.SetExternalSupply(3000);
        t.SetInfoAUnlocked(true);
        const sim::SimLayout& l = t.Layout();
        const std::vector<uint8_t> zeros(sim::kMemorySize, 0x00);
        EXPECT_EQ(t.Write(l.infoStart, zeros.data(), l.infoEnd - l.infoStart + 1), 0);
        EXPECT_EQ(t.Write(l.mainStart, zeros.data(), l.mainEnd - l.mainStart + 1), 0);
        t.SetInfoAUnlocked(false);
        return t;
    }
    // The addresses in first..last whose byte is 0xFF.
    static std::vector<uint32_t> ErasedIn(const SimTarget& t, uint32_t first, uint32_t last) {
        std::vector<uint32_t> out;
        for (uint32_t a = first; a <= last; ++a) {
            if (t.Peek(a) == 0xFF) {
                out.push_back(a);
            }
        }
        return out;
    }
    static void ExpectErasedExactly(const SimTarget& t, uint32_t first, uint32_t last) {
        const sim::SimLayout& l = t.Layout();
        for (const auto& [lo, hi] : {std::pair{l.infoStart, l.infoEnd}, {l.mainStart, l.mainEnd}}) {
            for (uint32_t a = lo; a <= hi; ++a) {
                const bool inside = a >= first && a <= last;
                if ((t.Peek(a) == 0xFF) != inside) {
                    ADD_FAILURE() << std::hex << "address 0x" << a
                                  << (inside ? " kept" : " erased");
                    return;
                }
            }
        }
    }
};

TEST_F(SimTargetTest, LayoutFollowsTheDeviceRow) {
    struct Case {
        const char* row;
        int32_t series;
        uint32_t infoStart, infoSegments, segmentSize, lockedStart, lockedEnd;
        uint32_t mainStart, mainEnd, ramStart, ramEnd, ram2Start, ram2End;
    };
    const Case cases[] = {
        {"149", 1, 0x1000, 2, 128, 0, 0, 0x1100, 0xFFFF, 0x0200, 0x09FF, 0, 0},
        {"2274", 2, 0x1000, 4, 64, 0x10C0, 0x10FF, 0x8000, 0xFFFF, 0x0200, 0x05FF, 0, 0},
        // More than 2 KB: the whole RAM at 0x1100, 0x0200-0x09FF showing
        // its start.
        {"G4619", 4, 0x1000, 2, 128, 0, 0, 0x2100, 0x1FFFF, 0x0200, 0x09FF, 0x1100, 0x20FF},
        {"47197", 4, 0x1000, 4, 64, 0x10C0, 0x10FF, 0x2100, 0x1FFFF, 0x0200, 0x09FF, 0x1100,
         0x20FF},
        {"1611", 1, 0x1000, 2, 128, 0, 0, 0x4000, 0xFFFF, 0x0200, 0x09FF, 0x1100, 0x38FF},
        {"5438", 5, 0x1800, 4, 128, 0x1980, 0x19FF, 0x5C00, 0x45BFF, 0x1C00, 0x5BFF, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const sim::SimLayout& l = Board(c.row).Layout();
        EXPECT_EQ(l.series, c.series);
        EXPECT_EQ(l.infoStart, c.infoStart);
        EXPECT_EQ(l.infoSegments, c.infoSegments);
        EXPECT_EQ(l.infoSegmentSize, c.segmentSize);
        EXPECT_EQ(l.lockedStart, c.lockedStart);
        EXPECT_EQ(l.lockedEnd, c.lockedEnd);
        EXPECT_EQ(l.mainStart, c.mainStart);
        EXPECT_EQ(l.mainEnd, c.mainEnd);
        EXPECT_EQ(l.ramStart, c.ramStart);
        EXPECT_EQ(l.ramEnd, c.ramEnd);
        EXPECT_EQ(l.ram2Start, c.ram2Start);
        EXPECT_EQ(l.ram2End, c.ram2End);
    }
}

// SelectDevice lays the memory out stretch by stretch; every address must
// behave as the layout's region for it says: erased RAM and registers read
// 0x00, everything else 0xFF (apart from the descriptor and calibration
// bytes placed there), and a write over the whole memory lands in RAM,
// registers and flash and nowhere else.
TEST_F(SimTargetTest, EveryAddressBehavesAsItsRegion) {
    for (const char* row : {"149", "2274", "G4619", "47197", "1611", "5438"}) {
        SCOPED_TRACE(row);
        SimTarget& t = Board(row);
        const sim::SimLayout l = t.Layout();
        const std::vector<uint8_t> before = t.PeekRange(0, sim::kMemorySize);
        auto placed = [&](uint32_t a) {
            return (a >= l.descriptorAddress && a < l.descriptorAddress + 16) ||
                   (l.series == 5 && (a == 0x0FF0 || a == 0x1A06)) ||
                   (l.series == 2 && a >= 0x10F8 && a <= 0x10FF);
        };
        for (uint32_t a = 0; a < sim::kMemorySize; ++a) {
            const Region r = l.RegionOf(a);
            const uint8_t erased = (r == Region::Ram || r == Region::Peripheral) ? 0x00 : 0xFF;
            if (!placed(a) && before[a] != erased) {
                FAIL() << std::hex << "0x" << a << " reads 0x" << int{before[a]};
            }
        }
        t.SetExternalSupply(3000);
        t.SetInfoAUnlocked(true);
        const std::vector<uint8_t> fill(sim::kMemorySize, 0x5A);
        ASSERT_EQ(t.Write(0, fill.data(), sim::kMemorySize), 0);
        const std::vector<uint8_t> after = t.PeekRange(0, sim::kMemorySize);
        for (uint32_t a = 0; a < sim::kMemorySize; ++a) {
            const Region r = l.RegionOf(a);
            uint8_t want = before[a]; // ROM and vacant addresses keep their bytes
            if (r == Region::Ram || r == Region::Peripheral) {
                want = 0x5A;
            } else if (r == Region::Main || r == Region::Info) {
                want = static_cast<uint8_t>(before[a] & 0x5A);
            }
            if (after[a] != want) {
                FAIL() << std::hex << "0x" << a << " reads 0x" << int{after[a]}
                       << " after the write";
            }
        }
    }
}

// The low RAM of a part with more than 2 KB is the start of its RAM at
// 0x1100 seen twice: a byte written through either address reads back
// through both, and the RAM ends where the part's RAM size says.
TEST_F(SimTargetTest, LowRamMirrorsTheStartOfTheWholeRam) {
    SimTarget& t = Board("2619"); // 4 KB of RAM, flash from 0x2100
    t.SetExternalSupply(3000);
    const uint8_t a[] = {0x11, 0x22};
    const uint8_t b[] = {0x33, 0x44};
    ASSERT_EQ(t.Write(0x0200, a, 2), 0);
    ASSERT_EQ(t.Write(0x18FE, b, 2), 0); // the last word the low window shows
    uint8_t got[2] = {};
    ASSERT_EQ(t.Read(0x1100, got, 2), 0);
    EXPECT_EQ(got[0], 0x11);
    EXPECT_EQ(got[1], 0x22);
    ASSERT_EQ(t.Read(0x09FE, got, 2), 0);
    EXPECT_EQ(got[0], 0x33);
    EXPECT_EQ(got[1], 0x44);
    EXPECT_EQ(t.Verify(0x0200, 2, a), 0);
    // Beyond the window the RAM at 0x1100 goes on up to 4 KB, no further.
    const uint8_t c[] = {0x55};
    ASSERT_EQ(t.Write(0x20FF, c, 1), 0);
    EXPECT_EQ(t.Peek(0x20FF), 0x55);
    EXPECT_EQ(t.Peek(0x0A00), 0xFF);
    // Reads and verifies across the window's edges see what Peek sees, byte
    // for byte: below, through and above the mirrored window.
    for (const auto& [first, count] :
         {std::pair{0x0100u, 0x200u}, {0x01F0u, 0x900u}, {0x09F0u, 0x20u}, {0x0000u, 0x3000u}}) {
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << first << " + 0x" << count);
        const std::vector<uint8_t> want = t.PeekRange(first, count);
        std::vector<uint8_t> read(count);
        ASSERT_EQ(t.Read(first, read.data(), count), 0);
        EXPECT_EQ(read, want);
        EXPECT_EQ(t.Verify(first, count, want.data()), 0);
        std::vector<uint8_t> other = want;
        other[count - 1] ^= 1;
        EXPECT_EQ(t.Verify(first, count, other.data()), sim::kErrorVerify);
    }
    EXPECT_EQ(t.Verify(0x0A00, 0x200, nullptr), 0) << "vacant above the window";
    EXPECT_EQ(t.Verify(0x2100, 0x800, nullptr), 0) << "erased flash";
    EXPECT_EQ(t.Verify(0x2000, 0x200, nullptr), sim::kErrorVerify) << "RAM is not erased flash";
    // A part with 2 KB has its RAM at 0x0200 alone.
    SimTarget& small = Board("149");
    small.SetExternalSupply(3000);
    ASSERT_EQ(small.Write(0x0200, a, 2), 0);
    EXPECT_EQ(small.Peek(0x0200), 0x11);
    EXPECT_EQ(small.Peek(0x1100), 0xFF);
}

TEST_F(SimTargetTest, SegmentEraseClearsExactlyItsSegment) {
    struct Case {
        const char* row;
        uint32_t address, first, last;
    };
    const Case cases[] = {
        {"149", 0x1100, 0x1100, 0x11FF}, // the main flash starts in the middle of a segment
        {"149", 0x1234, 0x1200, 0x13FF},      {"149", 0xFFFE, 0xFE00, 0xFFFF},
        {"149", 0x1000, 0x1000, 0x107F}, // information segment B
        {"149", 0x10FF, 0x1080, 0x10FF}, // A: not locked on series 1
        {"2274", 0x1041, 0x1040, 0x107F},     {"2274", 0x8000, 0x8000, 0x81FF},
        {"G4619", 0x1FFFF, 0x1FE00, 0x1FFFF}, {"G4619", 0x2100, 0x2100, 0x21FF},
        {"5438", 0x1800, 0x1800, 0x187F},     {"5438", 0x45A00, 0x45A00, 0x45BFF},
        {"5438", 0x5C02, 0x5C00, 0x5DFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << std::hex << " 0x" << c.address);
        SimTarget& t = ProgrammedBoard(c.row);
        ASSERT_EQ(t.EraseSegment(c.address), 0);
        ExpectErasedExactly(t, c.first, c.last);
    }
}

TEST_F(SimTargetTest, MainAndMassEraseAndTheLockedInfoA) {
    {
        SCOPED_TRACE("main erase keeps the information memory");
        SimTarget& t = ProgrammedBoard("2274");
        ASSERT_EQ(t.EraseMain(), 0);
        ExpectErasedExactly(t, 0x8000, 0xFFFF);
    }
    {
        SCOPED_TRACE("mass erase with the lock closed keeps Info-A");
        SimTarget& t = ProgrammedBoard("2274");
        ASSERT_EQ(t.EraseAll(), 0);
        EXPECT_EQ(ErasedIn(t, 0x10C0, 0x10FF).size(), 0u);
        EXPECT_EQ(ErasedIn(t, 0x1000, 0x10BF).size(), 0xC0u);
        EXPECT_EQ(ErasedIn(t, 0x8000, 0xFFFF).size(), 0x8000u);
    }
    {
        SCOPED_TRACE("segment erase of Info-A needs the lock open");
        SimTarget& t = ProgrammedBoard("5438");
        ASSERT_EQ(t.EraseSegment(0x1980), 0); // accepted, as the part does, but nothing erased
        EXPECT_EQ(ErasedIn(t, 0x1800, 0x19FF).size(), 0u);
        t.SetInfoAUnlocked(true);
        ASSERT_EQ(t.EraseSegment(0x19FE), 0);
        ExpectErasedExactly(t, 0x1980, 0x19FF);
    }
    {
        SCOPED_TRACE("mass erase with the lock open takes everything");
        SimTarget& t = ProgrammedBoard("5438");
        t.SetInfoAUnlocked(true);
        ASSERT_EQ(t.EraseAll(), 0);
        EXPECT_EQ(ErasedIn(t, 0x1800, 0x19FF).size(), 0x200u);
        EXPECT_EQ(ErasedIn(t, 0x5C00, 0x45BFF).size(), 0x45BFFu - 0x5C00 + 1);
    }
}

TEST_F(SimTargetTest, WritesProgramFlashByAndAndLeaveRomAlone) {
    SimTarget& t = Board("2274");
    t.SetExternalSupply(3000);
    const uint8_t first[] = {0xF0, 0x0F, 0xAA};
    const uint8_t second[] = {0x3C, 0xFF, 0x55};
    ASSERT_EQ(t.Write(0x8000, first, 3), 0);
    ASSERT_EQ(t.Write(0x8000, second, 3), 0);
    EXPECT_EQ(t.PeekRange(0x8000, 3), (std::vector<uint8_t>{0x30, 0x0F, 0x00}));

    // RAM and peripherals take the bytes as they are.
    ASSERT_EQ(t.Write(0x0200, first, 3), 0);
    ASSERT_EQ(t.Write(0x0200, second, 3), 0);
    EXPECT_EQ(t.PeekRange(0x0200, 3), (std::vector<uint8_t>{0x3C, 0xFF, 0x55}));

    // The descriptor (ROM) and vacant memory keep theirs.
    const std::vector<uint8_t> descriptor = t.PeekRange(0x0FF0, 3);
    ASSERT_EQ(t.Write(0x0FF0, second, 3), 0);
    EXPECT_EQ(t.PeekRange(0x0FF0, 3), descriptor);
    ASSERT_EQ(t.Write(0x2000, second, 3), 0);
    EXPECT_EQ(t.PeekRange(0x2000, 3), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF}));

    // The locked Info-A takes nothing until the lock is opened.
    const std::vector<uint8_t> calibration = t.PeekRange(0x10F8, 8);
    const uint8_t zeros[8] = {};
    ASSERT_EQ(t.Write(0x10F8, zeros, 8), 0);
    EXPECT_EQ(t.PeekRange(0x10F8, 8), calibration);
    t.SetInfoAUnlocked(true);
    ASSERT_EQ(t.Write(0x10F8, zeros, 8), 0);
    EXPECT_EQ(t.PeekRange(0x10F8, 8), std::vector<uint8_t>(8, 0x00));
}

TEST_F(SimTargetTest, VerifyAndEraseCheckCompareWithTheMemory) {
    SimTarget& t = Board("149");
    t.SetExternalSupply(3000);
    EXPECT_EQ(t.Verify(0x1100, 0xEF00, nullptr), 0); // a fresh board is erased
    const uint8_t data[] = {0x12, 0x34, 0x56};
    ASSERT_EQ(t.Write(0xC001, data, 3), 0);
    EXPECT_EQ(t.Verify(0xC001, 3, data), 0);
    EXPECT_EQ(t.Verify(0xC000, 4, nullptr), sim::kErrorVerify);
    EXPECT_EQ(t.Verify(0xC004, 0x100, nullptr), 0);
    t.Poke(0xC002, 0x35); // one bit off
    EXPECT_EQ(t.Verify(0xC001, 3, data), sim::kErrorVerify);
    EXPECT_EQ(t.Verify(0xC001, 1, data), 0);
}

TEST_F(SimTargetTest, InjectedFaultsFailWhereTheyAreAndOnlyAsOftenAsAsked) {
    SimTarget& t = Board("149");
    t.SetExternalSupply(3000);
    uint8_t buf[16] = {};
    const uint8_t data[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

    t.FailReadAt(0xE008, 1);
    EXPECT_EQ(t.Read(0xE000, buf, 8), 0); // ends before the fault
    EXPECT_EQ(t.Verify(0xE000, 16, nullptr), sim::kErrorRead);
    EXPECT_EQ(t.Read(0xE000, buf, 16), 0); // used up

    t.FailWriteAt(0xE004);
    EXPECT_EQ(t.Write(0xE000, data, 16), sim::kErrorWrite);
    EXPECT_EQ(t.PeekRange(0xE000, 6), (std::vector<uint8_t>{0, 1, 2, 3, 0xFF, 0xFF}));
    EXPECT_EQ(t.Write(0xE004, data, 2), sim::kErrorWrite); // until cleared

    t.FailEraseAt(0xE010);
    EXPECT_EQ(t.EraseSegment(0xE000), sim::kErrorErase);
    EXPECT_EQ(t.EraseMain(), sim::kErrorErase);
    EXPECT_EQ(t.EraseSegment(0xE200), 0);
    EXPECT_EQ(t.Peek(0xE000), 0x00); // nothing of the failed segment erased

    t.FailOperation("MSP430_Identify", 4, 2);
    EXPECT_EQ(t.TakeFault("MSP430_Identify"), 4);
    EXPECT_EQ(t.TakeFault("MSP430_VCC"), 0);
    EXPECT_EQ(t.TakeFault("MSP430_Identify"), 4);
    EXPECT_EQ(t.TakeFault("MSP430_Identify"), 0);

    t.SetSupplyReading(1500);
    EXPECT_EQ(t.MeasuredSupply(), 1500);
    t.ClearFaults();
    EXPECT_EQ(t.MeasuredSupply(), 3000);
    EXPECT_EQ(t.Write(0xE004, data, 2), 0);
    EXPECT_EQ(t.EraseSegment(0xE000), 0);
}

// Renew keeps the memory's storage and nothing else: a used target renewed
// is a new one, byte for byte and setting for setting.
TEST_F(SimTargetTest, ARenewedTargetIsANewOne) {
    SimTarget used;
    ASSERT_GT(sim::EmuSelectDeviceNamed(used, "5438"), 0);
    used.SetExternalSupply(3000);
    ASSERT_EQ(used.SetAdapterSupply(2500), 0);
    used.SetSupplyReading(1200);
    used.SetInfoAUnlocked(true);
    const std::vector<uint8_t> zeros(0x3000, 0x00);
    ASSERT_EQ(used.Write(0x1C00, zeros.data(), 0x100), 0);
    ASSERT_EQ(used.Write(0x5C00, zeros.data(), 0x3000), 0);
    used.Poke(0x0010, 0x5A);
    used.FailReadAt(0x6000);
    used.FailOperation("MSP430_VCC", 10);
    used.registers[0] = 0x4400;
    used.running = true;
    used.usbInterfaces.push_back({"HID0001", 1});
    used.Log().Add("MSP430_Memory", {1, 2}, 0, "", 0, 0);
    ASSERT_EQ(used.BlowFuse(), 0);

    used.Renew();
    const SimTarget fresh;
    EXPECT_EQ(used.PeekRange(0, sim::kMemorySize), fresh.PeekRange(0, sim::kMemorySize));
    EXPECT_EQ(used.Layout().mainEnd, fresh.Layout().mainEnd);
    EXPECT_EQ(used.Device().deviceId, fresh.Device().deviceId);
    EXPECT_FALSE(used.FuseBlown());
    EXPECT_FALSE(used.InfoAUnlocked());
    EXPECT_EQ(used.AdapterSupply(), 0);
    EXPECT_EQ(used.ExternalSupply(), 0);
    EXPECT_EQ(used.MeasuredSupply(), 0);
    EXPECT_EQ(used.registers, fresh.registers);
    EXPECT_FALSE(used.running);
    ASSERT_EQ(used.usbInterfaces.size(), 1u);
    EXPECT_EQ(used.usbInterfaces[0].name, "COM0");
    EXPECT_TRUE(used.Log().Calls().empty());
    EXPECT_EQ(used.TakeFault("MSP430_VCC"), 0);

    // Laid out again, it is the board a new target gets.
    ASSERT_GT(sim::EmuSelectDeviceNamed(used, "2274"), 0);
    SimTarget other;
    ASSERT_GT(sim::EmuSelectDeviceNamed(other, "2274"), 0);
    used.SetExternalSupply(3000);
    other.SetExternalSupply(3000);
    EXPECT_EQ(used.PeekRange(0, sim::kMemorySize), other.PeekRange(0, sim::kMemorySize));
    uint8_t a[16];
    uint8_t b[16];
    EXPECT_EQ(used.Read(0x6000, a, 16), 0) << "the read fault is gone";
    EXPECT_EQ(other.Read(0x6000, b, 16), 0);
    for (uint32_t address : {0x0010u, 0x0FF0u, 0x1000u, 0x10C0u, 0x8000u, 0xFFFEu}) {
        EXPECT_EQ(used.Layout().RegionOf(address), other.Layout().RegionOf(address));
    }
}

// Laying out the same board again puts back only the bytes changed since;
// whatever was changed, and however, the board is then a new one.
TEST_F(SimTargetTest, SelectingABoardAgainGivesANewBoard) {
    struct Case {
        const char* before; // the board that is used, then selected again
        const char* after;
        bool early; // SetEarlyF5xx(true) on the used board
    };
    const Case cases[] = {
        {"2619", "2619", false}, // low RAM mirrored at 0x0200
        {"5438", "5438", true},  {"2274", "2274", false},
        {"149", "2274", false}, // another layout: everything anew
        {"2274", "149", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " then " + c.after);
        SimTarget used;
        ASSERT_GT(sim::EmuSelectDeviceNamed(used, c.before), 0);
        used.SetExternalSupply(3000);
        used.SetInfoAUnlocked(true);
        const sim::SimLayout l = used.Layout();
        std::vector<uint8_t> bytes(0x300);
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<uint8_t>(i * 7 + 1);
        }
        ASSERT_EQ(used.Write(l.ramStart + 0x10, bytes.data(), 0x300), 0);
        ASSERT_EQ(used.Write(l.infoStart, bytes.data(), 0x80), 0);
        ASSERT_EQ(used.Write(l.mainEnd - 0x2FF, bytes.data(), 0x300), 0);
        ASSERT_EQ(used.Write(0x0000, bytes.data(), 0x20), 0); // registers
        ASSERT_EQ(used.EraseSegment(l.mainStart), 0);
        used.Poke(0x0FF4, 0x99); // inside the descriptor
        used.Poke(0x0A10, 0x42);
        if (c.early) {
            used.SetEarlyF5xx(true);
        }
        ASSERT_GT(sim::EmuSelectDeviceNamed(used, c.after), 0);
        SimTarget fresh;
        ASSERT_GT(sim::EmuSelectDeviceNamed(fresh, c.after), 0);
        const std::vector<uint8_t> got = used.PeekRange(0, sim::kMemorySize);
        const std::vector<uint8_t> want = fresh.PeekRange(0, sim::kMemorySize);
        const auto diff = std::mismatch(got.begin(), got.end(), want.begin());
        EXPECT_EQ(diff.first, got.end())
            << std::hex << "first difference at 0x" << (diff.first - got.begin());
        EXPECT_EQ(used.IdentificationBlock(), fresh.IdentificationBlock());
        // The regions too: a write over everything lands alike on both.
        used.SetExternalSupply(3000);
        fresh.SetExternalSupply(3000);
        const std::vector<uint8_t> fill(sim::kMemorySize, 0x3C);
        ASSERT_EQ(used.Write(0, fill.data(), sim::kMemorySize), 0);
        ASSERT_EQ(fresh.Write(0, fill.data(), sim::kMemorySize), 0);
        EXPECT_EQ(used.PeekRange(0, sim::kMemorySize), fresh.PeekRange(0, sim::kMemorySize));
    }
}

TEST_F(SimTargetTest, AnOperationFaultCanSkipItsFirstCalls) {
    sim::SimTarget t;
    t.FailOperation("MSP430_Memory", 11, 1, 2);
    EXPECT_EQ(t.TakeFault("MSP430_Memory"), 0);
    EXPECT_EQ(t.TakeFault("MSP430_Identify"), 0) << "another entry counts nothing";
    EXPECT_EQ(t.TakeFault("MSP430_Memory"), 0);
    EXPECT_EQ(t.TakeFault("MSP430_Memory"), 11);
    EXPECT_EQ(t.TakeFault("MSP430_Memory"), 0);
}

TEST_F(SimTargetTest, NoAccessWithoutSupplyOrWithTheFuseBlown) {
    SimTarget& t = Board("149");
    uint8_t buf[2] = {};
    EXPECT_FALSE(t.Powered());
    EXPECT_EQ(t.Read(0xF000, buf, 2), sim::kErrorRead);
    EXPECT_EQ(t.Write(0xF000, buf, 2), sim::kErrorWrite);
    EXPECT_EQ(t.EraseMain(), sim::kErrorErase);
    EXPECT_EQ(t.BlowFuse(), sim::kErrorFuseBlow);
    EXPECT_EQ(t.SetAdapterSupply(3700), sim::kErrorVcc);

    ASSERT_EQ(t.SetAdapterSupply(3000), 0);
    EXPECT_TRUE(t.Powered());
    EXPECT_EQ(t.Read(0xF000, buf, 2), 0);
    ASSERT_EQ(t.BlowFuse(), 0);
    EXPECT_TRUE(t.FuseBlown());
    EXPECT_EQ(t.Read(0xF000, buf, 2), sim::kErrorFuseBlown);
    EXPECT_EQ(t.EraseSegment(0xF000), sim::kErrorFuseBlown);
    EXPECT_EQ(t.BlowFuse(), sim::kErrorFuseBlown);

    Board("149"); // a new board
    EXPECT_FALSE(t.FuseBlown());
}

TEST_F(SimTargetTest, EveryDeviceRowIdentifiesAsItsOwnTableRow) {
    // Where the device-ID table names the part of a device-list row, the
    // descriptor the board carries must lead the lookup to that row.
    int32_t checked = 0;
    for (int32_t row = 1; row <= core::DeviceInfoTable.count; ++row) {
        const core::DeviceInfo& d = core::DeviceInfoTable.records[row];
        std::string name = "MSP430F";
        for (size_t i = 0; i < sizeof d.name && d.name[i] != ' ' && d.name[i] != '\0'; ++i) {
            name += d.name[i];
        }
        int32_t wanted = -1;
        for (uint16_t r = 1; r < debugif::DeviceIdTableRowCount - 1 && wanted < 0; ++r) {
            if (name == debugif::DeviceIdTable[r].name) {
                wanted = r;
            }
        }
        if (wanted < 0) {
            continue;
        }
        SCOPED_TRACE(name);
        ASSERT_EQ(sim::SimSelectDeviceRow(row), 0);
        const auto block = sim::Sim().IdentificationBlock();
        const uint16_t found = debugif::MatchDeviceIdRow(block);
        EXPECT_STREQ(debugif::DeviceIdTable[found].name, name.c_str());
        ++checked;
    }
    EXPECT_GT(checked, 60);
}

TEST_F(SimTargetTest, DescriptorOfSeriesFiveAndTheEarlyParts) {
    SimTarget& t = Board("5438");
    EXPECT_EQ(t.Peek(0x0FF0), 0x80);
    EXPECT_EQ(t.PeekRange(0x1A04, 3), (std::vector<uint8_t>{0x54, 0x38, 0x02}));
    EXPECT_STREQ(debugif::DeviceIdTable[debugif::MatchDeviceIdRow(t.IdentificationBlock())].name,
                 "MSP430F5438");
    t.SetEarlyF5xx(true);
    EXPECT_EQ(t.Peek(0x1A06), 0x01);
    EXPECT_STREQ(debugif::DeviceIdTable[debugif::MatchDeviceIdRow(t.IdentificationBlock())].name,
                 "XMS430F5438");

    SimTarget& f133 = Board("133"); // told apart from the F149 by the fuse byte
    EXPECT_EQ(f133.FuseByte(), 5);
    EXPECT_EQ(f133.PeekRange(0x0FF0, 2), (std::vector<uint8_t>{0xF1, 0x49}));
}

TEST_F(SimTargetTest, BoardsAreChosenByListRowOrNameAlikeForLibraryAndAdapter) {
    // The simulated library's board and an emulated adapter's follow one rule.
    SimTarget own;
    struct Case {
        const char* name;
        bool found;
    };
    const Case cases[] = {{"2274", true}, {"g4619", true}, {"G4619", true},
                          {"227", false}, {"", false},     {"MSP430F149", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GT(sim::SimSelectDeviceNamed("149"), 0);
        ASSERT_GT(sim::EmuSelectDeviceNamed(own, "149"), 0);
        const int32_t row = sim::SimSelectDeviceNamed(c.name);
        EXPECT_EQ(sim::EmuSelectDeviceNamed(own, c.name), row);
        EXPECT_EQ(row > 0, c.found);
        if (!c.found) {
            EXPECT_EQ(sim::DeviceRowName(sim::Sim().Device()), "149") << "the board stays";
            EXPECT_EQ(sim::DeviceRowName(own.Device()), "149");
        } else {
            EXPECT_EQ(sim::SimDeviceRow(), row);
        }
    }
    // Record 0, the table's generic default, is no row of the list.
    const int32_t before = sim::SimDeviceRow();
    for (const int32_t row : {0, -1, core::DeviceInfoTable.count + 1}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(sim::SimSelectDeviceRow(row), -1);
        EXPECT_EQ(sim::EmuSelectDeviceRow(own, row), -1);
        EXPECT_EQ(sim::SimDeviceRow(), before);
    }
}

TEST_F(SimTargetTest, ResetTakesThePcFromTheResetVector) {
    SimTarget& t = Board("149");
    t.Poke(0xFFFE, 0x00);
    t.Poke(0xFFFF, 0xC0);
    t.registers[4] = 77;
    t.ResetCpu(true);
    EXPECT_EQ(t.registers[0], 0xC000u);
    EXPECT_EQ(t.registers[4], 0u);
    EXPECT_TRUE(t.running);
}

} // namespace
