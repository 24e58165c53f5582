#include "platform/ini_file.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using platform::IniReadString;

TEST(IniFileTest, FindsTheKeyOfTheSectionTheWayTheProfileApiDoes) {
    struct Case {
        const char* what;
        const char* text;
        const char* value;
    };
    const Case cases[] = {
        {"plain", "[S]\nK=v\n", "v"},
        {"CR LF lines", "[S]\r\nK=v\r\n", "v"},
        {"no final newline", "[S]\nK=v", "v"},
        {"names in any case and with blanks", "[ s ]\n  k  =  v w  \n", "v w"},
        {"quotes go", "[S]\nK=\"v \"\n", "v "},
        {"single quotes go", "[S]\nK='v'\n", "v"},
        {"unmatched quote stays", "[S]\nK=\"v\n", "\"v"},
        {"empty value", "[S]\nK=\n", ""},
        {"value with '='", "[S]\nK=a=b\n", "a=b"},
        {"the first of two wins", "[S]\nK=1\nK=2\n", "1"},
        {"the first section wins", "[S]\nK=1\n[S]\nK=2\n", "1"},
        {"comments are skipped", "; K=0\n[S]\n;K=1\nK=2\n", "2"},
        {"a key of another section", "[T]\nK=1\n[S]\nK=2\n", "2"},
        {"a key before any section", "K=1\n[S]\nK=2\n", "2"},
        {"a line without '='", "[S]\nK\nK=3\n", "3"},
    };
    testsupport::TempDir dir;
    const std::string path = dir.File("settings.ini");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::WriteFile(path, c.text);
        EXPECT_EQ(IniReadString(path, "S", "K", "default", 256), c.value);
    }
}

TEST(IniFileTest, AnythingMissingGivesTheDefault) {
    testsupport::TempDir dir;
    const std::string path = dir.File("settings.ini");
    EXPECT_EQ(IniReadString(path, "S", "K", "default", 256), "default") << "no file";
    testsupport::WriteFile(path, "[T]\nK=1\n[S]\nL=2\n[S2]\nK=3\n");
    EXPECT_EQ(IniReadString(path, "S", "K", "default", 256), "default");
    EXPECT_EQ(IniReadString(dir.path().string(), "S", "K", "default", 256), "default")
        << "a directory";
}

TEST(IniFileTest, TheResultFitsTheBufferSize) {
    testsupport::TempDir dir;
    const std::string path = dir.File("settings.ini");
    testsupport::WriteFile(path, "[S]\nK=abcdef\n");
    EXPECT_EQ(IniReadString(path, "S", "K", "", 4), "abc");
    EXPECT_EQ(IniReadString(path, "S", "K", "", 7), "abcdef");
    EXPECT_EQ(IniReadString(path, "S", "K", "", 0), "");
    EXPECT_EQ(IniReadString(path, "S", "X", "0xFFFFFFFF", 5), "0xFF") << "the default too";
}

} // namespace
