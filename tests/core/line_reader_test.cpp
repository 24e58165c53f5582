#include "core/line_reader.h"
#include "platform/file.h"
#include "tests/core/core_fixture.h"
#include "tests/support/temp_dir.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace core;
using testsupport::TempDir;

// Every line LineReadFromFile gives for bytes, read the way the loaders do.
std::vector<std::string> FileLines(const std::string& bytes, int32_t mode = ' ') {
    TempDir dir;
    const std::string path = dir.File("in.txt");
    testsupport::WriteFile(path, bytes);
    platform::File f(path, platform::FileModeRead);
    LineReaderReset();
    std::vector<std::string> lines;
    while (LineReadFromFile(mode, f.get()) != 0) {
        lines.emplace_back(LineReader.line);
        if (lines.size() > 10000) {
            break; // a reader that never ends
        }
    }
    // The end stays the end.
    EXPECT_EQ(LineReadFromFile(mode, f.get()), 0);
    EXPECT_EQ(LineReadFromFile(mode, f.get()), 0);
    return lines;
}

std::vector<std::string> TextLines(const std::string& text, int32_t mode = ' ') {
    LineReader.textPos = 0;
    std::vector<std::string> lines;
    while (LineReadFromText(mode, text) != 0) {
        lines.emplace_back(LineReader.line);
        EXPECT_EQ(std::strlen(LineReader.line), lines.back().size());
        if (lines.size() > 10000) {
            break;
        }
    }
    EXPECT_EQ(LineReadFromText(mode, text), 0);
    return lines;
}

std::string Rep(char c, size_t n) {
    return std::string(n, c);
}

using Lines = std::vector<std::string>;

class LineReaderTest : public CoreTest {};

TEST_F(LineReaderTest, FileLinesEndAtCrLfOr1AAndSkipBlankLines) {
    struct Case {
        const char* name;
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"CR only", "a\rbc\r", {"a", "bc"}},
        {"LF only", "a\nbc\n", {"a", "bc"}},
        {"CR LF", "a\r\nbc\r\n", {"a", "bc"}},
        {"0x1A",
         "a\x1A"
         "bc\x1A",
         {"a", "bc"}},
        {"last line without end", "a\nlast", {"a", "last"}},
        {"blank lines between", "\n\r\n\r\ra\n\n\n\x1A\nb\n\n", {"a", "b"}},
        {"only line ends", "\r\n\r\n\x1A", {}},
        {"empty file", "", {}},
        {"TAB to the next multiple of 8", "a\tb", {"a       b"}},
        {"TAB after 8", "12345678\tx", {"12345678        x"}},
        {"TAB first", "\tx", {"        x"}},
        {"blanks kept, separators kept", " k = 1, 2 ", {" k = 1, 2 "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileLines(c.bytes), c.lines);
    }
}

TEST_F(LineReaderTest, FileModeFoldsCase) {
    EXPECT_EQ(FileLines(":10AbC\n", 'l'), Lines{":10abc"});
    EXPECT_EQ(FileLines(":10AbC\n", 'L'), Lines{":10abc"});
    EXPECT_EQ(FileLines("f123 xY\n", 'U'), Lines{"F123 XY"});
    EXPECT_EQ(FileLines("MiXed\n", ' '), Lines{"MiXed"});
    // Only the low byte of the mode counts; bytes above 0x7F stay as they are.
    EXPECT_EQ(FileLines("Ab\xC4\xE4\n", 0x100 | 'l'), Lines{"ab\xC4\xE4"});
}

TEST_F(LineReaderTest, LinesAreCutAt1024Characters) {
    struct Case {
        const char* name;
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"1023", Rep('x', 1023) + "\nz\n", {Rep('x', 1023), "z"}},
        {"1024", Rep('x', 1024) + "\nz\n", {Rep('x', 1024), "z"}},
        {"1025", Rep('x', 1025) + "\nz\n", {Rep('x', 1024), "x", "z"}},
        {"2049 without end", Rep('y', 2049), {Rep('y', 1024), Rep('y', 1024), "y"}},
        {"TAB fills up to the cap", Rep('a', 1020) + "\tbc\n", {Rep('a', 1020) + "    ", "bc"}},
        {"TAB one before the cap", Rep('a', 1023) + "\tq\n", {Rep('a', 1023) + " ", "q"}},
        {"TAB from 1017", Rep('a', 1017) + "\t\n", {Rep('a', 1017) + Rep(' ', 7)}},
        {"TAB at the cap starts the next line",
         Rep('a', 1024) + "\tq\n",
         {Rep('a', 1024), "        q"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileLines(c.bytes), c.lines);
    }
}

