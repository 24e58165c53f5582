#include "platform/serial_port.h"

#include "platform/fd_wait.h"
#include "platform/os_error.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

struct BaudEntry {
    uint32_t baud;
    speed_t code;
};

constexpr BaudEntry kBauds[] = {
    {1200, B1200},       {2400, B2400},       {4800, B4800},       {9600, B9600},
    {19200, B19200},     {38400, B38400},     {57600, B57600},     {115200, B115200},
    {230400, B230400},   {460800, B460800},   {500000, B500000},   {576000, B576000},
    {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {3000000, B3000000}, {4000000, B4000000},
};

bool BaudCode(uint32_t baud, speed_t* code) {
    for (const BaudEntry& e : kBauds) {
        if (e.baud == baud) {
            *code = e.code;
            return true;
        }
    }
    return false;
}

uint32_t BaudValue(speed_t code) {
    for (const BaudEntry& e : kBauds) {
        if (e.code == code) {
            return e.baud;
        }
    }
    return 0;
}

// Milliseconds left until a deadline, rounded up so that poll does not wake
// a fraction of a millisecond early and spin; 0 once it has passed.
int RemainingMs(Clock::time_point deadline) {
    auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
        return 0;
    }
    auto us = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
    long long ms = (us + 999) / 1000;
    return static_cast<int>(std::min<long long>(ms, 1 << 30));
}

void SleepMs(int ms) {
    poll(nullptr, 0, ms);
}

// Bits a character takes on the line: start, data, parity and stop bits.
uint32_t BitsPerCharacter(const LineSettings& s) {
    return 1u + s.data_bits + (s.parity != Parity::kNone ? 1u : 0u) + s.stop_bits;
}

// How much of the tail of a reply is waited for on the descriptor rather
// than slept through: the sleep may end late by the timer's slack and the
// scheduler's delay, and the last bytes must be taken as soon as they come.
constexpr auto kTailByPoll = std::chrono::microseconds(1000);

} // namespace

SerialPort::~SerialPort() {
    if (IsOpen()) {
        Close();
    }
}

bool SerialPort::Open(const std::string& node, int32_t* system_error) {
    *system_error = kErrorSuccess;
    if (IsOpen()) {
        *system_error = kErrorAccessDenied;
        return false;
    }
    int fd = ::open(node.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *system_error = WindowsErrorFromErrno(errno);
        return false;
    }
    // Not shared: one holder at a time, whether it is this process or another.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *system_error = WindowsErrorFromErrno(errno == EWOULDBLOCK ? EBUSY : errno);
        ::close(fd);
        return false;
    }
    // Programs that do not flock are kept out too; a descriptor the peer
    // already holds is unaffected. Not every tty driver supports it.
    ioctl(fd, TIOCEXCL);
    fd_ = fd;
    node_ = node;
    have_saved_termios_ = tcgetattr(fd, &saved_termios_) == 0;
    timeouts_ = CommTimeouts{};
    return true;
}

bool SerialPort::GetLineSettings(LineSettings* settings) const {
    struct termios t {};
    if (!IsOpen() || tcgetattr(fd_, &t) != 0) {
        return false;
    }
    LineSettings s;
    s.baud = BaudValue(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
    case CS5:
        s.data_bits = 5;
        break;
    case CS6:
        s.data_bits = 6;
        break;
    case CS7:
        s.data_bits = 7;
        break;
    default:
        s.data_bits = 8;
        break;
    }
    s.parity = !(t.c_cflag & PARENB) ? Parity::kNone
                                     : ((t.c_cflag & PARODD) ? Parity::kOdd : Parity::kEven);
    s.stop_bits = (t.c_cflag & CSTOPB) ? 2 : 1;
    s.rts_cts_flow = (t.c_cflag & CRTSCTS) != 0;
    s.xon_xoff = (t.c_iflag & (IXON | IXOFF)) != 0;
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) == 0) {
        s.dtr_on = (lines & TIOCM_DTR) != 0;
        s.rts_on = (lines & TIOCM_RTS) != 0;
    }
    *settings = s;
    return true;
}

