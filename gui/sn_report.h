#pragma once
// The history report: counts of the listing, the record with the highest SN,
// the filtered export and the deletion of one record.

#include <cstdint>
#include <string>

namespace gui {

// Report filter bits.
inline constexpr int32_t kSnReportNew = 1;
inline constexpr int32_t kSnReportManual = 2;
inline constexpr int32_t kSnReportUnmodified = 4;
inline constexpr int32_t kSnReportOverwritten = 8;

struct SnReportStats {
    int32_t lines = 0; // numbered lines of the listing (every non-empty file line)
    int32_t newCount = 0;
    int32_t unmodified = 0;
    int32_t manual = 0;      // 'm' and 'n'
    int32_t overwritten = 0; // 'o' and 'n'
    int32_t highestLine = 0; // 0: no record
    std::string highestText; // the listing line of the highest SN
};

// Empties SnHistoryText, builds SnHistoryListing and counts it.
SnReportStats SnReportBuild();

// The export of the history file's records whose status passes filter, one
// "%s\t %16s\t %s\t %s\t %s\r\n" line each (label, SN, model text, date,
// code-file name). An unreadable file gives an empty text.
std::string SnReportExportText(int32_t filter);

// Deletes the n-th numbered line of the history file: a copy to path + "~"
// first, checked to hold expectedLines lines, then the file replaced as a
// whole. Any failure shows a box and leaves the history as it was. 1 when
// deleted.
int32_t SnHistoryDeleteLine(int32_t n, int32_t expectedLines);

} // namespace gui
