#pragma once

#include <cstdint>
#include <string>

namespace ubrof {

// Converts the UBROF file at path (versions 9 and 10) to TI-TXT text in out,
// without the end record "q". Returns 1 on success, with reason empty. On a
// format error out is left empty, reason holds the reader's message (no
// newline) and the result is 0; nothing is written to standard error and the
// process lives on.
int32_t UbrofFileConvert(const std::string& path, std::string& out, std::string& reason);
int32_t UbrofFileConvert(const std::string& path, std::string& out);

// The conversion itself: empties out, then reads the file record by record.
// A format error raises UbrofFormatError; out may then hold partial text.
void UbrofToTiTxt(const std::string& path, std::string& out);

} // namespace ubrof
