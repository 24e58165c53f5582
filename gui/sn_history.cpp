#include "gui/sn_history.h"

#include "core/code_file_names.h"
#include "core/file_util.h"
#include "core/line_reader.h"
#include "core/model_text.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_format.h"
#include "gui/sn_list.h"
#include "platform/append_file.h"
#include "platform/file.h"
#include "platform/local_time.h"
#include "platform/prompt.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace gui {
namespace {

using core::Settings;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == 0x1A;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The decimal value at the front of a text (blanks, a sign, digits), as the
// history has always compared numbers; saturates instead of overflowing.
int64_t DecimalValue(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int64_t v = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        const int d = s[i] - '0';
        v = v > (INT64_MAX - d) / 10 ? INT64_MAX : v * 10 + d;
    }
    return negative ? -v : v;
}

// "F" and the type digit, in either case.
bool IsRecordOfType(std::string_view token, int32_t type) {
    return token.size() >= 2 && (token[0] == 'F' || token[0] == 'f') && token[1] == '0' + type;
}

// SnHistoryText indexed for SnHistoryContains, so that checking a list of
// thousands of entries does not walk the history once per entry. The index
// follows the text: rebuilt when the type or the text's size changed behind
// its back, extended by appends.
struct HistoryIndex {
    int32_t type = -1;
    size_t size = SIZE_MAX;
    uint64_t generation = 0;
    std::unordered_set<std::string> custom;
    std::unordered_set<int64_t> values;
};
HistoryIndex g_index;
uint64_t g_historyGeneration =
    1; // counts loads of SnHistoryText: a reload is never taken for the old text

void IndexAdd(std::string_view line) {
    const auto tokens = SnLineTokens(line, 2);
    if (tokens.size() < 2 || !IsRecordOfType(tokens[0], g_index.type)) {
        return;
    }
    if (g_index.type == kSnTypeCustom || g_index.type == kSnTypeFromFile) {
        g_index.custom.insert(Lower(tokens[1].substr(0, 257)));
    } else {
        g_index.values.insert(DecimalValue(tokens[1]));
    }
}

void IndexRefresh() {
    const std::string& text = SerialNumber.SnHistoryText;
    if (g_index.type == Settings.SNDispFormatIndex && g_index.size == text.size() &&
        g_index.generation == g_historyGeneration) {
        return;
    }
    g_index = HistoryIndex{};
    g_index.type = Settings.SNDispFormatIndex;
    g_index.generation = g_historyGeneration;
    size_t pos = 0;
    std::string line;
    while (SnTextLineRead(text, pos, line)) {
        IndexAdd(line);
    }
    g_index.size = text.size();
}

void DatePartsCompute() {
    const platform::LocalTime now = platform::LocalTimeNow();
    int32_t* p = SerialNumber.SnDateParts;
    const int32_t month = std::clamp(now.month, 1, 12);
    static const int32_t lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int32_t ddd = now.day;
    for (int32_t m = 1; m < month; ++m) {
        ddd += lengths[m - 1];
    }
    if (now.year % 4 == 0 && month > 2) {
        ++ddd;
    }
    p[0] = now.year;
    p[1] = now.year - 2000;
    p[2] = month;
    p[3] = now.day;
    p[4] = ddd;
}

std::string Printf(const char* f, int32_t a, int32_t b = 0, int32_t c = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, a, b, c);
    return buf;
}

// The number after a date prefix, when the SN starts with it.
bool PrefixedValue(std::string_view sn, const std::string& prefix, int64_t& value) {
    if (sn.size() < prefix.size() || sn.substr(0, prefix.size()) != prefix) {
        return false;
    }
    value = DecimalValue(sn.substr(prefix.size()));
    return true;
}

// A number SN's record that no byte mode of its type could have written:
// its counter (after the date prefix) above 65535 (type 5: 9999), or a
// type 2 number above 32 bits.
bool RecordBeyondRange(int32_t type, std::string_view sn) {
    static const size_t prefixLength[] = {4, 4, 0, 0, 5, 6};
    const size_t skip = prefixLength[type];
    const int64_t value = DecimalValue(sn.size() > skip ? sn.substr(skip) : std::string_view());
    switch (type) {
    case kSnTypeNumber:
        return value > int64_t{0xFFFFFFFF};
    case kSnTypeDate:
        return value > 9999;
    default:
        return value > 65535;
    }
}

} // namespace

