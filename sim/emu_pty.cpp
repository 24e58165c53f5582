#include "sim/emu_pty.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
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
        if (o.delay_ms > 0 && !WaitStop(static_cast<int>(o.delay_ms))) {
            return false;
        }
        if (!WriteAll(o.bytes.data(), o.bytes.size())) {
            return false;
        }
    }
    return true;
}

void EmuPtyServer::Serve() {
    using Clock = std::chrono::steady_clock;
    uint8_t buffer[4096];
    bool stalling = false;
    Clock::time_point stall_end{};
    for (;;) {
        int timeout = -1;
        if (stalling) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(stall_end - Clock::now());
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
