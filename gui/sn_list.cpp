#include "gui/sn_list.h"

#include "core/file_util.h"
#include "core/line_reader.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_history_line.h"
#include "platform/ascii.h"
#include "platform/file_tail.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace gui {
namespace {

using core::Settings;

using platform::BeginsNoCase;
using platform::EqualNoCase;

// An entry as the list keeps it. ASCII mode: the token whole (a quoted one
// without its quotes), upper-cased as the list is read. Other modes: only
// its hex digits, lower-cased, a leading "0x" dropped.
std::string EntryFilter(std::string_view raw) {
    if (Settings.SNMemFormatIndex == kSnModeAscii) {
        std::string token(raw.substr(0, 773));
        if (token.size() >= 2 && token.front() == '"') {
            const size_t close = token.find('"', 1);
            token = token.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        } else {
            const size_t end = token.find_first_of(" \t");
            token = token.substr(0, end);
        }
        for (char& c : token) {
            c = static_cast<char>(platform::AsciiUpper(c));
        }
        return token;
    }
    std::string_view t = raw;
    const size_t end = t.find_first_of(" \t");
    t = t.substr(0, end);
    if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        t.remove_prefix(2);
    }
    std::string out;
    for (char c : t) {
        if (platform::AsciiIsHexDigit(c) && out.size() < 772) {
            out += static_cast<char>(platform::AsciiLower(c));
        }
    }
    return out;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(platform::AsciiLower(c));
    }
    return out;
}

bool IsDeadLine(std::string_view line) {
    return line.empty() || line[0] == ';';
}

} // namespace

int32_t SnListLoad(const std::string& path) {
    SerialNumber.SnPendingList = SnPendingListState{};
    SerialNumber.SnListText.clear();
    if (Settings.SerializationEnable == 1 && Settings.SNDispFormatIndex == kSnTypeFromFile) {
        return SnListFileRead(path);
    }
    return 0;
}

namespace {

// A line the list reader refuses whole: over the line buffer, or holding a
// NUL or another control character (a TAB separates, as a blank does).
bool LineRefused(std::string_view line) {
    if (line.size() > 1024) {
        return true;
    }
    for (char c : line) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7F) {
            return true;
        }
    }
    return false;
}

// Whether entry, as the list keeps it, would be written as bytes that read
// as blank flash; the SN bytes and text stay as they were.
bool EntryReadsBlank(const std::string& entry) {
    const core::SerialDataState kept = core::SerialData;
    const std::string keptText = SerialNumber.SerialNumberText;
    const int32_t keptRefusal = SerialNumber.SnRefusal;
    const bool blank =
        SerialNumberFromText(entry) == 0 && SerialNumber.SnRefusal == kSnRefusedBlank;
    core::SerialData = kept;
    SerialNumber.SerialNumberText = keptText;
    SerialNumber.SnRefusal = keptRefusal;
    return blank;
}

} // namespace

