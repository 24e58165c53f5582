// AUTO PROGRAM over every row of the device list on the simulated target,
// as a production engineer tries a new setup: a board of that row, an
// image at the row's flash start, the top of the 64 KiB window, the reset
// vector and past 64 KiB where the row has flash, and the board read back
// after the run. A run ends DONE with every byte on the board, or it asks
// the code-size question and, told No, ends without writing. Never DONE
// with a byte missing.

#include "core/target_connect.h"
#include "core/target_identify.h"
#include "tests/gui/actions_fixture.h"
#include "tests/support/row_image.h"

#include <string>
#include <vector>

namespace guitest {
namespace {

const char kSizeQuestion[] = "Code size ( including Serial Number and Model Text )";
const char kSizeWarning[] = " WARNING!! Code size (including Serial Number\r\n";
const char kStopped[] = "  ---------- TERMINATED BY USER ------------\r\n";

// Whether the board of the selected row identifies as another type, so
// that AUTO PROGRAM asks about it first: the same identification the run
// makes, with the target left unidentified and unpowered again.
bool TypeQuestionDue() {
    core::TargetOpen();
    core::TargetPowerSet(1);
    const bool mismatch = core::TargetIdentifyOk() == 1 && core::ConnectedDevice.match == 0;
    core::TargetPowerSet(0);
    core::TargetClearIdentified();
    return mismatch;
}

TEST_F(ActionsTest, EveryDeviceRowEndsDoneWithItsImageOrAsksAboutTheCodeSize) {
    Config();
    std::vector<std::string> asked;
    Run([&](ui::Driver& d) {
        for (int32_t row = 1; row <= core::DeviceInfoTable.count; ++row) {
            SCOPED_TRACE(testsupport::RowLabel(row));
            ASSERT_EQ(sim::SimSelectDeviceRow(row), 0);
            core::Settings.SelectedProcessorIndex = row;
            core::DeviceSelectByIndex();
            gui::MainDialogRefresh();
            const testsupport::RowImage image =
                testsupport::RowImageOf(core::DeviceInfoTable.records[row]);
            ASSERT_EQ(gui::CodeFileReadAndReport(0, CodeFile("row.txt", image.tiTxt)), 1);

            session().Boxes().Clear();
            if (TypeQuestionDue()) {
                session().Boxes().Answer(platform::IDYES); // go on with the type found
            }
            session().Boxes().Answer(platform::IDNO); // no to the code-size question
            ui::TranscriptClear();
            d.Click(1001);
            const std::string report = d.Target().GetItemText(1026);

            if (Done(report)) {
                EXPECT_FALSE(ui::TranscriptHas(kSizeQuestion)) << report;
                EXPECT_EQ(testsupport::BoardDiffers(image), "") << "DONE, yet\n" << report;
                continue;
            }
            asked.push_back(testsupport::RowLabel(row));
            EXPECT_TRUE(ui::TranscriptHas(kSizeQuestion)) << report << ui::TranscriptText();
            EXPECT_NE(report.find(kSizeWarning), std::string::npos) << report;
            EXPECT_NE(report.find(kStopped), std::string::npos) << report;
            EXPECT_EQ(report.find("Flash programming"), std::string::npos)
                << "told No, the run must not write\n"
                << report;
            EXPECT_EQ(testsupport::BoardDiffers(image, true), "") << "nothing is written";
            EXPECT_EQ(Lamp(gui::kRowWrite), gui::kLampFailed);
            EXPECT_EQ(Lamp(gui::kRowAutoProgram), gui::kLampFailed);
            EXPECT_EQ(Lamp(gui::kRowPicture), gui::kPictureBlank);
            EXPECT_FALSE(Unattended());
        }
    });
    EXPECT_EQ(asked, testsupport::kBoardsStartingHigher) << ::testing::PrintToString(asked);
}

} // namespace
} // namespace guitest
