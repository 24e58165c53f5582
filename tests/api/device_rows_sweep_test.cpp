// AUTO PROGRAM over every row of the device list on the simulated target,
// as a host program tries each: a board of that row, a code file at the
// row's flash start, the top of the 64 KiB window, the reset vector and
// past 64 KiB where the row has flash, run directly with nobody to ask, and
// the board read back after the run. A run ends DONE with every byte on
// the board, or it fails with the code-size text and writes nothing. Never
// DONE with a byte missing.

#include "tests/api/api_fixture.h"
#include "tests/support/row_image.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <vector>

namespace api_test {
namespace {

const char kSizeWarning[] = " WARNING!! Code size is exceeding the Target\r\n"
                            "  Microcontroller Flash Memory space.\r\n"
                            "  Writing procedure terminated ............\t failed\r\n";
const char kFailed[] = " --------------- FAILED !!! -----------------\r\n";

TEST_F(ApiTest, EveryDeviceRowEndsDoneWithItsImageOrFailsOnTheCodeSize) {
    ASSERT_EQ(SelectAndInitialize(), 1);
    ASSERT_EQ(F_SetConfig(2, 1), 1);  // the adapter powers the target
    ASSERT_EQ(F_SetConfig(30, 2), 1); // direct, nobody to ask
    const std::string path = dir.File("row.txt");
    std::vector<std::string> refused;
    for (int32_t row = 1; row <= core::DeviceInfoTable.count; ++row) {
        SCOPED_TRACE(testsupport::RowLabel(row));
        ASSERT_EQ(sim::SimSelectDeviceRow(row), 0);
        ASSERT_EQ(F_SetConfig(1, static_cast<uint32_t>(row)), 1);
        const testsupport::RowImage image =
            testsupport::RowImageOf(core::DeviceInfoTable.records[row]);
        testsupport::WriteFile(path, image.tiTxt);
        ASSERT_EQ(F_ReadCodeFile(1, path.c_str()), 1) << "the image fits the row selected";
        TakeReport();

        const int32_t result = F_AutoProgram(0);
        const std::string report = TakeReport();
        if (result == 1) {
            EXPECT_NE(report.find(" -------- D O N E ---"), std::string::npos) << report;
            EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
            EXPECT_EQ(testsupport::BoardDiffers(image), "") << "DONE, yet\n" << report;
            continue;
        }
        refused.push_back(testsupport::RowLabel(row));
        EXPECT_EQ(result, 0);
        EXPECT_NE(report.find(kSizeWarning), std::string::npos) << report;
        EXPECT_NE(report.find(kFailed), std::string::npos) << report;
        EXPECT_EQ(report.find("D O N E"), std::string::npos) << report;
        EXPECT_EQ(report.find("Flash programming"), std::string::npos) << report;
        EXPECT_EQ(testsupport::BoardDiffers(image, true), "") << "nothing is written";
    }
    EXPECT_EQ(refused, testsupport::kBoardsStartingHigher) << ::testing::PrintToString(refused);
}

} // namespace
} // namespace api_test
