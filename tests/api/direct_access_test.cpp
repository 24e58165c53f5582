// The direct operations on an open target: blocks, range refusals, failed
// blocks, RAM, words and bytes, run and synchronise, and the reasons a
// failure leaves in the library's error log.

#include "core/flash_check.h"
#include "core/program_image.h"
#include "core/target_state.h"
#include "tests/api/api_fixture.h"

#include <numeric>
#include <vector>

namespace api_test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) {
        b[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return b;
}

// The sizes of the flash writes that reached the target.
std::vector<int32_t> WriteSizes() {
    std::vector<int32_t> sizes;
    for (const sim::SimCall& call : sim::Sim().Log().Of("MSP430_Memory")) {
        if (call.args[2] == 0) {
            sizes.push_back(call.args[1]);
        }
    }
    return sizes;
}

class DirectTest : public ApiTest {
protected:
    void SetUp() override {
        ApiTest::SetUp();
        OpenF149();
    }
};

TEST_F(DirectTest, DataGoesInBlocksAndReadsBackWithItsNeighboursKept) {
    ASSERT_EQ(F_Segment_Erase(0x1080), 1);
    ASSERT_EQ(F_Segment_Erase(0x1100), 1);
    ASSERT_EQ(F_Segment_Erase(0x1200), 1);
    ASSERT_EQ(F_Sectors_Blank_Check(0x1080, 0x12FF), 1);
    EXPECT_EQ(TakeReport(), "Erasing segment memory .............\t done\r\n"
                            "Erasing segment memory .............\t done\r\n"
                            "Erasing segment memory .............\t done\r\n"
                            "Blank checking segment ................\t done\r\n");

    // 300 bytes at 0x10F0: blocks of 16, 256 and 28 bytes.
    const Bytes data = Pattern(300, 3);
    sim::Sim().Log().Clear();
    ASSERT_EQ(F_Memory_Write_Data(0x10F0, 300, data.data()), 1);
    EXPECT_EQ(WriteSizes(), (std::vector<int32_t>{16, 256, 28}));
    EXPECT_EQ(TakeReport(), "Writing data to memory ................\t done\r\n");

    // Read from an odd address, one byte more on each side.
    Bytes back(302, 0);
    ASSERT_EQ(F_Memory_Read_Data(0x10EF, 302, back.data()), 1);
    EXPECT_EQ(back.front(), 0xFF);
    EXPECT_EQ(back.back(), 0xFF);
    EXPECT_EQ(Bytes(back.begin() + 1, back.end() - 1), data);

    // Odd address and size: the byte-exact write leaves both neighbours.
    const Bytes three = {0x12, 0x34, 0x56};
    ASSERT_EQ(F_Memory_Write_Data(0x1231, 3, three.data()), 1);
    EXPECT_EQ(sim::Sim().PeekRange(0x1230, 5), (Bytes{0xFF, 0x12, 0x34, 0x56, 0xFF}));
    EXPECT_EQ(F_Sectors_Blank_Check(0x1230, 0x1234), 0);
}

// A refused flash operation leaves its line so that the host's log shows
// it: the blank check's line stays without a verdict, the others fail. No
// block reaches the target.
TEST_F(DirectTest, RefusedRangesAndBuffersLeaveTheirLine) {
    Bytes buffer(16, 0);
    const std::string blank = "Blank checking segment .............";
    const std::string read = "Reading data from flash memory ....";
    const std::string write = "Writing data to memory .............";
    const std::string failed = "...\t failed\r\n";
    struct Case {
        const char* what;
        int32_t result;
        std::string report;
    };
    const Case cases[] = {
        {"blank stop below start", F_Sectors_Blank_Check(0x1200, 0x1100), blank},
        {"blank below images", F_Sectors_Blank_Check(0x0FFF, 0x1001), blank},
        {"blank past images", F_Sectors_Blank_Check(0x45BFF, 0x45C00), blank},
        {"read below images", F_Memory_Read_Data(0x0FF0, 16, buffer.data()), read + failed},
        {"read size 0", F_Memory_Read_Data(0x2000, 0, buffer.data()), read + failed},
        {"read null", F_Memory_Read_Data(0x2000, 16, nullptr), read + failed},
        {"write size 0", F_Memory_Write_Data(0x2000, 0, buffer.data()), write + failed},
        {"write null", F_Memory_Write_Data(0x2000, 16, nullptr), write + failed},
        {"write past the addresses", F_Memory_Write_Data(0x7FFFFFF0, 16, buffer.data()),
         write + failed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, 0) << c.what;
    }
    // The calls ran in table order: their lines are in the report in turn.
    std::string lines;
    for (const Case& c : cases) {
        lines += c.report;
    }
    EXPECT_EQ(TakeReport(), lines);
    EXPECT_EQ(WriteSizes(), std::vector<int32_t>{});
}

// The library's own buffers refuse a range outside them with no line, as
// the buffer-to-flash copies do.
TEST_F(DirectTest, BufferRangesOutsideTheBuffersAreRefusedWithoutALine) {
    struct Case {
        const char* what;
        int32_t result;
    };
    const Case cases[] = {
        {"ram negative", F_Copy_Buffer_to_RAM(-2, 4)},
        {"ram size 0", F_Copy_RAM_to_Buffer(0x200, 0)},
        {"ram past buffer", F_Copy_RAM_to_Buffer(0x45BFF, 2)},
        {"ram address past buffer", F_Copy_Buffer_to_RAM(0x45C00, 1)},
        {"flash copy size 1", F_Copy_Buffer_to_Flash(0x2000, 1)},
        {"flash copy past buffer", F_Copy_Flash_to_Buffer(0x45BFE, 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, 0) << c.what;
    }
    EXPECT_EQ(TakeReport(), "");
    EXPECT_EQ(WriteSizes(), std::vector<int32_t>{});
}

TEST_F(DirectTest, AFailedBlockInTheMiddleFailsTheWholeWriteButNotTheOthers) {
    ASSERT_EQ(F_Segment_Erase(0x1200), 1);
    ASSERT_EQ(F_Segment_Erase(0x1400), 1);
    TakeReport();
    sim::Sim().FailWriteAt(0x1380, 1);
    sim::Sim().Log().Clear();
    const Bytes data = Pattern(0x300, 9);
    EXPECT_EQ(F_Memory_Write_Data(0x1200, 0x300, data.data()), 0);
    EXPECT_EQ(WriteSizes(), (std::vector<int32_t>{256, 256, 256}));
    EXPECT_EQ(TakeReport(), "Writing data to memory ................\t failed\r\n");
    EXPECT_EQ(sim::Sim().PeekRange(0x1400, 0x100), Bytes(data.begin() + 0x200, data.end()));
}

TEST_F(DirectTest, ABlankCheckThatCannotReadFails) {
    ASSERT_EQ(F_Segment_Erase(0x2000), 1);
    sim::Sim().FailReadAt(0x2000, 1);
    EXPECT_EQ(F_Sectors_Blank_Check(0x2000, 0x21FF), 0);
}

// The library's table hands a failure's reason up as the status: a check
// that found memory not blank must still go on to read it, and only a link
// that failed under the check ends it.
TEST_F(DirectTest, AnEraseCheckThroughTheLibraryTellsNotBlankFromALostLink) {
    const int32_t at = core::ImageIndex(0x2000);
    core::Images.CodeImage.data[at] = 0x12;
    core::Images.CodeImage.used[at] = 1;
    core::Images.CodeImageHasData = 1;
    ASSERT_EQ(core::ProgramImagePrepare(0, 0), 1);
    ASSERT_EQ(F_Segment_Erase(0x2000), 1);
    sim::Sim().Poke(0x2100, 0x00); // not blank, but nothing is written there
    sim::Sim().Log().Clear();
    EXPECT_EQ(core::TargetBlankCheck(), 1);
    EXPECT_GT(sim::Sim().Log().Count("MSP430_Memory"), 0u);

    sim::Sim().FailOperation("MSP430_EraseCheck", 35, 1);
    sim::Sim().Log().Clear();
    EXPECT_EQ(core::TargetBlankCheck(), 0);
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_Memory"), 0u);
}

TEST_F(DirectTest, RamWordsAndBytesRoundTrip) {
    const Bytes data = Pattern(301, 1);
    for (size_t i = 0; i < data.size(); ++i) {
        ASSERT_EQ(F_Put_Byte_to_Buffer(static_cast<int32_t>(0x201 + i), data[i]), 1);
    }
    sim::Sim().Poke(0x200, 0xEE);
    ASSERT_EQ(F_Copy_Buffer_to_RAM(0x201, 301), 1);
    EXPECT_EQ(sim::Sim().Peek(0x200), 0xEE);
    ASSERT_EQ(F_Copy_RAM_to_Buffer(0x201, 301), 1);
    for (size_t i = 0; i < data.size(); ++i) {
        ASSERT_EQ(F_Get_Byte_from_Buffer(static_cast<int32_t>(0x201 + i)), data[i]) << i;
    }
    EXPECT_EQ(TakeReport(), "Writing data to RAM ............\t done\r\n"
                            "Reading data from RAM ............\t done\r\n");

    ASSERT_EQ(F_Write_Word(0x300, 0xBEEF), 1);
    EXPECT_EQ(F_Read_Word(0x300), 0xBEEF);
    EXPECT_EQ(sim::Sim().Peek(0x300), 0xEF);
    ASSERT_EQ(F_Write_Byte(0x303, 0x5A), 1);
    EXPECT_EQ(F_Read_Byte(0x303), 0x5A);
    EXPECT_EQ(F_Read_Byte(0x302), sim::Sim().Peek(0x302));
    EXPECT_EQ(TakeReport(), "Writing word to target ............\t done\r\n"
                            " Reading word from target ............\t done\r\n");
}

TEST_F(DirectTest, RunAndSynchroniseReportTheirVerdicts) {
    ASSERT_EQ(F_Set_PC_and_RUN(0x1100), 1);
    EXPECT_TRUE(sim::Sim().running);
    EXPECT_EQ(sim::Sim().registers[0], 0x1100u);
    // A second run synchronises first.
    ASSERT_EQ(F_Set_PC_and_RUN(0x1200), 1);
    ASSERT_EQ(F_Synch_CPU_JTAG(), 1);
    EXPECT_FALSE(sim::Sim().running);
    EXPECT_EQ(TakeReport(), "Setting PC and RUN ............\t done\r\n"
                            "Synchronizing CPU and JTAG ............\t done\r\n"
                            "Setting PC and RUN ............\t done\r\n"
                            "Synchronizing CPU and JTAG ............\t done\r\n");

    sim::Sim().FailOperation("MSP430_RunCpu", 35, 1);
    EXPECT_EQ(F_Set_PC_and_RUN(0x1100), 0);
    EXPECT_EQ(TakeReport(), "Setting PC and RUN ............\t failed\r\n");
}

TEST_F(DirectTest, ALinkLossLeavesItsReasonInTheLibrarysLogOnly) {
    sim::Sim().FailOperation("MSP430_Memory", 35, 1);
    EXPECT_EQ(F_Read_Word(0x300), 0);
    EXPECT_EQ(TakeReport(), " Reading word from target ............\t failed\r\n");
    EXPECT_EQ(core::Target.TargetErrorLog, "Could not communicate with FET.\r\n");
    EXPECT_EQ(core::Target.TargetLastErrorText, "Could not communicate with FET.\r\n");
}

TEST_F(DirectTest, AfterTheCloseTheFlashOperationsRefuse) {
    EXPECT_EQ(F_Close_Target_Device(), 1);
    EXPECT_FALSE(sim::Sim().Powered());
    EXPECT_EQ(F_Segment_Erase(0x1100), 0);
    EXPECT_EQ(TakeReport(), "Target Device is Closed.\r\n"
                            "Erasing segment memory .............\t failed\r\n"
                            "Target Device is not Active.\r\n");
}

} // namespace
} // namespace api_test