TEST_F(LineReaderTest, LinesCrossTheBlockBoundary) {
    // The 1024-byte block ends inside the second line, and in another file
    // right between CR and LF.
    const std::string second = Rep('b', 100);
    EXPECT_EQ(FileLines(Rep('a', 1000) + "\n" + second + "\n"), (Lines{Rep('a', 1000), second}));
    EXPECT_EQ(FileLines(Rep('a', 1023) + "\r\nnext\r\n"), (Lines{Rep('a', 1023), "next"}));
    EXPECT_EQ(FileLines(Rep('a', 1022) + "\r\n" + "x"), (Lines{Rep('a', 1022), "x"}));

    // Many blocks of short lines: nothing lost or doubled.
    std::string bytes;
    Lines expected;
    for (int i = 0; i < 3000; ++i) {
        expected.push_back("line " + std::to_string(i) + (i % 7 ? "" : "\tend"));
        bytes += "line " + std::to_string(i) + (i % 7 ? "" : "\tend") + (i % 3 ? "\r\n" : "\n");
    }
    Lines got = FileLines(bytes);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        std::string want = expected[i];
        const size_t tab = want.find('\t');
        if (tab != std::string::npos) {
            want.replace(tab, 1, std::string(8 - tab % 8, ' '));
        }
        ASSERT_EQ(got[i], want) << "line " << i;
    }
}

// Each line read carries its number as an editor shows it: CR LF, CR and LF
// each end one line (also when a block ends between CR and LF), blank lines
// count, 0x1A does not, and the rest of a line cut at 1024 characters keeps
// its number.
TEST_F(LineReaderTest, LineNumbersCountLineBreaksAsAnEditorDoes) {
    struct Numbered {
        std::string line;
        int32_t number;
        bool operator==(const Numbered&) const = default;
    };
    const auto fileNumbers = [](const std::string& bytes) {
        TempDir dir;
        const std::string path = dir.File("in.txt");
        testsupport::WriteFile(path, bytes);
        platform::File f(path, platform::FileModeRead);
        LineReaderReset();
        std::vector<Numbered> got;
        while (LineReadFromFile(' ', f.get()) != 0 && got.size() < 100) {
            got.push_back({LineReader.line, LineReader.lineNumber});
        }
        return got;
    };
    const auto textNumbers = [](const std::string& text) {
        LineReaderReset();
        LineReader.textPos = 0;
        std::vector<Numbered> got;
        while (LineReadFromText(' ', text) != 0 && got.size() < 100) {
            got.push_back({LineReader.line, LineReader.lineNumber});
        }
        return got;
    };
    const std::string mixed = "a\r\nb\rc\n\nd\r\r\ne\x1A\x1A"
                              "f\n\r\n\rg";
    const std::vector<Numbered> mixedLines = {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 5},
                                              {"e", 7}, {"f", 7}, {"g", 10}};
    EXPECT_EQ(fileNumbers(mixed), mixedLines);
    EXPECT_EQ(textNumbers(mixed), mixedLines);
    EXPECT_EQ(fileNumbers(Rep('a', 1023) + "\r\nnext\r\n\r\nlast"),
              (std::vector<Numbered>{{Rep('a', 1023), 1}, {"next", 2}, {"last", 4}}));
    EXPECT_EQ(fileNumbers("x\n" + Rep('a', 1030) + "\ny"),
              (std::vector<Numbered>{{"x", 1}, {Rep('a', 1024), 2}, {Rep('a', 6), 2}, {"y", 3}}));
    // A new file numbers from 1 again.
    EXPECT_EQ(fileNumbers("\n\nz"), (std::vector<Numbered>{{"z", 3}}));
}

