// The serial transport against an emulated adapter's pseudo-terminal.

#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "platform/emulated_adapters.h"
#include "platform/os_error.h"
#include "platform/serial_port.h"
#include "platform/sysfs_discovery.h"
#include "tests/transport/test_support.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono;
using transport_test::ScratchDir;

class SerialTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(pty_.Create(scratch_.path() + "/adapters", "COM91", &error)) << error;
        platform::DeviceSetupInUse.installed = &setup_;
    }

    // What the host wrote, as the emulator sees it.
    std::string ReadMaster(size_t want) {
        std::string got;
        auto deadline = steady_clock::now() + seconds(2);
        while (got.size() < want && steady_clock::now() < deadline) {
            struct pollfd p = {pty_.master_fd(), POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                char b[256];
                ssize_t n = read(pty_.master_fd(), b, sizeof b);
                if (n > 0) {
                    got.append(b, static_cast<size_t>(n));
                }
            }
        }
        return got;
    }

    void WriteMaster(const std::string& bytes) {
        ASSERT_EQ(write(pty_.master_fd(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }

    struct termios SlaveTermios() {
        struct termios t {};
        int fd = open(pty_.slave_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(tcgetattr(fd, &t), 0);
        close(fd);
        return t;
    }

    ScratchDir scratch_;
    platform::SysfsDeviceSetup setup_{scratch_.path() + "/sys", scratch_.path() + "/dev",
                                      scratch_.path() + "/adapters"};
    platform::EmulatedSerialPort pty_;
    // Last, so that it resets before the fakes above go away.
    transport_test::TransportStateGuard guard_;
};

TEST_F(SerialTransportTest, OpenAppliesRawLineAndAdapterTimeouts) {
    ASSERT_EQ(debugif::OpenSerialPort("\\\\.\\COM91", 500, 10), debugif::kSerialOk);
    EXPECT_NE(debugif::Transport.PortHandle, 0u);
    EXPECT_EQ(debugif::Transport.PortWaitTime, 500);
    EXPECT_EQ(debugif::Transport.PortRetryCount, 10);

    struct termios t {};
    ASSERT_EQ(tcgetattr(pty_.master_fd(), &t), 0); // a pty pair shares one set of settings
    EXPECT_EQ(cfgetospeed(&t), B460800);
    EXPECT_EQ(cfgetispeed(&t), B460800);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);

    platform::CommTimeouts to = debugif::Transport.port.GetTimeouts();
    EXPECT_EQ(to.read_interval, 100u);
    EXPECT_EQ(to.read_total_multiplier, 10u);
    EXPECT_EQ(to.read_total_constant, 7000u);
    EXPECT_EQ(to.write_total_multiplier, 10u);
    EXPECT_EQ(to.write_total_constant, 3000u);

    // Bytes pass unchanged both ways, 0x0D and 0x7E included.
    const uint8_t frame[] = {0x7E, 0x01, 0x01, 0x16, 0x07, 0x0D, 0x0A, 0x7E};
    uint32_t done = 0;
    ASSERT_TRUE(debugif::SerialWrite(frame, sizeof frame, &done));
    EXPECT_EQ(done, sizeof frame);
    EXPECT_EQ(ReadMaster(sizeof frame), std::string(reinterpret_cast<const char*>(frame), 8));
    WriteMaster(std::string("\x0D\x0A\x11\x13\xFF", 5));
    uint8_t in[5] = {};
    ASSERT_TRUE(debugif::SerialRead(in, 5, &done));
    EXPECT_EQ(done, 5u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in), 5), std::string("\x0D\x0A\x11\x13\xFF", 5));
}

TEST_F(SerialTransportTest, ReadStopsAtTheGapOnceBytesArrived) {
    ASSERT_EQ(debugif::OpenSerialPort("\\\\.\\COM91", 500, 10), debugif::kSerialOk);
    WriteMaster("abc");
    uint8_t in[10] = {};
    uint32_t done = 0;
    auto start = steady_clock::now();
    ASSERT_TRUE(debugif::SerialRead(in, sizeof in, &done));
    auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_EQ(done, 3u);
    // The 100 ms gap ends the read, not the 7100 ms total.
    EXPECT_GE(elapsed, 90);
    EXPECT_LT(elapsed, 2000);

    // Bytes that keep coming within the gap are all taken.
    std::thread feeder([&] {
        for (char c : std::string("12345")) {
            std::this_thread::sleep_for(milliseconds(30));
            WriteMaster(std::string(1, c));
        }
    });
    ASSERT_TRUE(debugif::SerialRead(in, 5, &done));
    feeder.join();
    EXPECT_EQ(done, 5u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in), 5), "12345");
}

