#pragma once
// Opening files with the window framework's open flags, and probing them.

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// The framework's file open flags (they combine by OR).
inline constexpr uint32_t FileModeRead = 0x0000;
inline constexpr uint32_t FileModeWrite = 0x0001;
inline constexpr uint32_t FileModeReadWrite = 0x0002;
inline constexpr uint32_t FileShareDenyWrite = 0x0020; // no Linux equivalent; accepted and ignored
inline constexpr uint32_t FileModeCreate = 0x1000;     // create, truncating an existing file
inline constexpr uint32_t FileModeNoTruncate =
    0x2000; // with FileModeCreate: keep existing contents

// Opens path as the flags say, in binary mode and close-on-exec. Returns
// nullptr with errno set on failure. Without FileModeCreate a file opened for
// writing must exist already and is not truncated.
std::FILE* FileOpen(const std::string& path, uint32_t flags);

// True when path would open with flags. Nothing is changed on disk: an
// existing file is never truncated, and a file created only to find out is
// removed again.
bool FileProbe(const std::string& path, uint32_t flags);

// Owns an open std::FILE* and closes it when it goes.
class File {
public:
    File() = default;
    explicit File(std::FILE* f) : f_(f) {}
    File(const std::string& path, uint32_t flags) : f_(FileOpen(path, flags)) {}
    ~File() { Close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept : f_(other.f_) { other.f_ = nullptr; }
    File& operator=(File&& other) noexcept;

    bool IsOpen() const { return f_ != nullptr; }
    std::FILE* get() const { return f_; }
    // Closes the file; false when the close (the final flush) failed.
    bool Close();

private:
    std::FILE* f_ = nullptr;
};

} // namespace platform
