#include "gui/sn_report.h"
#include "platform/ascii.h"

#include "core/atomic_write.h"
#include "core/file_util.h"
#include "core/line_reader.h"
#include "core/settings.h"
#include "gui/serial_number.h"
#include "gui/sn_claims.h"
#include "gui/sn_history.h"
#include "gui/sn_history_line.h"
#include "platform/file.h"
#include "platform/file_lock.h"
#include "platform/prompt.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gui {
namespace {

char StatusOf(std::string_view token) {
    return token.empty() ? '.' : static_cast<char>(platform::AsciiLower(token[0]));
}

int64_t Decimal(std::string_view s) {
    int64_t v = 0;
    size_t i = 0;
    for (; i < s.size() && platform::AsciiIsDigit(s[i]) && v < INT64_MAX / 10 - 10; ++i) {
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

bool IsRecord(std::string_view line) {
    return !line.empty() && (line[0] == 'F' || line[0] == 'f');
}

} // namespace

SnReportStats SnReportBuild() {
    SerialNumberState& s = SerialNumber;
    s.SnHistoryText.clear();
    s.SnHistoryListing.clear();
    SnHistoryLoad(1);
    SnReportStats st;
    int64_t best = -1;
    size_t pos = 0;
    std::string line;
    while (SnTextLineRead(s.SnHistoryListing, pos, line)) {
        const auto tokens = SnLineTokens(line);
        if (tokens.empty()) {
            continue;
        }
        st.lines = static_cast<int32_t>(Decimal(tokens[0]));
        if (tokens.size() < 2 || !IsRecord(tokens[1])) {
            continue;
        }
        const char status = tokens.size() > 3 ? StatusOf(tokens[3]) : '.';
        switch (status) {
        case 'm':
            ++st.manual;
            break;
        case 'u':
            ++st.unmodified;
            break;
        case 'o':
            ++st.overwritten;
            break;
        case 'n':
            ++st.manual;
            ++st.overwritten;
            break;
        default:
            ++st.newCount;
            break;
        }
        const int64_t value = tokens.size() > 2 ? Decimal(tokens[2]) : 0;
        if (value >= best) {
            best = value;
            st.highestLine = st.lines;
            st.highestText = line;
        }
    }
    return st;
}

std::string SnReportExportText(int32_t filter) {
    std::string out;
    platform::File f(core::Settings.SNFilePathAndName, core::kOpenReadShareDenyWrite);
    if (!f.IsOpen()) {
        return out;
    }
    core::LineReaderReset();
    bool first = true;
    while (core::LineReadFromFile(0, f.get()) != 0) {
        std::string_view line(core::LineReader.line);
        // Read as the history's loader reads it: past a byte-order mark and
        // indenting.
        if (first && line.substr(0, 3) == "\xEF\xBB\xBF") {
            line.remove_prefix(3);
        }
        first = false;
        while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            line.remove_prefix(1);
        }
        // A torn record stands for no board.
        if (!IsRecord(line) || SnLineIsTorn(line)) {
            continue;
        }
        const auto tokens = SnLineTokens(line);
        const char status = tokens.size() > 2 ? StatusOf(tokens[2]) : '.';
        const char* label = "....       ";
        bool pass = (filter & kSnReportNew) != 0;
        switch (status) {
        case 'm':
            label = "Manual     ";
            pass = (filter & kSnReportManual) != 0;
            break;
        case 'u':
            label = "Unmodified ";
            pass = (filter & kSnReportUnmodified) != 0;
            break;
        case 'o':
            label = "Overwritten";
            pass = (filter & kSnReportOverwritten) != 0;
            break;
        case 'n':
            label = "Man_OverWr ";
            pass = (filter & (kSnReportManual | kSnReportOverwritten)) != 0;
            break;
        default:
            break;
        }
        if (!pass) {
            continue;
        }
        const std::string sn(tokens.size() > 1 ? tokens[1].substr(0, 773) : std::string_view());
        std::string date, file, model;
        const size_t open = line.find('(');
        if (open != std::string_view::npos) {
            size_t at = open + 1;
            while (at < line.size() && line[at] == ' ') {
                ++at;
            }
            date = std::string(line.substr(at, 23));
            const size_t close = line.find(')', at);
            if (close != std::string_view::npos) {
                const auto rest = SnLineTokens(line.substr(close + 1));
                if (!rest.empty()) {
                    file = std::string(rest[0].substr(0, 38));
                    size_t m = static_cast<size_t>(rest[0].data() - line.data()) + rest[0].size();
                    while (m < line.size() && core::IsLineSeparator(line[m])) {
                        ++m;
                    }
                    model = std::string(line.substr(m, 128));
                    while (!model.empty() && model.back() == ' ') {
                        model.pop_back();
                    }
                }
            }
        }
        char head[32];
        std::snprintf(head, sizeof head, "%s\t ", label);
        char snField[800];
        std::snprintf(snField, sizeof snField, "%16s", sn.c_str());
        out += head;
        out += snField;
        out += "\t " + model + "\t " + date + "\t " + file + "\r\n";
    }
    return out;
}

int32_t SnHistoryDeleteLine(int32_t n, int32_t expectedLines) {
    const std::string path = core::Settings.SNFilePathAndName;
    const std::string copy = path + "~";
    auto fail = [&](const std::string& why) {
        platform::ShowMessageBox(why + "\r\n\r\nThe SN history file was not changed.", "Error",
                                 platform::MB_OK | platform::MB_ICONERROR);
        return 0;
    };
    // Under the history's lock: no station appends between the copy and the
    // replacement, so no record of another board is lost with the one
    // deleted.
    platform::FileLock lock(SnLockPath(path), kSnLockWaitMs);
    if (!lock.Held()) {
        return fail("The SN history file is locked by another station:\r\n" + SnLockPath(path));
    }
    if (core::TextFileCopyLines(path, "~") != 1) {
        return fail("The SN history file could not be copied to\r\n" + copy);
    }
    std::string kept;
    std::string deleted;
    int32_t lines = 0;
    {
        platform::File in(copy, core::kOpenReadShareDenyWrite);
        if (!in.IsOpen()) {
            return fail("The copy of the SN history file could not be read:\r\n" + copy);
        }
        core::LineReaderReset();
        while (core::LineReadFromFile(0, in.get()) != 0) {
            ++lines;
            if (lines != n) {
                kept += core::LineReader.line;
                kept += "\r\n";
            } else {
                deleted = core::LineReader.line;
            }
        }
    }
    if (lines != expectedLines || n < 1 || n > lines) {
        return fail("The copy of the SN history file is not complete:\r\n" + copy);
    }
    if (core::FileWriteAtomic(path, [&](std::FILE* f) {
            return std::fwrite(kept.data(), 1, kept.size(), f) == kept.size() ? 1 : 0;
        }) != 1) {
        return 0;
    }
    // The deleted record's number is free again, for every station: its
    // claim, if it had one, is released.
    const SnHistoryLine record = SnHistoryLineRead(deleted, false);
    if (record.kind == SnLineKind::Record) {
        SnClaimsAppendRelease(record.type, record.sn);
    }
    return 1;
}

} // namespace gui
