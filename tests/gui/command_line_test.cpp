#include "core/line_reader.h"
#include "gui/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct OptionCase {
    const char* commandLine;
    const char* option;
    int32_t found;
    const char* value;
};

class OptionFindTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OptionFindTest, FindsTheOptionAndCutsItsValue) {
    const OptionCase& c = GetParam();
    core::LineReader.Reset();
    gui::CommandLine.Reset();
    gui::CommandLine.CommandLineText = c.commandLine;
    EXPECT_EQ(gui::OptionFind(c.option), c.found) << c.commandLine;
    EXPECT_EQ(gui::CommandLine.OptionValue, c.value) << c.commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OptionFindTest,
    ::testing::Values(
        // A value with blanks runs up to the blank before the next option.
        OptionCase{"-sf /home/op/my setups/a.cfg -cf /tmp/code.txt", "-sf", 1,
                   "/home/op/my setups/a.cfg"},
        OptionCase{"-sf /home/op/my setups/a.cfg -cf /tmp/code.txt  ", "-cf", 1, "/tmp/code.txt"},
        // An option found as the prefix of a longer token.
        OptionCase{"-sfx a.cfg", "-sf", 1, "a.cfg"},
        // "-nf" only ends the value before it.
        OptionCase{"-cf a b.txt -nf", "-cf", 1, "a b.txt"},
        OptionCase{"-cf a b.txt -nf", "-nf", 1, ""},
        // A tab before the next option ends the value too.
        OptionCase{"-sf a.cfg\t-lock", "-sf", 1, "a.cfg"},
        // A dash inside a name is no option.
        OptionCase{"-sf my-sf-file.cfg", "-sf", 1, "my-sf-file.cfg"},
        OptionCase{"-sf a -x.cfg", "-sf", 1, "a -x.cfg"},
        // Trailing blanks go, but the value keeps at least three characters.
        OptionCase{"-prj p.prj   ", "-prj", 1, "p.prj"}, OptionCase{"-lock", "-lock", 1, ""},
        OptionCase{"a.cfg b.cfg", "-sf", 0, ""}, OptionCase{"", "-", 0, ""},
        // Any token beginning with a dash counts for the bare "-".
        OptionCase{"-nf", "-", 1, ""}, OptionCase{"x -", "-", 1, ""}));

TEST(CommandLineJoinTest, JoinsTheArgumentsWithOneBlank) {
    EXPECT_EQ(gui::CommandLineJoin({}), "");
    EXPECT_EQ(gui::CommandLineJoin({"-sf", "/a b/c.cfg", "-lock"}), "-sf /a b/c.cfg -lock");
}

} // namespace