int32_t SnListFileRead(const std::string& path) {
    SnPendingListState& list = SerialNumber.SnPendingList;
    list = SnPendingListState{};
    SnHistoryLoad(0);
    platform::FileIdentity id;
    uint64_t size = 0;
    std::string data;
    if (platform::FileReadFrom(path, 0, id, size, data) != 0) {
        return -1;
    }
    // An editor's byte-order mark is no part of the first line.
    std::string_view all(data);
    if (all.substr(0, 3) == "\xEF\xBB\xBF") {
        all.remove_prefix(3);
    }
    bool started = false;
    std::string prefix, suffix;
    std::vector<std::string> entries;
    // Entries seen, ignoring case: the history compares SNs so, and a
    // second copy would put one number on two boards.
    std::unordered_set<std::string> seen;
    int32_t number = 0;
    SnFileLines(all, true, number, [&](std::string_view line, int32_t, size_t) {
        if (LineRefused(line)) {
            // Read in part, its tail would pass for an entry of its own.
            if (started) {
                ++list.wrongLength;
            }
            return;
        }
        while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            line.remove_prefix(1);
        }
        if (line.empty() || line[0] == ';') {
            return;
        }
        // Keywords are matched without regard to case; entries keep theirs.
        const size_t semi = line.find(';');
        if (semi != std::string_view::npos) {
            line = line.substr(0, semi);
        }
        if (line[0] == '#') {
            if (BeginsNoCase(line, "#SN_LIST")) {
                started = true;
            }
            if (!started) {
                return;
            }
            auto argument = [&](size_t keyLength) {
                std::string_view rest = line.substr(keyLength);
                while (!rest.empty() && core::IsLineSeparator(rest[0])) {
                    rest.remove_prefix(1);
                }
                return rest;
            };
            if (BeginsNoCase(line, "#SN_SIZE")) {
                const std::string arg(argument(8));
                const long n = std::strtol(arg.c_str(), nullptr, 10);
                if (n >= 4 && n <= 256 && n % 2 == 0) {
                    Settings.Custom_SN_size = static_cast<int32_t>(n);
                }
            }
            if (BeginsNoCase(line, "#SN_PREFIX")) {
                prefix = EntryFilter(argument(10));
            }
            if (BeginsNoCase(line, "#SN_SUFFIX")) {
                suffix = EntryFilter(argument(10));
            }
            if (BeginsNoCase(line, "#SN_HEX_MSB")) {
                Settings.SNMemFormatIndex = kSnModeHexMsbFirst;
            }
            if (BeginsNoCase(line, "#SN_HEX_LSB")) {
                Settings.SNMemFormatIndex = kSnModeHexLswFirst;
            }
            if (BeginsNoCase(line, "#SN_ASCII")) {
                Settings.SNMemFormatIndex = kSnModeAscii;
            }
            return;
        }
        if (!started) {
            return;
        }
        std::string entry = prefix + EntryFilter(line) + suffix;
        bool allowed = !entry.empty();
        for (char c : entry) {
            allowed = allowed && SnCustomCharAllowed(c);
        }
        if (SnHistoryContains(entry) == 1) {
            ++list.alreadyUsed;
        } else if (!allowed) {
            ++list.wrongLength;
        } else if (!seen.insert(Lower(entry)).second) {
            ++list.alreadyUsed; // the first copy stands for the number
        } else {
            entries.push_back(std::move(entry));
        }
    });
    // The length is checked against the size in force at the end: a later
    // "#SN_SIZE" must not leave entries that would be written cut short;
    // the byte mode is the one in force at the end as well.
    for (const std::string& entry : entries) {
        if (entry.size() != static_cast<size_t>(std::max(Settings.Custom_SN_size, 0))) {
            ++list.wrongLength;
        } else if (EntryReadsBlank(entry)) {
            list.blank.push_back(entry); // a board with it could not be told from a blank one
        } else {
            list.text += entry;
            list.text += "\r\n";
            ++list.accepted;
        }
    }
    list.loaded = started ? 1 : 0;
    list.readPos = 0;
    list.remaining = list.accepted;
    return list.accepted;
}

int32_t SnListTakeFirst() {
    SnPendingListState& list = SerialNumber.SnPendingList;
    SerialNumber.SnListText.clear();
    if (list.loaded != 1) {
        return 0;
    }
    size_t pos = 0;
    std::string line;
    while (SnTextLineRead(list.text, pos, line)) {
        if (IsDeadLine(line)) {
            continue;
        }
        const std::string entry =
            line.substr(0, static_cast<size_t>(std::clamp(Settings.Custom_SN_size, 0, 256)));
        if (SnHistoryContains(entry) == 1) {
            // Another station on the same list wrote it meanwhile.
            SnListRetireEntry(entry);
            continue;
        }
        SerialNumber.SnListText = entry;
        return 1;
    }
    return 0;
}

int32_t SnListRetireEntry(std::string_view sn) {
    SnPendingListState& list = SerialNumber.SnPendingList;
    if (Settings.SNDispFormatIndex != kSnTypeFromFile || list.loaded != 1 || sn.empty()) {
        return 0;
    }
    size_t pos = 0;
    std::string line;
    while (true) {
        const size_t before = pos;
        if (!SnTextLineRead(list.text, pos, line)) {
            return 0;
        }
        if (EqualNoCase(std::string_view(line).substr(0, 774), sn.substr(0, 774))) {
            // The line starts after the line ends skipped before it.
            size_t at = before;
            while (at < list.text.size() && (list.text[at] == '\r' || list.text[at] == '\n')) {
                ++at;
            }
            list.text[at] = ';';
            return 1;
        }
    }
}

int32_t SnListCount() {
    SnPendingListState& list = SerialNumber.SnPendingList;
    int32_t live = 0, dead = 0;
    size_t pos = 0;
    std::string line;
    while (SnTextLineRead(list.text, pos, line)) {
        IsDeadLine(line) ? ++dead : ++live;
    }
    if (dead > 20) {
        std::string kept;
        pos = 0;
        while (SnTextLineRead(list.text, pos, line)) {
            if (!IsDeadLine(line)) {
                kept += line;
                kept += "\r\n";
            }
        }
        list.text = std::move(kept);
        list.readPos = 0;
    }
    list.remaining = live;
    return live;
}

} // namespace gui
