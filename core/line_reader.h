#pragma once
// The shared text-line reader: one global current line, consumed token by
// token, filled from a file (in 1024-byte blocks) or from an in-memory text.

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace core {

inline constexpr int32_t kLineSize = 1024;

struct LineReaderState {
    char line[kLineSize + 1]{}; // current line, NUL-terminated; also scratch text for callers
    int32_t lineLength = 0;     // what is left of line after the last token step (0 = nothing)
    char block[kLineSize]{};    // file block buffer
    int32_t blockPos = 0;       // next index in block; 0 = read a new block first
    int32_t blockFill = 0;      // valid bytes in block (0 = end of file reached)
    int32_t textPos = 0;        // read position in an in-memory text; callers set it to 0 first
    int32_t lineStored = 0;     // characters LineReadFromFile stored in line (a NUL among them too)
    // Where the line last read stands in its file or text, for the messages
    // that name it: its number from 1 (the line breaks before it, CR LF, CR
    // or LF each counting one, plus 1); the breaks passed so far; and the
    // character before the block, for a CR LF split between two blocks.
    // Restarted by LineReaderReset.
    int32_t lineNumber = 0;
    int32_t lineBreaks = 0;
    char blockLast = 0;

    void Reset(); // everything zero
};

extern LineReaderState LineReader;

// The read operations fold case by the low byte of mode: 'L'/'l' lower,
// 'U'/'u' upper, anything else none. Only ASCII letters fold, whatever the
// process locale.

// Starts a new file: blockPos 0, blockFill 0, empty block and line, line
// numbers from 1 again.
void LineReaderReset();

// Reads the next non-empty line of file into LineReader.line (blank lines
// skipped, TABs expanded to multiples of 8, at most 1024 characters, the rest
// of a longer line comes as the next line). Returns non-zero while a line was
// read, 0 at the end of the file.
int32_t LineReadFromFile(int32_t mode, std::FILE* file);

// Reads the next line of text at LineReader.textPos into LineReader.line
// (case-folded, no TAB expansion). Line ends before it are skipped. Returns
// the line's length; 0 only at the end of the text.
int32_t LineReadFromText(int32_t mode, std::string_view text);

// Copies up to 1024 raw bytes of file through block into line. Returns the
// count, 0 at the end of the file.
int32_t LineReadRaw(std::FILE* file);

// Drops the current token and/or leading separators from the NUL-terminated
// text, in place, and returns the remaining length (0 also for a comment).
//   mode > 0: drop the token at the front first (mode 2 also ends a token at
//             '(', '[' or '{' and skips them as separators)
//   mode >= 0: '#' starts a comment; mode -1 keeps '#' lines;
//   mode -2: the text moves only when the first character kept is '#'.
// A comment (';' always, '#' for mode >= 0) gives 0 and leaves the text as
// it was: callers go by the result, not by what is left in the text.
int32_t TextNextToken(int32_t mode, char* text);

// TextNextToken on LineReader.line; the result is also kept in lineLength.
int32_t LineNextToken(int32_t mode);

// Copies the token at the front of line into out, which must hold max + 1
// bytes. A token in double quotes is copied without them (at most max
// characters) and the result is the copied length + 1 (the closing quote's
// index when the token fits); any other
// token ends at a blank or TAB (at most max characters) and the result is its
// length. The token stays in line.
int32_t LineCopyToken(int32_t max, char* out);

// For the code-file line of a setup file: drops the current token, takes the
// next one as an extension e (at most 5 characters), then looks at up to 20
// further tokens for one ending in "." + e (any case). Returns 1 when such a
// token is followed by another (line then starts with it), else 0.
int32_t LineSkipPastNamedFile();

// Helpers shared by the reader's users.
bool IsLineSeparator(char c); // blank, TAB, VT, FF, CR, ',' and '='
char FoldCase(int32_t mode, char c);

} // namespace core
