#include "platform/fd_wait.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>

namespace platform {

FdWait WaitForFd(int fd, short events, int timeout_ms) {
    using Clock = std::chrono::steady_clock;
    const bool bounded = timeout_ms >= 0;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(bounded ? timeout_ms : 0);
    int wait = bounded ? timeout_ms : -1;
    for (;;) {
        struct pollfd p = {fd, events, 0};
        const int r = poll(&p, 1, wait);
        if (r < 0 && errno == EINTR) {
            if (bounded) {
                auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                wait = static_cast<int>(std::max<long long>(left.count(), 0));
            }
            continue;
        }
        if (r < 0) {
            return FdWait::kError;
        }
        if (r == 0) {
            return FdWait::kTimeout;
        }
        if (p.revents & (POLLERR | POLLNVAL)) {
            return FdWait::kError;
        }
        if (p.revents & events) {
            return FdWait::kReady;
        }
        return FdWait::kHangup;
    }
}

} // namespace platform
