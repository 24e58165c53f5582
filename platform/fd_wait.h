#pragma once
// Waiting for a descriptor with a bound, shared by the serial port and the
// hidraw layer so both treat signals, hang-ups and errors alike.

namespace platform {

enum class FdWait { kReady, kTimeout, kHangup, kError };

// Waits until fd has one of `events` (POLLIN, POLLOUT) or timeout_ms have
// passed; a negative timeout_ms waits without limit. A signal resumes the
// wait with the time that is left, never a fresh time-out.
FdWait WaitForFd(int fd, short events, int timeout_ms);

} // namespace platform