std::vector<std::string_view> SnLineTokens(std::string_view line, size_t max) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size() && out.size() < max) {
        while (i < line.size() && (core::IsLineSeparator(line[i]) || line[i] == '\n')) {
            ++i;
        }
        const size_t start = i;
        while (i < line.size() && !core::IsLineSeparator(line[i]) && line[i] != '\n') {
            ++i;
        }
        if (i > start) {
            out.push_back(line.substr(start, i - start));
        }
    }
    return out;
}

bool SnTextLineRead(std::string_view text, size_t& pos, std::string& line) {
    line.clear();
    for (int skipped = 0; skipped < 5 && pos < text.size() && IsLineEnd(text[pos]); ++skipped) {
        ++pos;
    }
    if (pos >= text.size()) {
        return false;
    }
    size_t i = pos;
    while (i < text.size() && !IsLineEnd(text[i]) && i - pos < 1024) {
        ++i;
    }
    if (i >= text.size()) {
        pos = text.size();
        return false; // a last line without its line end
    }
    line.assign(text.substr(pos, i - pos));
    pos = IsLineEnd(text[i]) ? i + 1 : i;
    return true;
}

int32_t SnHistoryLoad(int32_t listing) {
    if (Settings.SerializationEnable != 1) {
        return 0;
    }
    SerialNumberState& s = SerialNumber;
    std::string& out = listing == 1 ? s.SnHistoryListing : s.SnHistoryText;
    if (listing != 1 && s.SnHistoryText.size() >= 5) {
        return 1;
    }
    out.clear();
    if (listing != 1) {
        s.SnHistoryPos = 0;
        ++g_historyGeneration;
    }
    errno = 0;
    platform::File f(Settings.SNFilePathAndName, core::kOpenReadShareDenyWrite);
    if (!f.IsOpen()) {
        // Only a missing file is an empty history.
        if (listing != 1) {
            s.SnHistoryUnreadable = errno != ENOENT ? 1 : 0;
        }
        return errno != ENOENT ? 0 : 1;
    }
    if (listing != 1) {
        std::fill(std::begin(s.SnHistoryOutOfRange), std::end(s.SnHistoryOutOfRange), 0);
    }
    core::LineReaderReset();
    int32_t n = 0;
    while (core::LineReadFromFile(0, f.get()) != 0) {
        std::string_view line(core::LineReader.line);
        ++n;
        // An editor's byte-order mark and indenting are nothing the writer
        // put there: the record behind them counts.
        if (n == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") {
            line.remove_prefix(3);
        }
        while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            line.remove_prefix(1);
        }
        if (listing == 1) {
            out += Printf(" %4.4i  ", n);
        }
        if (line.empty() || (line[0] != 'F' && line[0] != 'f')) {
            if (listing == 1) {
                out += "\r\n"; // the number stays on its own line
            }
            continue;
        }
        const auto tokens = SnLineTokens(line);
        out += tokens[0].substr(0, 3);
        std::string_view sn;
        if (tokens.size() > 1) {
            sn = tokens[1].substr(0, 773);
            out += " \t";
            out += sn;
            for (int32_t type = 0; listing != 1 && type < 6; ++type) {
                if (IsRecordOfType(tokens[0], type) && s.SnHistoryOutOfRange[type] == 0 &&
                    RecordBeyondRange(type, tokens[1])) {
                    s.SnHistoryOutOfRange[type] = n;
                }
            }
        }
        if (listing == 1) {
            out += " \t";
            if (sn.size() < 16) {
                out += "\t";
            }
            if (sn.size() < 8) {
                out += "\t";
            }
            if (tokens.size() > 2) {
                out += tokens[2].substr(0, 2);
            }
            out += "\t";
            // Month, day, year and time: what follows "(" and the weekday.
            size_t at = 0;
            for (size_t k = 3; k + 1 < tokens.size(); ++k) {
                if (tokens[k] == "(") {
                    at = static_cast<size_t>(tokens[k + 1].data() - line.data()) +
                         tokens[k + 1].size();
                    while (at < line.size() && core::IsLineSeparator(line[at])) {
                        ++at;
                    }
                    out += line.substr(at, 18);
                    break;
                }
            }
        }
        out += "\r\n";
    }
    // A read that stopped on an error leaves a history cut short.
    const bool readError = std::ferror(f.get()) != 0;
    if (listing != 1) {
        s.SnHistoryUnreadable = readError ? 1 : 0;
        if (readError) {
            out.clear();
        }
    }
    return readError ? 0 : 1;
}

