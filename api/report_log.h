#pragma once
// The report log the host reads back, and the dialog log beside it: step
// lines with their suffixes, each log kept to its last 1000 characters.

#include <cstdint>
#include <string>
#include <string_view>

namespace api {

inline constexpr size_t kReportLogMax = 1000;

struct ReportLogState {
    std::string report;
    std::string dialog;

    void Reset() { *this = ReportLogState{}; }
};

extern ReportLogState ReportLog;

// Appends text to both logs and cuts each to its last 1000 characters.
void ReportAppend(std::string_view text);

// "...\t done\r\n" for r not 0, else "...\t failed\r\n".
void ReportVerdict(int32_t r);

// "...\t failed\r\n" for 0, "...\t BLOWN\r\n" for 2, "...\t OK\r\n" otherwise.
void ReportCheck(int32_t r);

// A file that cannot be opened: what (its line, e.g. "Code File Open
// error\r\n"), then " " + path + "\r\n".
void ReportOpenError(std::string_view what, std::string_view path);

// The path a report shows for a file the host named with a null pointer.
inline constexpr const char* kNoPathShown = "(null)";

// Both logs emptied.
void ReportClear();

// The report log alone replaced by text (the dialog log and the cut are
// left alone: the setup listing and the version line).
void ReportReplace(std::string_view text);

// Installed as the core's progress operation: the percent goes to the
// progress dialog while one runs; without one it goes nowhere.
void ReportProgress(int32_t percent, void* context);

} // namespace api
