#pragma once
// The SN list file ("from File" serialization): prepared SNs, read once into
// the pending list; each written SN is retired from it.

#include <cstdint>
#include <string>
#include <string_view>

namespace gui {

// Clears the pending list and its counters; with serialization on and type 7
// reads the file (SnListFileRead), else 0.
int32_t SnListLoad(const std::string& path);

// Builds the pending list from the file: the accepted count, or -1 when the
// file cannot be opened. Entries the history holds, entries of another
// length than Custom_SN_size (as it stands at the end of the file) and
// entries with a character a custom SN may not hold are refused and counted.
int32_t SnListFileRead(const std::string& path);

// SnListText = the first live entry (at most Custom_SN_size characters); 0
// when no list is loaded or none is left.
int32_t SnListTakeFirst();

// Marks the entry equal to sn (ignoring case) as used; 0 when none is.
int32_t SnListRetireEntry(std::string_view sn);

// The live entries; compacts the list when more than 20 dead lines gathered.
int32_t SnListCount();

} // namespace gui
