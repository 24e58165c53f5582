#pragma once
// Loading a code file into one of the byte stores: the format by extension,
// the load of a whole file line by line, and raw binary data.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace core {

// The format of an extension (without the dot) by its first three
// characters, any case: "txt" 1, "s19"/"s28"/"s37" 2, "hex" 3, "d43" 4,
// "a43" 5, "out" 6, else 0. CodeFileFormatFromExt also keeps it in
// CodeLoad.CodeFileFormat.
int32_t CodeFileFormatOfExt(std::string_view extension);
int32_t CodeFileFormatFromExt(std::string_view extension);

// Loads the open file (or, for format 4, the UBROF file at path) into the
// store of target (low 3 bits): clears that store (unless target has
// kStoreKeep), restarts the warnings and
// CodeLoadReport, parses line by line until the end record or the end of the
// file. Format 5 picks Intel HEX or Motorola per line; format 6 reads the
// Intel HEX file that OutFileConvertToHex made. Returns 1 when loaded, 0 when
// a line was bad, the file could not be read or converted, an Intel HEX or
// Motorola file ended without its end record, or the format is not 1..6; on
// 0 the store is left empty, so a partial image is never programmed; with
// kStoreKeep it is left exactly as it was before the load. CodeLoadFailure
// then says why when there is more to say than a bad line (the UBROF
// reader's message, kCodeFileCutShort). A UTF-8 byte-order mark at the start
// of a text file is passed over. The line reader is reset here.
int32_t CodeFileLoad(int32_t target, int32_t format, std::FILE* file, const std::string& path);

// Adds the raw bytes of the open file to the store of mode from start on
// (mode 0 clears the code image first). Returns the number of bytes read.
int32_t CodeImageLoadBinary(int32_t mode, int32_t start, std::FILE* file);

} // namespace core
