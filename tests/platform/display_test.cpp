#include "platform/display.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using platform::DisplayReachable;

// A listening socket that stands in for a window system.
class Listener {
public:
    explicit Listener(const std::string& path) {
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
        ok_ = bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(fd_, 4) == 0;
    }
    // A TCP listener on 127.0.0.1 at a port of 6000 or above; port() tells which.
    Listener() {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        for (int p = 6100; p < 6400 && !ok_; ++p) {
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(static_cast<uint16_t>(p));
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(fd_, 4) == 0) {
                ok_ = true;
                port_ = p;
            }
        }
    }
    ~Listener() { close(fd_); }
    bool ok() const { return ok_; }
    int port() const { return port_; }

private:
    int fd_ = -1;
    bool ok_ = false;
    int port_ = 0;
};

TEST(DisplayTest, OnlyADisplayThatAcceptsAConnectionCounts) {
    testsupport::TempDir dir;
    const std::string runtime = dir.path().string();
    Listener wayland(runtime + "/wayland-7");
    ASSERT_TRUE(wayland.ok());
    Listener x;
    ASSERT_TRUE(x.ok());
    const std::string tcpDisplay = "127.0.0.1:" + std::to_string(x.port() - 6000) + ".0";

    struct Case {
        const char* what;
        std::string wayland, runtime, display;
        bool reachable;
    } cases[] = {
        {"nothing set", "", "", "", false},
        {"wayland socket listening", "wayland-7", runtime, "", true},
        {"wayland by full path", runtime + "/wayland-7", "", "", true},
        {"wayland name without its directory", "wayland-7", "", "", false},
        {"wayland socket gone", "wayland-8", runtime, "", false},
        {"x over tcp listening", "", "", tcpDisplay, true},
        {"x over tcp, nobody there", "", "", "127.0.0.1:" + std::to_string(x.port() - 5999), false},
        {"a local x server that is not running", "", "", ":4711", false},
        {"malformed", "", "", "nohost", false},
        {"malformed number", "", "", ":x", false},
        {"no number", "", "", "host:", false},
        {"wayland gone, x there", "wayland-8", runtime, tcpDisplay, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayReachable(c.wayland, c.runtime, c.display), c.reachable) << c.what;
    }
}

} // namespace
