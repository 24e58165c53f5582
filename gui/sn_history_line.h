#pragma once
// The lines of the SN files as serialization reads them, and what one line
// of the SN history is: a record, blank, a torn record marked as such, or
// something no writer of the history puts there, with the reason.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gui {

// Ends a torn record: written behind the bytes of a record whose write
// stopped half way (after " \t"), it makes them a line that says what it
// is, and the next record starts on a line of its own.
inline constexpr std::string_view kSnTornMark = "<torn record>";

inline bool SnIsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == 0x1A;
}

// Splits data into lines ended by CR, LF or 0x1A and calls
// line(text, number, offset) for each non-empty one, numbering on from
// number as the history report numbers its lines (blank lines take no
// number). A last line without its line end is taken only with takeLast:
// without it, its writer may not be done. Returns the bytes taken.
template <typename F>
size_t SnFileLines(std::string_view data, bool takeLast, int32_t& number, F&& line) {
    size_t pos = 0;
    size_t taken = 0;
    while (pos < data.size()) {
        size_t end = pos;
        while (end < data.size() && !SnIsLineEnd(data[end])) {
            ++end;
        }
        if (end == data.size() && !takeLast) {
            break;
        }
        if (end > pos) {
            ++number;
            line(data.substr(pos, end - pos), number, pos);
        }
        pos = end < data.size() ? end + 1 : end;
        taken = pos;
    }
    return taken;
}

enum class SnLineKind { Blank, Record, Torn, Bad };

struct SnHistoryLine {
    SnLineKind kind = SnLineKind::Blank;
    std::string_view type; // "F0".."F7", either case
    std::string_view sn;
    std::string why; // a Bad line's reason, as the SN step reports it
};

// What the history line is. firstOfFile: it starts the file, so a
// byte-order mark may stand before it (and UTF-16 would show there).
SnHistoryLine SnHistoryLineRead(std::string_view line, bool firstOfFile);

// A line that ends with kSnTornMark (blanks and TABs after it aside).
bool SnLineIsTorn(std::string_view line);

} // namespace gui
