// ".out" files through an external converter: a small script stands in for
// it and records how it was started.

#include "core/code_file_load.h"
#include "core/code_line_parse.h"
#include "core/code_store.h"
#include "core/out_convert.h"
#include "platform/prompt.h"
#include "platform/scripted_prompts.h"
#include "tests/codeimage/code_fixture.h"

#include <filesystem>
#include <string>
#include <vector>

namespace codeimage_test {
namespace {

using namespace core;
namespace fs = std::filesystem;

class OutConvertTest : public CodeImageTest {
protected:
    void SetUp() override {
        CodeImageTest::SetUp();
        platform::SetPromptService(&prompts_);
        codeDir_ = dir_.path() / "code dir";
        fs::create_directories(codeDir_);
        outPath_ = (codeDir_ / "prog.out").string();
        testsupport::WriteFile(outPath_, "\x7f"
                                         "COFF image");
    }

    // Writes a converter script whose body runs after it has recorded its
    // arguments and working directory, and makes it the converter.
    void Converter(const std::string& body) {
        const std::string path = dir_.File("convert.sh");
        testsupport::WriteFile(path, "#!/bin/sh\n"
                                     "printf '%s\\n' \"$@\" > args.txt\n"
                                     "pwd > cwd.txt\n"
                                     "for a in \"$@\"; do case \"$a\" in -o=*) out=\"${a#-o=}\";; "
                                     "esac; done\n" +
                                         body + "\n");
        fs::permissions(path, fs::perms::owner_all);
        CodeLoad.TOOL1_filename = path;
    }

    std::string Recorded(const std::string& name) const {
        return testsupport::ReadFile((codeDir_ / name).string());
    }

    // The one box shown, as "caption|text".
    std::string OnlyBox() const {
        EXPECT_EQ(prompts_.Transcript().size(), 1u);
        if (prompts_.Transcript().empty()) {
            return "";
        }
        const platform::PromptRecord& r = prompts_.Transcript()[0];
        EXPECT_EQ(r.flags, platform::MB_OK | platform::MB_ICONERROR);
        return r.caption + "|" + r.text;
    }