int32_t SerialNumberComputeNext() {
    SerialNumberState& s = SerialNumber;
    if (Settings.SerializationEnable != 1) {
        s.NextSerialNumber = 0;
        return 0;
    }
    const int32_t type = Settings.SNDispFormatIndex;
    // Every type, the list too: the history is what every SN about to be
    // written is checked against.
    if (SnHistoryLoad(0) == 0) {
        return 0; // the numbers used are unknown
    }
    if (type == kSnTypeFromFile) {
        return SnListTakeFirst();
    }
    if (type >= 0 && type < 6 && s.SnHistoryOutOfRange[type] != 0) {
        return 0; // no number follows one the type cannot hold
    }
    if (s.ManualSnFlag == 1) {
        return 1;
    }
    DatePartsCompute();
    const int32_t* p = s.SnDateParts;
    std::string prefix;
    switch (type) {
    case kSnTypeYear:
        prefix = Printf("%4.4i", p[0]);
        break;
    case kSnTypeYearMonth:
        prefix = Printf("%2.2i%2.2i", p[1], p[2]);
        break;
    case kSnTypeYearDay:
        prefix = Printf("%2.2i%3.3i", p[1], p[4]);
        break;
    case kSnTypeDate:
        prefix = Printf("%2.2i%2.2i%2.2i", p[1], p[2], p[3]);
        break;
    default:
        break;
    }
    const int32_t size = std::clamp(Settings.Custom_SN_size, 0, 256);
    int64_t best = -1;
    size_t pos = 0;
    std::string line;
    while (SnTextLineRead(s.SnHistoryText, pos, line)) {
        const auto tokens = SnLineTokens(line, 2);
        if (tokens.size() < 2 || !IsRecordOfType(tokens[0], type)) {
            continue;
        }
        const std::string_view sn = tokens[1];
        int64_t value = 0;
        bool has = false;
        switch (type) {
        case kSnTypeNumber:
        case kSnTypeCounter:
            value = DecimalValue(sn);
            has = true;
            break;
        case kSnTypeCustom:
            s.SnCustomText = std::string(sn.substr(0, static_cast<size_t>(size)));
            break;
        default:
            has = PrefixedValue(sn, prefix, value);
            break;
        }
        if (has && value > best) {
            best = value;
        }
    }
    if (type == kSnTypeCustom) {
        return 1;
    }
    // A number beyond 32 bits cannot be continued: it leaves no next SN.
    const uint64_t next =
        best < 0 ? uint64_t{0} + static_cast<uint32_t>(Settings.SN_increment) - 1
                 : static_cast<uint64_t>(best) + static_cast<uint32_t>(Settings.SN_increment);
    const uint32_t start = static_cast<uint32_t>(Settings.Starting_SN);
    uint64_t chosen = next < start ? start : next;
    if (chosen > 0xFFFFFFFFu) {
        s.NextSerialNumber = 0xFFFFFFFFu;
        return 0;
    }
    s.NextSerialNumber = static_cast<uint32_t>(chosen);
    return s.NextSerialNumber <= SnNextMax() ? 1 : 0;
}

int32_t SerialNumberPackNext() {
    const SerialNumberState& s = SerialNumber;
    const int32_t type = Settings.SNDispFormatIndex;
    if (type == kSnTypeCustom || type == kSnTypeFromFile) {
        const std::string text = SerialNumberFormat();
        const int32_t r = SerialNumberFromText(text);
        return r;
    }
    const uint32_t n = s.NextSerialNumber;
    if (n > SnNextMax()) {
        core::SerialData.SerialNumberCount = 0;
        return 0;
    }
    const int32_t* p = s.SnDateParts;
    const bool hex = SnIsHexMode(Settings.SNMemFormatIndex);
    uint32_t d = 0, c = n;
    switch (type) {
    case kSnTypeYearMonth:
        d = static_cast<uint32_t>(p[1] * 100 + p[2]);
        break;
    case kSnTypeNumber:
        d = hex ? n >> 16 : n / 10000;
        c = hex ? n & 0xFFFF : n % 10000;
        break;
    case kSnTypeCounter:
        d = 0;
        break;
    case kSnTypeYearDay:
        d = static_cast<uint32_t>(p[1] * 512 + p[4]);
        break;
    case kSnTypeDate:
        d = static_cast<uint32_t>(p[1] * 512 + p[2] * 32 + p[3]);
        break;
    default:
        d = static_cast<uint32_t>(p[0]);
        break;
    }
    return SerialNumberPack(d, c);
}

