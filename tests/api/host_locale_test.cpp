// A host that runs in a decimal-comma locale of its own: the numbers the
// library writes into the report and the progress dialog keep their point,
// and the host's locale is still its own afterwards.

#include "api/headless_presenter.h"
#include "api/presenter_choice.h"
#include "platform/scripted_prompts.h"
#include "tests/api/api_fixture.h"
#include "tests/support/comma_locale.h"

#include <clocale>
#include <regex>
#include <string>
#include <vector>

namespace api_test {
namespace {

const std::regex kRunTime(R"( -------- D O N E --- \( run time = *[0-9]+\.[0-9] sec\.\)\r\n)");

class HostLocaleTest : public ApiTest {
protected:
    void SetUp() override {
        ApiTest::SetUp();
        ASSERT_TRUE(comma.InForce()) << comma.Why();
        hostLocale = std::setlocale(LC_ALL, nullptr);
        ASSERT_EQ(SelectAndInitialize(), 1);
        UseDevice("149");
        ASSERT_EQ(F_SetConfig(2, 1), 1);
        F_Clr_Code_Buffer();
        for (int32_t a = 0x8000; a < 0x8400; ++a) {
            F_Put_Byte_to_Code_Buffer(a, static_cast<uint8_t>(a * 3));
        }
        TakeReport();
    }
    void TearDown() override {
        api::ProgressPresenterInstall(nullptr);
        EXPECT_EQ(std::setlocale(LC_ALL, nullptr), hostLocale);
        ApiTest::TearDown();
    }

    testsupport::CommaLocale comma;
    std::string hostLocale;
};

TEST_F(HostLocaleTest, TheReportWritesItsNumbersWithAPoint) {
    ASSERT_EQ(F_SetConfig(30, 2), 1); // direct
    EXPECT_EQ(F_AutoProgram(0), 1);
    const std::string passed = TakeReport();
    EXPECT_TRUE(std::regex_search(passed, kRunTime)) << passed;
    // An enabled DCO entry: its frequency and result lines.
    ASSERT_EQ(F_SetConfig(45, 1), 1);     // entry 3
    ASSERT_EQ(F_SetConfig(53, 12500), 1); // kHz
    EXPECT_EQ(F_AutoProgram(0), 0);
    const std::string dco = TakeReport();
    EXPECT_NE(dco.find("  DCO3-12.500 MHz  Result= 0.0000...\t failed\r\n"), std::string::npos)
        << dco;
}

TEST_F(HostLocaleTest, TheProgressDialogShowsTheSupplyWithAPoint) {
    platform::ScriptedPrompts boxes;
    api::ScriptedPresenter window{boxes};
    api::ProgressPresenterInstall(&window);
    ASSERT_EQ(F_SetConfig(30, 0), 1); // the dialog, no prompts
    sim::Sim().SetSupplyReading(3010);
    EXPECT_EQ(F_AutoProgram(0), 1);
    EXPECT_TRUE(window.Has("text 5002 \" 3.01 V\""));
    const std::vector<std::string> logs = window.TextsOf(api::kLogControl);
    ASSERT_FALSE(logs.empty());
    EXPECT_TRUE(std::regex_search(logs.back(), kRunTime)) << logs.back();
    EXPECT_TRUE(std::regex_search(TakeReport(), kRunTime));
}

} // namespace
} // namespace api_test
