#pragma once
// Reading a project file back: every line unscrambled, the tag, mode and
// lock lines checked, the setup keys and the code applied, the CRC line
// compared. A refused file loads nothing.

#include <cstdint>
#include <string>

namespace gui {

// Reads and applies the project at path with ProjectTargetTag. Mode 2 asks
// for the password (a cancel ends the read); mode 3 takes this PC's number.
// The code image is replaced by the project's code; the project becomes the
// current code file. Every refusal shows its message in ProjectErrorBox
// (none for a cancelled password prompt), puts the settings, passwords,
// model text, code image, current file names and what ProjectRead keeps of
// the last project back as they were, sets ProjectLockOptionsRead 0 and
// returns 0. Returns 1 when the file was read whole and its CRC matched.
// A file holding what the writer never writes is refused as corrupted: a
// control character or a CR or LF outside a CRLF pair (a final 0x1A
// excepted), a setup line that names no key, a line among the code that is
// no record, or anything but blank lines after the CRC line.
int32_t ProjectRead(const std::string& path);

} // namespace gui