int32_t SnHistoryContains(std::string_view text) {
    IndexRefresh();
    const int32_t type = Settings.SNDispFormatIndex;
    if (type == kSnTypeCustom || type == kSnTypeFromFile) {
        return g_index.custom.count(Lower(text.substr(0, 257))) != 0 ? 1 : 0;
    }
    if (g_index.values.count(DecimalValue(text)) != 0) {
        return 1;
    }
    return g_index.values.count(DecimalValue(SnCanonicalText(text))) != 0 ? 1 : 0;
}

char SnStatusLetter(int32_t status) {
    switch (status & ~kSnStatusNew) {
    case 4:
        return 'u';
    case 2:
        return 'm';
    case 8:
        return 'o';
    case 10:
        return 'n';
    default:
        return '.';
    }
}

std::string SnHistoryRecord() {
    const SerialNumberState& s = SerialNumber;
    const platform::LocalTime t = platform::LocalTimeNow();
    char date[96];
    std::snprintf(date, sizeof date, " \t( %s, %s %2.2d,%4.4d, %2.2d:%2.2d ) \t",
                  platform::WeekdayAbbrev(t.weekday).c_str(),
                  platform::MonthAbbrev(t.month).c_str(), t.day, t.year, t.hour, t.minute);
    std::string r = Printf("F%1.1i \t", std::clamp(Settings.SNDispFormatIndex, 0, 9));
    r += s.SerialNumberText;
    r += " \t";
    r += SnStatusLetter(s.SnStatus);
    r += date;
    r += core::CodeFileNames.CodeFile.name;
    if (Settings.SerializationEnable == 1 && Settings.ModelTextEnable == 1) {
        std::string model;
        core::BytesToText(s.ModelTextMode, Settings.ModelTextSize, core::SerialData.ModelTextBytes,
                          model);
        r += " \t" + model;
    }
    r += "\r\n";
    return r;
}

namespace {

// The bytes an append of the SN just packed puts into the history file.
std::string PendingAppendText(const std::string& path) {
    std::string record = SnHistoryRecord();
    // A torn last record (a crash mid-write) must not swallow this one.
    platform::File f(path, core::kOpenReadShareDenyWrite);
    if (f.IsOpen() && std::fseek(f.get(), -1, SEEK_END) == 0) {
        const int last = std::fgetc(f.get());
        if (last != EOF && last != '\n' && last != '\r') {
            record.insert(0, "\r\n");
        }
    }
    return record;
}

} // namespace

int32_t SnHistoryCanRecord() {
    const std::string& path = Settings.SNFilePathAndName;
    return !path.empty() && platform::FileAppendRoomCheck(path, PendingAppendText(path)) ? 1 : 0;
}

int32_t SnHistoryAppend() {
    const std::string& path = Settings.SNFilePathAndName;
    const std::string record = PendingAppendText(path);
    const bool ok = !path.empty() && platform::FileAppendDurable(path, record);
    SnHistoryKeepUsed();
    if (!ok) {
        platform::ShowMessageBox("SN history file write error\r\n\r\n" + path, "Error", 0x10);
        return 0;
    }
    return 1;
}

void SnHistoryKeepUsed() {
    SerialNumberState& s = SerialNumber;
    if (s.SerialNumberText.empty()) {
        return;
    }
    IndexRefresh();
    std::string kept = Printf("F%1.1i \t", std::clamp(Settings.SNDispFormatIndex, 0, 9));
    kept += s.SerialNumberText;
    kept += " \t";
    kept += SnStatusLetter(s.SnStatus);
    kept += "\r\n";
    const bool indexed = g_index.size == s.SnHistoryText.size();
    s.SnHistoryText += kept;
    if (indexed) {
        IndexAdd(kept);
        g_index.size = s.SnHistoryText.size();
    }
    SnListRetireEntry(s.SerialNumberText);
    SnListCount();
}

} // namespace gui
