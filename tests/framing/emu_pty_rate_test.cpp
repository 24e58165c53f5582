// The emulated adapter's link-rate model on its pseudo-terminal: at N baud
// a request is carried out no earlier than its last byte would have
// arrived and the reply leaves no faster than N/10 bytes a second, short
// replies and long ones alike.

#include "debugif/uif_request.h"
#include "sim/emu_adapter.h"
#include "sim/emu_basic_handler.h"
#include "sim/emu_pty.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kConnect = {0x7E, 0x01, 0x01, 0x16, 0x07, 0x7E};

// A memory read of count bytes, framed the way the host sends it.
Bytes ReadMemoryFrame(uint32_t count) {
    debugif::UifRequest r;
    r.command_id = 13;
    r.message_type = debugif::kUifTypeParams;
    r.parameters[0] = 0x1100;
    r.parameters[1] = count;
    r.parameter_count = 2;
    uint8_t message[debugif::kUifMessageBufferSize];
    uint8_t frame[debugif::kUifFrameBufferSize];
    const size_t m = debugif::BuildUifMessage(r, message, sizeof message);
    return Bytes(frame, frame + debugif::FrameUifMessage(message, m, frame, sizeof frame));
}

// Sends the request n times, one after the other, and reads every reply
// whole (its length first). Returns the seconds it took; *reply is the
// length of one reply on the wire.
double Rounds(uint32_t baud, const Bytes& request, int n, uint64_t* in, uint64_t* out,
              size_t* reply) {
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
    *reply = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(::write(fd, request.data(), request.size()),
                  static_cast<ssize_t>(request.size()));
        Bytes got;
        size_t want = 2;
        while (got.size() < want) {
            struct pollfd p = {fd, POLLIN, 0};
            if (poll(&p, 1, 2000) <= 0) {
                ADD_FAILURE() << "no reply";
                break;
            }
            uint8_t buffer[1024];
            const ssize_t r = ::read(fd, buffer, sizeof buffer);
            got.insert(got.end(), buffer, buffer + std::max<ssize_t>(r, 0));
            if (got.size() >= 2) {
                want = 2 + (got[0] | (got[1] << 8));
            }
        }
        *reply = got.size();
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
    struct Case {
        const char* what;
        uint32_t baud;
        Bytes request;
        size_t reply; // bytes on the wire
    };
    const Case cases[] = {
        // 6 bytes in, 14 out.
        {"connect", 19200, kConnect, 14},
        // A reply of many slices: however late the emulator wakes for one,
        // none reaches the host before the line could have carried it.
        // The reply: length, id/type/status/error, data length, data, FCS.
        {"480-byte read", 115200, ReadMemoryFrame(480), 2 + 4 + 4 + 480 + 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        constexpr int kRounds = 10;
        uint64_t in = 0, out = 0;
        size_t reply = 0;
        const double paced = Rounds(c.baud, c.request, kRounds, &in, &out, &reply);
        EXPECT_EQ(reply, c.reply);
        EXPECT_EQ(in, kRounds * c.request.size());
        EXPECT_EQ(out, kRounds * c.reply);
        // At least every byte both ways at baud / 10 bytes a second.
        EXPECT_GE(paced, static_cast<double>(in + out) * 10.0 / c.baud);
    }
}

} // namespace