bool SerialPort::SetLineSettings(const LineSettings& s) {
    speed_t speed;
    if (!IsOpen() || !BaudCode(s.baud, &speed) || s.data_bits < 5 || s.data_bits > 8 ||
        (s.stop_bits != 1 && s.stop_bits != 2)) {
        return false;
    }
    struct termios t {};
    if (tcgetattr(fd_, &t) != 0) {
        return false;
    }
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[s.data_bits - 5] | CLOCAL | CREAD;
    if (s.parity != Parity::kNone) {
        t.c_cflag |= PARENB | (s.parity == Parity::kOdd ? PARODD : 0);
    }
    if (s.stop_bits == 2) {
        t.c_cflag |= CSTOPB;
    }
    if (s.rts_cts_flow) {
        t.c_cflag |= CRTSCTS;
    }
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (s.xon_xoff) {
        t.c_iflag |= IXON | IXOFF;
    }
    // Reads never wait in the kernel: every wait is a poll with a deadline.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0 ||
        tcsetattr(fd_, TCSANOW, &t) != 0) {
        return false;
    }
    // tcsetattr succeeds when any part was taken: check what matters.
    struct termios check {};
    if (tcgetattr(fd_, &check) != 0 || cfgetospeed(&check) != speed ||
        (check.c_cflag & (CSIZE | PARENB | CSTOPB)) != (t.c_cflag & (CSIZE | PARENB | CSTOPB))) {
        return false;
    }
    bytes_per_second_ = static_cast<double>(s.baud) / BitsPerCharacter(s);
    int set = (s.dtr_on ? TIOCM_DTR : 0) | (s.rts_on ? TIOCM_RTS : 0);
    int clear = (TIOCM_DTR | TIOCM_RTS) & ~set;
    for (auto [request, bits] : {std::pair{TIOCMBIS, set}, std::pair{TIOCMBIC, clear}}) {
        if (bits != 0 && ioctl(fd_, request, &bits) != 0 && errno != ENOTTY && errno != EINVAL) {
            return false;
        }
    }
    return true;
}

bool SerialPort::Purge(uint32_t flags) {
    if (!IsOpen()) {
        return false;
    }
    bool ok = true;
    // Nothing is ever pending in the background here, so aborting and
    // clearing a direction come to the same thing.
    if (flags & (kPurgeTxAbort | kPurgeTxClear)) {
        ok = tcflush(fd_, TCOFLUSH) == 0 && ok;
    }
    if (flags & (kPurgeRxAbort | kPurgeRxClear)) {
        ok = tcflush(fd_, TCIFLUSH) == 0 && ok;
    }
    return ok;
}

bool SerialPort::QueueLengths(SerialQueueLengths* lengths) const {
    int in = 0;
    int out = 0;
    if (!IsOpen() || ioctl(fd_, FIONREAD, &in) != 0) {
        return false;
    }
    if (ioctl(fd_, TIOCOUTQ, &out) != 0) {
        out = 0; // not every driver reports it; an unknown queue is taken as empty
    }
    lengths->in_queue = static_cast<uint32_t>(std::max(in, 0));
    lengths->out_queue = static_cast<uint32_t>(std::max(out, 0));
    return true;
}

bool SerialPort::Read(uint8_t* buffer, size_t count, size_t* done) {
    *done = 0;
    if (!IsOpen()) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    const CommTimeouts& to = timeouts_;
    const bool at_once = to.read_interval == kMaxDword && to.read_total_multiplier == 0 &&
                         to.read_total_constant == 0;
    const bool has_total = to.read_total_multiplier != 0 || to.read_total_constant != 0;
    const bool has_gap = to.read_interval != 0 && to.read_interval != kMaxDword;
    const uint64_t total_ms =
        static_cast<uint64_t>(to.read_total_multiplier) * count + to.read_total_constant;
    const Clock::time_point start = Clock::now();
    const Clock::time_point total_deadline = start + std::chrono::milliseconds(total_ms);
    Clock::time_point last_byte{};
    bool may_sleep = true;

    for (;;) {
        ssize_t r = ::read(fd_, buffer + *done, count - *done);
        if (r > 0) {
            *done += static_cast<size_t>(r);
            last_byte = Clock::now();
            if (*done == count) {
                return true;
            }
            continue;
        }
        // A raw line that reads without waiting in the kernel gives 0 when
        // nothing is queued; a hang-up shows in the poll below.
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0 && errno != EAGAIN) {
            return false;
        }
        if (at_once) {
            return true;
        }
        int wait_ms = -1;
        if (has_total) {
            wait_ms = RemainingMs(total_deadline);
        }
        if (has_gap && *done > 0) {
            int gap_ms = RemainingMs(last_byte + std::chrono::milliseconds(to.read_interval));
            wait_ms = wait_ms < 0 ? gap_ms : std::min(wait_ms, gap_ms);
        }
        if (wait_ms == 0) {
            return true;
        }
        // The missing bytes cannot come faster than the line carries them:
        // sleep through most of that time instead of waking for every
        // fragment the driver passes on. Never past a time-out.
        if (may_sleep) {
            Clock::time_point until = Clock::now() + LineTime(count - *done) - kTailByPoll;
            if (has_total) {
                until = std::min(until, total_deadline);
            }
            if (has_gap && *done > 0) {
                until = std::min(until, last_byte + std::chrono::milliseconds(to.read_interval));
            }
            if (until > Clock::now()) {
                // Only a hang-up or an error ends it early; then the wait
                // below reports it.
                may_sleep = SleepUnlessHungUp(until);
                continue;
            }
        }
        // Queued input was taken by the read above; after a hang-up no more comes.
        if (const FdWait w = WaitForFd(fd_, POLLIN, wait_ms);
            w == FdWait::kError || w == FdWait::kHangup) {
            return false;
        }
    }
}

