#include "sim/emu_pty.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

EmuPtyServer::~EmuPtyServer() {
    Stop();
}

bool EmuPtyServer::Start(const std::string& directory, const std::string& port_name,
                         std::string* error) {
    Stop();
    if (!pty_.Create(directory, port_name, error)) {
        return false;
    }
    const int master = pty_.master_fd();
    struct termios t {};
    if (tcgetattr(master, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
    }
    // Never block on the master: a host that stops reading must not keep
    // the server from stopping.
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    if (pipe2(stop_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        *error = std::string("pipe: ") + std::strerror(errno);
        pty_.Destroy();
        return false;
    }
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void EmuPtyServer::Stop() {
    if (thread_.joinable()) {
        const char b = 's';
        [[maybe_unused]] ssize_t n = write(stop_pipe_[1], &b, 1);
        thread_.join();
    }
    for (int& fd : stop_pipe_) {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
    pty_.Destroy();
}

bool EmuPtyServer::WaitStop(int ms) {
    struct pollfd p = {stop_pipe_[0], POLLIN, 0};
    int r;
    do {
        r = poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    return r == 0;
}

bool EmuPtyServer::WriteAll(const uint8_t* bytes, size_t count) {
    size_t done = 0;
    while (done < count) {
        ssize_t n = write(pty_.master_fd(), bytes + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        struct pollfd p[2] = {{pty_.master_fd(), POLLOUT, 0}, {stop_pipe_[0], POLLIN, 0}};
        if (poll(p, 2, 100) > 0 && (p[1].revents & POLLIN) != 0) {
            return false;
        }
    }
    return true;
}

bool EmuPtyServer::SendAll(std::vector<EmuOutput> outputs) {
    for (EmuOutput& o : outputs) {
        if (o.delay_ms > 0) {
            if (!WaitStop(static_cast<int>(o.delay_ms))) {
                return false;
            }
            reply_ready_ = std::chrono::steady_clock::now();
        }
        const bool sent = baud_ > 0 ? PacedWrite(o.bytes.data(), o.bytes.size())
                                    : WriteAll(o.bytes.data(), o.bytes.size());
        if (!sent) {
            return false;
        }
    }
    return true;
}

namespace {

// The time count bytes take on a line of baud bits a second, 10 bits each.
std::chrono::steady_clock::duration LineTime(size_t count, uint32_t baud) {
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(static_cast<double>(count) * 10.0 / baud));
}

constexpr size_t kPaceSlice = 16; // bytes written at once on a paced line

} // namespace

bool EmuPtyServer::WaitUntil(std::chrono::steady_clock::time_point when) {
    for (;;) {
        const auto left = when - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return true;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        struct timespec ts = {static_cast<time_t>(ns / 1000000000),
                              static_cast<long>(ns % 1000000000)};
        struct pollfd p = {stop_pipe_[0], POLLIN, 0};
        const int r = ppoll(&p, 1, &ts, nullptr);
        if (r > 0) {
            return false;
        }
    }
}

bool EmuPtyServer::PaceReceived(size_t count) {
    const auto now = std::chrono::steady_clock::now();
    rx_free_ = std::max(rx_free_, now) + LineTime(count, baud_);
    // The answer may start on the line the moment the request is in, not
    // when this thread happens to wake up after it.
    reply_ready_ = rx_free_;
    return WaitUntil(rx_free_);
}

bool EmuPtyServer::PacedWrite(const uint8_t* bytes, size_t count) {
    // Each slice reaches the host when its last byte would have. The
    // deadlines run from where the bytes start on the line, so a late
    // wake-up of this thread delays that one slice and is never added to
    // the ones after it: a real line keeps its rate whatever we do.
    const auto start = std::max(tx_free_, reply_ready_);
    for (size_t done = 0; done < count;) {
        const size_t n = std::min(kPaceSlice, count - done);
        tx_free_ = start + LineTime(done + n, baud_);
        if (!WaitUntil(tx_free_) || !WriteAll(bytes + done, n)) {
            return false;
        }
        done += n;
    }
    return true;
}

void EmuPtyServer::Serve() {
    using Clock = std::chrono::steady_clock;
    if (baud_ > 0) {
        // The pacing sleeps are a few hundred microseconds each; the
        // default timer slack (50 us) would stretch every one of them.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    }
    uint8_t buffer[4096];
    bool stalling = false;
    Clock::time_point stall_end{};
    for (;;) {
        int timeout = -1;
        if (stalling) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(stall_end - Clock::now());
            timeout = static_cast<int>(std::max<int64_t>(left.count(), 0));
        }
        struct pollfd p[2] = {{pty_.master_fd(), POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
        int r = poll(p, 2, timeout);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0 || (p[1].revents & POLLIN) != 0) {
            return;
        }
        if (stalling && Clock::now() >= stall_end) {
            stalling = false;
            reply_ready_ = Clock::now();
            if (!SendAll(adapter_.EndStall())) {
                return;
            }
            continue;
        }
        if (r == 0) {
            continue;
        }
        if ((p[0].revents & (POLLERR | POLLNVAL)) != 0) {
            return;
        }
        if ((p[0].revents & POLLHUP) != 0 && (p[0].revents & POLLIN) == 0) {
            // No slave open at the moment (cannot last: the port keeps one);
            // do not spin.
            if (!WaitStop(10)) {
                return;
            }
            continue;
        }
        ssize_t n = read(pty_.master_fd(), buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                return;
            }
            continue;
        }
        if (baud_ > 0 && !PaceReceived(static_cast<size_t>(n))) {
            return;
        }
        if (!SendAll(adapter_.Receive(buffer, static_cast<size_t>(n)))) {
            return;
        }
        if (!stalling) {
            if (const uint32_t ms = adapter_.StallMs(); ms > 0) {
                stalling = true;
                stall_end = Clock::now() + std::chrono::milliseconds(ms);
            }
        }
    }
}

} // namespace sim
