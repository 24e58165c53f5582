#include "gui/sn_history.h"
#include "platform/ascii.h"

#include "core/code_file_names.h"
#include "core/file_util.h"
#include "core/line_reader.h"
#include "core/model_text.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_claims.h"
#include "gui/sn_format.h"
#include "gui/sn_history_line.h"
#include "gui/sn_list.h"
#include "platform/append_file.h"
#include "platform/file.h"
#include "platform/file_lock.h"
#include "platform/file_tail.h"
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
    return SnIsLineEnd(c);
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(platform::AsciiLower(c));
    }
    return out;
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
        g_index.values.insert(SnDecimalValue(tokens[1]));
    }
}

void IndexRefresh() {
    const std::string& text = SerialNumber.SnHistoryText;
    size_t pos = 0;
    if (g_index.type == Settings.SNDispFormatIndex && g_index.generation == g_historyGeneration &&
        g_index.size <= text.size()) {
        if (g_index.size == text.size()) {
            return;
        }
        pos = g_index.size; // the text grew by whole lines: only they are new
    } else {
        g_index = HistoryIndex{};
        g_index.type = Settings.SNDispFormatIndex;
        g_index.generation = g_historyGeneration;
    }
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
    value = SnDecimalValue(sn.substr(prefix.size()));
    return true;
}

