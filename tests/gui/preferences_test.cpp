// "prefer.ini", the result sounds on a recording sound service, and the
// Preferences dialog.

#include "core/code_store.h"
#include "gui/main_actions.h"
#include "gui/preferences.h"
#include "gui/preferences_dlg.h"
#include "gui/setup_runners.h"
#include "gui/startup_load.h"
#include "platform/sound.h"
#include "tests/gui/dialogs_fixture.h"

namespace guitest {
namespace {

class RecordingSound : public platform::SoundService {
public:
    bool PlayWave(const std::string& path) override {
        played.push_back("wave " + path);
        return true;
    }
    void Beep(uint32_t hz, uint32_t ms) override {
        played.push_back("beep " + std::to_string(hz) + " " + std::to_string(ms));
    }
    std::vector<std::string> played;
};

class PreferencesTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        platform::SetSoundService(&sound_);
        gui::NewSetupDefaults();
    }
    void TearDown() override {
        platform::SetSoundService(nullptr);
        DialogTest::TearDown();
    }

    // Every preference, for comparing whole sets.
    static std::vector<std::string> All() {
        const gui::PreferencesState& p = gui::Preferences;
        return {std::to_string(core::Settings.ReportHistory),
                std::to_string(p.BeepOkEnable),
                std::to_string(p.PCSpeaker),
                std::to_string(p.SoundEnable),
                p.Sound1FileName,
                p.Sound2FileName,
                p.Sound3FileName,
                gui::Startup.PdfReaderName,
                core::CodeLoad.TOOL1_filename};
    }

    RecordingSound sound_;
};

const std::string kDefaultFile = "ReportHistory\t\t  1 \r\n"
                                 "BeepOkEnable\t\t  1 \r\n"
                                 "PCSpeaker\t\t  1 \r\n"
                                 "SoundEnable\t\t  0 \r\n"
                                 "Sound1FileName\t\t\r\n"
                                 "Sound2FileName\t\t\r\n"
                                 "Sound3FileName\t\t\r\n"
                                 "PDF_ReaderFileName\txdg-open\r\n"
                                 "TOOL1_filename\t\t\r\n";

TEST_F(PreferencesTest, TheDefaultFileAndARoundTripWithBlanksInPaths) {
    gui::PreferencesLoad(); // no file: the defaults stay
    ASSERT_EQ(gui::PreferencesSave(), 1);
    EXPECT_EQ(testsupport::ReadFile(dir_.File("prefer.ini")), kDefaultFile);

    core::Settings.ReportHistory = 0;
    gui::Preferences.BeepOkEnable = 0;
    gui::Preferences.SoundEnable = 1;
    gui::Preferences.Sound1FileName = "/opt/bench sounds/error 1.wav";
    gui::Preferences.Sound2FileName = "done.wav";
    gui::Preferences.Sound3FileName = "C:/My Sounds/warn.wav";
    gui::Startup.PdfReaderName = "/usr/bin/pdf viewer";
    core::CodeLoad.TOOL1_filename = "/opt/ti tools/hex430";
    const std::vector<std::string> saved = All();
    ASSERT_EQ(gui::PreferencesSave(), 1);
    gui::GuiStateReset();
    core::CodeLoad.Reset();
    gui::NewSetupDefaults();
    gui::PreferencesLoad();
    EXPECT_EQ(All(), saved);
}

TEST_F(PreferencesTest, LoadingTakesValuesInRange) {
    struct Case {
        const char* what;
        std::string file; // empty: no file
        std::vector<std::string> expected;
    };
    const std::vector<std::string> defaults = {"1", "1", "1", "0", "", "", "", "xdg-open", ""};
    auto with = [&](size_t index, const std::string& value) {
        std::vector<std::string> v = defaults;
        v[index] = value;
        return v;
    };
    const std::vector<Case> cases = {
        {"5 becomes 1", "SoundEnable\t\t  5 \r\n", with(3, "1")},
        {"-2 becomes 0", "PCSpeaker\t\t -2 \r\n", with(2, "0")},
        {"a token that begins with the key", "BeepOkEnableFlag 0\n", with(1, "0")},
        {"no value changes nothing", "ReportHistory\r\nSoundEnable\t\t\r\n", defaults},
        {"a text value is the rest of the line", "Sound2FileName \t a b.wav  \r\n",
         with(5, "a b.wav  ")},
        {"leading blanks, LF only, unknown keys", "  TOOL1_filename\t/x/hex430\nOther 1\n",
         with(8, "/x/hex430")},
        {"TOOL1 is cut to 256 characters", "TOOL1_filename\t\t" + std::string(300, 'h') + "\r\n",
         with(8, std::string(256, 'h'))},
        {"no file", "", defaults},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gui::Preferences.Reset();
        gui::Startup.Reset();
        core::CodeLoad.TOOL1_filename.clear();
        core::Settings.ReportHistory = 1;
        std::filesystem::remove(dir_.File("prefer.ini"));
        if (!c.file.empty()) {
            testsupport::WriteFile(dir_.File("prefer.ini"), c.file);
        }
        gui::PreferencesLoad();
        EXPECT_EQ(All(), c.expected);
    }
}

