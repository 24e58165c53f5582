#include "platform/append_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

FileAppendHook g_appendHook = nullptr;

} // namespace

void SetFileAppendHook(FileAppendHook hook) {
    g_appendHook = hook;
}

bool FileAppendDurable(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return false;
    }
    const off_t oldSize = st.st_size;
    const int32_t fault = g_appendHook != nullptr ? g_appendHook(path, text) : 0;
    bool ok = false;
    int error = 0;
    if (fault == 1) {
        error = EIO;
    } else {
        const size_t want = fault == 2 ? text.size() / 2 : text.size();
        ssize_t n;
        do {
            n = ::write(fd, text.data(), want);
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            error = errno;
        } else if (static_cast<size_t>(n) != text.size()) {
            error = fault == 2 ? EIO : ENOSPC;
        } else if (::fsync(fd) != 0) {
            error = errno;
        } else {
            ok = true;
        }
        if (!ok) {
            // Whatever part of the text reached the file is not a record.
            (void)::ftruncate(fd, oldSize);
            (void)::fsync(fd);
        }
    }
    ::close(fd);
    if (!ok) {
        errno = error;
    }
    return ok;
}

bool FileAppendRoomCheck(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0) {
        error = errno;
    } else {
        ssize_t n;
        do {
            n = ::write(fd, text.data(), text.size());
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            error = errno;
        } else if (static_cast<size_t>(n) != text.size()) {
            error = ENOSPC;
        } else if (::fsync(fd) != 0) {
            error = errno;
        }
        // The probe is no record: it goes again whatever happened above.
        if (n != 0 && ::ftruncate(fd, st.st_size) != 0 && error == 0) {
            error = errno;
        }
        if (::fsync(fd) != 0 && error == 0) {
            error = errno;
        }
    }
    ::close(fd);
    errno = error;
    return error == 0;
}

} // namespace platform
