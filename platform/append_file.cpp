#include "platform/append_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {
namespace {

FileAppendHook g_appendHook = nullptr;

int OpenForAppend(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
}

// Writes all of text, continuing short writes; the bytes written in done.
int WriteAll(int fd, std::string_view text, size_t& done) {
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return ENOSPC;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

} // namespace

void SetFileAppendHook(FileAppendHook hook) {
    g_appendHook = hook;
}

namespace {

bool AppendDurable(const std::string& path, std::string_view text, size_t* written,
                   FileAppendHook hook) {
    size_t done = 0;
    if (written != nullptr) {
        *written = 0;
    }
    const int fd = OpenForAppend(path);
    if (fd < 0) {
        return false;
    }
    const int32_t fault = hook != nullptr ? hook(path, text) : 0;
    int error = 0;
    if (fault == 1) {
        error = EIO;
    } else if (fault == 2) {
        error = WriteAll(fd, text.substr(0, text.size() / 2), done);
        if (error == 0) {
            error = ENOSPC;
        }
    } else {
        error = WriteAll(fd, text, done);
        if (error == 0 && ::fsync(fd) != 0) {
            error = errno;
        }
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno; // a network file system may report the write only here
    }
    if (written != nullptr) {
        *written = done;
    }
    errno = error;
    return error == 0;
}

} // namespace

bool FileAppendDurable(const std::string& path, std::string_view text, size_t* written) {
    return AppendDurable(path, text, written, g_appendHook);
}

bool FileAppendDurableUnhooked(const std::string& path, std::string_view text, size_t* written) {
    return AppendDurable(path, text, written, nullptr);
}

bool FileAppendRoomCheck(const std::string& path, std::string_view text) {
    const int fd = OpenForAppend(path);
    if (fd < 0) {
        return false;
    }
    int error = 0;
    struct stat st {};
    rlimit limit{};
    if (::fstat(fd, &st) != 0) {
        error = errno;
    } else if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
               static_cast<uint64_t>(st.st_size) + text.size() > limit.rlim_cur) {
        error = EFBIG;
    } else if (!text.empty() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, st.st_size,
                                            static_cast<off_t>(text.size())) != 0) {
        error = errno;
        if (error == EOPNOTSUPP || error == ENOSYS || error == EINVAL) {
            // Nothing reserved here: the free space has to do.
            struct statvfs vfs {};
            error = ::fstatvfs(fd, &vfs) != 0                                       ? errno
                    : uint64_t{vfs.f_bavail} * vfs.f_frsize < uint64_t{text.size()} ? ENOSPC
                                                                                    : 0;
        }
    }
    ::close(fd);
    errno = error;
    return error == 0;
}

} // namespace platform
