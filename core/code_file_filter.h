#pragma once
// The file-type filters of the code-file dialogs, in the dialog framework's
// "description|patterns|...|" form.

#include <cstdint>
#include <string>

namespace core {

// Entry 0..6 by code-file format (CodeLoad.CodeFileFormat); "" outside.
const char* CodeFileFilterEntry(int32_t format);

// Open dialogs ("Open Code File", "Save Memory as"): the entry of format
// first, marked "-->" unless format is 0, then the other entries 0..6, then
// "|". A format outside 0..6 counts as 0.
std::string CodeFileOpenFilter(int32_t format);
// "Save Code as": the entry of format first when it is 1..3, then the others
// of 1..3, then "|".
std::string CodeFileSaveFilter(int32_t format);

// The same for the current format, CodeLoad.CodeFileFormat.
std::string CodeFileOpenFilter();
std::string CodeFileSaveFilter();

// The format a file is written in, by its extension: TI-TXT, Motorola or
// Intel HEX, and Intel HEX for ".a43" (whose loader takes only Intel or
// Motorola records); every other extension writes TI-TXT.
// CodeLoad.CodeFileFormat is left as it was.
int32_t CodeFileWriteFormatOf(const std::string& path);

} // namespace core
