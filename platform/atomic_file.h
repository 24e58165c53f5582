#pragma once
// Replacing a file as a whole: the new contents go to a temporary file beside
// the target, which is flushed to disk and renamed over the target only when
// everything was written. A crash or a failed write leaves the old file as it
// was; readers never see a half-written file.

#include <cstdio>
#include <string>

namespace platform {

class AtomicFile {
public:
    // Creates the temporary file in the target's directory (a symbolic link
    // as target is followed, so the link stays and its file is replaced).
    // IsOpen() tells whether that worked; Error() gives the errno.
    explicit AtomicFile(const std::string& path);
    // Without a successful Commit the temporary file is removed and the
    // target is left untouched.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool IsOpen() const { return f_ != nullptr; }
    std::FILE* get() const { return f_; }
    int Error() const { return error_; }
    const std::string& TempPath() const { return temp_; }

    // Flushes and syncs the data, then renames the temporary file over the
    // target and syncs the directory. False (with Error() set) when a write
    // failed earlier, or any of these steps fails; the target then keeps its
    // old contents and the temporary file is removed.
    bool Commit();

private:
    void Discard();

    std::string target_;
    std::string temp_;
    std::FILE* f_ = nullptr;
    int error_ = 0;
};

// A test hook that runs inside Commit after the data is on disk and before
// the rename. Returning false stands for a crash at that point: Commit fails
// with EIO and the rename never happens. nullptr removes the hook.
using AtomicFileCommitHook = bool (*)(const std::string& tempPath, const std::string& target);
void SetAtomicFileCommitHook(AtomicFileCommitHook hook);

} // namespace platform