TEST_F(PreferencesTest, ASaveGoesToThePathOfTheLoad) {
    gui::PreferencesLoad();
    std::filesystem::create_directory(dir_.File("elsewhere"));
    std::filesystem::current_path(dir_.File("elsewhere"));
    gui::Preferences.PCSpeaker = 0;
    ASSERT_EQ(gui::PreferencesSave(), 1);
    EXPECT_NE(testsupport::ReadFile(dir_.File("prefer.ini")).find("PCSpeaker\t\t  0 \r\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("elsewhere/prefer.ini")));
}

TEST_F(PreferencesTest, AFailedSaveKeepsTheOldFileAndSaysSo) {
    gui::PreferencesLoad();
    ASSERT_EQ(gui::PreferencesSave(), 1);
    gui::Preferences.PreferencesPath = dir_.File("missing/prefer.ini");
    ui::TestSession session;
    EXPECT_EQ(gui::PreferencesSave(), 0);
    EXPECT_TRUE(ui::TranscriptHas("box [Error] \"Open File or Write File Error"));
    EXPECT_EQ(testsupport::ReadFile(dir_.File("prefer.ini")), kDefaultFile);
}

TEST_F(PreferencesTest, ResultSounds) {
    struct Case {
        int32_t sound, speaker, beepOk, type;
        std::vector<std::string> played;
    };
    const std::vector<std::string> okBeeps = {"beep 600 70", "beep 800 70", "beep 1100 70",
                                              "beep 1400 70"};
    const std::vector<Case> cases = {
        {0, 1, 1, 1, okBeeps},
        {0, 1, 0, 1, {}},
        {0, 1, 1, 2, {"beep 600 60", "beep 450 60"}},
        {0, 1, 0, 3, {"beep 800 70"}},
        {0, 1, 1, 4, {"beep 600 70"}},
        {0, 0, 1, 2, {}},
        {1, 0, 1, 1, {"wave done.wav"}},
        {1, 0, 1, 2, {"wave error.wav"}},
        {1, 0, 1, 3, {"wave error.wav"}},
        {1, 0, 1, 4, {}}, // no wave named for warnings
        {1, 1, 1, 2, {"wave error.wav", "beep 600 60", "beep 450 60"}},
        {1, 1, 0, 1, {"wave done.wav"}},
        {1, 1, 1, 7, {}},
    };
    gui::Preferences.Sound1FileName = "error.wav";
    gui::Preferences.Sound2FileName = "done.wav";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sound " << c.sound << " speaker " << c.speaker
                                        << " beepOk " << c.beepOk << " type " << c.type);
        gui::Preferences.SoundEnable = c.sound;
        gui::Preferences.PCSpeaker = c.speaker;
        gui::Preferences.BeepOkEnable = c.beepOk;
        sound_.played.clear();
        gui::ResultSound(c.type);
        EXPECT_EQ(sound_.played, c.played);
    }
}

TEST_F(PreferencesTest, TheDialogStoresItsChecksAndTextsOnOkOnly) {
    gui::PreferencesLoad();
    gui::Preferences.Sound3FileName = "warn.wav";
    ui::TestSession session;
    session.OnDialog(20300, [](ui::Driver& d) {
        ui::Dialog& w = d.Target();
        EXPECT_EQ(w.IsDlgButtonChecked(20303), 1);
        EXPECT_EQ(w.IsDlgButtonChecked(20306), 0);
        EXPECT_EQ(w.GetItemText(20313), "warn.wav");
        EXPECT_EQ(w.GetItemText(20318), "xdg-open");
        d.Click(20303);
        d.Click(20306);
        d.Type(20308, "/snd/bad board.wav");
        d.Type(20316, "/opt/ti/hex430");
        d.Key(ui::VK_RETURN, '\r'); // Enter closes nothing
        EXPECT_TRUE(w.IsOpen());
        d.Click(20311); // "Play" of an empty name plays nothing
        d.Click(20309);
        d.Click(20302);
    });
    gui::OnPreferences(); // the main window's menu 221
    EXPECT_EQ(sound_.played, std::vector<std::string>{"wave /snd/bad board.wav"});
    EXPECT_EQ(All(), (std::vector<std::string>{"0", "1", "1", "1", "/snd/bad board.wav", "",
                                               "warn.wav", "xdg-open", "/opt/ti/hex430"}));
    EXPECT_EQ(testsupport::ReadFile(dir_.File("prefer.ini")),
              "ReportHistory\t\t  0 \r\nBeepOkEnable\t\t  1 \r\nPCSpeaker\t\t  1 \r\n"
              "SoundEnable\t\t  1 \r\nSound1FileName\t\t/snd/bad board.wav\r\n"
              "Sound2FileName\t\t\r\nSound3FileName\t\twarn.wav\r\n"
              "PDF_ReaderFileName\txdg-open\r\nTOOL1_filename\t\t/opt/ti/hex430\r\n");

    const std::vector<std::string> before = All();
    session.OnDialog(20300, [](ui::Driver& d) {
        d.Click(20305);
        d.Type(20316, "changed");
        d.Key(ui::VK_ESCAPE, 0x1B);
    });
    gui::PreferencesDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(All(), before);
}

} // namespace
} // namespace guitest
