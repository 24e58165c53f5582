#pragma once
// The SN history file: one CR LF-ended record per SN written, appended and
// synced before the run that wrote the SN may pass. The next SN is derived
// from it, and every SN about to be written is looked up in it.

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

// Loads the history file into SnHistoryText (only when it holds fewer than 5
// characters); listing 1 builds SnHistoryListing instead (and leaves
// SnHistoryText alone). 0 when serialization is off, else 1.
int32_t SnHistoryLoad(int32_t listing);

// Date parts, the next SN's number, or the next entry of the list. 0 when
// serialization is off, when the coming SN is over the capacity of its type
// and byte mode, or when a list has no entry left.
int32_t SerialNumberComputeNext();

// Packs the coming SN into the SN bytes. 0 (count 0) when it cannot be
// written: over capacity, or no custom SN.
int32_t SerialNumberPackNext();

// 1 when a record of the current type holds this SN (custom types: the text,
// ignoring case; others: its decimal value).
int32_t SnHistoryContains(std::string_view text);

// The record of the SN just written (SerialNumberText, SnStatus), with the
// local time and the current code file's name.
std::string SnHistoryRecord();

// The status letter of SnStatus without its "new" bit: 'u', 'm', 'o', 'n' or '.'.
char SnStatusLetter(int32_t status);

// 1 when the history file can take the record of the SN just packed
// (SerialNumberText, SnStatus) now: that record is appended and synced, then
// cut off again (platform::FileAppendRoomCheck). Run before the SN goes to a
// board, so that no board carries a number the history could not keep.
int32_t SnHistoryCanRecord();

// Appends the record to the history file and, once it is synced, returns 1.
// Whatever the file does, the record goes into SnHistoryText and a list
// entry of the SN is retired, so the SN is never offered again. A failed
// append shows the "SN history file write error" box and returns 0.
int32_t SnHistoryAppend();

// The in-memory half of SnHistoryAppend: the SN just written goes into
// SnHistoryText and its list entry is retired, so this session never offers
// it again; the file is not touched. For a board that may carry the SN
// although its run failed.
void SnHistoryKeepUsed();

} // namespace gui