// A number SN's record that no byte mode of its type could have written:
// its counter (after the date prefix) above 65535 (type 5: 9999), or a
// type 2 number above 32 bits.
bool RecordBeyondRange(int32_t type, std::string_view sn) {
    static const size_t prefixLength[] = {4, 4, 0, 0, 5, 6};
    const size_t skip = prefixLength[type];
    const int64_t value = SnDecimalValue(sn.size() > skip ? sn.substr(skip) : std::string_view());
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

namespace {

// The listing of the report: every non-empty line of the file numbered, a
// record's type, SN, status and date after its number.
int32_t ListingBuild() {
    SerialNumberState& s = SerialNumber;
    std::string& out = s.SnHistoryListing;
    out.clear();
    errno = 0;
    platform::File f(Settings.SNFilePathAndName, core::kOpenReadShareDenyWrite);
    if (!f.IsOpen()) {
        return errno != ENOENT ? 0 : 1;
    }
    core::LineReaderReset();
    int32_t n = 0;
    while (core::LineReadFromFile(0, f.get()) != 0) {
        std::string_view line(core::LineReader.line);
        ++n;
        if (n == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") {
            line.remove_prefix(3);
        }
        while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            line.remove_prefix(1);
        }
        out += Printf(" %4.4i  ", n);
        // A torn record stands for no board: only its number is listed.
        if (line.empty() || (line[0] != 'F' && line[0] != 'f') || SnLineIsTorn(line)) {
            out += "\r\n"; // the number stays on its own line
            continue;
        }
        const auto tokens = SnLineTokens(line);
        out += tokens[0].substr(0, 3);
        std::string_view sn;
        if (tokens.size() > 1) {
            sn = tokens[1].substr(0, 773);
            out += " \t";
            out += sn;
        }
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
        for (size_t k = 3; k + 1 < tokens.size(); ++k) {
            if (tokens[k] == "(") {
                size_t at =
                    static_cast<size_t>(tokens[k + 1].data() - line.data()) + tokens[k + 1].size();
                while (at < line.size() && core::IsLineSeparator(line[at])) {
                    ++at;
                }
                out += line.substr(at, 18);
                break;
            }
        }
        out += "\r\n";
    }
    return std::ferror(f.get()) != 0 ? 0 : 1;
}

// The reason a file cannot be read, as the SN step reports it.
std::string ReadErrorWhy(int error) {
    switch (error) {
    case EISDIR:
        return "it is a folder, not a file.";
    case EINVAL:
        return "it is no regular file.";
    case EACCES:
    case EPERM:
        return "there is no permission to read it.";
    default:
        return std::string("it cannot be read (") + std::strerror(error) + ").";
    }
}

constexpr size_t kTailBytes = 32;

// One file's new bytes since the last look: from the start of the bytes
// kept as its tail. restart: the file is not the one taken in (another
// identity, shorter, or other bytes where its tail was).
struct FileLook {
    int error = 0;
    platform::FileIdentity id;
    uint64_t from = 0;
    uint64_t size = 0;
    std::string data;
    bool restart = false;
};

FileLook Look(const std::string& path, const SnSharedFileState& state) {
    FileLook look;
    look.from = state.taken - std::min<uint64_t>(state.taken, state.tail.size());
    look.error = platform::FileReadFrom(path, look.from, look.id, look.size, look.data);
    if (look.error == ENOENT) {
        look.restart = state.taken > 0;
        look.from = 0;
        look.data.clear();
        return look;
    }
    const size_t tailSize = static_cast<size_t>(state.taken - look.from);
    look.restart = look.error == 0 && state.taken > 0 &&
                   (look.id != state.id || look.size < state.taken ||
                    std::string_view(look.data).substr(0, tailSize) != state.tail);
    return look;
}

// Takes in the whole lines of look after what state had taken; line(text,
// number, first) for each non-empty one (first: it starts the file).
template <typename F> void TakeLines(FileLook& look, SnSharedFileState& state, F&& line) {
    const size_t skip = static_cast<size_t>(state.taken - look.from);
    const std::string_view fresh =
        std::string_view(look.data).substr(std::min(skip, look.data.size()));
    const uint64_t start = state.taken;
    const size_t taken = SnFileLines(fresh, false, state.lines,
                                     [&](std::string_view text, int32_t number, size_t at) {
                                         line(text, number, start + at == 0);
                                     });
    state.id = look.id;
    state.size = look.size;
    state.taken = start + taken;
    const size_t end = skip + taken; // in look.data
    const size_t keep = std::min(end, kTailBytes);
    state.tail = look.data.substr(end - keep, keep);
}

// Everything of both files read again from their start.
void SharedStateRestart() {
    SerialNumberState& s = SerialNumber;
    s.SnHistoryText.clear();
    s.SnHistoryPos = 0;
    ++g_historyGeneration;
    const platform::FileIdentity tornId = s.SnHistoryFile.tornId;
    const uint64_t tornEnd = s.SnHistoryFile.tornEnd;
    s.SnHistoryFile = SnSharedFileState{};
    s.SnHistoryFile.tornId = tornId;
    s.SnHistoryFile.tornEnd = tornEnd;
    s.SnHistoryUnreadable = 0;
    s.SnHistoryUnreadableWhy.clear();
    s.SnHistoryBadLine = 0;
    s.SnHistoryBadWhy.clear();
    std::fill(std::begin(s.SnHistoryOutOfRange), std::end(s.SnHistoryOutOfRange), 0);
    s.SnClaims.file = SnSharedFileState{};
    s.SnClaims.live.clear();
}

// A record into SnHistoryText: type and SN as loaded; this station's own
// record, just appended (ownRecord, its text with the line end), as an
// append keeps it, with its status.
void RecordTake(const SnHistoryLine& h, std::string_view raw, int32_t number,
                std::string* ownRecord) {
    SerialNumberState& s = SerialNumber;
    std::string& out = s.SnHistoryText;
    out += h.type.substr(0, 3);
    out += " \t";
    out += h.sn.substr(0, 773);
    if (ownRecord != nullptr && !ownRecord->empty() && raw.size() + 2 == ownRecord->size() &&
        ownRecord->compare(0, raw.size(), raw) == 0) {
        const auto tokens = SnLineTokens(raw, 3);
        if (tokens.size() > 2) {
            out += " \t";
            out += tokens[2];
        }
        ownRecord->clear();
    }
    out += "\r\n";
    for (int32_t type = 0; type < 6; ++type) {
        if (IsRecordOfType(h.type, type) && s.SnHistoryOutOfRange[type] == 0 &&
            RecordBeyondRange(type, h.sn)) {
            s.SnHistoryOutOfRange[type] = number;
        }
    }
    if (!s.SnClaims.live.empty()) {
        s.SnClaims.live.erase(SnClaimKey(h.type, h.sn)); // the record holds it from here on
    }
}

bool HistoryProblem(int32_t type) {
    const SerialNumberState& s = SerialNumber;
    return s.SnHistoryUnreadable != 0 || s.SnHistoryBadLine != 0 ||
           (type >= 0 && type < 6 && s.SnHistoryOutOfRange[type] != 0);
}

// Brings both files in: claims first, so that a record read after its
// claim ends it. ownRecord: see RecordTake.
int32_t CatchUp(std::string* ownRecord = nullptr) {
    SerialNumberState& s = SerialNumber;
    const std::string& path = Settings.SNFilePathAndName;
    const std::string claimsPath = SnClaimsPath(path);
    // Nothing loaded (a reload asked for), or a problem that a fix of the
    // file may have mended: everything is read again.
    if (s.SnHistoryText.empty() || HistoryProblem(Settings.SNDispFormatIndex)) {
        SharedStateRestart();
    }
    FileLook history = Look(path, s.SnHistoryFile);
    FileLook claims = Look(claimsPath, s.SnClaims.file);
    if (history.restart || claims.restart) {
        SharedStateRestart();
        history = Look(path, s.SnHistoryFile);
        claims = Look(claimsPath, s.SnClaims.file);
    }
    if (claims.error != 0 && claims.error != ENOENT) {
        s.SnHistoryUnreadable = 1;
        s.SnHistoryUnreadableWhy =
            "its claims file " + claimsPath + ": " + ReadErrorWhy(claims.error);
        return 0;
    }
    if (history.error != 0 && history.error != ENOENT) {
        s.SnHistoryUnreadable = 1;
        s.SnHistoryUnreadableWhy = ReadErrorWhy(history.error);
        s.SnHistoryText.clear();
        return 0;
    }
    TakeLines(claims, s.SnClaims.file,
              [](std::string_view text, int32_t, bool) { SnClaimsLineTake(text); });
    if (history.error == 0) {
        TakeLines(history, s.SnHistoryFile, [&](std::string_view text, int32_t number, bool first) {
            const SnHistoryLine h = SnHistoryLineRead(text, first);
            if (h.kind == SnLineKind::Record) {
                RecordTake(h, text, number, ownRecord);
            } else if (h.kind == SnLineKind::Bad && s.SnHistoryBadLine == 0) {
                s.SnHistoryBadLine = number;
                s.SnHistoryBadWhy = h.why;
            }
        });
    }
    s.SnHistoryUnreadable = 0;
    s.SnHistoryUnreadableWhy.clear();
    return 1;
}

} // namespace

