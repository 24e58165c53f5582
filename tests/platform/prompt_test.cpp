#include "platform/clock.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"
#include "platform/services.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(DefaultAnswerTest, PicksTheDefaultButtonOfEachBox) {
    struct Case {
        uint32_t flags;
        int answer;
    };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_OK | MB_DEFBUTTON2, IDOK}, // no second button: the first counts
        {MB_OK | MB_ICONERROR, IDOK},
        {MB_OKCANCEL, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_OKCANCEL | MB_DEFBUTTON3, IDOK},
        {MB_ABORTRETRYIGNORE, IDABORT},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
        {MB_YESNOCANCEL | MB_ICONQUESTION, IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_YESNO | MB_ICONWARNING, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_RETRYCANCEL, IDRETRY},
        {MB_RETRYCANCEL | MB_DEFBUTTON2 | MB_ICONINFORMATION, IDCANCEL},
        {0x6, IDOK}, // a button set this layer does not know
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(DefaultAnswer(c.flags), c.answer);
    }
}

// Nobody there to answer: never a Yes, Retry or Abort that starts something,
// whatever the default button says.
TEST(UnattendedAnswerTest, CancelElseNoElseTheFirstButton) {
    struct Case {
        uint32_t flags;
        int answer;
    };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_OK | MB_ICONERROR, IDOK},
        {MB_OKCANCEL, IDCANCEL},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNOCANCEL | MB_ICONQUESTION, IDCANCEL},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO | MB_ICONWARNING, IDNO},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_RETRYCANCEL, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDABORT},
        {0x6, IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(UnattendedAnswer(c.flags), c.answer);
    }
}

class PromptTest : public ::testing::Test {
protected:
    void TearDown() override { ResetServices(); }
};

TEST_F(PromptTest, ScriptedPromptsAnswerFromTheScriptThenUnattended) {
    ScriptedPrompts prompts;
    SetPromptService(&prompts);
    prompts.Answer(IDNO);
    prompts.Answer(IDCANCEL);

    EXPECT_EQ(ShowMessageBox("Erase the flash?", "Warning", MB_YESNO), IDNO);
    EXPECT_EQ(ShowMessageBox("Keep going?", "Warning", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(prompts.Pending(), 0u);
    EXPECT_EQ(ShowMessageBox("Overwrite?", "Warning", MB_YESNO), IDNO);
    EXPECT_EQ(ShowMessageBox("Done.", "Info", MB_OK), IDOK);

    const auto& t = prompts.Transcript();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].text, "Erase the flash?");
    EXPECT_EQ(t[0].caption, "Warning");
    EXPECT_EQ(t[0].flags, MB_YESNO);
    EXPECT_EQ(t[0].answer, IDNO);
    EXPECT_EQ(t[2].answer, IDNO);
    EXPECT_EQ(t[3].caption, "Info");
    EXPECT_EQ(t[3].answer, IDOK);

    prompts.Clear();
    EXPECT_TRUE(prompts.Transcript().empty());
}

TEST_F(PromptTest, HeadlessDefaultWritesTheBoxToStderr) {
    ScriptedPrompts unused;
    SetPromptService(&unused);
    SetPromptService(nullptr);
    testing::internal::CaptureStderr();
    const int answer =
        ShowMessageBox("'SN Start Address' must be even.", "Warning", MB_YESNOCANCEL);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_NE(err.find("Warning"), std::string::npos);
    EXPECT_NE(err.find("'SN Start Address' must be even."), std::string::npos);
    EXPECT_TRUE(unused.Transcript().empty());
}

} // namespace

namespace {

// A clock that a box moves on while it is open; the frequency is odd so
// that whole milliseconds come from a division.
class BoxClock final : public platform::ClockSource {
public:
    uint64_t Counter() override { return counts; }
    uint64_t Frequency() override { return 3000; }
    void SleepMs(uint32_t ms) override { counts += uint64_t{ms} * 3; }
    uint64_t counts = 7;
};

// Opens for a given number of clock counts, then answers OK.
class TimedPrompts final : public platform::PromptService {
public:
    explicit TimedPrompts(BoxClock& clock) : clock_(clock) {}
    int MessageBox(const std::string&, const std::string&, uint32_t) override {
        clock_.counts += openCounts;
        return platform::IDOK;
    }
    uint64_t openCounts = 0;

private:
    BoxClock& clock_;
};

TEST(PromptOpenTimeTest, SumsTheTimeEveryBoxStayedOpen) {
    BoxClock clock;
    TimedPrompts prompts(clock);
    platform::SetClockSource(&clock);
    platform::SetPromptService(&prompts);
    const uint32_t before = platform::PromptOpenMilliseconds();
    clock.counts += 30000;     // time outside a box does not count
    prompts.openCounts = 6000; // 2000 ms
    platform::ShowMessageBox("a", "b", platform::MB_OK);
    prompts.openCounts = 1500; // 500 ms
    platform::ShowMessageBox("a", "b", platform::MB_OK);
    EXPECT_EQ(platform::PromptOpenMilliseconds() - before, 2500u);
    EXPECT_EQ(&platform::CurrentPromptService(), &prompts);
    platform::SetPromptService(nullptr);
    platform::SetClockSource(nullptr);
}

} // namespace
