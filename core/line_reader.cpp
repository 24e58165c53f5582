#include "core/line_reader.h"

#include "platform/ascii.h"

#include <cstring>

namespace core {

LineReaderState LineReader;

void LineReaderState::Reset() {
    *this = LineReaderState{};
}

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == 0x1A;
}

// A line end that ends a line for a person reading the file: CR LF counts
// once, at its CR; 0x1A (the old end-of-file mark) not at all.
bool IsLineBreak(char c, char before) {
    return c == '\r' || (c == '\n' && before != '\r');
}

// Separators of a token step; mode 2 also counts the opening brackets.
bool IsTokenSeparator(int32_t mode, char c) {
    return IsLineSeparator(c) || (mode == 2 && (c == '(' || c == '[' || c == '{'));
}

} // namespace

bool IsLineSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == ',' || c == '=';
}

char FoldCase(int32_t mode, char c) {
    // Only ASCII letters fold, whatever the process locale says.
    const unsigned char u = static_cast<unsigned char>(c);
    switch (mode & 0xFF) {
    case 'L':
    case 'l':
        return (u >= 'A' && u <= 'Z') ? static_cast<char>(u - 'A' + 'a') : c;
    case 'U':
    case 'u':
        return (u >= 'a' && u <= 'z') ? static_cast<char>(u - 'a' + 'A') : c;
    default:
        return c;
    }
}

void LineReaderReset() {
    LineReader.blockPos = 0;
    LineReader.blockFill = 0;
    LineReader.block[0] = '\0';
    LineReader.line[0] = '\0';
    LineReader.lineNumber = 0;
    LineReader.lineBreaks = 0;
    LineReader.blockLast = '\0';
}

int32_t LineReadFromFile(int32_t mode, std::FILE* file) {
    LineReaderState& r = LineReader;
    std::memset(r.line, 0, sizeof r.line);
    int32_t count = 0;
    // Every character of a code file passes here: the fold is chosen once.
    const int32_t fold = mode & 0xFF;
    const bool lower = fold == 'L' || fold == 'l';
    const bool upper = fold == 'U' || fold == 'u';
    const auto folded = [lower, upper](char ch) {
        const unsigned char u = static_cast<unsigned char>(ch);
        if (lower && static_cast<unsigned>(u - 'A') < 26u) {
            return static_cast<char>(u + ('a' - 'A'));
        }
        if (upper && static_cast<unsigned>(u - 'a') < 26u) {
            return static_cast<char>(u - ('a' - 'A'));
        }
        return ch;
    };
    r.lineStored = 0;
    while (count < kLineSize) {
        if (r.blockPos <= 0 || r.blockPos >= kLineSize) {
            if (r.blockFill > 0) {
                r.blockLast = r.block[r.blockFill - 1];
            }
            r.blockPos = 0;
            r.blockFill =
                file ? static_cast<int32_t>(std::fread(r.block, 1, sizeof r.block, file)) : 0;
        }
        if (r.blockFill <= 0) {
            // End of file: a last line without a line end is returned now,
            // and the next call returns 0. blockPos stays 0 so that every
            // later call asks the file again instead of walking the block.
            r.blockFill = 0;
            r.blockPos = 0;
            r.lineStored = count;
            if (count > 0) {
                r.lineNumber = r.lineBreaks + 1;
            }
            return count;
        }
        // The rest of the block, up to the line end; a block used up is
        // read anew (blockPos 0).
        const int32_t fill = r.blockFill;
        int32_t pos = r.blockPos;
        bool ended = false;
        while (pos < fill && count < kLineSize) {
            const char ch = r.block[pos++];
            if (IsLineEnd(ch)) {
                if (count > 0) {
                    r.lineNumber = r.lineBreaks + 1;
                }
                r.lineBreaks += IsLineBreak(ch, pos >= 2 ? r.block[pos - 2] : r.blockLast) ? 1 : 0;
                if (count == 0) {
                    continue; // blank lines are skipped
                }
                ended = true;
                break;
            }
            const char c = folded(ch);
            if (c == '\t') {
                do {
                    r.line[count++] = ' ';
                } while (count % 8 != 0 && count < kLineSize);
            } else {
                r.line[count++] = c;
            }
        }
        r.blockPos = pos >= fill ? 0 : pos;
        if (ended) {
            r.lineStored = count;
            return r.blockFill;
        }
    }
    r.lineStored = count;
    r.lineNumber = r.lineBreaks + 1;
    return count; // the line reached 1024 characters; the rest comes next
}

