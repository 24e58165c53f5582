// The emulated adapter's link-rate model on its pseudo-terminal: at N baud
// a request is carried out no earlier than its last byte would have
// arrived and the reply leaves no faster than N/10 bytes a second.

#include "sim/emu_adapter.h"
#include "sim/emu_basic_handler.h"
#include "sim/emu_pty.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kConnect = {0x7E, 0x01, 0x01, 0x16, 0x07, 0x7E};
constexpr size_t kConnectReply = 14;

// Sends the connect n times, one after the other, and reads every reply.
// Returns the seconds it took.
double ConnectRounds(uint32_t baud, int n, uint64_t* in, uint64_t* out) {
    testsupport::TempDir dir;
    sim::EmuBasicHandler h;
    sim::EmuAdapter a(h, sim::EmuLink::kSerial);
    sim::EmuPtyServer server(a);
    server.SetBaud(baud);
    std::string error;
    EXPECT_TRUE(server.Start(dir.path().string(), "COM9", &error)) << error;
    const int fd = ::open(server.slave_path().c_str(), O_RDWR | O_NOCTTY);
    EXPECT_GE(fd, 0);
    struct termios t {};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(::write(fd, kConnect.data(), kConnect.size()),
                  static_cast<ssize_t>(kConnect.size()));
        size_t got = 0;
        uint8_t buffer[64];
        while (got < kConnectReply) {
            struct pollfd p = {fd, POLLIN, 0};
            if (poll(&p, 1, 2000) <= 0) {
                ADD_FAILURE() << "no reply";
                break;
            }
            const ssize_t r = ::read(fd, buffer, sizeof buffer);
            got += r > 0 ? static_cast<size_t>(r) : 0;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(fd);
    server.Stop();
    *in = a.trace().bytes_in;
    *out = a.trace().bytes_out;
    return seconds;
}

TEST(EmuPtyRate, PacesBothDirectionsAndCountsTheBytes) {
    uint64_t in = 0, out = 0;
    // 10 rounds of 6 bytes in and 14 out at 19200 baud (1920 bytes a
    // second): at least 200 / 1920 s on the line.
    const double paced = ConnectRounds(19200, 10, &in, &out);
    EXPECT_EQ(in, 10 * kConnect.size());
    EXPECT_EQ(out, 10 * kConnectReply);
    EXPECT_GE(paced, 200.0 / 1920.0);
}

} // namespace
