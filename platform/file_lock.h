#pragma once
// An exclusive lock that programs take in turn, on one machine or on
// several that share a network folder with POSIX record locks, around the
// few milliseconds in which they read and append files they share. It is a
// POSIX record lock on a file of its own that nothing reads or writes: such
// a lock ends when its process closes any descriptor of the file, so only
// FileLock opens it, and one process never holds two FileLocks of one file
// (the first to go would end the other's lock). The system ends the lock of
// a process that dies.

#include <cstdint>
#include <string>

namespace platform {

class FileLock {
public:
    // Opens path (created when missing, mode 0666 less the umask) and takes
    // the lock, waiting up to waitMs while another program holds it. The
    // wait is in real time whatever clock is installed: it waits for
    // another program's work, not for this one's.
    FileLock(const std::string& path, uint32_t waitMs);
    // Releases the lock and closes the file.
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return held_; }
    // Why it is not held: the open's errno, ETIMEDOUT when the wait ran
    // out, ENOLCK when the file system keeps no locks.
    int Error() const { return error_; }

private:
    int fd_ = -1;
    bool held_ = false;
    int error_ = 0;
};

// The name this program goes by among those that take such locks, for
// the records they leave: the host's name and the process id ("bench-2:4711").
std::string LockHolderName();

// For the test that shows what the lock guards: with skipped set, FileLock
// opens its file and reports the lock held without taking it, as a program
// without the lock would behave. ResetServices() clears it.
void SetFileLocksSkipped(bool skipped);

} // namespace platform
