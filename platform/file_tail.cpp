#include "platform/file_tail.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int FileReadFrom(const std::string& path, uint64_t offset, FileIdentity& id, uint64_t& size,
                 std::string& out) {
    out.clear();
    size = 0;
    id = FileIdentity{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    int error = 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = errno;
    } else if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        error = EINVAL;
    } else {
        id.device = static_cast<uint64_t>(st.st_dev);
        id.inode = static_cast<uint64_t>(st.st_ino);
        size = static_cast<uint64_t>(st.st_size);
        if (offset < size) {
            out.resize(static_cast<size_t>(size - offset));
            size_t got = 0;
            while (got < out.size()) {
                const ssize_t n = ::pread(fd, out.data() + got, out.size() - got,
                                          static_cast<off_t>(offset + got));
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n < 0) {
                    error = errno;
                    break;
                }
                if (n == 0) {
                    break; // shorter than it said: what is there is what it holds
                }
                got += static_cast<size_t>(n);
            }
            out.resize(got);
            size = offset + got;
        }
    }
    ::close(fd);
    if (error != 0) {
        out.clear();
    }
    return error;
}

} // namespace platform