int32_t LineReadFromText(int32_t mode, std::string_view text) {
    LineReaderState& r = LineReader;
    r.line[0] = '\0';
    const int64_t size = static_cast<int64_t>(text.size());
    if (r.textPos < 0 || r.textPos >= size) {
        return 0;
    }
    int64_t pos = r.textPos;
    // Skip every line end before the line: blank lines must not read as the
    // end of the text (a converted image has runs of them).
    char before = pos > 0 ? text[pos - 1] : '\0';
    while (pos < size && IsLineEnd(text[pos])) {
        const char ch = text[pos++];
        r.lineBreaks += IsLineBreak(ch, before) ? 1 : 0;
        before = ch;
    }
    r.lineNumber = r.lineBreaks + 1;
    int32_t count = 0;
    while (pos < size && count < kLineSize) {
        const char ch = text[pos++];
        if (IsLineEnd(ch)) {
            // After a character of the line: CR and LF each end it.
            r.lineBreaks += ch != 0x1A ? 1 : 0;
            break;
        }
        r.line[count++] = FoldCase(mode, ch);
    }
    r.line[count] = '\0';
    r.textPos = static_cast<int32_t>(pos);
    return count;
}

int32_t LineReadRaw(std::FILE* file) {
    LineReaderState& r = LineReader;
    const int32_t n = file ? static_cast<int32_t>(std::fread(r.block, 1, sizeof r.block, file)) : 0;
    std::memcpy(r.line, r.block, static_cast<size_t>(n));
    r.line[n] = '\0';
    r.blockFill = n;
    r.blockPos = 0;
    return n;
}

int32_t TextNextToken(int32_t mode, char* text) {
    int32_t length = static_cast<int32_t>(std::strlen(text));
    if (mode > 0) {
        int32_t i = 0;
        while (i < length && !IsTokenSeparator(mode, text[i])) {
            if (text[i] == ';') {
                length = 0; // comment
                break;
            }
            ++i;
        }
        if (length > 0 && i > 0) {
            std::memmove(text, text + i, static_cast<size_t>(length - i + 1));
            length -= i;
        }
    }
    int32_t j = 0;
    while (j < length && IsTokenSeparator(mode, text[j])) {
        ++j;
    }
    if (j < length && (text[j] == ';' || (text[j] == '#' && mode >= 0))) {
        length = 0; // the rest of the line is a comment
    }
    if (length > 0 && (mode >= -1 || (mode == -2 && text[j] == '#'))) {
        std::memmove(text, text + j, static_cast<size_t>(length - j + 1));
        length -= j;
    }
    return length;
}

int32_t LineNextToken(int32_t mode) {
    LineReader.lineLength = TextNextToken(mode, LineReader.line);
    return LineReader.lineLength;
}

int32_t LineCopyToken(int32_t max, char* out) {
    const char* line = LineReader.line;
    if (max < 0) {
        max = 0;
    }
    const int32_t len = static_cast<int32_t>(std::strlen(line));
    const int32_t n = len < max ? len : max;
    int32_t copied = 0;
    if (line[0] == '"') {
        // Inside the quotes: everything up to the closing quote, but never
        // more than the caller's buffer holds.
        const int32_t avail = len - 1;
        while (copied < max && copied < avail && line[1 + copied] != '"') {
            out[copied] = line[1 + copied];
            ++copied;
        }
        out[copied] = '\0';
        return copied + 1;
    }
    while (copied < n && line[copied] != ' ' && line[copied] != '\t') {
        out[copied] = line[copied];
        ++copied;
    }
    out[copied] = '\0';
    return copied;
}

int32_t LineSkipPastNamedFile() {
    char ext[6];
    // A whole token: a file name cut short would no longer end in its
    // extension, and the path after it would be lost.
    char token[kLineSize + 1];
    if (LineNextToken(1) <= 0) {
        return 0;
    }
    // Lengths come from the copies: a quoted token reports its closing
    // quote's index instead.
    LineCopyToken(5, ext);
    const int32_t extLen = static_cast<int32_t>(std::strlen(ext));
    for (int32_t k = 0; k < 20; ++k) {
        if (LineNextToken(1) <= 0) {
            return 0;
        }
        LineCopyToken(kLineSize, token);
        const int32_t len = static_cast<int32_t>(std::strlen(token));
        if (len < extLen + 1) {
            continue;
        }
        const char* tail = token + (len - extLen);
        bool match = tail[-1] == '.';
        for (int32_t i = 0; match && i < extLen; ++i) {
            match = platform::AsciiLower(tail[i]) == platform::AsciiLower(ext[i]);
        }
        if (match) {
            return LineNextToken(1) > 0 ? 1 : 0;
        }
    }
    return 0;
}

} // namespace core