TEST_F(SerialTransportTest, TotalTimeoutEndsASilentRead) {
    platform::SerialPort port;
    int32_t error = 0;
    ASSERT_TRUE(port.Open(pty_.slave_path(), &error));
    platform::LineSettings s;
    ASSERT_TRUE(port.GetLineSettings(&s));
    ASSERT_TRUE(port.SetLineSettings(s));
    port.SetTimeouts({.read_interval = 100,
                      .read_total_multiplier = 10,
                      .read_total_constant = 250,
                      .write_total_multiplier = 0,
                      .write_total_constant = 0});
    uint8_t in[5];
    size_t done = 1;
    auto start = steady_clock::now();
    ASSERT_TRUE(port.Read(in, sizeof in, &done));
    auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_EQ(done, 0u);
    EXPECT_GE(elapsed, 290); // 250 + 10 per byte
    EXPECT_LT(elapsed, 2000);

    // "Return at once" time-outs do not wait.
    port.SetTimeouts({.read_interval = platform::kMaxDword,
                      .read_total_multiplier = 0,
                      .read_total_constant = 0,
                      .write_total_multiplier = 0,
                      .write_total_constant = 0});
    start = steady_clock::now();
    ASSERT_TRUE(port.Read(in, sizeof in, &done));
    EXPECT_EQ(done, 0u);
    EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 100);
}

// A read sleeps through the time the missing bytes take on the line
// instead of waking for every fragment; a slow line shows that the sleep
// still ends at the gap after the last byte, takes bytes that keep coming,
// and ends at once when the peer hangs up.
TEST_F(SerialTransportTest, ReadOnASlowLineKeepsItsTimeoutsAndSeesAHangUp) {
    platform::SerialPort port;
    int32_t error = 0;
    ASSERT_TRUE(port.Open(pty_.slave_path(), &error));
    platform::LineSettings s;
    ASSERT_TRUE(port.GetLineSettings(&s));
    s.baud = 1200; // 120 bytes a second: 100 bytes take 833 ms
    ASSERT_TRUE(port.SetLineSettings(s));
    port.SetTimeouts({.read_interval = 100,
                      .read_total_multiplier = 10,
                      .read_total_constant = 5000,
                      .write_total_multiplier = 0,
                      .write_total_constant = 0});
    uint8_t in[100];
    size_t done = 0;

    // A reply cut short: the gap ends the read, not the line time of the rest.
    WriteMaster("12345");
    auto start = steady_clock::now();
    ASSERT_TRUE(port.Read(in, sizeof in, &done));
    auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_EQ(done, 5u);
    EXPECT_GE(elapsed, 90);
    EXPECT_LT(elapsed, 600);

    // Bytes that come in pieces within the gap are all taken, in order.
    std::string sent;
    for (int i = 0; i < 100; ++i) {
        sent += static_cast<char>('A' + i % 26);
    }
    std::thread feeder([&] {
        for (size_t at = 0; at < sent.size(); at += 10) {
            WriteMaster(sent.substr(at, 10));
            std::this_thread::sleep_for(milliseconds(20));
        }
    });
    ASSERT_TRUE(port.Read(in, sizeof in, &done));
    feeder.join();
    EXPECT_EQ(done, sizeof in);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in), done), sent);

    // A hang-up while the read sleeps ends it with a failure straight away.
    std::thread hangup([&] {
        std::this_thread::sleep_for(milliseconds(30));
        pty_.Destroy();
    });
    start = steady_clock::now();
    EXPECT_FALSE(port.Read(in, sizeof in, &done));
    elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
    hangup.join();
    EXPECT_LT(elapsed, 600);
}

