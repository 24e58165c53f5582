#include "core/project_line_write.h"
#include "gui/project/project_line_scramble.h"
#include "gui/project/project_scrambler.h"
#include "gui/project/project_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using namespace gui;

class ProjectLineScrambleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProjectStateReset();
        ProjectLineScrambleInstall();
    }
    void TearDown() override { ProjectStateReset(); }

    // What ProjectLineWrite puts into a file for line.
    static std::string Written(const std::string& line) {
        std::FILE* f = std::tmpfile();
        EXPECT_EQ(core::ProjectLineWrite(line, f), 1);
        std::rewind(f);
        std::string out;
        int c;
        while ((c = std::fgetc(f)) != EOF) {
            out.push_back(static_cast<char>(c));
        }
        std::fclose(f);
        return out;
    }

    static std::string Unscrambled(const std::string& text) {
        ProjectScramblerStart("key", "tag");
        std::string plain;
        ProjectScrambleText(text, plain);
        return plain;
    }
};

TEST_F(ProjectLineScrambleTest, OutsideAProjectTheLineIsWrittenAsItIs) {
    const std::string line = "SelectedProcessorIndex\t\t 12 \r\n";
    EXPECT_EQ(Written(line), line);
}

TEST_F(ProjectLineScrambleTest, DuringAProjectTheLineIsScrambledWithItsLineEnd) {
    Project.ProjectScrambleOn = 1;
    ProjectScramblerStart("key", "tag");
    const std::string written = Written("SelectedProcessorIndex\t\t 12 \r\n");
    ASSERT_EQ(written.size(), 30u);
    EXPECT_EQ(written.substr(28), "\r\n");
    EXPECT_EQ(written.find("Selected"), std::string::npos);
    EXPECT_EQ(Unscrambled(written), "SelectedProcessorIndex   12 \r\n");
}

TEST_F(ProjectLineScrambleTest, LongLinesAreCutTo400CharactersKeepingTheLineEnd) {
    Project.ProjectScrambleOn = 1;
    struct Case {
        size_t length;
        std::string end;
    } cases[] = {{399, "\r\n"}, {400, "\r\n"}, {401, "\r\n"},
                 {450, "\r\n"}, {1000, "\n"},  {450, ""}};
    for (const Case& c : cases) {
        std::string body;
        for (size_t i = 0; i < c.length; ++i) {
            body.push_back(static_cast<char>('A' + i % 26));
        }
        const std::string line = body + c.end;
        ProjectScramblerStart("key", "tag");
        const std::string written = Written(line);
        EXPECT_EQ(Unscrambled(written), body.substr(0, 400) + c.end) << c.length;
        EXPECT_EQ(line, body + c.end); // the caller's text stays whole
    }
}

} // namespace
