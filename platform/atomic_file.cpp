#include "platform/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

AtomicFileCommitHook g_commitHook = nullptr;

// The file a path names, with a symbolic link followed; the path itself when
// it does not exist yet or is no link.
std::string ResolvedTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return path;
    }
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf) == nullptr) {
        return path; // a dangling link: the rename then replaces the link itself
    }
    return buf;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd); // the data itself is safe already; this makes the name durable
        ::close(fd);
    }
}

} // namespace

void SetAtomicFileCommitHook(AtomicFileCommitHook hook) {
    g_commitHook = hook;
}

AtomicFile::AtomicFile(const std::string& path) : target_(ResolvedTarget(path)) {
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        error_ = EISDIR;
        return;
    }
    // A name of our own beside the target; O_EXCL keeps us off anything that
    // is there already. Mode 0666 lets the umask decide, as for any new file.
    static unsigned serial = 0;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp_ = target_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
        fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        error_ = errno;
        temp_.clear();
        return;
    }
    if (exists) {
        (void)::fchmod(fd, old.st_mode & 07777); // the replacement keeps the old file's rights
    }
    f_ = ::fdopen(fd, "wb");
    if (f_ == nullptr) {
        error_ = errno;
        ::close(fd);
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() {
    if (f_ != nullptr) {
        std::fclose(f_);
        f_ = nullptr;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

bool AtomicFile::Commit() {
    if (f_ == nullptr) {
        if (error_ == 0) {
            error_ = EBADF;
        }
        return false;
    }
    const auto fail = [this](int err) {
        error_ = err != 0 ? err : EIO;
        Discard();
        return false;
    };
    if (std::ferror(f_)) {
        return fail(errno);
    }
    if (std::fflush(f_) != 0) {
        return fail(errno);
    }
    if (::fsync(::fileno(f_)) != 0) {
        return fail(errno);
    }
    const int closed = std::fclose(f_);
    f_ = nullptr;
    if (closed != 0) {
        return fail(errno);
    }
    if (g_commitHook != nullptr && !g_commitHook(temp_, target_)) {
        return fail(EIO);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        return fail(errno);
    }
    temp_.clear();
    SyncDirectory(DirectoryOf(target_));
    return true;
}

} // namespace platform
