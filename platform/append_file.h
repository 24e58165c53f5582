#pragma once
// Appending a record to a file so that it is on disk before anyone is told
// so: one write with O_APPEND, then fsync. A failed or short write is cut
// back, so the file never keeps half a record that was reported as lost.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Appends text to path (created when missing, mode 0666 less the umask) in
// one write and syncs it. True only when every byte is on disk. On failure
// the file is cut back to its old length (as far as the system allows) and
// errno tells why.
bool FileAppendDurable(const std::string& path, std::string_view text);

// Proves that text could be appended to path now: the file opens for
// appending (created when missing), text is written and synced, and the file
// is cut back to its old length and synced again. True only when all of that
// worked; errno tells why not. A crash before the cut leaves text in the
// file. The append hook below is not run here.
bool FileAppendRoomCheck(const std::string& path, std::string_view text);

// A test hook run before each append's write: 0 lets it go on, 1 fails it
// before anything is written, 2 writes only the first half of the text and
// then fails it as a short write would. nullptr removes the hook.
using FileAppendHook = int32_t (*)(const std::string& path, std::string_view text);
void SetFileAppendHook(FileAppendHook hook);

} // namespace platform
