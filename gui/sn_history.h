#pragma once
// The SN history file: one CR LF-ended record per board that passed with
// an SN, appended and synced under the history's lock before the run may
// pass. Stations that share it read what the others appended each time
// they look, and the next SN is derived from it and from the claims of
// every station (sn_claims.h); every SN about to be written is looked up in
// both. The file is only ever appended to.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gui {

// The tokens of a history or list line (separated by blanks, TABs, ',' and
// '='), at most max of them.
std::vector<std::string_view> SnLineTokens(std::string_view line, size_t max = SIZE_MAX);

// Reads the next line of an in-memory text at pos (at most 5 line ends
// skipped before it, at most 1024 characters); a last line without a line
// end is not returned.
bool SnTextLineRead(std::string_view text, size_t& pos, std::string& line);

// Brings SnHistoryText and the claims up to date with the files: the whole
// lines appended since the last look (everything again when SnHistoryText
// is empty, or a file was replaced, shortened or rewritten); a line its
// writer may not have finished waits. listing 1 builds SnHistoryListing
// instead (and leaves SnHistoryText alone). 0 when serialization is off or
// the history cannot be read (SnHistoryUnreadable), else 1; a line that is
// neither a record nor blank sets SnHistoryBadLine.
int32_t SnHistoryLoad(int32_t listing);

// The decimal value at the front of a text (blanks, a sign, digits), as the
// history compares numbers; saturates instead of overflowing.
int64_t SnDecimalValue(std::string_view s);

// Date parts, the next SN's number, or the next entry of the list, above
// every number the history and the claims hold; a number whose bytes
// would read as blank is passed over. 0 when serialization is off, when
// the history cannot tell (SnComing unknown), when the coming SN is over
// the capacity of its type and byte mode (SnComing exhausted), or when a
// list has no entry left.
int32_t SerialNumberComputeNext();

// The coming SN as the main window shows it: SerialNumberFormat, or
// "exhausted" when it cannot be written, "----" when the history cannot
// tell it.
std::string SnComingText();

// The history's problem that leaves the current type's next SN unknown,
// as report lines (" SN history file PATH, line N:\r\n REASON\r\n"); ""
// when there is none.
std::string SnHistoryProblemLines();

// Packs the coming SN into the SN bytes. 0 (count 0) when it cannot be
// written: over capacity, or no custom SN.
int32_t SerialNumberPackNext();

// 1 when a record of the current type, or a station's claim, holds this SN
// (custom types: the text, ignoring case; others: its decimal value).
int32_t SnHistoryContains(std::string_view text);

// Only the history's records (no claims): 1 when one of the current type
// holds this SN.
int32_t SnHistoryRecordsContain(std::string_view text);

// The record of the SN just written (SerialNumberText, SnStatus), with the
// local time and the current code file's name.
std::string SnHistoryRecord();

// The status letter of SnStatus without its "new" bit: 'u', 'm', 'o', 'n' or '.'.
char SnStatusLetter(int32_t status);

// 1 when the history file could take the record of the SN just packed
// (SerialNumberText, SnStatus) now, found out without writing to it
// (platform::FileAppendRoomCheck). Run before the SN goes to a board, so
// that no board carries a number the history could not keep.
int32_t SnHistoryCanRecord();

// What must go before the next record so that it starts a line of its own,
// when the history's last line is unfinished: the torn mark and a line end
// behind a record write of this station that stopped half way, or behind
// a last line that is no whole record; a line end alone behind a whole
// record that only lacks it (an editor that drops the last line end).
// "" when the file ends with a line end. Under the history's lock.
std::string SnHistoryUnfinishedLineFix();

// Appends the record to the history file under its lock and, once it is
// synced, returns 1: this station's claim of the SN ends there. Whatever
// the file does, the record goes into SnHistoryText and a list entry of the
// SN is retired, so the SN is never offered again (and the claim stays). A
// failed append shows the "SN history file write error" box and returns 0;
// the bytes of it that reached the file stay, to be marked torn.
int32_t SnHistoryAppend();

// The in-memory half of SnHistoryAppend: the SN just written goes into
// SnHistoryText and its list entry is retired, so this session never offers
// it again, and this station's claim of it stays for good; the history file
// is not touched. For a board that may carry the SN although its run
// failed.
void SnHistoryKeepUsed();

} // namespace gui