TEST_F(SerialTransportTest, FlushDiscardsAndWaitInputCounts) {
    ASSERT_EQ(debugif::OpenSerialPort("\\\\.\\COM91", 500, 10), debugif::kSerialOk);
    WriteMaster("stale bytes");
    EXPECT_EQ(debugif::SerialWaitInput(11, 1000), 11);
    EXPECT_EQ(debugif::SerialFlush(), 0);
    auto start = steady_clock::now();
    EXPECT_EQ(debugif::SerialWaitInput(1, 100), 0);
    auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_GE(elapsed, 95);
    EXPECT_LT(elapsed, 2000);

    // A byte arriving during the wait ends it early.
    std::thread feeder([&] {
        std::this_thread::sleep_for(milliseconds(50));
        WriteMaster("\x90");
    });
    start = steady_clock::now();
    EXPECT_EQ(debugif::SerialWaitInput(1, 5000), 1);
    feeder.join();
    EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 2000);

    // The transport table reaches the same operations.
    debugif::SelectTransport(0);
    EXPECT_EQ(debugif::Transport.TransportOps.wait_input(1, 10), 1);
    EXPECT_EQ(debugif::Transport.TransportOps.flush(), 0);
    EXPECT_EQ(debugif::Transport.TransportOps.wait_input(1, 10), 0);
}

TEST_F(SerialTransportTest, SecondOpenIsReportedInUse) {
    ASSERT_EQ(debugif::OpenSerialPort("\\\\.\\COM91", 500, 10), debugif::kSerialOk);
    platform::SerialPort other;
    int32_t error = 0;
    EXPECT_FALSE(other.Open(pty_.slave_path(), &error));
    EXPECT_EQ(error, platform::kErrorAccessDenied);
    EXPECT_EQ(debugif::OpenSerialPort("\\\\.\\COM91", 500, 10), debugif::kSerialOpenFailed);
    EXPECT_EQ(platform::LastSystemError(), platform::kErrorAccessDenied);

    // Free again once closed.
    EXPECT_EQ(debugif::CloseSerialPort(), debugif::kSerialOk);
    EXPECT_TRUE(other.Open(pty_.slave_path(), &error));
}

TEST_F(SerialTransportTest, CloseRestoresTheTerminalSettings) {
    struct termios before = SlaveTermios();
    ASSERT_NE(before.c_lflag & ICANON, 0u) << "a fresh pty starts in canonical mode";
    ASSERT_EQ(debugif::OpenSerialPort("\\\\.\\COM91", 500, 10), debugif::kSerialOk);
    EXPECT_EQ(SlaveTermios().c_lflag & ICANON, 0u);
    EXPECT_EQ(debugif::CloseSerialPort(), debugif::kSerialOk);
    EXPECT_EQ(debugif::Transport.PortHandle, 0u);
    struct termios after = SlaveTermios();
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    // Closing what is not open fails.
    EXPECT_EQ(debugif::CloseSerialPort(), debugif::kSerialCloseFailed);
}

TEST_F(SerialTransportTest, OpenFailuresCarryTheirSystemError) {
    struct Case {
        const char* path;
        int32_t status;
        int32_t system_error;
    };
    const Case cases[] = {
        {"\\\\.\\COM92", debugif::kSerialOpenFailed, platform::kErrorFileNotFound}, // no such port
        {"\\\\.\\FOO", debugif::kSerialOpenFailed, platform::kErrorFileNotFound},   // no port name
        {"/dev/null", debugif::kSerialOpenFailed, platform::kErrorGenFailure},      // not a tty
        {nullptr, debugif::kSerialOpenFailed, platform::kErrorFileNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path != nullptr ? c.path : "null");
        EXPECT_EQ(debugif::OpenSerialPort(c.path, 500, 10), c.status);
        EXPECT_EQ(platform::LastSystemError(), c.system_error);
        EXPECT_EQ(debugif::Transport.PortHandle, 0u);
        EXPECT_FALSE(debugif::Transport.port.IsOpen());
    }
}

TEST_F(SerialTransportTest, ReadFailsWhenThePeerHangsUp) {
    ASSERT_EQ(debugif::OpenSerialPort("\\\\.\\COM91", 500, 10), debugif::kSerialOk);
    std::string slave = pty_.slave_path();
    pty_.Destroy();
    uint8_t in[4];
    uint32_t done = 0;
    auto start = steady_clock::now();
    EXPECT_FALSE(debugif::SerialRead(in, sizeof in, &done));
    EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 2000);
    EXPECT_EQ(done, 0u);
}

} // namespace
