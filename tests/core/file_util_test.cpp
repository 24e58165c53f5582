#include "core/file_util.h"
#include "platform/atomic_file.h"
#include "platform/process.h"
#include "platform/scripted_prompts.h"
#include "platform/text_viewer.h"
#include "tests/core/core_fixture.h"
#include "tests/support/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace core;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

class RecordingLauncher : public platform::ProcessLauncher {
public:
    int StartDetached(const std::vector<std::string>& argv) override {
        started.push_back(argv);
        return result;
    }
    platform::RunResult RunAndWait(const std::vector<std::string>&, const std::string&) override {
        return {};
    }
    std::vector<std::vector<std::string>> started;
    int result = 0;
};

class FileUtilTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        platform::SetProcessLauncher(&launcher);
        platform::SetPromptService(&prompts);
    }
    RecordingLauncher launcher;
    platform::ScriptedPrompts prompts;
    TempDir dir;
};

TEST_F(FileUtilTest, FileCanOpenProbesWithoutSideEffects) {
    const std::string existing = dir.File("setup.cfg");
    WriteFile(existing, "SelectedProcessorIndex 71\r\n");
    const std::string fresh = dir.File("new.cfg");
    struct Case {
        std::string path;
        uint32_t flags;
        int32_t result;
    };
    const Case cases[] = {
        {existing, kOpenReadShareDenyWrite, 1},
        {existing, kOpenCreateWrite, 1},
        {fresh, kOpenReadShareDenyWrite, 0},
        {fresh, kOpenCreateWrite, 1},
        {dir.File("missing/x.cfg"), kOpenCreateWrite, 0},
        {dir.path().string(), kOpenReadShareDenyWrite, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.flags));
        EXPECT_EQ(FileCanOpen(c.path, c.flags), c.result);
    }
    EXPECT_EQ(ReadFile(existing), "SelectedProcessorIndex 71\r\n");
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST_F(FileUtilTest, TextFileCopyLinesNormalisesLines) {
    const std::string src = dir.File("list.txt");
    WriteFile(src, "a\tb\n\n\r\nsecond line\rthird\x1A"
                   "last");
    EXPECT_EQ(TextFileCopyLines(src, ".bak"), 1);
    EXPECT_EQ(ReadFile(src + ".bak"), "a       b\r\nsecond line\r\nthird\r\nlast\r\n");

    EXPECT_EQ(TextFileCopyLines(dir.File("none.txt"), ".bak"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.txt.bak")));
    EXPECT_EQ(TextFileCopyLines(src, "/nodir/x"), 0);
}

bool FailBeforeRename(const std::string&, const std::string&) {
    return false;
}

// The copy replaces its target as a whole: a copy onto the file itself (an
// empty suffix) keeps the text, and a copy that fails keeps the old target.
TEST_F(FileUtilTest, TextFileCopyLinesNeverLosesTheTextItCopies) {
    const std::string src = dir.File("history.sn");
    WriteFile(src, "first\tline\n\nsecond\r\n");
    EXPECT_EQ(TextFileCopyLines(src, ""), 1);
    EXPECT_EQ(ReadFile(src), "first   line\r\nsecond\r\n");

    const std::string copy = src + ".bak";
    WriteFile(copy, "the older copy\r\n");
    platform::SetAtomicFileCommitHook(&FailBeforeRename);
    EXPECT_EQ(TextFileCopyLines(src, ".bak"), 0);
    EXPECT_EQ(ReadFile(copy), "the older copy\r\n");
    EXPECT_EQ(ReadFile(src), "first   line\r\nsecond\r\n");
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2) << "no temporary file is left behind";
    EXPECT_TRUE(prompts.Transcript().empty());
}

TEST_F(FileUtilTest, NotepadShowTextWritesTheFileThenStartsTheViewer) {
    const std::string path = dir.File("report.txt");
    WriteFile(path, "an older and much longer report that must disappear");
    const std::string text = "Erase ........\t done\r\nVerify .......\t failed\r\n";
    NotepadShowText(text, path);
    EXPECT_EQ(ReadFile(path), text);
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0], (std::vector<std::string>{"xdg-open", path}));
    EXPECT_TRUE(prompts.Transcript().empty());

    platform::SetTextViewer({"mousepad", "--disable-server"});
    NotepadShowText("x", path);
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[1],
              (std::vector<std::string>{"mousepad", "--disable-server", path}));
}

TEST_F(FileUtilTest, NotepadShowTextFileErrorShowsABoxAndStartsNothing) {
    const std::string path = dir.File("no/such/dir/report.txt");
    NotepadShowText("text", path);
    EXPECT_TRUE(launcher.started.empty());
    ASSERT_EQ(prompts.Transcript().size(), 1u);
    const platform::PromptRecord& box = prompts.Transcript()[0];
    EXPECT_EQ(box.caption, "Error");
    EXPECT_NE(box.text.find(path), std::string::npos);
    EXPECT_EQ(box.flags, platform::MB_OK | platform::MB_ICONERROR);
}

TEST_F(FileUtilTest, NotepadShowTextWithoutAViewerLeavesJustTheFile) {
    platform::SetProcessLauncher(nullptr); // the real launcher
    platform::SetTextViewer({"/no/such/viewer"});
    const std::string path = dir.File("view.txt");
    NotepadShowText("shown\r\n", path);
    EXPECT_EQ(ReadFile(path), "shown\r\n");
    EXPECT_TRUE(prompts.Transcript().empty());
}

TEST_F(FileUtilTest, NotepadShowTextStartsARealViewerProgram) {
    platform::SetProcessLauncher(nullptr);
    const std::string copy = dir.File("seen.txt");
    // A stand-in viewer that copies the file it is given.
    platform::SetTextViewer({"/bin/sh", "-c", "cp \"$1\" \"$0\"", copy});
    const std::string path = dir.File("view.txt");
    NotepadShowText("viewed\r\n", path);
    for (int i = 0; i < 1000 && ReadFile(copy).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadFile(copy), "viewed\r\n");
}

} // namespace
