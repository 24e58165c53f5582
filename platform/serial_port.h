#pragma once
// A serial port over a tty file descriptor with the semantics the adapter
// link was designed for: exclusive open, line settings as a small record,
// read and write bounded by Windows-style time-outs, purge, queue lengths.
// The original terminal settings are put back when the port is closed.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <termios.h>

namespace platform {

inline constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// Time-outs in milliseconds, read and write, as COMMTIMEOUTS defines them:
// a read of n bytes ends after read_total_multiplier * n +
// read_total_constant ms (no limit when both are 0), or as soon as more than
// read_interval ms pass between two bytes once the first byte arrived (0: no
// gap limit). read_interval kMaxDword with both totals 0 returns at once with
// what is queued. A write of n bytes ends after write_total_multiplier * n +
// write_total_constant ms (no limit when both are 0). A time-out is not an
// error: the call succeeds with fewer bytes.
struct CommTimeouts {
    uint32_t read_interval = 0;
    uint32_t read_total_multiplier = 0;
    uint32_t read_total_constant = 0;
    uint32_t write_total_multiplier = 0;
    uint32_t write_total_constant = 0;
};

enum class Parity : uint8_t { kNone, kOdd, kEven };

// The line settings that matter on this link.
struct LineSettings {
    uint32_t baud = 9600;
    uint8_t data_bits = 8;
    Parity parity = Parity::kNone;
    uint8_t stop_bits = 1;
    bool rts_cts_flow = false; // hardware output flow control
    bool xon_xoff = false;     // software flow control, both directions
    bool dtr_on = false;       // DTR line asserted
    bool rts_on = false;       // RTS line asserted
};

// Purge flags, with the values the original API gives them.
inline constexpr uint32_t kPurgeTxAbort = 0x1;
inline constexpr uint32_t kPurgeRxAbort = 0x2;
inline constexpr uint32_t kPurgeTxClear = 0x4;
inline constexpr uint32_t kPurgeRxClear = 0x8;

struct SerialQueueLengths {
    uint32_t in_queue = 0;  // bytes received, not yet read
    uint32_t out_queue = 0; // bytes written, not yet sent
};

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens a tty node for reading and writing, without making it the
    // controlling terminal, and takes it exclusively (flock and TIOCEXCL):
    // a port held by anyone else fails with kErrorAccessDenied, a missing
    // node with kErrorFileNotFound. The terminal settings found are kept
    // for Close. On failure *system_error is set and the port stays closed.
    bool Open(const std::string& node, int32_t* system_error);
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& node() const { return node_; }

    // Line settings of the open port. Setting them makes the line raw (no
    // echo, no character translation, reads not waiting in the kernel),
    // drives DTR and RTS (a pseudo-terminal has no modem lines; that is not
    // an error) and checks that the driver took speed and framing.
    bool GetLineSettings(LineSettings* settings) const;
    bool SetLineSettings(const LineSettings& settings);

    CommTimeouts GetTimeouts() const { return timeouts_; }
    void SetTimeouts(const CommTimeouts& timeouts) { timeouts_ = timeouts; }

    bool Purge(uint32_t flags);
    bool QueueLengths(SerialQueueLengths* lengths) const;

    // Both succeed with *done < count when the time-out ends them; they fail
    // on an I/O error or when the device went away (hang-up). A read sleeps
    // through most of the time the missing bytes take at the line's rate
    // (as last set) rather than waking for every fragment of them.
    bool Read(uint8_t* buffer, size_t count, size_t* done);
    bool Write(const uint8_t* bytes, size_t count, size_t* done);

    // Waits until at least count bytes are queued for reading, or until
    // more than ms milliseconds have passed; returns the queue length.
    uint32_t WaitInput(uint32_t count, uint32_t ms);
    // Waits until the output queue is empty, at most ms milliseconds.
    bool WaitOutputEmpty(uint32_t ms);

    // Puts back the terminal settings found at open, releases the lock and
    // closes. Returns false when the kernel reported an error on close; the
    // descriptor is released all the same.
    bool Close();

private:
    using Clock = std::chrono::steady_clock;

    // The time count characters take on the line as last set; zero while
    // no line settings were set.
    Clock::duration LineTime(size_t count) const;
    // Sleeps until the given time; false when a hang-up or an error on the
    // descriptor ended it early.
    bool SleepUnlessHungUp(Clock::time_point until);

    int fd_ = -1;
    std::string node_;
    bool have_saved_termios_ = false;
    struct termios saved_termios_ {};
    CommTimeouts timeouts_{};
    double bytes_per_second_ = 0; // of the line settings last set
};

} // namespace platform
