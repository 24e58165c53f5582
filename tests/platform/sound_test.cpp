#include "platform/clock.h"
#include "platform/process.h"
#include "platform/services.h"
#include "platform/sound.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <fstream>
#include <iterator>

namespace {

// Records the player's argument vector and, while the player runs, what the
// file it was handed holds.
class RecordingLauncher : public platform::ProcessLauncher {
public:
    bool playerPresent = true;
    int exitStatus = 0;
    std::vector<std::vector<std::string>> runs;
    std::string played;

    int StartDetached(const std::vector<std::string>&) override { return 0; }
    platform::RunResult RunAndWait(const std::vector<std::string>& argv,
                                   const std::string&) override {
        runs.push_back(argv);
        platform::RunResult r;
        if (!playerPresent) {
            r.error = ENOENT;
            return r;
        }
        std::ifstream in(argv.back(), std::ios::binary);
        played.assign(std::istreambuf_iterator<char>(in), {});
        r.started = true;
        r.exitStatus = exitStatus;
        return r;
    }
};

class SleepLog : public platform::ClockSource {
public:
    uint64_t now = 0;
    uint64_t slept = 0;
    uint64_t Counter() override { return now; }
    uint64_t Frequency() override { return 1000; }
    void SleepMs(uint32_t ms) override {
        now += ms;
        slept += ms;
    }
};

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetProcessLauncher(&launcher);
        platform::SetClockSource(&clock);
        platform::SetPlaybackDeviceOverride(1);
    }
    void TearDown() override { platform::ResetServices(); }
    RecordingLauncher launcher;
    SleepLog clock;
};

uint32_t Le(const std::string& s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    return v;
}

TEST(ToneWaveTest, HeaderAndLengthDescribeTheTone) {
    std::string w = platform::ToneWaveBytes(800, 250);
    ASSERT_EQ(w.size(), 44u + 2u * 2000u);
    EXPECT_EQ(w.substr(0, 4), "RIFF");
    EXPECT_EQ(Le(w, 4, 4), w.size() - 8);
    EXPECT_EQ(w.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le(w, 22, 2), 1u);    // mono
    EXPECT_EQ(Le(w, 24, 4), 8000u); // rate
    EXPECT_EQ(w.substr(36, 4), "data");
    EXPECT_EQ(Le(w, 40, 4), 4000u);
    // 800 Hz at 8000 samples/s: ten samples a period, so sample 12 repeats sample 2.
    EXPECT_EQ(Le(w, 44 + 2 * 2, 2), Le(w, 44 + 2 * 12, 2));
    EXPECT_NE(Le(w, 44 + 2 * 2, 2), 0u);
}

TEST_F(SoundTest, AWaveIsPlayedByTheSystemPlayerAndWaitedFor) {
    EXPECT_TRUE(platform::PlayWave("/tmp/ok.wav"));
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0], (std::vector<std::string>{"aplay", "-q", "/tmp/ok.wav"}));
    launcher.exitStatus = 1;
    EXPECT_FALSE(platform::PlayWave("/tmp/ok.wav"));
    EXPECT_FALSE(platform::PlayWave(""));
    EXPECT_EQ(launcher.runs.size(), 2u); // an empty name plays nothing
}

TEST_F(SoundTest, ABeepSoundsAsAToneOrTakesItsLengthInSilence) {
    struct Case {
        bool player;
        uint32_t hz, ms;
        bool toneHanded;
        uint64_t slept;
    } cases[] = {
        {true, 800, 100, true, 0},     // played: the player takes the time
        {false, 800, 100, false, 100}, // no player: silent for its length
        {true, 20, 100, false, 100},   // a tone no speaker makes
        {true, 800, 0, false, 0},
    };
    for (const Case& c : cases) {
        launcher.playerPresent = c.player;
        launcher.played.clear();
        clock.slept = 0;
        platform::Beep(c.hz, c.ms);
        EXPECT_EQ(launcher.played == platform::ToneWaveBytes(c.hz, c.ms), c.toneHanded)
            << c.hz << " Hz " << c.ms << " ms";
        EXPECT_EQ(clock.slept, c.slept) << c.hz << " Hz " << c.ms << " ms";
    }
}

// Without a playback device the player is never started (it would only
// print its complaints), a sound reports not played and a beep still takes
// its length.
TEST_F(SoundTest, WithoutAPlaybackDeviceEverySoundIsSilentAndQuiet) {
    platform::SetPlaybackDeviceOverride(0);
    EXPECT_FALSE(platform::PlayWave("/tmp/ok.wav"));
    platform::Beep(800, 100);
    EXPECT_TRUE(launcher.runs.empty());
    EXPECT_EQ(clock.slept, 100u);
}

TEST(PlaybackDeviceTest, ADriverDeviceOrASoundServerCounts) {
    testsupport::TempDir dir;
    const std::string dev = dir.File("snd");
    const std::string runtime = dir.File("run");
    std::filesystem::create_directories(dev);
    std::filesystem::create_directories(runtime + "/pulse");
    struct Case {
        const char* name;
        std::vector<std::string> devices; // files in the device directory
        bool serverSocket;
        const char* server;
        bool found;
    };
    const Case cases[] = {
        {"nothing", {}, false, "", false},
        {"capture and control only", {"pcmC0D0c", "controlC0", "timer"}, false, "", false},
        {"a playback device", {"controlC0", "pcmC0D0p"}, false, "", true},
        {"a sound server's socket", {}, true, "", true},
        {"a named sound server", {}, false, "tcp:host", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(dev);
        std::filesystem::create_directories(dev);
        for (const std::string& f : c.devices) {
            testsupport::WriteFile(dev + "/" + f, "");
        }
        std::filesystem::remove(runtime + "/pulse/native");
        if (c.serverSocket) {
            testsupport::WriteFile(runtime + "/pulse/native", "");
        }
        EXPECT_EQ(platform::PlaybackDeviceFound(dev, runtime, c.server), c.found);
    }
    EXPECT_FALSE(platform::PlaybackDeviceFound(dir.File("no-such-dir"), "", ""));
}

} // namespace
