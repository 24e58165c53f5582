#include "platform/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

int AccessFlags(uint32_t flags) {
    switch (flags & 3u) {
    case FileModeWrite:
        return O_WRONLY;
    case FileModeReadWrite:
        return O_RDWR;
    default:
        return O_RDONLY;
    }
}

const char* StdioMode(uint32_t flags) {
    switch (flags & 3u) {
    case FileModeWrite:
        return "wb"; // fdopen never truncates; O_TRUNC decides that
    case FileModeReadWrite:
        return "r+b";
    default:
        return "rb";
    }
}

// Opens like open(2), but a directory does not count as a file.
int OpenFile(const std::string& path, int oflags, mode_t mode = 0666) {
    int fd = ::open(path.c_str(), oflags, mode);
    if (fd < 0) {
        return fd;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}

} // namespace

std::FILE* FileOpen(const std::string& path, uint32_t flags) {
    int oflags = AccessFlags(flags) | O_CLOEXEC;
    if (flags & FileModeCreate) {
        oflags |= O_CREAT;
        if (!(flags & FileModeNoTruncate)) {
            oflags |= O_TRUNC;
        }
    }
    int fd = OpenFile(path, oflags);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, StdioMode(flags));
    if (!f) {
        int saved = errno;
        ::close(fd);
        errno = saved;
    }
    return f;
}

bool FileProbe(const std::string& path, uint32_t flags) {
    const int access = AccessFlags(flags) | O_CLOEXEC;
    int fd = OpenFile(path, access);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno != ENOENT || !(flags & FileModeCreate)) {
        return false;
    }
    // The file does not exist: the open would create it. Find out whether it
    // can be created, and leave no empty file behind.
    fd = OpenFile(path, access | O_CREAT | O_EXCL);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    ::unlink(path.c_str());
    return true;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        f_ = other.f_;
        other.f_ = nullptr;
    }
    return *this;
}

bool File::Close() {
    if (!f_) {
        return true;
    }
    const bool ok = std::fclose(f_) == 0;
    f_ = nullptr;
    return ok;
}

} // namespace platform
