#pragma once

#include <cstdint>
#include <string>

// Converts the UBROF file at path (versions 9 and 10) to TI-TXT text in out,
// without the end record "q". Returns 1 on success. On a format error the
// message goes to standard error (no newline added), out is left empty and
// the result is 0; the process lives on.
int32_t UbrofFileConvert(const std::string& path, std::string& out);

// The conversion itself: empties out, then reads the file record by record.
// A format error raises UbrofFormatError (after its message went to standard
// error); out may then hold partial text.
void UbrofToTiTxt(const std::string& path, std::string& out);
