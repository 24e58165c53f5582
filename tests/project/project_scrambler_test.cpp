#include "gui/project/project_scrambler.h"
#include "gui/project/project_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace gui;

class ProjectScramblerTest : public ::testing::Test {
protected:
    void SetUp() override { ProjectStateReset(); }
    void TearDown() override { ProjectStateReset(); }
};

std::vector<uint8_t> Scrambled(const std::string& text) {
    std::vector<uint8_t> out;
    for (const char c : text) {
        out.push_back(ProjectScrambleChar(static_cast<uint8_t>(c)));
    }
    return out;
}

TEST_F(ProjectScramblerTest, KnownTextScramblesToTheProgramsBytes) {
    ProjectScramblerStart("", "");
    const std::vector<uint8_t> expected = {0x4F, 0x65, 0x25, 0x2E, 0x3F, 0x6E, 0x25, 0x57, 0x3F,
                                           0x91, 0x33, 0x7D, 0x55, 0x9D, 0x9E, 0x4D, 0x9B};
    EXPECT_EQ(Scrambled("DestinationTarget"), expected);
}

TEST_F(ProjectScramblerTest, EveryCharacterRoundTripsUnderOneStartAndKey) {
    const std::string keys[] = {"", "pass word", "1234-ABCD", std::string("\x80\x9f\xff", 3)};
    for (const std::string& key : keys) {
        std::string plain;
        for (int c = 32; c <= 159; ++c) {
            plain.push_back(static_cast<char>(c));
        }
        plain += plain; // the register moves on: the second pass meets other values
        ProjectScramblerStart(key, kProjectTargetTag);
        std::string scrambled;
        ProjectScrambleText(plain, scrambled);
        ASSERT_EQ(scrambled.size(), plain.size());
        for (const char c : scrambled) {
            const auto u = static_cast<uint8_t>(c);
            EXPECT_TRUE(u >= 32 && u <= 159) << int(u);
        }
        EXPECT_NE(scrambled, plain);
        ProjectScramblerStart(key, kProjectTargetTag);
        std::string back;
        ProjectScrambleText(scrambled, back);
        EXPECT_EQ(back, plain) << "key " << key;
    }
}

TEST_F(ProjectScramblerTest, TabIsABlankAndControlAndHighBytesPassWithoutMovingTheRegister) {
    ProjectScramblerStart("k", "t");
    const uint8_t tabOut = ProjectScrambleChar('\t');
    ProjectScramblerStart("k", "t");
    EXPECT_EQ(ProjectScrambleChar(' '), tabOut);

    // Bytes outside 32..159 come back unchanged and leave the sequence as
    // if they were not there; 128..159 are scrambled like the others.
    ProjectScramblerStart("k", "t");
    const std::vector<uint8_t> plainRun = Scrambled("ab\x85\x9f");
    ProjectScramblerStart("k", "t");
    std::vector<uint8_t> mixed;
    for (const uint8_t c :
         {uint8_t('a'), uint8_t('\r'), uint8_t('\n'), uint8_t(0), uint8_t(31), uint8_t('b'),
          uint8_t(160), uint8_t(255), uint8_t(0x85), uint8_t(0x9f)}) {
        mixed.push_back(ProjectScrambleChar(c));
    }
    const std::vector<uint8_t> expected = {plainRun[0], '\r', '\n', 0,           31,
                                           plainRun[1], 160,  255,  plainRun[2], plainRun[3]};
    EXPECT_EQ(mixed, expected);
}

TEST_F(ProjectScramblerTest, KeyPast16AndTagPast8CharactersAreIgnored) {
    const auto run = [](const std::string& key, const std::string& tag) {
        ProjectScramblerStart(key, tag);
        return Scrambled("Morvane Inc.");
    };
    EXPECT_EQ(run("0123456789abcdef", "DER816xy"), run("0123456789abcdefEXTRA", "DER816xyZZZ"));
    EXPECT_NE(run("0123456789abcdef", "DER816xy"), run("0123456789abcdeX", "DER816xy"));
    EXPECT_NE(run("0123456789abcdef", "DER816xy"), run("0123456789abcdef", "DER816xZ"));
}

TEST_F(ProjectScramblerTest, StartKeepsTheCrcModeAndAddsNothing) {
    ProjectCrcStart();
    ProjectScrambler.CrcMode = kProjectCrcInput;
    ProjectScramblerStart("key", "tag");
    EXPECT_EQ(ProjectScrambler.CrcMode, kProjectCrcInput);
    EXPECT_EQ(ProjectScrambler.Crc, 0xFFFFu);
}

TEST_F(ProjectScramblerTest, CrcModesTakeInputOrOutput) {
    ProjectCrcStart();
    for (const char c : std::string("123456789")) {
        ProjectCrcAdd(static_cast<uint8_t>(c));
    }
    EXPECT_EQ(ProjectScrambler.Crc, 0x29B1u);

    // Mode 0 takes the characters before scrambling, so it gives the same
    // CRC as adding them directly; mode 1 takes what goes out.
    ProjectScramblerStart("", "");
    ProjectScrambler.CrcMode = kProjectCrcInput;
    ProjectCrcStart();
    std::string out;
    ProjectScrambleText("123456789", out);
    EXPECT_EQ(ProjectScrambler.Crc, 0x29B1u);

    ProjectScrambler.CrcMode = kProjectCrcOutput;
    ProjectCrcStart();
    std::string again;
    ProjectScramblerStart("", "");
    ProjectScrambleText(out, again);
    EXPECT_EQ(again, "123456789");
    EXPECT_EQ(ProjectScrambler.Crc, 0x29B1u);

    ProjectScrambler.CrcMode = kProjectCrcNone;
    ProjectCrcStart();
    ProjectScrambleText("123456789", out);
    EXPECT_EQ(ProjectScrambler.Crc, 0xFFFFu);
}

} // namespace