int64_t SnDecimalValue(std::string_view s) {
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
    for (; i < s.size() && platform::AsciiIsDigit(s[i]); ++i) {
        const int d = s[i] - '0';
        v = v > (INT64_MAX - d) / 10 ? INT64_MAX : v * 10 + d;
    }
    return negative ? -v : v;
}

int32_t SnHistoryLoad(int32_t listing) {
    if (Settings.SerializationEnable != 1) {
        return 0;
    }
    return listing == 1 ? ListingBuild() : CatchUp();
}

std::string SnHistoryProblemLines() {
    const SerialNumberState& s = SerialNumber;
    const std::string& path = Settings.SNFilePathAndName;
    const int32_t type = Settings.SNDispFormatIndex;
    if (s.SnHistoryUnreadable != 0) {
        return " SN history file " + path + ":\r\n " + s.SnHistoryUnreadableWhy + "\r\n";
    }
    if (s.SnHistoryBadLine != 0) {
        return " SN history file " + path + ", line " + std::to_string(s.SnHistoryBadLine) +
               ":\r\n " + s.SnHistoryBadWhy + "\r\n";
    }
    if (type >= 0 && type < 6 && s.SnHistoryOutOfRange[type] != 0) {
        return " SN history file " + path + ", line " +
               std::to_string(s.SnHistoryOutOfRange[type]) +
               ":\r\n the SN is beyond the range of its type.\r\n";
    }
    return "";
}

namespace {

// Whether number n of the current type and mode packs, leaving the SN
// bytes as they were; refusal tells why not.
bool NumberPacks(uint32_t n, int32_t& refusal) {
    const core::SerialDataState kept = core::SerialData;
    const int32_t keptRefusal = SerialNumber.SnRefusal;
    const bool packs = SnPackNumber(n) == 1;
    refusal = SerialNumber.SnRefusal;
    core::SerialData = kept;
    SerialNumber.SnRefusal = keptRefusal;
    return packs;
}

} // namespace