TEST_F(LineReaderTest, RawReadsGoThroughInBlocks) {
    TempDir dir;
    const std::string path = dir.File("raw.bin");
    std::string bytes;
    for (int i = 0; i < 2100; ++i) {
        bytes.push_back(static_cast<char>(i * 7));
    }
    testsupport::WriteFile(path, bytes);
    platform::File f(path, platform::FileModeRead);
    std::string got;
    int32_t n;
    std::vector<int32_t> counts;
    while ((n = LineReadRaw(f.get())) != 0) {
        counts.push_back(n);
        got.append(LineReader.line, static_cast<size_t>(n));
    }
    EXPECT_EQ(counts, (std::vector<int32_t>{1024, 1024, 52}));
    EXPECT_EQ(got, bytes);
}

TEST_F(LineReaderTest, TextLinesSkipEveryRunOfLineEnds) {
    struct Case {
        const char* name;
        std::string text;
        Lines lines;
    };
    std::string eightBlank = "first\r\n";
    for (int i = 0; i < 8; ++i) {
        eightBlank += "\r\n";
    }
    eightBlank += "second\r\nthird";
    const Case cases[] = {
        {"8 blank lines between", eightBlank, {"first", "second", "third"}},
        {"leading line ends",
         "\r\r\r\r\r\r\r\n\n\n\x1A"
         "a\rb",
         {"a", "b"}},
        {"0x1A ends a line",
         "a\x1A\x1A\x1A"
         "b\x1A",
         {"a", "b"}},
        {"no TAB expansion", "a\tb\n", {"a\tb"}},
        {"only line ends", "\r\n\r\n\r\n", {}},
        {"empty", "", {}},
        {"1024 cap", Rep('k', 1030) + "\n", {Rep('k', 1024), Rep('k', 6)}},
        {"exactly 1024", Rep('k', 1024) + "\nz", {Rep('k', 1024), "z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextLines(c.text), c.lines);
    }
    EXPECT_EQ(TextLines("q 0x1a\r\n", 'U'), Lines{"Q 0X1A"});
    EXPECT_EQ(TextLines("Q 0X1A\r\n", 'l'), Lines{"q 0x1a"});
}

TEST_F(LineReaderTest, TextPositionOutsideTheTextReadsNothing) {
    const std::string text = "abc\r\ndef";
    LineReader.textPos = 5;
    EXPECT_EQ(LineReadFromText(' ', text), 3);
    EXPECT_STREQ(LineReader.line, "def");
    EXPECT_EQ(LineReader.textPos, 8);
    LineReader.textPos = 100;
    EXPECT_EQ(LineReadFromText(' ', text), 0);
    LineReader.textPos = -3;
    EXPECT_EQ(LineReadFromText(' ', text), 0);
    EXPECT_STREQ(LineReader.line, "");
}

TEST_F(LineReaderTest, TextNextTokenModes) {
    struct Case {
        int32_t mode;
        const char* in;
        int32_t result;
        const char* out; // the text afterwards
    };
    const Case cases[] = {
        // mode 0: leading separators only
        {0, "  \t,=key = 12", 8, "key = 12"},
        {0, "key", 3, "key"},
        {0, "   ", 0, ""},
        {0, "  ; comment", 0, "  ; comment"},
        {0, "  # comment", 0, "  # comment"},
        // mode 1: drop the token, then the separators
        {1, "key = 12 ; c", 6, "12 ; c"},
        {1, "12 ; c", 0, " ; c"},
        {1, "a,b=c", 3, "b=c"},
        {1, "last", 0, ""},
        {1, "tok   ", 0, ""},
        {1, "abc;def", 0, "abc;def"}, // a ';' inside the token is a comment
        {1, "f(x) y", 1, "y"},
        {1, "a #b", 0, " #b"},
        // mode 2: brackets end a token and are skipped
        {2, "func(arg) z", 6, "arg) z"},
        {2, "a[{b", 1, "b"},
        {2, "a; b", 0, "a; b"},
        // mode -1: '#' is kept
        {-1, "#SN_LIST 5", 10, "#SN_LIST 5"},
        {-1, "  #SN_LIST", 8, "#SN_LIST"},
        {-1, " ;x", 0, " ;x"},
        // mode -2: the text moves only onto a '#'
        {-2, "  #SN_SIZE 4", 10, "#SN_SIZE 4"},
        {-2, "  value", 7, "  value"},
        {-2, " ;x", 0, " ;x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " [" + c.in + "]");
        char buf[64];
        std::strcpy(buf, c.in);
        EXPECT_EQ(TextNextToken(c.mode, buf), c.result);
        if (c.result > 0) {
            EXPECT_STREQ(buf, c.out);
        }
    }
}

TEST_F(LineReaderTest, KeyLineTokenisesAsKeyNumberThenNothing) {
    std::strcpy(LineReader.line, "VerifyModeIndex = 2 ; full verify");
    char token[32];
    ASSERT_GT(LineNextToken(0), 0);
    EXPECT_EQ(LineCopyToken(31, token), 15);
    EXPECT_STREQ(token, "VerifyModeIndex");
    ASSERT_GT(LineNextToken(1), 0);
    EXPECT_EQ(LineReader.lineLength, static_cast<int32_t>(std::strlen(LineReader.line)));
    EXPECT_EQ(LineCopyToken(31, token), 1);
    EXPECT_STREQ(token, "2");
    EXPECT_EQ(LineNextToken(1), 0);
    EXPECT_EQ(LineReader.lineLength, 0);

    std::strcpy(LineReader.line, "# a comment line");
    EXPECT_EQ(LineNextToken(0), 0);
    std::strcpy(LineReader.line, "# a comment line");
    EXPECT_EQ(LineNextToken(-1), 16);
}

TEST_F(LineReaderTest, CopyTokenNeverWritesPastMaxPlusTheNul) {
    struct Case {
        const char* line;
        int32_t max;
        const char* token;
        int32_t result;
    };
    const Case cases[] = {
        {"abc def", 10, "abc", 3},
        {"abc\tdef", 10, "abc", 3},
        {"abcdef", 3, "abc", 3},
        {"a,b=c d", 10, "a,b=c", 5}, // only blanks and TABs end a plain token
        {"", 5, "", 0},
        {"abc", 0, "", 0},
        {"\"a b\" c", 10, "a b", 4},
        {"\"\" c", 10, "", 1},
        {"\"abcdef\"", 3, "abc", 4},
        {"\"abcdef\"", 6, "abcdef", 7},
        {"\"open", 10, "open", 5},
        {"\"", 10, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("[") + c.line + "] max " + std::to_string(c.max));
        std::strcpy(LineReader.line, c.line);
        char out[32];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(LineCopyToken(c.max, out), c.result);
        EXPECT_STREQ(out, c.token);
        for (int i = c.max + 1; i < static_cast<int>(sizeof out); ++i) {
            ASSERT_EQ(out[i], '#') << "written at " << i;
        }
        EXPECT_STREQ(LineReader.line, c.line); // the token stays in the line
    }
}

TEST_F(LineReaderTest, SkipPastNamedFileFindsThePathAfterTheFileName) {
    struct Case {
        const char* line;
        int32_t result;
        const char* rest;
    };
    const Case cases[] = {
        {"CodeFileName\t\ttxt   blink.txt   /home/op/blink.txt", 1, "/home/op/blink.txt"},
        {"CodeFileName txt   my code.TXT   /home/op/my code.txt", 1, "/home/op/my code.txt"},
        {"CodeFileName A43 x.a43 /d/x.a43", 1, "/d/x.a43"},
        {"CodeFileName hex  blink.hex", 0, nullptr},            // nothing follows the name
        {"CodeFileName hex  blinkhex /p/blinkhex", 0, nullptr}, // no '.' before the extension
        {"CodeFileName", 0, nullptr},
        {"CodeFileName\t\t", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::strcpy(LineReader.line, c.line);
        EXPECT_EQ(LineSkipPastNamedFile(), c.result);
        if (c.rest) {
            EXPECT_STREQ(LineReader.line, c.rest);
        }
    }
    // The name must show up within 20 tokens.
    std::string far = "CodeFileName txt";
    for (int i = 0; i < 20; ++i) {
        far += " t" + std::to_string(i);
    }
    std::strcpy(LineReader.line, (far + " a.txt /p/a.txt").c_str());
    EXPECT_EQ(LineSkipPastNamedFile(), 0);
    std::strcpy(LineReader.line,
                (std::string("CodeFileName txt") + " t1 t2 a.txt /p/a.txt").c_str());
    EXPECT_EQ(LineSkipPastNamedFile(), 1);
}

} // namespace
