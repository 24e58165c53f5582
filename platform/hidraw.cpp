#include "platform/hidraw.h"

#include "platform/fd_wait.h"
#include "platform/hid_descriptor.h"
#include "platform/os_error.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

class HidrawPort : public HidPort {
public:
    explicit HidrawPort(int fd) : fd_(fd) {
        std::vector<uint8_t> descriptor;
        if (GetReportDescriptor(&descriptor)) {
            HidReportLayout layout;
            if (ParseHidReportDescriptor(descriptor.data(), descriptor.size(), &layout)) {
                numbered_ = layout.uses_report_ids;
            }
        }
    }
    ~HidrawPort() override {
        flock(fd_, LOCK_UN);
        ::close(fd_);
    }

    bool GetRawInfo(uint16_t* vendor_id, uint16_t* product_id) override {
        struct hidraw_devinfo info {};
        if (ioctl(fd_, HIDIOCGRAWINFO, &info) != 0) {
            return false;
        }
        *vendor_id = static_cast<uint16_t>(info.vendor);
        *product_id = static_cast<uint16_t>(info.product);
        return true;
    }

    bool GetReportDescriptor(std::vector<uint8_t>* descriptor) override {
        int size = 0;
        if (ioctl(fd_, HIDIOCGRDESCSIZE, &size) != 0 || size < 0 ||
            size > HID_MAX_DESCRIPTOR_SIZE) {
            return false;
        }
        struct hidraw_report_descriptor d {};
        d.size = static_cast<uint32_t>(size);
        if (ioctl(fd_, HIDIOCGRDESC, &d) != 0) {
            return false;
        }
        descriptor->assign(d.value, d.value + size);
        return true;
    }

    HidIo Write(const uint8_t* report, size_t length, int32_t timeout_ms) override {
        // hidraw takes the report id in byte 0, 0 for an unnumbered device:
        // the host layout as it stands.
        const FdWait w = WaitForFd(fd_, POLLOUT, std::max<int32_t>(timeout_ms, 0));
        if (w == FdWait::kTimeout) {
            return HidIo::kTimeout;
        }
        if (w != FdWait::kReady) {
            return HidIo::kFailure; // unplugged or closed
        }
        ssize_t r;
        do {
            r = ::write(fd_, report, length);
        } while (r < 0 && errno == EINTR);
        if (r < 0 && (errno == EAGAIN || errno == ETIMEDOUT)) {
            return HidIo::kTimeout;
        }
        return r == static_cast<ssize_t>(length) ? HidIo::kOk : HidIo::kFailure;
    }

    HidIo Read(uint8_t* buffer, size_t capacity, size_t* received, int32_t timeout_ms) override {
        *received = 0;
        if (capacity < 2) {
            return HidIo::kFailure;
        }
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            const FdWait w =
                WaitForFd(fd_, POLLIN, static_cast<int>(std::max<long long>(left.count(), 0)));
            if (w == FdWait::kTimeout) {
                return HidIo::kTimeout;
            }
            if (w != FdWait::kReady) {
                return HidIo::kFailure; // unplugged or closed
            }
            // An unnumbered device's reports come without the id byte.
            uint8_t* into = numbered_ ? buffer : buffer + 1;
            size_t room = numbered_ ? capacity : capacity - 1;
            ssize_t r = ::read(fd_, into, room);
            if (r < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (r <= 0) {
                return HidIo::kFailure;
            }
            if (!numbered_) {
                buffer[0] = 0;
            }
            *received = static_cast<size_t>(r) + (numbered_ ? 0 : 1);
            return HidIo::kOk;
        }
    }

    HidIo SetFeature(const uint8_t* report, size_t length, int32_t) override {
        if (length == 0 || length > 4096) {
            return HidIo::kFailure;
        }
        return ioctl(fd_, HIDIOCSFEATURE(length), report) >= 0 ? HidIo::kOk : HidIo::kFailure;
    }

    HidIo GetFeature(uint8_t* report, size_t length, int32_t) override {
        if (length == 0 || length > 4096) {
            return HidIo::kFailure;
        }
        return ioctl(fd_, HIDIOCGFEATURE(length), report) >= 0 ? HidIo::kOk : HidIo::kFailure;
    }

    bool FlushInput() override {
        uint8_t scratch[HID_MAX_DESCRIPTOR_SIZE];
        for (int i = 0; i < 4096; ++i) {
            ssize_t r = ::read(fd_, scratch, sizeof scratch);
            if (r < 0 && errno == EAGAIN) {
                return true;
            }
            if (r < 0 && errno == EINTR) {
                continue;
            }
            if (r <= 0) {
                return false;
            }
        }
        return false; // still reports coming: the queue is not emptied
    }

private:
    int fd_;
    bool numbered_ = false;
};

} // namespace

std::unique_ptr<HidPort> HidrawOs::Open(const std::string& path, int32_t* system_error) {
    *system_error = kErrorSuccess;
    int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *system_error = WindowsErrorFromErrno(errno);
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *system_error =
            errno == EWOULDBLOCK ? kErrorSharingViolation : WindowsErrorFromErrno(errno);
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<HidrawPort>(fd);
}

HidOs& SystemHidOs() {
    static HidrawOs os;
    return os;
}

} // namespace platform