int32_t SerialNumberComputeNext() {
    SerialNumberState& s = SerialNumber;
    s.SnComing = kSnComingWritable;
    if (Settings.SerializationEnable != 1) {
        s.NextSerialNumber = 0;
        return 0;
    }
    const int32_t type = Settings.SNDispFormatIndex;
    // Every type, the list too: the history is what every SN about to be
    // written is checked against.
    if (SnHistoryLoad(0) == 0 || s.SnHistoryBadLine != 0) {
        s.SnComing = kSnComingUnknown;
        return 0; // the numbers used are unknown
    }
    if (type == kSnTypeFromFile) {
        return SnListTakeFirst();
    }
    if (type >= 0 && type < 6 && s.SnHistoryOutOfRange[type] != 0) {
        s.SnComing = kSnComingUnknown;
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
    auto consider = [&](std::string_view sn) {
        int64_t value = 0;
        bool has = false;
        switch (type) {
        case kSnTypeNumber:
        case kSnTypeCounter:
            value = SnDecimalValue(sn);
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
    };
    size_t pos = 0;
    std::string line;
    while (SnTextLineRead(s.SnHistoryText, pos, line)) {
        const auto tokens = SnLineTokens(line, 2);
        if (tokens.size() >= 2 && IsRecordOfType(tokens[0], type)) {
            consider(tokens[1]);
        }
    }
    if (type == kSnTypeCustom) {
        return 1;
    }
    // Numbers other stations claimed, and those of boards whose runs
    // failed, count as taken as well.
    for (const auto& [key, record] : s.SnClaims.live) {
        const auto tokens = SnLineTokens(record, 2);
        if (tokens.size() >= 2 && IsRecordOfType(tokens[0], type)) {
            consider(tokens[1]);
        }
    }
    // A number beyond 32 bits cannot be continued: it leaves no next SN.
    const uint64_t increment = static_cast<uint32_t>(Settings.SN_increment);
    const uint64_t next = best < 0 ? increment - 1 : static_cast<uint64_t>(best) + increment;
    const uint32_t start = static_cast<uint32_t>(Settings.Starting_SN);
    uint64_t chosen = next < start ? start : next;
    // A number whose bytes would read as blank flash is passed over: such a
    // board could not be told from one without a number.
    const uint64_t max = SnNextMax();
    int32_t refusal = kSnRefusedNone;
    while (chosen <= max && !NumberPacks(static_cast<uint32_t>(chosen), refusal) &&
           refusal == kSnRefusedBlank) {
        chosen += std::max<uint64_t>(increment, 1);
    }
    if (chosen > max) {
        s.NextSerialNumber = static_cast<uint32_t>(std::min<uint64_t>(chosen, 0xFFFFFFFFu));
        s.SnComing = kSnComingExhausted;
        return 0;
    }
    s.NextSerialNumber = static_cast<uint32_t>(chosen);
    if (!NumberPacks(s.NextSerialNumber, refusal)) {
        s.SnComing = kSnComingExhausted; // its date part is beyond what the mode stores
    }
    return 1;
}

std::string SnComingText() {
    if (Settings.SerializationEnable == 1 && Settings.SNDispFormatIndex != kSnTypeFromFile &&
        Settings.SNDispFormatIndex != kSnTypeCustom && SerialNumber.ManualSnFlag != 1) {
        if (SerialNumber.SnComing == kSnComingExhausted) {
            return "exhausted";
        }
        if (SerialNumber.SnComing == kSnComingUnknown) {
            return "----";
        }
    }
    return SerialNumberFormat();
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
    return SnPackNumber(n);
}

int32_t SnHistoryRecordsContain(std::string_view text) {
    IndexRefresh();
    const int32_t type = Settings.SNDispFormatIndex;
    if (type == kSnTypeCustom || type == kSnTypeFromFile) {
        return g_index.custom.count(Lower(text.substr(0, 257))) != 0 ? 1 : 0;
    }
    if (g_index.values.count(SnDecimalValue(text)) != 0) {
        return 1;
    }
    return g_index.values.count(SnDecimalValue(SnCanonicalText(text))) != 0 ? 1 : 0;
}

int32_t SnHistoryContains(std::string_view text) {
    return SnHistoryRecordsContain(text) == 1 || SnClaimsContain(text) == 1 ? 1 : 0;
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

std::string SnHistoryUnfinishedLineFix() {
    const SerialNumberState& s = SerialNumber;
    const std::string& path = Settings.SNFilePathAndName;
    platform::FileIdentity id;
    uint64_t size = 0;
    std::string data;
    if (platform::FileReadFrom(path, UINT64_MAX, id, size, data) != 0 || size == 0) {
        return "";
    }
    const uint64_t from = size > 2048 ? size - 2048 : 0;
    if (platform::FileReadFrom(path, from, id, size, data) != 0 || data.empty() ||
        IsLineEnd(data.back())) {
        return "";
    }
    const std::string torn = std::string(" \t") + std::string(kSnTornMark) + "\r\n";
    if (s.SnHistoryFile.tornEnd == size && s.SnHistoryFile.tornId == id) {
        return torn; // this station's own record, cut short
    }
    size_t start = data.size();
    while (start > 0 && !IsLineEnd(data[start - 1])) {
        --start;
    }
    if (start == 0 && from > 0) {
        return torn; // a last line over 2 KiB is no record
    }
    const std::string_view last = std::string_view(data).substr(start);
    const SnHistoryLine h = SnHistoryLineRead(last, from + start == 0);
    // Whole as far as a record goes: its SN, status and date all there.
    const size_t open = last.find('(');
    const bool whole = h.kind == SnLineKind::Record && SnLineTokens(last, 3).size() >= 3 &&
                       open != std::string_view::npos &&
                       last.find(')', open) != std::string_view::npos;
    return whole ? "\r\n" : torn;
}

int32_t SnHistoryCanRecord() {
    const std::string& path = Settings.SNFilePathAndName;
    return !path.empty() && platform::FileAppendRoomCheck(path, SnHistoryUnfinishedLineFix() +
                                                                    SnHistoryRecord())
               ? 1
               : 0;
}

int32_t SnHistoryAppend() {
    SerialNumberState& s = SerialNumber;
    const std::string& path = Settings.SNFilePathAndName;
    bool ok = false;
    if (!path.empty()) {
        platform::FileLock lock(SnLockPath(path), kSnLockWaitMs);
        if (lock.Held()) {
            // What the others appended comes first, so that this record
            // follows a whole line.
            CatchUp();
            const std::string record = SnHistoryRecord();
            const std::string text = SnHistoryUnfinishedLineFix() + record;
            size_t written = 0;
            ok = platform::FileAppendDurable(path, text, &written);
            const int error = errno;
            if (ok) {
                std::string own = record;
                CatchUp(&own);
            } else if (written > 0) {
                // Its bytes stay: the next append marks them as torn.
                platform::FileIdentity id;
                uint64_t size = 0;
                std::string none;
                if (platform::FileReadFrom(path, UINT64_MAX, id, size, none) == 0) {
                    s.SnHistoryFile.tornId = id;
                    s.SnHistoryFile.tornEnd = size;
                }
            }
            errno = error;
        }
    }
    if (!ok) {
        SnHistoryKeepUsed();
        platform::ShowMessageBox("SN history file write error\r\n\r\n" + path, "Error", 0x10);
        return 0;
    }
    SnClaimEnd(); // the record holds the number from here on
    SnListRetireEntry(s.SerialNumberText);
    SnListCount();
    return 1;
}

void SnHistoryKeepUsed() {
    SerialNumberState& s = SerialNumber;
    SnClaimEnd(); // the claim stays in its file for good
    if (s.SerialNumberText.empty()) {
        return;
    }
    std::string kept = Printf("F%1.1i \t", std::clamp(Settings.SNDispFormatIndex, 0, 9));
    kept += s.SerialNumberText;
    kept += " \t";
    kept += SnStatusLetter(s.SnStatus);
    kept += "\r\n";
    s.SnHistoryText += kept;
    SnListRetireEntry(s.SerialNumberText);
    SnListCount();
}

} // namespace gui
