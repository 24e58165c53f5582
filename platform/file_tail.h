#pragma once
// Reading what other programs appended to a file since an earlier look.

#include <cstdint>
#include <string>

namespace platform {

// Which file a path named: a file replaced under the same name (rewritten
// by rename) has another identity.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Reads path's bytes from offset to its end into out (nothing when offset
// is past it) and tells the file's identity and size. Only a regular file
// is read, and opening it never blocks: a folder gives EISDIR, a pipe or
// device EINVAL. 0 when read, else the errno (ENOENT for a missing file).
int FileReadFrom(const std::string& path, uint64_t offset, FileIdentity& id, uint64_t& size,
                 std::string& out);

} // namespace platform