    platform::ScriptedPrompts prompts_;
    fs::path codeDir_;
    std::string outPath_;
};

const char kHexFile[] = ":01100000559A\\n:00000001FF\\n";

TEST_F(OutConvertTest, ConvertsInTheFilesDirectoryAndLoadsTheIntelHex) {
    Converter(std::string("printf '") + kHexFile + "' > \"$out\"");
    std::string path = outPath_;
    ASSERT_EQ(OutFileConvertToHex(path), 1);
    EXPECT_EQ(path, (codeDir_ / "prog.hex").string());
    EXPECT_TRUE(prompts_.Transcript().empty());
    EXPECT_EQ(Recorded("args.txt"), "-romwidth=8\n-memwidth=8\n-i\n-o=prog.hex\nprog.out\n");
    EXPECT_EQ(fs::path(Recorded("cwd.txt").substr(0, Recorded("cwd.txt").size() - 1)),
              fs::canonical(codeDir_));

    // The caller loads the converted file with the ".out" format.
    EXPECT_EQ(CodeLoad.CodeFileFormat, kFormatOut);
    platform::File file(path, platform::FileModeRead);
    EXPECT_EQ(CodeFileLoad(0, CodeLoad.CodeFileFormat, file.get(), path), 1);
    EXPECT_EQ(Defined(Images.CodeImage), BytesAt(0x1000, {0x55}));
}

TEST_F(OutConvertTest, FailedConversionsShowWhyAndKeepThePath) {
    struct Case {
        const char* what;
        std::string body;
        bool staleHex; // a ".hex" older than the ".out" is there before
        std::string reason;
    };
    const std::string hex = (codeDir_ / "prog.hex").string();
    const std::vector<Case> cases = {
        {"non-zero exit", std::string("printf '") + kHexFile + "' > \"$out\"; exit 3", false,
         "The conversion utility ended with exit code 3."},
        {"ended by a signal", "kill -9 $$", false, "The conversion utility was ended by signal 9."},
        {"no output file", "exit 0", false,
         "The conversion utility left no output file:\r\n" + hex},
        {"stale output file", "exit 0", true,
         "The output file is older than the *.out file:\r\n" + hex},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompts_.Clear();
        fs::remove(hex);
        if (c.staleHex) {
            testsupport::WriteFile(hex, ":01100000559A\n");
            fs::last_write_time(hex, fs::last_write_time(outPath_) - std::chrono::hours(1));
        }
        Converter(c.body);
        std::string path = outPath_;
        EXPECT_EQ(OutFileConvertToHex(path), 0);
        EXPECT_EQ(path, outPath_);
        EXPECT_EQ(OnlyBox(),
                  "Error|Conversion Error:\r\n\r\n" + outPath_ + "\r\n\r\n" + c.reason + "\r\n");
    }
}

// A ".hex" left from an earlier conversion is no proof of this one, even
// when it is newer than the ".out" (a file copied with its old time).
TEST_F(OutConvertTest, AnOutputTheConverterDidNotWriteFails) {
    const std::string hex = (codeDir_ / "prog.hex").string();
    testsupport::WriteFile(hex, ":01100000559A\n");
    fs::last_write_time(hex, fs::last_write_time(outPath_) + std::chrono::hours(1));
    Converter("exit 0");
    std::string path = outPath_;
    EXPECT_EQ(OutFileConvertToHex(path), 0);
    EXPECT_EQ(path, outPath_);
    EXPECT_EQ(OnlyBox(), "Error|Conversion Error:\r\n\r\n" + outPath_ +
                             "\r\n\r\nThe conversion utility did not write the output file:\r\n" +
                             hex + "\r\n");

    // An earlier output that the converter writes again is this run's.
    prompts_.Clear();
    fs::last_write_time(hex, fs::last_write_time(outPath_) - std::chrono::hours(1));
    Converter(std::string("printf '") + kHexFile + "' > \"$out\"");
    path = outPath_;
    EXPECT_EQ(OutFileConvertToHex(path), 1);
    EXPECT_EQ(path, hex);
    EXPECT_TRUE(prompts_.Transcript().empty());
}

TEST_F(OutConvertTest, AConverterThatCannotRunFails) {
    const std::string path = dir_.File("not-executable");
    testsupport::WriteFile(path, "#!/bin/sh\nexit 0\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    CodeLoad.TOOL1_filename = path;
    std::string out = outPath_;
    EXPECT_EQ(OutFileConvertToHex(out), 0);
    EXPECT_EQ(OnlyBox(), "Error|Conversion Error:\r\n\r\n" + outPath_ +
                             "\r\n\r\nThe conversion utility could not be started:\r\n" + path +
                             "\r\n");
}

TEST_F(OutConvertTest, AMissingConverterShowsWhereToSetIt) {
    for (const std::string& tool : {std::string(), dir_.File("hex430.exe")}) {
        SCOPED_TRACE(tool);
        prompts_.Clear();
        CodeLoad.TOOL1_filename = tool;
        std::string path = outPath_;
        EXPECT_EQ(OutFileConvertToHex(path), 0);
        EXPECT_EQ(path, outPath_);
        EXPECT_EQ(OnlyBox(),
                  "Error - hex430.exe file not found|Open File Error:\r\n\r\n" + tool +
                      "\r\n\r\n"
                      "The hex430.exe utility file allows to convert the *.out file to Intel "
                      "*.hex format.\r\n"
                      "From the pull-down menu please select the Setup->Preferences\r\n"
                      "and in the 'TI HEX Conversion Utility' group enter the location of the "
                      "hex430.exe utility file.\r\n"
                      "By default the hex430.exe file is located in the Code Composer Essentials "
                      "directory.\r\n");
    }
}

TEST_F(OutConvertTest, OtherFilesAreLeftAlone) {
    Converter("exit 1");
    std::string path = (codeDir_ / "prog.hex").string();
    EXPECT_EQ(OutFileConvertToHex(path), 1);
    EXPECT_EQ(path, (codeDir_ / "prog.hex").string());
    EXPECT_FALSE(fs::exists(codeDir_ / "args.txt")) << "the converter did not run";
    EXPECT_TRUE(prompts_.Transcript().empty());
}

} // namespace
} // namespace codeimage_test
