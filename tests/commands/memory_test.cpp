// Target memory through the adapter: chunk sizes, the direct and the
// block-write paths with their bulk phase, the fallback without a device
// family, and the HID read cache with its read-ahead, its limits and its
// invalidation.

#include "debugif/api_state.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_memory.h"
#include "tests/commands/commands_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numeric>
#include <string>

namespace commands_test {
namespace {

using debugif::Api;
using debugif::UifMemory;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr uint32_t kNone = 0xFFFFFFFF;

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) {
        b[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    }
    return b;
}

Bytes TargetBytes(Emu& emu, uint32_t address, uint32_t count) {
    return emu.Locked([&] { return emu.target.PeekRange(address, count); });
}

// (id, second parameter) of each request: the byte count of reads.
std::vector<std::pair<uint8_t, uint32_t>> ReadShape(const Emu& emu) {
    std::vector<std::pair<uint8_t, uint32_t>> out;
    for (const sim::EmuRequest& r : emu.Requests()) {
        out.emplace_back(r.id, r.params.size() > 1 ? r.params[1] : 0);
    }
    return out;
}

std::vector<size_t> WriteSizes(const Emu& emu) {
    std::vector<size_t> out;
    for (const sim::EmuRequest& r : emu.Requests()) {
        EXPECT_EQ(r.id, 14);
        out.push_back(r.data.size());
    }
    return out;
}

TEST(MemoryTest, FlashWritesOnSerialGoAsBlockWritesWithTheirEdges) {
    struct Case {
        const char* what;
        uint32_t address;
        uint32_t count;
        uint32_t blocks, last, odd_start, odd_end;     // the edges' addresses
        std::vector<std::pair<uint32_t, size_t>> bulk; // address and size of each block
    };
    const std::vector<Case> cases = {
        {"odd start, odd end",
         0x2001,
         1000,
         2,
         486,
         0x2001,
         0x23E8,
         {{0x2002, 512}, {0x2202, 486}}},
        {"whole words", 0x3000, 1024, 2, 512, kNone, kNone, {{0x3000, 512}, {0x3200, 512}}},
        {"odd start only", 0x3001, 601, 2, 88, 0x3001, kNone, {{0x3002, 512}, {0x3202, 88}}},
        {"odd end only", 0x3000, 601, 2, 88, kNone, 0x3258, {{0x3000, 512}, {0x3200, 88}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench({.hid = false});
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(bench.Prepare("COM150"), 0);
        ASSERT_EQ(Api.DeviceJtagId, debugif::kJtagId89);
        Bytes data = Pattern(c.count, 0x31);
        ASSERT_EQ(UifMemory(static_cast<int32_t>(c.address), data.data(),
                            static_cast<int32_t>(c.count), 0),
                  0)
            << "error " << Api.LastErrorNumber;

        const sim::EmuTrace t = bench.serial.adapter.trace();
        ASSERT_EQ(t.requests.size(), 1u);
        EXPECT_EQ(t.requests[0].id, 15);
        const uint32_t first = c.odd_start != kNone ? data.front() : kNone;
        const uint32_t last = c.odd_end != kNone ? data.back() : kNone;
        EXPECT_THAT(t.requests[0].params,
                    ElementsAre(c.blocks, c.last, c.odd_start, first, c.odd_end, last));
        ASSERT_EQ(t.bulk_blocks.size(), c.bulk.size());
        for (size_t i = 0; i < c.bulk.size(); ++i) {
            EXPECT_EQ(t.bulk_blocks[i].number, i + 1);
            EXPECT_EQ(t.bulk_blocks[i].address, c.bulk[i].first);
            EXPECT_EQ(t.bulk_blocks[i].data.size(), c.bulk[i].second);
        }
        EXPECT_EQ(TargetBytes(bench.serial, c.address, c.count), data);
    }
}

TEST(MemoryTest, The0x91FamilyWritesWithCommand44) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_TRUE(bench.SelectDevice("5438"));
    ASSERT_EQ(bench.Prepare("COM150"), 0);
    ASSERT_EQ(Api.DeviceJtagId, debugif::kJtagId91);
    Bytes data = Pattern(1000, 0x55);
    ASSERT_EQ(UifMemory(0x10000, data.data(), 1000, 0), 0);
    const sim::EmuTrace t = bench.serial.adapter.trace();
    ASSERT_EQ(t.requests.size(), 1u);
    EXPECT_EQ(t.requests[0].id, 44);
    EXPECT_THAT(t.requests[0].params, ElementsAre(2u, 488u, 0x10000u, 1000u));
    ASSERT_EQ(t.bulk_blocks.size(), 2u);
    EXPECT_EQ(t.bulk_blocks[1].address, 0x10200u);
    EXPECT_EQ(t.bulk_blocks[1].data.size(), 488u);
    EXPECT_EQ(TargetBytes(bench.serial, 0x10000, 1000), data);
}

TEST(MemoryTest, ShortDirectAndFamilyLessWritesGoAsCommand14) {
    struct Case {
        const char* what;
        const char* port;
        uint32_t address;
        uint32_t count;
        uint16_t jtag_id;
        std::vector<size_t> chunks;
    };
    const std::vector<Case> cases = {
        {"100 bytes on serial", "COM150", 0x4000, 100, 0x89, {100}},
        {"100 bytes on HID", "HID0001", 0x4000, 100, 0x89, {100}},
        {"RAM is written directly", "COM150", 0x0300, 1000, 0x89, {480, 480, 40}},
        {"no device family yet", "COM150", 0x2000, 1000, 0, {480, 480, 40}},
        {"no block writes on HID", "HID0001", 0x2000, 300, 0x89, {128, 128, 44}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(bench.Prepare(c.port), 0);
        Api.DeviceJtagId = c.jtag_id;
        Emu& emu = std::string(c.port) == "COM150" ? bench.serial : bench.hid;
        Bytes data = Pattern(c.count, 0x10);
        ASSERT_EQ(UifMemory(static_cast<int32_t>(c.address), data.data(),
                            static_cast<int32_t>(c.count), 0),
                  0)
            << "error " << Api.LastErrorNumber;
        EXPECT_THAT(WriteSizes(emu), ElementsAreArray(c.chunks));
        EXPECT_EQ(emu.Requests().front().params, std::vector<uint32_t>{c.address});
        if (c.address >= 0x200) {
            EXPECT_EQ(TargetBytes(emu, c.address, c.count), data);
        }
    }
}

TEST(MemoryTest, ChunkSizesFollowFirmwareTransportAndBootloaderMode) {
    struct Case {
        const char* what;
        const char* port;
        uint32_t firmware;
        Bytes adapter_data;
        std::vector<uint32_t> counts;
    };
    const Bytes plain = {'U', 'I', 'F', 0};
    const std::vector<Case> cases = {
        {"480 at 20304000", "COM150", 20304000, plain, {480, 480, 40}},
        {"128 below it", "COM150", 20109000, plain, {128, 128, 128, 128, 128, 128, 128, 104}},
        {"128 from 30000000", "COM150", 30000000, plain, {128, 128, 128, 128, 128, 128, 128, 104}},
        {"128 in bootloader mode",
         "COM150",
         20304000,
         {'E', 0, 0, 0},
         {128, 128, 128, 128, 128, 128, 128, 104}},
        {"128 on HID, read ahead",
         "HID0001",
         20304000,
         plain,
         {128, 128, 128, 128, 128, 128, 128, 128}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        Emu& emu = std::string(c.port) == "COM150" ? bench.serial : bench.hid;
        const Bytes content = Pattern(1000, 0x77);
        emu.Locked([&] {
            emu.handler.firmware_version = c.firmware;
            emu.handler.adapter_data = c.adapter_data;
            emu.target.PokeRange(0x1100, content);
            return 0;
        });
        ASSERT_EQ(bench.Prepare(c.port), 0);
        Bytes out(1000);
        ASSERT_EQ(UifMemory(0x1100, out.data(), 1000, 1), 0) << "error " << Api.LastErrorNumber;
        EXPECT_EQ(out, content);
        std::vector<uint32_t> counts;
        for (const auto& [id, count] : ReadShape(emu)) {
            EXPECT_EQ(id, 13);
            counts.push_back(count);
        }
        EXPECT_THAT(counts, ElementsAreArray(c.counts));
    }
}

TEST(MemoryTest, TheHidCacheServesRepeatsAndForgetsWrittenBytes) {
    Bench bench;
    ASSERT_TRUE(bench.ok()) << bench.error();
    const Bytes content = Pattern(256, 1);
    bench.hid.Locked([&] {
        bench.hid.target.PokeRange(0x1000, content);
        return 0;
    });
    ASSERT_EQ(bench.Prepare("HID0001"), 0);

    Bytes out(16);
    ASSERT_EQ(UifMemory(0x1000, out.data(), 16, 1), 0);
    EXPECT_THAT(ReadShape(bench.hid), ElementsAre(std::pair<uint8_t, uint32_t>{13, 128}));
    EXPECT_EQ(out, Bytes(content.begin(), content.begin() + 16));

    // A hit: no traffic, the cached bytes even when the target changed.
    bench.hid.ClearTrace();
    bench.hid.Locked([&] {
        bench.hid.target.Poke(0x1010, 0x00);
        return 0;
    });
    ASSERT_EQ(UifMemory(0x1010, out.data(), 16, 1), 0);
    EXPECT_THAT(bench.hid.Ids(), IsEmpty());
    EXPECT_EQ(out[0], content[0x10]);

    // A write forgets its range before it is sent; the next read asks again.
    Bytes two = {0x12, 0x34};
    ASSERT_EQ(UifMemory(0x1020, two.data(), 2, 0), 0);
    bench.hid.ClearTrace();
    ASSERT_EQ(UifMemory(0x1018, out.data(), 16, 1), 0);
    EXPECT_THAT(ReadShape(bench.hid), ElementsAre(std::pair<uint8_t, uint32_t>{13, 128}));
    EXPECT_EQ(bench.hid.Requests()[0].params[0], 0x1020u) << "the read-ahead starts at the miss";
    EXPECT_EQ(out[8], 0x12 & content[0x20]) << "flash programs by AND";

    // Below 0x200 nothing is cached; at the memory top the read-ahead is cut.
    bench.hid.ClearTrace();
    ASSERT_EQ(UifMemory(0x0100, out.data(), 16, 1), 0);
    ASSERT_EQ(UifMemory(0x0100, out.data(), 16, 1), 0);
    ASSERT_EQ(UifMemory(0xFFF8, out.data(), 8, 1), 0);
    EXPECT_THAT(ReadShape(bench.hid), ElementsAre(std::pair<uint8_t, uint32_t>{13, 16},
                                                  std::pair<uint8_t, uint32_t>{13, 16},
                                                  std::pair<uint8_t, uint32_t>{13, 8}));
}

// A write that fails half way may still have changed the target: its
// range is forgotten all the same.
TEST(MemoryTest, AFailedWriteLeavesNothingOfItsRangeInTheHidCache) {
    Bench bench;
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(bench.Prepare("HID0001"), 0);
    Bytes out(16);
    ASSERT_EQ(UifMemory(0x1000, out.data(), 16, 1), 0);
    EXPECT_EQ(out, Bytes(16, 0xFF));

    bench.hid.Locked([&] {
        bench.hid.target.FailWriteAt(0x1010, 1);
        return 0;
    });
    Bytes four = {0x01, 0x02, 0x03, 0x04};
    ASSERT_EQ(UifMemory(0x1010, four.data(), 4, 0), -1);
    EXPECT_NE(Api.LastErrorNumber, 0);
    bench.hid.Locked([&] {
        bench.hid.target.Poke(0x1011, 0x02);
        return 0;
    });

    bench.hid.ClearTrace();
    ASSERT_EQ(UifMemory(0x1008, out.data(), 16, 1), 0);
    ASSERT_THAT(ReadShape(bench.hid), ElementsAre(std::pair<uint8_t, uint32_t>{13, 128}));
    EXPECT_EQ(bench.hid.Requests()[0].params[0], 0x1010u) << "the write's range is read again";
    EXPECT_EQ(out[9], 0x02);
    EXPECT_EQ(out[7], 0xFF) << "bytes before the write still come from the cache";
}

TEST(MemoryTest, F5xxReadsAbove0xFFFFBypassTheHidCache) {
    Bench bench;
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_TRUE(bench.SelectDevice("5438"));
    const Bytes content = Pattern(0x200, 9);
    bench.hid.Locked([&] {
        bench.hid.target.PokeRange(0xFF00, content);
        return 0;
    });
    ASSERT_EQ(bench.Prepare("HID0001"), 0);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        bench.hid.ClearTrace();
        Bytes out(256);
        ASSERT_EQ(UifMemory(0x10000, out.data(), 256, 1), 0);
        EXPECT_EQ(out, Bytes(content.begin() + 0x100, content.end()));
        EXPECT_THAT(ReadShape(bench.hid), ElementsAre(std::pair<uint8_t, uint32_t>{13, 128},
                                                      std::pair<uint8_t, uint32_t>{13, 128}));
    }
    // Across 0xFFFF: the read-ahead ends there, the rest goes uncached.
    bench.hid.ClearTrace();
    Bytes out(32);
    ASSERT_EQ(UifMemory(0xFFF0, out.data(), 32, 1), 0);
    EXPECT_EQ(out, Bytes(content.begin() + 0xF0, content.begin() + 0x110));
    const auto requests = bench.hid.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_THAT(requests[0].params, ElementsAre(0xFFF0u, 16u));
    EXPECT_THAT(requests[1].params, ElementsAre(0x10000u, 16u));
}

TEST(MemoryTest, BadArgumentsAndAReadOfARunningCpuSendNothing) {
    Bench bench;
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(bench.Prepare("COM150"), 0);
    Bytes buffer(16);
    struct Case {
        const char* what;
        int32_t address;
        uint8_t* buffer;
        int32_t count;
        int32_t read;
        int32_t error;
    };
    const std::vector<Case> cases = {
        {"past the flash end", 0xFFF8, buffer.data(), 9, 1, 3},
        {"negative address", -2, buffer.data(), 4, 0, 3},
        {"negative count", 0x1000, buffer.data(), -1, 1, 3},
        {"no buffer", 0x1000, nullptr, 4, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(UifMemory(c.address, c.buffer, c.count, c.read), -1);
        EXPECT_EQ(Api.LastErrorNumber, c.error);
    }
    debugif::UifCommands.CpuRunning = 1;
    EXPECT_EQ(UifMemory(0x1000, buffer.data(), 16, 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 6);
    EXPECT_THAT(bench.serial.Ids(), IsEmpty());

    // The bulk blocks exist on serial only.
    debugif::UifCommands.CpuRunning = 0;
    ASSERT_EQ(debugif::UifClose(0), 0);
    ASSERT_EQ(bench.Prepare("HID0001"), 0);
    Bytes data(600, 0);
    EXPECT_EQ(debugif::UifBlockWrite89(0x2000, data.data(), 600), -1);
    EXPECT_EQ(Api.LastErrorNumber, 34);
    EXPECT_EQ(debugif::UifBlockWrite91(0x2000, data.data(), 600), -1);
    EXPECT_EQ(Api.LastErrorNumber, 34);
    EXPECT_THAT(bench.hid.Ids(), IsEmpty());
}

} // namespace
} // namespace commands_test
