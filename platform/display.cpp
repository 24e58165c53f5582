#include "platform/display.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kConnectTimeoutMs = 1000;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

// Connects without blocking for longer than the time-out.
bool ConnectWithin(int fd, const sockaddr* address, socklen_t length) {
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    if (connect(fd, address, length) == 0) {
        return true;
    }
    if (errno != EINPROGRESS) {
        return false;
    }
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, kConnectTimeoutMs) != 1) {
        return false;
    }
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

// abstractName: the Linux abstract namespace (a leading NUL byte).
bool UnixSocketAccepts(const std::string& path, bool abstractName) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const size_t offset = abstractName ? 1 : 0;
    if (path.empty() || path.size() + offset >= sizeof a.sun_path) {
        return false;
    }
    std::memcpy(a.sun_path + offset, path.data(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const socklen_t length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool ok = ConnectWithin(fd, reinterpret_cast<const sockaddr*>(&a), length);
    close(fd);
    return ok;
}

bool TcpAccepts(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0) {
        return false;
    }
    bool ok = false;
    for (addrinfo* a = list; a != nullptr && !ok; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd >= 0) {
            ok = ConnectWithin(fd, a->ai_addr, a->ai_addrlen);
            close(fd);
        }
    }
    freeaddrinfo(list);
    return ok;
}

bool WaylandReachable(const std::string& name, const std::string& runtimeDir) {
    if (name.empty()) {
        return false;
    }
    if (name.front() == '/') {
        return UnixSocketAccepts(name, false);
    }
    return !runtimeDir.empty() && UnixSocketAccepts(runtimeDir + "/" + name, false);
}

// DISPLAY is [host]:number[.screen]; no host (or "unix") is the local socket.
bool XReachable(const std::string& display) {
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos || colon + 1 >= display.size()) {
        return false;
    }
    const std::string host = display.substr(0, colon);
    char* end = nullptr;
    const long number = std::strtol(display.c_str() + colon + 1, &end, 10);
    if (end == display.c_str() + colon + 1 || number < 0 || number > 65535 - 6000) {
        return false;
    }
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        return UnixSocketAccepts(path, false) || UnixSocketAccepts(path, true);
    }
    return TcpAccepts(host, 6000 + static_cast<int>(number));
}

} // namespace

bool DisplayReachable(const std::string& wayland, const std::string& runtimeDir,
                      const std::string& display) {
    return WaylandReachable(wayland, runtimeDir) || (!display.empty() && XReachable(display));
}

bool DisplayReachable() {
    return DisplayReachable(Env("WAYLAND_DISPLAY"), Env("XDG_RUNTIME_DIR"), Env("DISPLAY"));
}

} // namespace platform
