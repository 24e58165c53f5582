#include "platform/file_lock.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

bool g_locksSkipped = false;

uint64_t MonotonicMicroseconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000000u + static_cast<uint64_t>(t.tv_nsec) / 1000u;
}

void SleepMicroseconds(uint32_t us) {
    timespec t{static_cast<time_t>(us / 1000000u), static_cast<long>(us % 1000000u) * 1000};
    while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

} // namespace

std::string LockHolderName() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') {
        std::snprintf(host, sizeof host, "%s", "localhost");
    }
    return std::string(host) + ":" + std::to_string(::getpid());
}

void SetFileLocksSkipped(bool skipped) {
    g_locksSkipped = skipped;
}

FileLock::FileLock(const std::string& path, uint32_t waitMs) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    if (g_locksSkipped) {
        held_ = true;
        return;
    }
    const uint64_t deadline = MonotonicMicroseconds() + uint64_t{waitMs} * 1000u;
    uint32_t pause = 100; // microseconds, doubled up to 5 ms: a claim takes a few
    for (;;) {
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET; // the whole file, however long it grows
        if (::fcntl(fd_, F_SETLK, &fl) == 0) {
            held_ = true;
            return;
        }
        const int e = errno;
        if (e == EINTR) {
            continue;
        }
        if (e != EACCES && e != EAGAIN) {
            error_ = e; // no locks here (ENOLCK, EINVAL): fail, never go on unlocked
            return;
        }
        if (MonotonicMicroseconds() >= deadline) {
            error_ = ETIMEDOUT;
            return;
        }
        SleepMicroseconds(pause);
        pause = pause < 2500 ? pause * 2 : 5000;
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::close(fd_); // ends the lock
    }
}

} // namespace platform
