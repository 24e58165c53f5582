// How the entries split and pass on their work: byte-exact memory access
// with word-wide odd edges, the register cache without traffic, the
// cycle-counter conversion and the verify signature.

#include "debugif/api_state.h"
#include "debugif/cycle_counter.h"
#include "debugif/psa_signature.h"
#include "sim/emu_target_handler.h"
#include "tests/debugapi/debugapi_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace debugapi_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int32_t kWrite = 0;
constexpr int32_t kRead = 1;
constexpr uint8_t kReadMemory = 13;
constexpr uint8_t kWriteMemory = 14;

struct Access {
    uint8_t id;
    uint32_t address;
    uint32_t count; // bytes read, or bytes written
};

std::vector<Access> Accesses(commands_test::Emu& emu) {
    std::vector<Access> out;
    for (const sim::EmuRequest& r : emu.Requests()) {
        if (r.id == kReadMemory) {
            out.push_back({r.id, r.params.at(0), r.params.at(1)});
        } else if (r.id == kWriteMemory) {
            out.push_back({r.id, r.params.at(0), static_cast<uint32_t>(r.data.size())});
        }
    }
    return out;
}

MATCHER_P3(IsAccess, id, address, count, "") {
    return arg.id == id && arg.address == static_cast<uint32_t>(address) &&
           arg.count == static_cast<uint32_t>(count);
}

TEST(ApiMemoryTest, OddEdgesGoAsTheWordsThatHoldThem) {
    for (const Route route : {Route::kInProcessPty, Route::kInProcessHid}) {
        SCOPED_TRACE(RouteName(route));
        ApiBench b(route, "149");
        ASSERT_TRUE(b.ok()) << b.error();
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        commands_test::Emu& emu = b.emu();
        const bool hid = route == Route::kInProcessHid;

        char one = 0x12;
        ASSERT_EQ(b.api().Memory(0x2001, &one, 1, kWrite), 0) << b.LastError();
        EXPECT_THAT(Accesses(emu), ElementsAre(IsAccess(kReadMemory, 0x2000, hid ? 128 : 2),
                                               IsAccess(kWriteMemory, 0x2000, 2)));
        EXPECT_EQ(b.Peek(0x2000, 2), (Bytes{0xFF, 0x12}));

        emu.ClearTrace();
        char three[3] = {0x21, 0x22, 0x23};
        ASSERT_EQ(b.api().Memory(0x2100, three, 3, kWrite), 0) << b.LastError();
        EXPECT_THAT(Accesses(emu), ElementsAre(IsAccess(kWriteMemory, 0x2100, 2),
                                               IsAccess(kReadMemory, 0x2102, hid ? 128 : 2),
                                               IsAccess(kWriteMemory, 0x2102, 2)));
        EXPECT_EQ(b.Peek(0x2100, 4), (Bytes{0x21, 0x22, 0x23, 0xFF}));

        emu.ClearTrace();
        char back[3] = {};
        ASSERT_EQ(b.api().Memory(0x2101, back, 3, kRead), 0) << b.LastError();
        EXPECT_THAT(back, ElementsAre(0x22, 0x23, static_cast<char>(0xFF)));
        if (!hid) {
            EXPECT_THAT(Accesses(emu), ElementsAre(IsAccess(kReadMemory, 0x2100, 2),
                                                   IsAccess(kReadMemory, 0x2102, 2)));
        }
    }
}

TEST(ApiMemoryTest, AFailingPartEndsTheAccessWithItsError) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    b.emu().Locked([&] {
        b.emu().target.FailReadAt(0x2000, 1);
        return 0;
    });
    char bytes[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(b.api().Memory(0x2001, bytes, 5, kWrite), -1);
    EXPECT_EQ(b.LastError(), 6);
    EXPECT_THAT(Accesses(b.emu()), ElementsAre(IsAccess(kReadMemory, 0x2000, 2)))
        << "nothing after the failed edge";
    EXPECT_EQ(b.Peek(0x2000, 6), Bytes(6, 0xFF));
}

TEST(ApiMemoryTest, RegistersAreKeptWithoutTraffic) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    int32_t value = 0x1235;
    ASSERT_EQ(b.api().RegisterAccess(&value, 1, 0), 0);
    value = 0x4400;
    ASSERT_EQ(b.api().RegisterAccess(&value, 0, 0), 0);
    int32_t sp = 0;
    int32_t pc = 0;
    ASSERT_EQ(b.api().RegisterAccess(&sp, 1, 1), 0);
    ASSERT_EQ(b.api().RegisterAccess(&pc, 0, 1), 0);
    EXPECT_EQ(sp, 0x1234) << "the stack pointer is always even";
    EXPECT_EQ(pc, 0x4400);
    EXPECT_THAT(b.emu().Requests(), IsEmpty());
    // The run takes the cache to the target.
    ASSERT_EQ(b.api().RunCpu(1, 0), 0) << b.LastError();
    EXPECT_EQ(b.emu().Locked([&] { return b.emu().target.registers[1]; }), 0x1234u);
}

TEST(ApiMemoryTest, TheEncodedCycleCounterConverts) {
    struct Case {
        uint32_t encoded;
        uint32_t count;
    };
    const Case cases[] = {
        {0x0, 0},
        {0x1, 1},
        {0x3, 7},
        {0xE, 12},
        {0xF, 0}, // no state of the sequence
        {0x10, 15},
        {0x35, 7 * 15 + 3},
        {0x3E8, 14 + 12 * 15 + 7 * 225},
        // The top digit with bit 31 set: eight digits and no more.
        {0x80000000u, 14u * 170859375u},
        {0xEEEEEEEEu, 12u * ((2562890624u) / 14u)}, // 12 * (15^8 - 1) / 14
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoded);
        EXPECT_EQ(debugif::ConvertCycleCounter(c.encoded), c.count);
    }
}

TEST(ApiMemoryTest, TheSignatureMatchesWhatTheAdapterComputes) {
    // 0x1000: start 0x0FFE, shifted 0x1FFC; XOR 0x1234 gives 0x0DC8, the
    // erased word 0xFFFF gives 0xE003.
    const uint8_t word[2] = {0x34, 0x12};
    EXPECT_EQ(debugif::PsaSignature(0x1000, word, 2), 0x0DC8);
    EXPECT_EQ(debugif::PsaSignature(0x1000, nullptr, 2), 0xE003);
    // Bit 15 set feeds back.
    const uint8_t zero[2] = {0, 0};
    EXPECT_EQ(debugif::PsaSignature(0x8002, zero, 2), ((0x8000 ^ 0x0805) << 1 | 1) & 0xFFFF);
    const Bytes data = Pattern(301, 9);
    EXPECT_EQ(debugif::PsaSignature(0x5C00, data.data(), 300),
              sim::EmuPsaSignature(0x5C00, data.data(), 300));
    EXPECT_EQ(debugif::PsaSignature(0x5C00, data.data(), 0), 0x5BFE);
}

} // namespace
} // namespace debugapi_test