bool SerialPort::Write(const uint8_t* bytes, size_t count, size_t* done) {
    *done = 0;
    if (!IsOpen()) {
        return false;
    }
    const CommTimeouts& to = timeouts_;
    const bool has_total = to.write_total_multiplier != 0 || to.write_total_constant != 0;
    const uint64_t total_ms =
        static_cast<uint64_t>(to.write_total_multiplier) * count + to.write_total_constant;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(total_ms);
    while (*done < count) {
        ssize_t r = ::write(fd_, bytes + *done, count - *done);
        if (r > 0) {
            *done += static_cast<size_t>(r);
            continue;
        }
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0 && errno != EAGAIN) {
            return false;
        }
        int wait_ms = has_total ? RemainingMs(deadline) : -1;
        if (wait_ms == 0) {
            return true;
        }
        if (const FdWait w = WaitForFd(fd_, POLLOUT, wait_ms);
            w == FdWait::kError || w == FdWait::kHangup) {
            return false;
        }
    }
    return true;
}

Clock::duration SerialPort::LineTime(size_t count) const {
    if (bytes_per_second_ == 0) {
        return Clock::duration::zero();
    }
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(count) / bytes_per_second_));
}

bool SerialPort::SleepUnlessHungUp(Clock::time_point until) {
    for (;;) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        struct timespec ts = {static_cast<time_t>(ns / 1000000000),
                              static_cast<long>(ns % 1000000000)};
        struct pollfd p = {fd_, 0, 0};
        const int r = ppoll(&p, 1, &ts, nullptr);
        if (r > 0 || (r < 0 && errno != EINTR)) {
            return false;
        }
    }
}

uint32_t SerialPort::WaitInput(uint32_t count, uint32_t ms) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    SerialQueueLengths q;
    for (;;) {
        if (!QueueLengths(&q)) {
            return 0;
        }
        if (q.in_queue >= count) {
            return q.in_queue;
        }
        if (Clock::now() > deadline) {
            return q.in_queue;
        }
        // Sleep briefly, or until the first byte when nothing is queued yet.
        int left = RemainingMs(deadline) + 1;
        if (q.in_queue == 0) {
            if (WaitForFd(fd_, POLLIN, left) != FdWait::kReady) {
                SleepMs(1); // hung up or failed: keep to the caller's deadline
            }
        } else {
            SleepMs(1);
        }
    }
}

bool SerialPort::WaitOutputEmpty(uint32_t ms) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    SerialQueueLengths q;
    while (QueueLengths(&q) && q.out_queue > 0) {
        if (Clock::now() > deadline) {
            return false;
        }
        SleepMs(1);
    }
    return true;
}

bool SerialPort::Close() {
    if (!IsOpen()) {
        return false;
    }
    if (have_saved_termios_) {
        tcsetattr(fd_, TCSANOW, &saved_termios_);
    }
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    int r = ::close(fd_);
    // Linux releases the descriptor even when close reports an error.
    fd_ = -1;
    node_.clear();
    have_saved_termios_ = false;
    bytes_per_second_ = 0;
    return r == 0;
}

} // namespace platform
