#include "gui/sn_history_line.h"

#include "gui/sn_history.h"

#include <cstdio>

namespace gui {
namespace {

std::string ByteWhy(const char* format, char c) {
    char text[96];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(static_cast<unsigned char>(c)));
    return text;
}

SnHistoryLine Bad(std::string why) {
    SnHistoryLine r;
    r.kind = SnLineKind::Bad;
    r.why = std::move(why);
    return r;
}

} // namespace

bool SnLineIsTorn(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line.size() >= kSnTornMark.size() &&
           line.substr(line.size() - kSnTornMark.size()) == kSnTornMark;
}

SnHistoryLine SnHistoryLineRead(std::string_view line, bool firstOfFile) {
    if (firstOfFile && line.size() >= 2 &&
        (line.substr(0, 2) == "\xFF\xFE" || line.substr(0, 2) == "\xFE\xFF")) {
        return Bad("the file is UTF-16 text; an SN history is 8-bit text.");
    }
    // An editor's byte-order mark and indenting are nothing the writer put
    // there: the record behind them counts.
    if (firstOfFile && line.substr(0, 3) == "\xEF\xBB\xBF") {
        line.remove_prefix(3);
    }
    if (SnLineIsTorn(line)) {
        SnHistoryLine r;
        r.kind = SnLineKind::Torn;
        return r;
    }
    if (line.find('\0') != std::string_view::npos) {
        return Bad("the line holds a NUL byte.");
    }
    if (line.size() > 1024) {
        return Bad("the line is longer than 1024 characters.");
    }
    while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
        line.remove_prefix(1);
    }
    if (line.empty()) {
        return SnHistoryLine{};
    }
    const unsigned char first = static_cast<unsigned char>(line[0]);
    if (first < 0x20 || first >= 0x7F) {
        return Bad(ByteWhy("the line starts with the byte 0x%2.2X, not with a record.", line[0]));
    }
    const auto tokens = SnLineTokens(line, 2);
    if (tokens.empty() || tokens[0].size() != 2 || (tokens[0][0] != 'F' && tokens[0][0] != 'f') ||
        tokens[0][1] < '0' || tokens[0][1] > '7') {
        return Bad("the line is not an SN record.");
    }
    if (tokens.size() < 2) {
        return Bad("the record holds no SN.");
    }
    for (char c : tokens[1]) {
        if (c < '!' || c > '~') {
            return Bad(ByteWhy("the SN holds the byte 0x%2.2X.", c));
        }
    }
    SnHistoryLine r;
    r.kind = SnLineKind::Record;
    r.type = tokens[0];
    r.sn = tokens[1];
    return r;
}

} // namespace gui
