#pragma once
// Appending a record to a file that other programs may append to as well,
// so that it is on disk before anyone is told so: one write with O_APPEND
// (a short one continued), then fsync. Nothing here ever shortens a file:
// cutting back a failed write could cut off what another writer appended
// meanwhile, so a torn record stays for its writer to mark.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Appends text to path (created when missing, mode 0666 less the umask) and
// syncs it. True only when every byte is on disk. On failure errno tells
// why, and written (when given) how many bytes of text reached the file: a
// torn record when it is neither 0 nor the whole text.
bool FileAppendDurable(const std::string& path, std::string_view text, size_t* written = nullptr);

// Whether text could be appended to path now, found out without writing
// any of it: the file opens for appending (created when missing), the
// process's file-size limit leaves room for text, and the disk space for
// it is reserved beyond the file's end (size and contents stay as they
// were); where the file system reserves nothing, its free space must hold
// text. True only when all of that holds; errno tells why not. The append
// hook below is not run here.
bool FileAppendRoomCheck(const std::string& path, std::string_view text);

// FileAppendDurable without the test hook below: for the files kept beside
// the one the hook breaks (an SN history's claims), which go on working.
bool FileAppendDurableUnhooked(const std::string& path, std::string_view text,
                               size_t* written = nullptr);

// A test hook run before each FileAppendDurable write: 0 lets it go on, 1
// fails it before anything is written, 2 writes only the first half of the
// text and then fails it as a full disk would. nullptr removes the hook.
using FileAppendHook = int32_t (*)(const std::string& path, std::string_view text);
void SetFileAppendHook(FileAppendHook hook);

} // namespace platform
